// INI reader and writer on arbitrary file bytes. Input: a section line, a key
// line and a value line, then the file. The value is written and the writer's
// promises are checked: the value reads back as it would from a file holding
// only that key, every other entry reads as before, only one line's bytes
// change (or whole lines are added), the encoding stays. A UTF-16 file is
// checked on its text, which must give the file's bytes back unchanged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzInput.h"
#include "common/Utf16.h"
#include "settings/FileText.h"
#include "settings/IniText.h"

namespace varnel::fuzz {
namespace {

using ini::Encoding;

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::size_t kMaxProbeNames = 8;

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// ASCII, or a lead byte 0x81-0xFE followed by a trail byte 0x40-0xFE other
// than 0x7F. What the program writes is converted from UTF-8, so it is always
// whole GBK characters; a lone lead byte would swallow the ']' after it.
bool wholeGbk(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned lead = static_cast<unsigned char>(s[i]);
        if (lead < 0x80) {
            continue;
        }
        if (lead == 0x80 || lead == 0xFF || i + 1 == s.size()) {
            return false;
        }
        const unsigned trail = static_cast<unsigned char>(s[++i]);
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF) {
            return false;
        }
    }
    return true;
}

// UTF-8 needs no such care: the delimiters are ASCII and never continue a sequence.
bool wholeCharacters(std::string_view s, Encoding encoding) {
    return encoding == Encoding::Utf8 || wholeGbk(s);
}

// What a UTF-16 file can hold: the program's texts are whole UTF-8 characters.
bool fitsUtf16(std::string_view s) {
    return utf8FromUtf16le(utf16leFromUtf8(s)) == s;
}

// Names the program can write: none of the bytes that end a name or make the
// line something else.
bool writableName(std::string_view name, Encoding encoding) {
    return name.find_first_of(std::string_view("\0\r\n[]=;", 7)) == std::string_view::npos &&
           wholeCharacters(name, encoding);
}

// The name with its ASCII letters' case swapped: the same name to the reader,
// unless a letter is the trail byte of a GBK character.
std::optional<std::string> swappedCase(std::string_view name, Encoding encoding) {
    if (encoding == Encoding::Gbk &&
        std::any_of(name.begin(), name.end(), [](char c) { return c & 0x80; })) {
        return std::nullopt;
    }
    std::string out(name);
    for (char& c : out) {
        c = c >= 'a' && c <= 'z'   ? static_cast<char>(c - 'a' + 'A')
            : c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a')
                                   : c;
    }
    return out;
}

// Reading ignores the case of ASCII letters and blanks around the wanted names.
void checkNameForms(std::string_view text, std::string_view section, std::string_view key,
                    Encoding encoding) {
    const std::optional<std::string> value = ini::readValue(text, section, key);
    const std::string padded = " \t" + std::string(section) + "\t ";
    require(ini::readValue(text, padded, key) == value, "blanks around a name changed a read");
    const std::optional<std::string> swappedSection = swappedCase(section, encoding);
    const std::optional<std::string> swappedKey = swappedCase(key, encoding);
    if (swappedSection && swappedKey) {
        require(ini::readValue(text, *swappedSection, *swappedKey) == value,
                "the case of a name changed a read");
    }
}

