#include "richtext/code_page.h"

#include "richtext/code_page_system.h"
#include "richtext/utf8.h"
#include "richtext/windows1252.h"

namespace qlx::richtext {

namespace {

// The length of the ASCII bytes that begin `bytes`: they are the same in UTF-8.
std::size_t ascii_prefix(std::string_view bytes) {
    std::size_t length = 0;
    while (length < bytes.size() && static_cast<unsigned char>(bytes[length]) < 0x80) {
        ++length;
    }
    return length;
}

// Appends bytes to UTF-8 text, runs of ASCII as they are and each other byte (or sequence,
// for UTF-8) as `decode` makes it, from the bytes and a position it moves on.
template <class Decode>
void append_decoded(std::string& out, std::string_view bytes, Decode decode) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t ascii = ascii_prefix(bytes.substr(pos));
        out.append(bytes.substr(pos, ascii));
        pos += ascii;
        if (pos < bytes.size()) {
            qlx::richtext::append_utf8(out, decode(bytes, pos));
        }
    }
}

class Windows1252Decoder : public CodePageDecoder {
public:
    void append_utf8(std::string& out, std::string_view bytes) const override {
        append_decoded(out, bytes, [](std::string_view in, std::size_t& pos) {
            return windows1252_to_unicode(static_cast<unsigned char>(in[pos++]));
        });
    }
};

class Latin1Decoder : public CodePageDecoder {
public:
    void append_utf8(std::string& out, std::string_view bytes) const override {
        append_decoded(out, bytes, [](std::string_view in, std::size_t& pos) {
            return static_cast<char32_t>(static_cast<unsigned char>(in[pos++]));
        });
    }
};

class Utf8Decoder : public CodePageDecoder {
public:
    void append_utf8(std::string& out, std::string_view bytes) const override {
        append_decoded(out, bytes, next_code_point);
    }
};

const Windows1252Decoder windows1252;
const Latin1Decoder latin1;
const Utf8Decoder utf8;

}  // namespace

const CodePageDecoder& decoder_for_code_page(int code_page) {
    switch (code_page) {
        case 1252:
            return windows1252;
        case 28591:
            return latin1;
        case 65001:
            return utf8;
        default:
            break;
    }
    if (const CodePageDecoder* decoder = system_decoder(code_page)) {
        return *decoder;
    }
    return windows1252;
}

bool is_ascii_compatible(int code_page) {
    std::string printable;
    for (char c = 0x20; c < 0x7F; ++c) {
        printable += c;
    }
    std::string decoded;
    decoder_for_code_page(code_page).append_utf8(decoded, printable);
    return decoded == printable;
}

int code_page_for_charset(int charset, int ansi_code_page) {
    switch (charset) {
        case 0:
            return 1252;
        case 77:
            return 10000;
        case 78:
            return 10001;
        case 79:
            return 10003;
        case 80:
            return 10008;
        case 81:
            return 10002;
        case 83:
            return 10005;
        case 84:
            return 10004;
        case 85:
            return 10006;
        case 86:
            return 10081;
        case 87:
            return 10021;
        case 88:
            return 10029;
        case 89:
            return 10007;
        case 128:
            return 932;
        case 129:
            return 949;
        case 134:
            return 936;
        case 136:
            return 950;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 163:
            return 1258;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;
        case 204:
            return 1251;
        case 222:
            return 874;
        case 238:
            return 1250;
        case 254:
            return 437;
        case 255:  // OEM: the DOS page of a Western European system
            return 850;
        default:
            return ansi_code_page;
    }
}

}  // namespace qlx::richtext
