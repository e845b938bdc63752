#include "files/background_sink.h"

#include <utility>

namespace qlx::conversion {

namespace {

// Blocks kept for reuse: about as many as the queue holds of the writer's blocks, twice over
// (those being written and those waiting).
constexpr std::size_t max_spares = 64;

// The writing thread is woken at the end of each document, or once this much waits: not for
// every block, which would cost a switch between the threads for each.
constexpr std::size_t wake_bytes = 1024 * 1024;

// While the writing thread works through a batch, it says this much more is written, so that
// a converting side waiting on a full queue goes on after about a megabyte's writing rather
// than after the whole batch's (in the viewer, its window waits as long).
constexpr std::size_t release_bytes = 1024 * 1024;

}  // namespace

BackgroundSink::BackgroundSink(DocumentSink& next, std::size_t max_queued)
    : next_(next), max_queued_(max_queued), worker_([this] { run(); }) {}

BackgroundSink::~BackgroundSink() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

std::expected<void, FileError> BackgroundSink::begin_document(int number) {
    return hand_over({Kind::begin, number, {}});
}

std::expected<void, FileError> BackgroundSink::write(std::string_view bytes) {
    return hand_over({Kind::write, 0, std::string(bytes)});
}

std::expected<void, FileError> BackgroundSink::write_block(std::string& block) {
    std::string spare;
    auto handed = hand_over({Kind::write, 0, std::move(block)}, &spare);
    block = std::move(spare);
    return handed;
}

std::expected<void, FileError> BackgroundSink::end_document() {
    return hand_over({Kind::end, 0, {}});
}

std::expected<void, FileError> BackgroundSink::finish() {
    std::unique_lock lock(mutex_);
    changed_.notify_all();
    changed_.wait(lock, [this] { return done(); });
    if (failure_) {
        return std::unexpected(*failure_);
    }
    return {};
}

bool BackgroundSink::wait_for(std::chrono::milliseconds time) {
    std::unique_lock lock(mutex_);
    changed_.notify_all();
    return changed_.wait_for(lock, time, [this] { return done(); });
}

// With `spare`, a written block's string is given back there, when there is one.
std::expected<void, FileError> BackgroundSink::hand_over(Task task, std::string* spare) {
    std::unique_lock lock(mutex_);
    if (queued_bytes_ > max_queued_) {
        changed_.notify_all();  // the writing thread may not have been woken for them yet
        changed_.wait(lock, [this] { return queued_bytes_ <= max_queued_ || failure_; });
    }
    if (failure_) {
        return std::unexpected(*failure_);
    }
    if (spare != nullptr && !spares_.empty()) {
        *spare = std::move(spares_.back());
        spares_.pop_back();
    }
    queued_bytes_ += task.bytes.size();
    const bool wake = task.kind == Kind::end || queued_bytes_ >= wake_bytes;
    tasks_.push_back(std::move(task));
    lock.unlock();
    if (wake) {
        changed_.notify_all();
    }
    return {};
}

// Takes every task waiting at once and does them in turn without the lock, so that the
// converting side rarely waits for it.
void BackgroundSink::run() {
    std::deque<Task> batch;
    std::vector<std::string> written;
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !tasks_.empty() || stopping_; });
        if (tasks_.empty()) {
            return;  // stopping, and nothing left to do
        }
        batch.swap(tasks_);
        working_ = !failure_;
        lock.unlock();
        std::expected<void, FileError> done;
        std::size_t bytes = 0;
        for (Task& task : batch) {
            if (working_ && done) {
                switch (task.kind) {
                    case Kind::begin:
                        done = next_.begin_document(task.number);
                        break;
                    case Kind::write:
                        done = next_.write(task.bytes);
                        break;
                    case Kind::end:
                        done = next_.end_document();
                        break;
                }
            }
            bytes += task.bytes.size();
            if (task.kind == Kind::write) {
                task.bytes.clear();
                written.push_back(std::move(task.bytes));
            }
            if (bytes >= release_bytes) {
                lock.lock();
                queued_bytes_ -= bytes;
                lock.unlock();
                changed_.notify_all();
                bytes = 0;
            }
        }
        batch.clear();
        lock.lock();
        working_ = false;
        queued_bytes_ -= bytes;
        for (std::string& block : written) {
            if (spares_.size() < max_spares) {
                spares_.push_back(std::move(block));
            }
        }
        written.clear();
        if (!done && !failure_) {
            failure_ = std::move(done.error());
        }
        changed_.notify_all();
    }
}

}  // namespace qlx::conversion
