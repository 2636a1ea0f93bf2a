// INI reader and writer on arbitrary settings-file bytes (GBK, UTF-8 or
// UTF-16). Input: a section line, a key line and a value line, then the file.
// The value is written and the writer's promises are checked: it reads back as
// from a file holding only that key, every other entry reads as before, only
// one line's bytes change (or whole lines are added), the encoding stays, and
// a file's text gives its bytes back unchanged.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Utf16.h"
#include "settings/FileText.h"
#include "settings/IniText.h"

namespace {

using namespace varnel;
using ini::Encoding;

// A broken property: libFuzzer saves the input as a crash file.
void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

std::string_view field(std::string_view& rest) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view value = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    return value;
}

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// What the program writes comes from UTF-8: whole GBK characters (a lone lead
// byte would swallow the ']' after it) that a UTF-16 file can hold as well.
bool writable(std::string_view s, Encoding encoding, bool utf16) {
    for (std::size_t i = 0; encoding == Encoding::Gbk && i < s.size(); ++i) {
        const unsigned lead = static_cast<unsigned char>(s[i]),
                       trail = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
        if (lead >= 0x80 &&
            (lead == 0x80 || lead == 0xFF || trail < 0x40 || trail == 0x7F || trail == 0xFF)) {
            return false;
        }
        i += lead >= 0x80;
    }
    return !utf16 || utf8FromUtf16le(utf16leFromUtf8(s)) == s;
}

// Names the text mentions, roughly: what follows a '[' is a section, what
// precedes a '=' is a key. Extra names only make more probes.
void collectNames(std::string_view text, std::vector<std::string_view>& sections,
                  std::vector<std::string_view>& keys) {
    for (std::size_t begin = 0, end; begin < text.size() && sections.size() + keys.size() < 18;
         begin = end + 1) {
        end = std::find_if(text.begin() + begin, text.end(), isLineBreak) - text.begin();
        const std::string_view line = text.substr(begin, end - begin);
        if (const std::size_t open = line.find('['); open != std::string_view::npos) {
            sections.push_back(line.substr(open + 1, line.find(']', open) - open - 1));
        } else {
            keys.push_back(line.substr(0, line.find('=')));
        }
    }
}

// Only the bytes of one line are replaced, or whole lines are added.
void checkOneLineChanged(std::string_view before, std::string_view after) {
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t prefix = 0, suffix = 0;
    while (prefix < shorter && before[prefix] == after[prefix]) {
        ++prefix;
    }
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    const std::string_view removed = before.substr(prefix, before.size() - prefix - suffix);
    const std::string_view added = after.substr(prefix, after.size() - prefix - suffix);
    require(std::none_of(removed.begin(), removed.end(), isLineBreak),
            "a write removed a line break");
    require(removed.empty() || std::none_of(added.begin(), added.end(), isLineBreak),
            "a replaced value brought a line break");
    // At most a break before, the section line and the key line.
    require(std::count(added.begin(), added.end(), '\n') <= 3, "a write added too many lines");
}

void roundTrip(std::string_view section, std::string_view key, std::string_view value,
               const ini::FileText& file, bool utf16) {
    const std::string_view text = file.text();
    const Encoding encoding = ini::encodingOf(text);
    require(ini::writeValue(text, " \t", key, value) == text, "a blank section name wrote");
    require(ini::writeValue(text, section, "", value) == text, "an empty key name wrote");
    const auto name = [&](std::string_view s) {
        return s.find_first_of(std::string_view("\0\r\n[]=;", 7)) == std::string_view::npos &&
               writable(s, encoding, utf16);
    };
    if (!name(section) || !name(key) || value.find_first_of("\r\n") != std::string_view::npos ||
        !writable(value, encoding, utf16)) {
        return;
    }
    std::vector<std::string_view> sections{section}, keys{key};
    collectNames(text, sections, keys);
    const std::string alone =
        ini::writeValue(encoding == Encoding::Utf8 ? "\xEF\xBB\xBF" : "", section, key, value);
    const std::string written = ini::writeValue(text, section, key, value);
    const std::optional<std::string> expected = ini::readValue(alone, section, key);
    require(expected || written == text, "a value written to an empty file does not read back");
    require(!expected || !std::all_of(value.begin(), value.end(), isalnum) || value.empty() ||
                *expected == value,
            "a plain value reads back changed");
    require(ini::readValue(written, section, key) == expected,
            "the written value reads back wrong");
    require(ini::encodingOf(written) == encoding, "a write changed the encoding");
    require(ini::FileText(file.bytes(written)).text() == written, "the saved file reads changed");
    checkOneLineChanged(text, written);
    for (const std::string_view s : sections) {
        for (const std::string_view k : keys) {
            // Names that find the value in `alone` may name the written entry itself.
            require(ini::readValue(alone, s, k) ||
                        ini::readValue(written, s, k) == ini::readValue(text, s, k),
                    "a write changed another entry");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view section = field(rest), key = field(rest), value = field(rest);
    const ini::FileText file{std::string(rest)};
    require(file.bytes(file.text()) == rest, "a file's text lost some of its bytes");
    roundTrip(section, key, value, file, rest.starts_with("\xFF\xFE"));
    return 0;
}
