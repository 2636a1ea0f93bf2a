#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/IniText.h"

namespace varnel::ini {
namespace {

using namespace std::string_literals;

// GBK bytes used below. 癆 and 癮 differ only in a trail byte that is an
// ASCII letter in either case; the trail byte of 乚 is ']'.
const std::string kGuanJi = "\xB9\xD8\xBB\xFA";  // 关机
const std::string kShi = "\xCA\xC7";             // 是
const std::string kZhen = "\xD5\xE6";            // 真
const std::string kLao = "\xB0\x41";             // 癆
const std::string kYin = "\xB0\x61";             // 癮
const std::string kYi = "\x81\x5D";              // 乚
const std::string kIdeographicSpace = "\xA1\xA1";
const std::string kBom = "\xEF\xBB\xBF";

struct ReadCase {
    const char* what;
    std::string text;
    std::string section;
    std::string key;
    std::optional<std::string> value;
};

const ReadCase kReadCases[] = {
    {"CRLF", "[a]\r\nk=v\r\n", "a", "k", "v"},
    {"LF", "[a]\nk=v\n", "a", "k", "v"},
    {"lone CR", "[a]\rk=v\r", "a", "k", "v"},
    {"CR CR LF", "[a]\r\r\nk=v\r\n", "a", "k", "v"},
    {"no final line break", "[a]\nk=v", "a", "k", "v"},
    {"blanks around lines, names and values", "  [a]  \r\n \t k \t=  v  \r\n", "a", "k", "v"},
    {"blanks inside a value stay", "[a]\nk= x  y \n", "a", "k", "x  y"},
    {"ideographic spaces are blanks", "[a]\nk=" + kIdeographicSpace + "v" + kIdeographicSpace, "a",
     "k", "v"},
    {"^Z is a blank", "[a]\nk=v\x1A", "a", "k", "v"},
    {"ASCII names ignore case", "[SeC]\nKeY=v\n", "sEc", "kEy", "v"},
    {"wanted names are trimmed", "[a]\nk=v\n", " a ", "\tk ", "v"},
    {"GBK names", "[" + kGuanJi + "]\n" + kShi + "=" + kZhen + "\n", kGuanJi, kShi, kZhen},
    {"GBK section names are byte-exact", "[" + kLao + "]\nk=v\n", kYin, "k", std::nullopt},
    {"GBK key names are byte-exact", "[a]\n" + kLao + "=v\n", "a", kYin, std::nullopt},
    {"a ']' trail byte ends no section name", "[" + kYi + "x]\nk=v\n", kYi + "x", "k", "v"},
    {"a ']' trail byte inside a name", "[" + kYi + "]\nk=v\n", kYi, "k", "v"},
    {"the name ends at the first ']'", "[a]b]\nk=v\n", "a", "k", "v"},
    {"no name holds a ']'", "[a]b]\nk=v\n", "a]b", "k", std::nullopt},
    {"text after the closing bracket is ignored", "[a]k=x ; about a\nk=v\n", "a", "k", "v"},
    {"blanks inside the brackets", "[ \ta ]\nk=v\n", "a", "k", "v"},
    {"a section without its closing bracket", "[a  \nk=v\n", "a", "k", "v"},
    {"comment lines", "; [a]\n[a]\n;k=x\n  ; k=y\nk=v\n", "a", "k", "v"},
    {"a commented key is no key", "[a]\n;k=x\n", "a", ";k", std::nullopt},
    {"keys before the first section belong to none", "k=top\n[a]\nj=1\n", "a", "k", std::nullopt},
    {"a first line without a section", "k=top\n[a]\nk=v\n", "a", "k", "v"},
    {"UTF-8 byte-order mark", kBom + "[a]\r\nk=v\r\n", "a", "k", "v"},
    {"value holding '='", "[a]\nk=x=y\n", "a", "k", "x=y"},
    {"empty value is present", "[a]\nk=\n", "a", "k", ""},
    {"blank value is present", "[a]\nk =   \n", "a", "k", ""},
    {"key without '=' reads missing", "[a]\nk\nk=v\n", "a", "k", std::nullopt},
    {"double quotes are stripped", "[a]\nk=\" v \"\n", "a", "k", " v "},
    {"single quotes are stripped", "[a]\nk='v'\n", "a", "k", "v"},
    {"empty quotes", "[a]\nk=\"\"\n", "a", "k", ""},
    {"a lone quote stays", "[a]\nk=\"\n", "a", "k", "\""},
    {"unmatched quotes stay", "[a]\nk=\"v'\n", "a", "k", "\"v'"},
    {"an inner quote stays", "[a]\nk=v\"\n", "a", "k", "v\""},
    {"first of duplicate keys", "[a]\nk=1\nk=2\n", "a", "k", "1"},
    {"first of duplicate sections", "[a]\nk=1\n[b]\nk=2\n[a]\nk=3\n", "a", "k", "1"},
    {"a later duplicate section is not searched", "[a]\nx=1\n[a]\nk=3\n", "a", "k", std::nullopt},
    {"other sections' keys", "[b]\nk=x\n[a]\nk=v\n[c]\nk=y\n", "a", "k", "v"},
    {"missing section", "[a]\nk=v\n", "b", "k", std::nullopt},
    {"missing key", "[a]\nk=v\n", "a", "j", std::nullopt},
    {"empty text", "", "a", "k", std::nullopt},
    {"blank wanted names", "[a]\nk=v\n", " ", "k", std::nullopt},
    {"an empty section name never matches", "[]\nk=v\n", "", "k", std::nullopt},
    {"a value ends at NUL", "[a]\nk=v\0junk\n"s, "a", "k", "v"},
    {"a key name ends at NUL", "[a]\nk\0x=v\n"s, "a", "k", "v"},
    {"quotes before a NUL", "[a]\nk='v'\0'\n"s, "a", "k", "v"},
    {"binary junk around", "\xFF\xFE\x80\0junk\n[a]\n\x81\nk=v\n\xFF=\xFF\n"s, "a", "k", "v"},
    {"thousands of characters", "[a]\nk=" + std::string(5000, 'x') + "\n", "a", "k",
     std::string(5000, 'x')},
};

TEST(IniRead, ReadsWhatWindowsAndPeopleWrite) {
    for (const ReadCase& c : kReadCases) {
        EXPECT_EQ(readValue(c.text, c.section, c.key), c.value) << c.what;
    }
}

TEST(IniRead, UsesTheEncodingOfTheFile) {
    EXPECT_EQ(encodingOf(""), Encoding::Gbk);
    EXPECT_EQ(encodingOf("[" + kGuanJi + "]"), Encoding::Gbk);
    EXPECT_EQ(encodingOf(kBom + "[a]"), Encoding::Utf8);
    // In UTF-8 the ideographic space is E3 80 80, and A1 A1 is no character.
    const std::string utf8 = kBom + "[a]\nk=\xE3\x80\x80v\xE3\x80\x80\nj=\xA1\xA1w\n";
    EXPECT_EQ(readValue(utf8, "a", "k"), "v");
    EXPECT_EQ(readValue(utf8, "a", "j"), "\xA1\xA1w");
}

struct WriteCase {
    const char* what;
    std::string text;
    std::string section;
    std::string key;
    std::string value;
    std::string expected;
};

const WriteCase kWriteCases[] = {
    {"a new file", "", "s", "k", "v", "[s]\r\nk=v\r\n"},
    {"a new section goes at the end", "[a]\r\nx=1\r\n", "s", "k", "v",
     "[a]\r\nx=1\r\n[s]\r\nk=v\r\n"},
    {"a line break is added first", "[a]\nx=1", "s", "k", "v", "[a]\nx=1\r\n[s]\r\nk=v\r\n"},
    {"after a lone CR", "[a]\rx=1\r", "s", "k", "v", "[a]\rx=1\r[s]\r\nk=v\r\n"},
    {"a file holding only a byte-order mark", kBom, "s", "k", "v", kBom + "[s]\r\nk=v\r\n"},
    {"a value is replaced where it stands", "; c\r\n[a]\r\n  k  =  old  \r\nz=1\n", "a", "k", "new",
     "; c\r\n[a]\r\n  k  =  new  \r\nz=1\n"},
    {"an empty value", "[a]\nk=\n", "a", "k", "v", "[a]\nk=v\n"},
    {"a blank value", "[a]\nk =  \n", "a", "k", "v", "[a]\nk =v  \n"},
    {"a quoted value", "[a]\nk=\"old\"\n", "a", "k", "v", "[a]\nk=v\n"},
    {"a value cut by NUL", "[a]\nk=old\0junk\n"s, "a", "k", "v", "[a]\nk=v\n"},
    {"a key without '='", "[a]\nk\n", "a", "k", "v", "[a]\nk=v\n"},
    {"names matched ignoring case", "[SEC]\nKEY=1\n", "sec", "key", "2", "[SEC]\nKEY=2\n"},
    {"the first of duplicate keys", "[a]\nk=1\nk=2\n[a]\nk=3\n", "a", "k", "9",
     "[a]\nk=9\nk=2\n[a]\nk=3\n"},
    {"a new key goes to the first of duplicate sections", "[a]\nx=1\n[b]\n[a]\nk=3\n", "a", "k",
     "v", "[a]\nx=1\nk=v\r\n[b]\n[a]\nk=3\n"},
    {"a new key goes after the section's last line", "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n", "a", "k",
     "v", "[a]\r\nx=1\r\nk=v\r\n\r\n[b]\r\ny=2\r\n"},
    {"a new key after a header", "[a]\n\n[b]\n", "a", "k", "v", "[a]\nk=v\r\n\n[b]\n"},
    {"a new key after a header without line break", "[a]", "a", "k", "v", "[a]\r\nk=v\r\n"},
    {"a new key after a last line without break", "[a]\nx=1", "a", "k", "v", "[a]\nx=1\r\nk=v\r\n"},
    {"a key before the first section is another key", "k=top\n", "a", "k", "v",
     "k=top\n[a]\r\nk=v\r\n"},
    {"a value is written as given", "", "s", "k", " \tv ", "[s]\r\nk= \tv \r\n"},
    {"a new key goes before a comment that ends the section", "[a]\nx=1\n; about b\n[b]\n", "a",
     "k", "v", "[a]\nx=1\nk=v\r\n; about b\n[b]\n"},
    {"a section without its closing bracket", "[a\nx=1\n", "a", "k", "v", "[a\nx=1\nk=v\r\n"},
    {"wanted names are trimmed", "", " s ", " k ", "v", "[s]\r\nk=v\r\n"},
    {"junk around is kept", "\xFF\0\x81\n[a]\n\xA1\nk=1\n\xFE\n"s, "a", "k", "2",
     "\xFF\0\x81\n[a]\n\xA1\nk=2\n\xFE\n"s},
    {"GBK names", "[" + kLao + "]\n" + kShi + "=1\n", kYin, kShi, "2",
     "[" + kLao + "]\n" + kShi + "=1\n[" + kYin + "]\r\n" + kShi + "=2\r\n"},
    {"a blank section name", "[a]\n", " ", "k", "v", "[a]\n"},
    {"a blank key name", "[a]\n", "a", "", "v", "[a]\n"},
    {"the same value", "[a]\n k = v \n", "a", "k", "v", "[a]\n k = v \n"},
    {"long values survive", "[a]\r\nj=" + std::string(5000, 'x') + "\r\nk=1\r\n", "a", "k",
     std::string(5000, 'y'),
     "[a]\r\nj=" + std::string(5000, 'x') + "\r\nk=" + std::string(5000, 'y') + "\r\n"},
};

TEST(IniWrite, ChangesOneValueAndKeepsEveryOtherByte) {
    for (const WriteCase& c : kWriteCases) {
        const std::string written = writeValue(c.text, c.section, c.key, c.value);
        EXPECT_EQ(written, c.expected) << c.what;
    }
}

TEST(IniWrite, WhatIsWrittenReadsBack) {
    for (const WriteCase& c : kWriteCases) {
        const std::string written = writeValue(c.text, c.section, c.key, c.value);
        if (written == c.text) {
            continue;  // nothing written
        }
        const std::size_t first = c.value.find_first_not_of(" \t");
        const std::size_t last = c.value.find_last_not_of(" \t");
        EXPECT_EQ(readValue(written, c.section, c.key), c.value.substr(first, last - first + 1))
            << c.what;
    }
}

}  // namespace
}  // namespace varnel::ini
