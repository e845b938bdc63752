#pragma once

#include <string>
#include <vector>

#include "model/document_writer.h"

namespace qlx::testing {

// Keeps every converted document in memory; documents[0] is temp1.rtf.
class MemorySink : public conversion::DocumentSink {
public:
    std::expected<void, conversion::FileError> begin_document(int number) override {
        numbers.push_back(number);
        documents.emplace_back();
        return {};
    }
    std::expected<void, conversion::FileError> write(std::string_view bytes) override {
        documents.back() += bytes;
        return {};
    }
    std::expected<void, conversion::FileError> end_document() override {
        ++ended;
        return {};
    }

    std::vector<int> numbers;
    std::vector<std::string> documents;
    int ended = 0;
};

}  // namespace qlx::testing
