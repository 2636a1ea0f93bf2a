#include "settings/IniText.h"

#include <cstddef>

namespace varnel::ini {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kNewLine = "\r\n";

unsigned byteAt(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// The byte length of the character at `i`. Bytes that form no character of the
// encoding count as one character each, so damaged text still scans.
std::size_t charLength(std::string_view s, std::size_t i, Encoding encoding) {
    const unsigned lead = byteAt(s, i);
    if (lead < 0x80) {
        return 1;
    }
    if (encoding == Encoding::Gbk) {
        // A GBK trail byte may be an ASCII letter or ']', so names and
        // brackets are only ever looked for at character starts.
        const bool pair = lead >= 0x81 && lead <= 0xFE && i + 1 < s.size() &&
                          byteAt(s, i + 1) >= 0x40 && byteAt(s, i + 1) <= 0xFE &&
                          byteAt(s, i + 1) != 0x7F;
        return pair ? 2 : 1;
    }
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 1;
    if (i + length > s.size()) {
        return 1;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byteAt(s, i + k) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

// Whether the character of `length` bytes at `i` is a blank.
bool isBlank(std::string_view s, std::size_t i, std::size_t length, Encoding encoding) {
    if (length == 1) {
        // CR and ^Z (an old end-of-file mark) are blanks to Windows too.
        const char c = s[i];
        return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' ||
               c == '\x1A';
    }
    const std::string_view ideographicSpace =
        encoding == Encoding::Gbk ? "\xA1\xA1" : "\xE3\x80\x80";
    return s.substr(i, length) == ideographicSpace;
}

struct Range {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// [from, to) of `s` without blanks at either end; empty at `from` when all blank.
Range withoutBlanks(std::string_view s, std::size_t from, std::size_t to, Encoding encoding) {
    Range range{from, from};
    bool found = false;
    for (std::size_t i = from, n = 0; i < to; i += n) {
        n = charLength(s, i, encoding);
        if (!isBlank(s, i, n, encoding)) {
            range.begin = found ? range.begin : i;
            range.end = i + n;
            found = true;
        }
    }
    return range;
}

std::string_view trimmed(std::string_view s, Encoding encoding) {
    const Range range = withoutBlanks(s, 0, s.size(), encoding);
    return s.substr(range.begin, range.end - range.begin);
}

// The first `c` at a character start in [from, to), or `to`.
std::size_t findChar(std::string_view s, std::size_t from, std::size_t to, char c,
                     Encoding encoding) {
    for (std::size_t i = from, n = 0; i < to; i += n) {
        n = charLength(s, i, encoding);
        if (n == 1 && s[i] == c) {
            return i;
        }
    }
    return to;
}

std::string_view untilNul(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view stored, std::string_view wanted, Encoding encoding) {
    if (stored.size() != wanted.size()) {
        return false;
    }
    for (std::size_t i = 0, n = 0; i < stored.size(); i += n) {
        n = charLength(stored, i, encoding);
        const bool same = n == 1 ? asciiLower(stored[i]) == asciiLower(wanted[i])
                                 : stored.substr(i, n) == wanted.substr(i, n);
        if (!same) {
            return false;
        }
    }
    return true;
}

struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;   // before the line break
    std::size_t next = 0;  // after the line break
};

Line lineAt(std::string_view text, std::size_t begin) {
    std::size_t end = begin;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') {
        ++end;
    }
    if (end == text.size()) {
        return {begin, end, end};
    }
    std::size_t next = end + 1;
    if (text[end] == '\r' && next < text.size() && text[next] == '\n') {
        ++next;
    }
    return {begin, end, next};
}

enum class LineKind { Blank, Comment, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    std::string_view name;
    bool hasValue = false;
    Range value;  // the value's bytes as written, blanks excluded
};

ParsedLine parse(std::string_view text, const Line& line, Encoding encoding) {
    const std::string_view body = text.substr(0, line.end);
    const Range content = withoutBlanks(body, line.begin, line.end, encoding);
    ParsedLine parsed;
    if (content.begin == content.end) {
        return parsed;
    }
    const std::size_t first = content.begin;
    if (body[first] == ';') {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    const auto name = [&](std::size_t from, std::size_t to) {
        const Range range = withoutBlanks(body, from, to, encoding);
        return untilNul(body.substr(range.begin, range.end - range.begin));
    };
    if (body[first] == '[') {
        // The name ends at the first ']' or at the line end; text after it is ignored.
        parsed.kind = LineKind::Section;
        parsed.name = name(first + 1, findChar(body, first + 1, content.end, ']', encoding));
        return parsed;
    }
    parsed.kind = LineKind::Key;
    const std::size_t equals = findChar(body, first, content.end, '=', encoding);
    parsed.name = name(first, equals);
    if (equals == content.end) {
        // A key without a value; a value written to it goes after the name.
        parsed.value = {content.end, content.end};
        return parsed;
    }
    parsed.hasValue = true;
    // The line's trailing blanks are already off: only the leading ones remain.
    std::size_t valueBegin = equals + 1;
    for (std::size_t n = 0; valueBegin < content.end; valueBegin += n) {
        n = charLength(body, valueBegin, encoding);
        if (!isBlank(body, valueBegin, n, encoding)) {
            break;
        }
    }
    parsed.value = {valueBegin, content.end};
    return parsed;
}

// Whether the line may be a section header: its first non-blank is '['.
bool opensSection(std::string_view text, const Line& line, Encoding encoding) {
    const std::string_view body = text.substr(0, line.end);
    for (std::size_t i = line.begin, n = 0; i < line.end; i += n) {
        n = charLength(body, i, encoding);
        if (!isBlank(body, i, n, encoding)) {
            return body[i] == '[';
        }
    }
    return false;
}

struct Search {
    bool sectionFound = false;
    Line lastLineOfSection;  // the header or its last key
    bool keyFound = false;
    ParsedLine key;
};

// One pass up to the key, or to the end of the first section of the name.
Search search(std::string_view text, std::string_view section, std::string_view key,
              Encoding encoding) {
    Search found;
    bool inSection = false;
    for (std::size_t pos = text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0; pos < text.size();) {
        const Line line = lineAt(text, pos);
        pos = line.next;
        if (!inSection && !opensSection(text, line, encoding)) {
            continue;  // blank, or a key of another section
        }
        const ParsedLine parsed = parse(text, line, encoding);
        if (parsed.kind == LineKind::Blank || parsed.kind == LineKind::Comment) {
            continue;
        }
        if (parsed.kind == LineKind::Section) {
            if (found.sectionFound) {
                break;
            }
            inSection = sameName(parsed.name, section, encoding);
            found.sectionFound = inSection;
            found.lastLineOfSection = line;
            continue;
        }
        if (!inSection) {
            continue;
        }
        found.lastLineOfSection = line;
        if (sameName(parsed.name, key, encoding)) {
            found.keyFound = true;
            found.key = parsed;
            break;
        }
    }
    return found;
}

std::string spliced(std::string_view text, std::size_t from, std::size_t to,
                    std::string_view insert) {
    std::string out;
    out.reserve(text.size() - (to - from) + insert.size());
    out.append(text.substr(0, from)).append(insert).append(text.substr(to));
    return out;
}

bool endsWithLineBreak(std::string_view text) {
    return text.ends_with('\n') || text.ends_with('\r');
}

}  // namespace

Encoding encodingOf(std::string_view text) {
    return text.starts_with(kUtf8Bom) ? Encoding::Utf8 : Encoding::Gbk;
}

std::optional<std::string> readValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
    const Encoding encoding = encodingOf(text);
    section = trimmed(section, encoding);
    key = trimmed(key, encoding);
    if (section.empty() || key.empty()) {
        return std::nullopt;
    }
    const Search found = search(text, section, key, encoding);
    if (!found.keyFound || !found.key.hasValue) {
        return std::nullopt;
    }
    const Range range = found.key.value;
    std::string_view value = untilNul(text.substr(range.begin, range.end - range.begin));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::string writeValue(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view value) {
    const Encoding encoding = encodingOf(text);
    section = trimmed(section, encoding);
    key = trimmed(key, encoding);
    if (section.empty() || key.empty()) {
        return std::string(text);
    }
    const Search found = search(text, section, key, encoding);
    if (found.keyFound) {
        const std::string insert =
            found.key.hasValue ? std::string(value) : "=" + std::string(value);
        return spliced(text, found.key.value.begin, found.key.value.end, insert);
    }
    std::string lines;
    std::size_t at = text.size();
    bool needsBreak = text.size() > (encoding == Encoding::Utf8 ? kUtf8Bom.size() : 0) &&
                      !endsWithLineBreak(text);
    if (found.sectionFound) {
        at = found.lastLineOfSection.next;
        needsBreak = found.lastLineOfSection.next == found.lastLineOfSection.end;
    }
    if (needsBreak) {
        lines.append(kNewLine);
    }
    if (!found.sectionFound) {
        lines.append("[").append(section).append("]").append(kNewLine);
    }
    lines.append(key).append("=").append(value).append(kNewLine);
    return spliced(text, at, at, lines);
}

}  // namespace varnel::ini
