#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace qlx::richtext {

// Where a writer's output goes, in order, in pieces of any size.
using Sink = std::function<void(std::string_view bytes)>;

// Gathers small pieces and hands them to a sink in large blocks; flushes when destroyed.
class BufferedSink {
public:
    explicit BufferedSink(const Sink& sink) : sink_(sink) {}
    BufferedSink(const BufferedSink&) = delete;
    BufferedSink& operator=(const BufferedSink&) = delete;
    ~BufferedSink() { flush(); }

    // The buffer to append to; call done() after appending.
    std::string& buffer() { return buffer_; }
    void done() {
        if (buffer_.size() >= block_size) {
            flush();
        }
    }
    void flush() {
        if (!buffer_.empty()) {
            sink_(buffer_);
            buffer_.clear();
        }
    }

private:
    static constexpr std::size_t block_size = 64 * 1024;
    const Sink& sink_;
    std::string buffer_;
};

// Runs a writer into a string.
template <class Writer>
std::string write_to_string(Writer&& writer) {
    std::string out;
    writer(Sink([&out](std::string_view bytes) { out += bytes; }));
    return out;
}

}  // namespace qlx::richtext
