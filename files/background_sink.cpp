#include "files/background_sink.h"

#include <utility>

namespace qlx::conversion {

namespace {

// Blocks kept for reuse: about as many as the queue holds of the writer's blocks.
constexpr std::size_t max_spares = 40;

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
    changed_.wait(lock, [this] { return done(); });
    if (failure_) {
        return std::unexpected(*failure_);
    }
    return {};
}

bool BackgroundSink::wait_for(std::chrono::milliseconds time) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, time, [this] { return done(); });
}

// With `spare`, a written block's string is given back there, when there is one.
std::expected<void, FileError> BackgroundSink::hand_over(Task task, std::string* spare) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queued_bytes_ <= max_queued_ || failure_; });
    if (failure_) {
        return std::unexpected(*failure_);
    }
    if (spare != nullptr && !spares_.empty()) {
        *spare = std::move(spares_.back());
        spares_.pop_back();
    }
    queued_bytes_ += task.bytes.size();
    tasks_.push_back(std::move(task));
    lock.unlock();
    changed_.notify_all();
    return {};
}

void BackgroundSink::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !tasks_.empty() || stopping_; });
        if (tasks_.empty()) {
            return;  // stopping, and nothing left to do
        }
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        working_ = !failure_;
        lock.unlock();
        std::expected<void, FileError> done;
        if (working_) {
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
        lock.lock();
        working_ = false;
        queued_bytes_ -= task.bytes.size();
        if (task.kind == Kind::write && spares_.size() < max_spares) {
            task.bytes.clear();
            spares_.push_back(std::move(task.bytes));
        }
        if (!done && !failure_) {
            failure_ = std::move(done.error());
        }
        changed_.notify_all();
    }
}

}  // namespace qlx::conversion
