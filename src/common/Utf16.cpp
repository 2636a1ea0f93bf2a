#include "common/Utf16.h"

#include <cstddef>

namespace varnel {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kHighFirst = 0xD800;
constexpr char32_t kLowFirst = 0xDC00;
constexpr char32_t kLowLast = 0xDFFF;
constexpr char32_t kFirstSupplementary = 0x10000;

unsigned byteAt(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    const int trail = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    const unsigned lead = trail == 1 ? 0xC0 : trail == 2 ? 0xE0 : 0xF0;
    out += static_cast<char>(lead | (c >> (6 * trail)));
    for (int k = trail - 1; k >= 0; --k) {
        out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
}

void appendUnit(std::string& out, char32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

struct Character {
    char32_t code = kReplacement;
    std::size_t length = 1;
};

// The character at `i`: a UTF-8 sequence of the shortest form, surrogates
// allowed; anything else is one byte that stands for U+FFFD.
Character characterAt(std::string_view s, std::size_t i) {
    const unsigned lead = byteAt(s, i);
    if (lead < 0x80) {
        return {lead, 1};
    }
    const std::size_t length = lead >= 0xC0 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF7 ? 4
                                                              : 0;
    if (length == 0 || i + length > s.size()) {
        return {};
    }
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned next = byteAt(s, i + k);
        if ((next & 0xC0) != 0x80) {
            return {};
        }
        code = code << 6 | (next & 0x3F);
    }
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kShortest[length] || code > 0x10FFFF) {
        return {};
    }
    return {code, length};
}

}  // namespace

std::string utf8FromUtf16le(std::string_view bytes) {
    const auto unitAt = [&](std::size_t i) -> char32_t {
        return byteAt(bytes, i) | byteAt(bytes, i + 1) << 8;
    };
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t code = unitAt(i);
        if (code >= kHighFirst && code < kLowFirst && i + 3 < bytes.size()) {
            const char32_t low = unitAt(i + 2);
            if (low >= kLowFirst && low <= kLowLast) {
                code = kFirstSupplementary + ((code - kHighFirst) << 10) + (low - kLowFirst);
                i += 2;
            }
        }
        appendUtf8(out, code);
    }
    return out;
}

std::string utf16leFromUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size();) {
        const Character c = characterAt(text, i);
        i += c.length;
        if (c.code < kFirstSupplementary) {
            appendUnit(out, c.code);
        } else {
            appendUnit(out, kHighFirst + ((c.code - kFirstSupplementary) >> 10));
            appendUnit(out, kLowFirst + ((c.code - kFirstSupplementary) & 0x3FF));
        }
    }
    return out;
}

}  // namespace varnel
