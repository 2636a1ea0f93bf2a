// The INI reader and writer on any settings-file bytes (GBK, UTF-8, UTF-16): a
// section, a key and a value line, then the file. The value written must read
// back as from a file holding only it, every other entry as before; only one
// line may change (or lines be added); the text must give its bytes back.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/Utf16.h"
#include "settings/FileText.h"
#include "settings/IniText.h"

namespace {

using namespace varnel;

// A broken property: libFuzzer saves the input as a crash file.
void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

std::string_view line(std::string_view& rest) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view value = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    return value;
}

// What the program writes comes from UTF-8: no bytes that end a name or make
// a line something else, whole GBK characters (a lone lead byte would swallow
// the ']' after it), text a UTF-16 file can hold.
bool writable(std::string_view s, std::string_view stops, ini::Encoding encoding, bool utf16) {
    for (std::size_t i = 0; encoding == ini::Encoding::Gbk && i < s.size(); ++i) {
        const unsigned lead = static_cast<unsigned char>(s[i]);
        const unsigned trail = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
        if (lead >= 0x80 &&
            (lead == 0x80 || lead == 0xFF || trail < 0x40 || trail == 0x7F || trail == 0xFF)) {
            return false;
        }
        i += lead >= 0x80;
    }
    return s.find_first_of(stops) == std::string_view::npos &&
           (!utf16 || utf8FromUtf16le(utf16leFromUtf8(s)) == s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view section = line(rest), key = line(rest), value = line(rest);
    const ini::FileText file{std::string(rest)};
    require(file.bytes(file.text()) == rest, "a file's text lost some of its bytes");
    const std::string_view text = file.text();
    const ini::Encoding encoding = ini::encodingOf(text);
    const bool utf16 = rest.starts_with("\xFF\xFE");
    require(ini::writeValue(text, " \t", key, value) == text, "a blank section name wrote");
    constexpr std::string_view kNameStops("\0\r\n[]=;", 7);
    if (!writable(section, kNameStops, encoding, utf16) ||
        !writable(key, kNameStops, encoding, utf16) || !writable(value, "\r\n", encoding, utf16)) {
        return 0;
    }
    const std::string alone =
        ini::writeValue(encoding == ini::Encoding::Utf8 ? "\xEF\xBB\xBF" : "", section, key, value);
    const std::string written = ini::writeValue(text, section, key, value);
    const auto expected = ini::readValue(alone, section, key);
    require(expected || written == text, "a value written to an empty file does not read back");
    require(ini::readValue(written, section, key) == expected,
            "the written value reads back wrong");
    require(ini::FileText(file.bytes(written)).text() == written, "the saved file reads changed");
    require(ini::encodingOf(written) == encoding, "a write changed the encoding");

    // Only the bytes of one line are replaced, or at most three lines (a
    // break, the section and the key) are added.
    const std::size_t prefix = std::ranges::mismatch(text, written).in1 - text.begin();
    const std::size_t suffix = std::min<std::size_t>(
        std::mismatch(text.rbegin(), text.rend(), written.rbegin(), written.rend()).first -
            text.rbegin(),
        std::min(text.size(), written.size()) - prefix);
    const std::string_view removed = text.substr(prefix, text.size() - prefix - suffix);
    const std::string_view added =
        std::string_view(written).substr(prefix, written.size() - prefix - suffix);
    require(removed.find_first_of("\r\n") == std::string_view::npos,
            "a write removed a line break");
    require(removed.empty() ? std::count(added.begin(), added.end(), '\n') <= 3
                            : added.find_first_of("\r\n") == std::string_view::npos,
            "a write changed more than one line");

    // Every name the text mentions, roughly (after a '[' a section, before a
    // '=' a key), reads as before unless it finds the value in `alone`.
    std::vector<std::string_view> sections{section}, keys{key};
    for (std::string_view lines = text; !lines.empty() && sections.size() + keys.size() < 20;) {
        const std::string_view l = line(lines);
        if (const std::size_t open = l.find('['); open != std::string_view::npos) {
            sections.push_back(l.substr(open + 1, l.find(']', open) - open - 1));
        } else {
            keys.push_back(l.substr(0, l.find('=')));
        }
    }
    for (const std::string_view s : sections) {
        for (const std::string_view k : keys) {
            require(ini::readValue(alone, s, k) ||
                        ini::readValue(written, s, k) == ini::readValue(text, s, k),
                    "a write changed another entry");
        }
    }
    return 0;
}
