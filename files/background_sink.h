#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <expected>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "model/document_writer.h"

namespace qlx::conversion {

// Hands what a conversion writes to another sink on a thread of its own, so that converting
// the next part of an export and writing the last one to disk overlap. The calls reach the
// other sink in the order they were made. A failure there is answered to the first call made
// after it was known, and by finish(); from then on nothing more reaches the other sink.
// While more than `max_queued` bytes wait, the converting side waits too. The other sink hears
// of a document once it has ended or a large part of it waits, and of everything by finish().
class BackgroundSink : public DocumentSink {
public:
    explicit BackgroundSink(DocumentSink& next, std::size_t max_queued = 8 * 1024 * 1024);
    BackgroundSink(const BackgroundSink&) = delete;
    BackgroundSink& operator=(const BackgroundSink&) = delete;
    // Waits until the other sink has had everything handed over.
    ~BackgroundSink() override;

    std::expected<void, FileError> begin_document(int number) override;
    std::expected<void, FileError> write(std::string_view bytes) override;
    std::expected<void, FileError> end_document() override;
    // Takes the block's string as it stands, and leaves one whose bytes were written already.
    std::expected<void, FileError> write_block(std::string& block) override;

    // Waits until the other sink has had everything handed over; its first failure, if any.
    std::expected<void, FileError> finish();
    // Waits at most `time` for finish() to be ready; whether it is.
    bool wait_for(std::chrono::milliseconds time);

private:
    enum class Kind { begin, write, end };
    struct Task {
        Kind kind;
        int number = 0;
        std::string bytes;
    };

    bool done() const { return (tasks_.empty() && !working_) || failure_; }
    std::expected<void, FileError> hand_over(Task task, std::string* spare = nullptr);
    void run();

    DocumentSink& next_;
    const std::size_t max_queued_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Task> tasks_;
    std::vector<std::string> spares_;  // blocks written, kept to be filled again
    std::size_t queued_bytes_ = 0;
    bool working_ = false;  // a task is being done
    bool stopping_ = false;
    std::optional<FileError> failure_;
    std::thread worker_;  // last: it starts once the rest is made
};

}  // namespace qlx::conversion