bool plain(std::string_view value) {
    return !value.empty() && std::all_of(value.begin(), value.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

// A coarse form of a name: cut at NUL, blank-like bytes off both ends, ASCII
// lowered. Names whose coarse forms differ are surely different entries.
std::string coarse(std::string_view name) {
    name = name.substr(0, name.find('\0'));
    const std::string_view blankish(" \t\v\f\r\n\x1A\xA1\xE3\x80");
    const std::size_t first = name.find_first_not_of(blankish);
    if (first == std::string_view::npos) {
        return "";
    }
    name = name.substr(first, name.find_last_not_of(blankish) - first + 1);
    std::string out(name);
    for (char& c : out) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

// Names the text mentions, roughly: what follows a '[' on a line is a section,
// what precedes a '=' is a key. Extra names only make more probes.
void collectNames(std::string_view text, std::vector<std::string_view>& sections,
                  std::vector<std::string_view>& keys) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = begin;
        while (end < text.size() && !isLineBreak(text[end])) {
            ++end;
        }
        const std::string_view line = text.substr(begin, end - begin);
        begin = end + 1;
        if (const std::size_t open = line.find('['); open != std::string_view::npos) {
            if (sections.size() < kMaxProbeNames) {
                sections.push_back(line.substr(open + 1, line.find(']', open) - open - 1));
            }
        } else if (keys.size() < kMaxProbeNames) {
            keys.push_back(line.substr(0, line.find('=')));
        }
    }
}

// Only bytes of one line are replaced, or whole lines are added.
void checkOneLineChanged(std::string_view before, std::string_view after) {
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    const std::string_view removed = before.substr(prefix, before.size() - prefix - suffix);
    const std::string_view added = after.substr(prefix, after.size() - prefix - suffix);
    require(std::none_of(removed.begin(), removed.end(), isLineBreak),
            "a write removed a line break");
    if (!removed.empty()) {
        require(std::none_of(added.begin(), added.end(), isLineBreak),
                "a replaced value brought a line break");
    }
    // At most a break before, the section line and the key line.
    require(std::count(added.begin(), added.end(), '\n') <= 3, "a write added too many lines");
}

void roundTrip(std::string_view section, std::string_view key, std::string_view value,
               const ini::FileText& file, bool utf16) {
    const std::string_view text = file.text();
    const Encoding encoding = ini::encodingOf(text);

    std::vector<std::string_view> sections{section};
    std::vector<std::string_view> keys{key};
    collectNames(text, sections, keys);
    struct Probe {
        std::string_view section, key;
        std::optional<std::string> before;
    };
    std::vector<Probe> probes;
    for (const std::string_view s : sections) {
        for (const std::string_view k : keys) {
            probes.push_back({s, k, ini::readValue(text, s, k)});
        }
    }

    checkNameForms(text, section, key, encoding);
    require(ini::writeValue(text, " \t", key, value) == text, "a blank section name wrote");
    require(ini::writeValue(text, section, "", value) == text, "an empty key name wrote");

    if (!writableName(section, encoding) || !writableName(key, encoding) ||
        value.find_first_of("\r\n") != std::string_view::npos ||
        !wholeCharacters(value, encoding) ||
        (utf16 && !(fitsUtf16(section) && fitsUtf16(key) && fitsUtf16(value)))) {
        return;
    }
    const std::string written = ini::writeValue(text, section, key, value);
    const std::string alone =
        ini::writeValue(encoding == Encoding::Utf8 ? kBom : "", section, key, value);
    const std::optional<std::string> expected = ini::readValue(alone, section, key);
    if (alone.size() == (encoding == Encoding::Utf8 ? kBom.size() : 0)) {
        require(written == text, "a blank name changed the text");
        return;
    }
    require(expected.has_value(), "a value written to an empty file does not read back");
    require(!plain(value) || *expected == value, "a plain value reads back changed");
    require(ini::readValue(written, section, key) == expected,
            "the written value reads back wrong");
    require(ini::encodingOf(written) == encoding, "a write changed the encoding");
    checkOneLineChanged(text, written);
    require(ini::FileText(file.bytes(written)).text() == written, "the saved file reads changed");
    if (plain(value)) {
        require(ini::writeValue(written, section, key, value) == written,
                "writing the same value again changed the text");
    }

    const std::string coarseSection = coarse(section);
    const std::string coarseKey = coarse(key);
    for (const Probe& p : probes) {
        if (coarse(p.section) == coarseSection && coarse(p.key) == coarseKey) {
            continue;  // may be the written entry itself
        }
        require(ini::readValue(written, p.section, p.key) == p.before,
                "a write changed another entry");
    }
}

}  // namespace
}  // namespace varnel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    varnel::fuzz::FuzzInput input(data, size);
    const std::string_view section = input.field();
    const std::string_view key = input.field();
    const std::string_view value = input.field();
    const std::string_view bytes = input.rest();
    const varnel::ini::FileText file{std::string(bytes)};
    varnel::fuzz::require(file.bytes(file.text()) == bytes, "a file's text lost some of its bytes");
    varnel::fuzz::roundTrip(section, key, value, file, bytes.starts_with("\xFF\xFE"));
    return 0;
}
