#include "richtext/code_page_system.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "richtext/windows1252.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unicode/ucnv.h>
#endif

namespace qlx::richtext {

namespace {

// Appends UTF-16 code units as UTF-8; a lone surrogate becomes U+FFFD.
void append_utf16(std::string& out, const char16_t* units, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        char32_t code = units[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (units[++i] - 0xDC00);
        }
        append_utf8(out, code);
    }
}

#ifdef _WIN32

class SystemDecoder : public CodePageDecoder {
public:
    explicit SystemDecoder(int code_page) : code_page_(static_cast<UINT>(code_page)) {}

    static bool known(int code_page) { return IsValidCodePage(static_cast<UINT>(code_page)); }

    void append_utf8(std::string& out, std::string_view bytes) const override {
        if (bytes.empty()) {
            return;
        }
        const int length = static_cast<int>(bytes.size());
        std::wstring wide(bytes.size(), L'\0');
        const int written = MultiByteToWideChar(code_page_, 0, bytes.data(), length, wide.data(),
                                                static_cast<int>(wide.size()));
        append_utf16(out, reinterpret_cast<const char16_t*>(wide.data()),
                     static_cast<std::size_t>(written));
    }

private:
    UINT code_page_;
};

#else

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// ICU's name for a Windows code page.
std::string icu_name(int code_page) {
    switch (code_page) {
        case 10000:
            return "macintosh";
        case 10001:
            return "Shift_JIS";
        case 10002:
            return "Big5";
        case 10003:
            return "EUC-KR";
        case 10006:
            return "x-mac-greek";
        case 10007:
            return "x-mac-cyrillic";
        case 10008:
            return "GB2312";
        case 10029:
            return "x-mac-centraleurroman";
        case 10081:
            return "x-mac-turkish";
        case 20866:
            return "KOI8-R";
        case 21866:
            return "KOI8-U";
        default:
            return "windows-" + std::to_string(code_page);
    }
}

Converter open_converter(int code_page) {
    for (const std::string& name : {icu_name(code_page), "cp" + std::to_string(code_page)}) {
        UErrorCode error = U_ZERO_ERROR;
        Converter converter(ucnv_open(name.c_str(), &error));
        if (U_SUCCESS(error) && converter) {
            return converter;
        }
    }
    return nullptr;
}

class SystemDecoder : public CodePageDecoder {
public:
    explicit SystemDecoder(int code_page) : code_page_(code_page) {}

    static bool known(int code_page) { return open_converter(code_page) != nullptr; }

    void append_utf8(std::string& out, std::string_view bytes) const override {
        if (bytes.empty()) {
            return;
        }
        // A converter keeps state between calls and is not to be shared between threads:
        // each thread keeps its own, reset before every use.
        thread_local std::map<int, Converter> converters;
        Converter& converter = converters[code_page_];
        if (!converter) {
            converter = open_converter(code_page_);
        }
        ucnv_reset(converter.get());
        thread_local std::vector<UChar> units;
        units.resize(bytes.size() * 2 + 16);
        UErrorCode error = U_ZERO_ERROR;
        const int32_t written =
            ucnv_toUChars(converter.get(), units.data(), static_cast<int32_t>(units.size()),
                          bytes.data(), static_cast<int32_t>(bytes.size()), &error);
        if (U_FAILURE(error)) {
            return;
        }
        append_utf16(out, reinterpret_cast<const char16_t*>(units.data()),
                     static_cast<std::size_t>(written));
    }

private:
    int code_page_;
};

#endif

}  // namespace

const CodePageDecoder* system_decoder(int code_page) {
    static std::mutex guard;
    static std::map<int, std::unique_ptr<SystemDecoder>> decoders;
    const std::lock_guard lock(guard);
    const auto found = decoders.find(code_page);
    if (found != decoders.end()) {
        return found->second.get();
    }
    std::unique_ptr<SystemDecoder> decoder;
    if (code_page > 0 && SystemDecoder::known(code_page)) {
        decoder = std::make_unique<SystemDecoder>(code_page);
    }
    return decoders.emplace(code_page, std::move(decoder)).first->second.get();
}

}  // namespace qlx::richtext
