#include "richtext/code_page.h"

#include "richtext/code_page_system.h"
#include "richtext/utf8.h"
#include "richtext/windows1252.h"

namespace qlx::richtext {

namespace {

class Windows1252Decoder : public CodePageDecoder {
public:
    void append_utf8(std::string& out, std::string_view bytes) const override {
        for (const char byte : bytes) {
            qlx::richtext::append_utf8(out,
                                       windows1252_to_unicode(static_cast<unsigned char>(byte)));
        }
    }
};

class Latin1Decoder : public CodePageDecoder {
public:
    void append_utf8(std::string& out, std::string_view bytes) const override {
        for (const char byte : bytes) {
            qlx::richtext::append_utf8(out, static_cast<unsigned char>(byte));
        }
    }
};

class Utf8Decoder : public CodePageDecoder {
public:
    void append_utf8(std::string& out, std::string_view bytes) const override {
        for (std::size_t pos = 0; pos < bytes.size();) {
            qlx::richtext::append_utf8(out, next_code_point(bytes, pos));
        }
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
