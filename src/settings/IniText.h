// INI text on raw bytes, read the way GetPrivateProfileStringA reads it and
// written by editing the text in place: a write changes one value (or adds
// one line, or one section at the end) and keeps every other byte.
//
// Names and values are passed in the text's own encoding (GBK, or UTF-8 after
// a UTF-8 byte-order mark); the caller converts.
//
// Reading rules, as Windows' profile functions apply them:
// - a line break is LF, CRLF or a lone CR; blanks around lines, names and
//   values are ignored (space, tab, CR, ^Z and the ideographic space);
// - a line beginning with ';' is a comment;
// - a line beginning with '[' opens a section named by the text up to the
//   first ']' (or the line end); text after the ']' is ignored;
// - every other non-blank line is a key: the name up to the first '=', the
//   value after it; a line without '=' is a key without a value, which reads
//   as missing; lines before the first section belong to no section;
// - names match ignoring the case of ASCII letters; other characters must be
//   the same bytes;
// - the first section of a name and the first key of a name in it win; keys in
//   a later section of the same name are not seen;
// - a value enclosed in a pair of matching quotes (" or ') loses them;
// - names and values end at a NUL byte, as C strings do.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnel::ini {

enum class Encoding { Gbk, Utf8 };

// UTF-8 when the text begins with a UTF-8 byte-order mark, otherwise GBK.
Encoding encodingOf(std::string_view text);

// The value of `key` in the first section named `section`; nullopt when the
// section or key is missing or the key has no '='.
std::optional<std::string> readValue(std::string_view text, std::string_view section,
                                     std::string_view key);

// The text with `key` of `section` set to `value`, written as given: an
// existing value is replaced where it stands, a new key goes after the last key
// of the section, a new section is appended at the end. New lines end in CRLF.
// A blank section or key name leaves the text as it is.
std::string writeValue(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view value);

}  // namespace varnel::ini
