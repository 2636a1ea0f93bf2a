// Text to number, INI text as Windows reads it, and the settings file on disk.
#include <cmath>

#include "common/Number.h"
#include "settings/IniText.h"
#include "settings/SettingsFile.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using namespace std::string_literals;
using testing::FakePlatform;

TEST(Number, LeadingDecimalTruncatedTowardZeroSaturatedAndZeroForAnythingElse) {
    const std::string nines(400, '9');
    const std::pair<std::string, std::int32_t> cases[] = {{"23", 23},
                                                          {"2.9", 2},
                                                          {"-2.9", -2},
                                                          {" \t7", 7},
                                                          {"+5", 5},
                                                          {"12abc", 12},
                                                          {".5", 0},
                                                          {"", 0},
                                                          {"abc", 0},
                                                          {"-", 0},
                                                          {"nan", 0},
                                                          {"inf", 0},
                                                          {"0x1F", 0},
                                                          {"1e999", 1},
                                                          {"2147483646.9", 2147483646},
                                                          {nines, 2147483647},
                                                          {"-" + nines, -2147483647 - 1},
                                                          {"-2147483648", -2147483647 - 1}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(textToInt(text), value) << text;
    }
    EXPECT_DOUBLE_EQ(textToNumber(" -0.25x"), -0.25);
    EXPECT_TRUE(std::isfinite(textToNumber(nines)));
}

// GBK: 癆 and 癮 differ only in a trail byte that is an ASCII letter; the
// trail byte of 乚 is ']'.
const std::string kGuanJi = "\xB9\xD8\xBB\xFA", kShi = "\xCA\xC7", kLao = "\xB0\x41";
const std::string kYin = "\xB0\x61", kYi = "\x81\x5D", kBom = "\xEF\xBB\xBF";

struct ReadCase {
    std::string text, section, key;
    std::optional<std::string> value;
};

TEST(IniText, ReadsWhatWindowsAndPeopleWrite) {
    const std::optional<std::string> none;
    const ReadCase cases[] = {
        {"[a]\r\nk=v\r\n", "a", "k", "v"},
        {"[a]\rk=v\r", "a", "k", "v"},
        {"[a]\r\r\nk=v", "a", "k", "v"},
        {"  [a]  \r\n \t k \t=  x  y \x1A\n", "a", "k", "x  y"},
        {"[a]\nk=\xA1\xA1v\xA1\xA1", "a", "k", "v"},
        {kBom + "[a]\nk=\xE3\x80\x80v\xE3\x80\x80\nj=\xA1\xA1w\n", "a", "k", "v"},
        {kBom + "[a]\nj=\xA1\xA1w\n", "a", "j", "\xA1\xA1w"},
        {"[SeC]\nKeY=v\n", " sEc ", "\tkEy", "v"},
        {"[" + kGuanJi + "]\n" + kShi + "=1\n", kGuanJi, kShi, "1"},
        {"[" + kLao + "]\nk=v\n", kYin, "k", none},
        {"[a]\n" + kLao + "=v\n", "a", kYin, none},
        {"[" + kYi + "x]\nk=v\n", kYi + "x", "k", "v"},
        {"[a]b]\nk=v\n", "a", "k", "v"},
        {"[a]b]\nk=v\n", "a]b", "k", none},
        {"[ \ta \nk=v\n", "a", "k", "v"},
        {"; [a]\n[a]\n;k=x\n  ; k=y\nk=v\n", "a", "k", "v"},
        {"[a]\n;k=x\n", "a", ";k", none},
        {"k=top\n[a]\nj=1\n", "a", "k", none},
        {"[a]\nk=x=y\n", "a", "k", "x=y"},
        {"[a]\nk =   \n", "a", "k", ""},
        {"[a]\nk\nk=v\n", "a", "k", none},
        {"[a]\nk=\" v \"\n", "a", "k", " v "},
        {"[a]\nk='v'\n", "a", "k", "v"},
        {"[a]\nk=\"\n", "a", "k", "\""},
        {"[a]\nk=\"v'\n", "a", "k", "\"v'"},
        {"[a]\nk=1\nk=2\n[b]\nk=3\n", "a", "k", "1"},
        {"[a]\nx=1\n[b]\nk=2\n[a]\nk=3\n", "a", "k", none},
        {"[a]\nk=v\n", "b", "k", none},
        {"[a]\nk=v\n", " ", "k", none},
        {"[]\nk=v\n", "", "k", none},
        {"[a]\nk\0x='v'\0junk\n"s, "a", "k", "v"},
        {"\xFF\xFE\x80\0junk\n[a]\n\x81\nk=v\n\xFF=\xFF\n"s, "a", "k", "v"},
    };
    for (const ReadCase& c : cases) {
        EXPECT_EQ(ini::readValue(c.text, c.section, c.key), c.value) << c.text;
    }
}

struct WriteCase {
    std::string text, section, key, value, expected;
};

// A write changes one value in place, or adds one line or one section.
TEST(IniText, WritesOneValueAndKeepsEveryOtherByte) {
    const WriteCase cases[] = {
        {"", " s ", " k ", " \tv ", "[s]\r\nk= \tv \r\n"},
        {"[a]\nx=1", "s", "k", "v", "[a]\nx=1\r\n[s]\r\nk=v\r\n"},
        {"[a]\rx=1\r", "s", "k", "v", "[a]\rx=1\r[s]\r\nk=v\r\n"},
        {kBom, "s", "k", "v", kBom + "[s]\r\nk=v\r\n"},
        {"; c\r\n[a]\r\n  k  =  old  \r\nz=1\n", "a", "k", "new",
         "; c\r\n[a]\r\n  k  =  new  \r\nz=1\n"},
        {"[a]\nk =  \n", "a", "k", "v", "[a]\nk =v  \n"},
        {"[a]\nk=\"old\"\0junk\n"s, "a", "k", "v", "[a]\nk=v\n"},
        {"[a]\nk\n", "a", "k", "v", "[a]\nk=v\n"},
        {"[SEC]\nKEY=1\n", "sec", "key", "2", "[SEC]\nKEY=2\n"},
        {"[a]\nk=1\nk=2\n[a]\nk=3\n", "a", "k", "9", "[a]\nk=9\nk=2\n[a]\nk=3\n"},
        {"[a]\nx=1\n[b]\n[a]\nk=3\n", "a", "k", "v", "[a]\nx=1\nk=v\r\n[b]\n[a]\nk=3\n"},
        {"[a]\r\nx=1\r\n\r\n; b\r\n[b]\r\n", "a", "k", "v",
         "[a]\r\nx=1\r\nk=v\r\n\r\n; b\r\n[b]\r\n"},
        {"[a]\n\n[b]\n", "a", "k", "v", "[a]\nk=v\r\n\n[b]\n"},
        {"[a]", "a", "k", "v", "[a]\r\nk=v\r\n"},
        {"k=top\n", "a", "k", "v", "k=top\n[a]\r\nk=v\r\n"},
        {"[a\nx=1\n", "a", "k", "v", "[a\nx=1\nk=v\r\n"},
        {"\xFF\0\x81\n[a]\n\xA1\nk=1\n\xFE\n"s, "a", "k", "2",
         "\xFF\0\x81\n[a]\n\xA1\nk=2\n\xFE\n"s},
        {"[" + kLao + "]\n" + kShi + "=1\n", kYin, kShi, "2",
         "[" + kLao + "]\n" + kShi + "=1\n[" + kYin + "]\r\n" + kShi + "=2\r\n"},
        {"[a]\n", " ", "k", "v", "[a]\n"},
        {"[a]\n", "a", "", "v", "[a]\n"},
    };
    for (const WriteCase& c : cases) {
        const std::string written = ini::writeValue(c.text, c.section, c.key, c.value);
        EXPECT_EQ(written, c.expected) << c.text;
        if (written != c.text) {
            EXPECT_EQ(ini::readValue(written, c.section, c.key),
                      c.value == " \tv " ? "v" : c.value);
        }
    }
}

class SettingsFileTest : public ::testing::Test {
protected:
    FakePlatform fake;
    SettingsFile settings{fake};
    std::string& bytes() { return fake.files[settings.path()].bytes; }
};

TEST_F(SettingsFileTest, GbkBesideTheExeWrittenUnderTheLockAndHandEditsKept) {
    EXPECT_EQ(settings.path(), "C:\\Program Files\\Varnel\\关机时间.ini");
    fake.setSettings("; 我的\r\n[强行关机]\r\n  是 = 假  \r\n备注=留着\r\n\r\n[关机时间]\n小时=22");
    EXPECT_FALSE(settings.readOption("强行关机"));
    settings.writeOption("强行关机", true);
    settings.writeSetting("关机时间", "分钟", "30");
    settings.writeSetting("关机时间", "分钟", "30");  // unchanged: not written again
    EXPECT_EQ(bytes(), fake.gbkFromUtf8("; 我的\r\n[强行关机]\r\n  是 = 真  \r\n备注=留着\r\n\r\n"
                                        "[关机时间]\n小时=22\r\n分钟=30\r\n"));
    EXPECT_EQ(settings.readInt("关机时间", "分钟"), 30);
    EXPECT_EQ(fake.files[settings.path()].writes, 2);
    EXPECT_EQ(fake.files[settings.path()].unlockedWrites, 0);
    fake.exeDir = "D:\\moved";  // the path follows the executable
    EXPECT_EQ(settings.readSetting("关机时间", "小时", "none"), "none");
}

TEST_F(SettingsFileTest, AnOptionIsOnOnlyForExactlyTrue) {
    for (const auto& [value, on] : {std::pair{"真", true},
                                    {" \"真\" ", true},
                                    {"假", false},
                                    {"1", false},
                                    {"是", false},
                                    {"真真", false},
                                    {"", false}}) {
        fake.setSettings("[隐藏启动]\r\n是=" + std::string(value) + "\r\n否=真\r\n");
        EXPECT_EQ(settings.readOption("隐藏启动"), on) << value;
    }
    EXPECT_EQ(settings.readSetting("隐藏启动", "别的", "2"), "2");
}

TEST_F(SettingsFileTest, AFileSavedAsUtf8OrUnicodeKeepsItsEncodingAndItsDamage) {
    bytes() = kBom + "[强行关机]\r\n是=真\r\n";
    EXPECT_TRUE(settings.readOption("强行关机"));
    settings.writeSetting("关机时间", "小时", "23");
    EXPECT_EQ(bytes(), kBom + "[强行关机]\r\n是=真\r\n[关机时间]\r\n小时=23\r\n");

    const auto utf16 = [](std::u16string_view text) {
        std::string out = "\xFF\xFE";
        for (const char16_t unit : text) {
            out += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        }
        return out;
    };
    // A low surrogate before a high one, neither paired, and an odd last byte.
    const std::u16string damaged =
        u"\r\n; \xDC00\xD800\r\n[关机时间]\r\n备注=\U00020000\r\n小时=23\r\n";
    bytes() = utf16(u"[强行关机]\r\n是=假" + damaged) + "A";
    EXPECT_EQ(settings.readSetting("关机时间", "备注"), "\xF0\xA0\x80\x80");
    settings.writeOption("强行关机", true);
    settings.writeSetting("关机时间", "分钟", "5");
    EXPECT_EQ(bytes(), utf16(u"[强行关机]\r\n是=真" + damaged + u"分钟=5\r\n") + "A");
}

// A refused write leaves the file as it was, and the next read returns the old value.
TEST(SettingsFileRefusal, ARefusedWriteChangesNothing) {
    const struct {
        std::uint32_t attributes;  // 0: no file
        bool diskFull, unreadable;
        const char* readAfter;
    } cases[] = {{kAttrReadOnly | kAttrArchive, false, false, "22"},
                 {kAttrArchive, true, false, "22"},
                 {0, true, false, "none"},
                 {kAttrDirectory, false, false, "none"},
                 {kAttrArchive, false, true, "none"}};
    for (const auto& c : cases) {
        FakePlatform fake;
        SettingsFile settings{fake};
        if (c.attributes != 0) {
            fake.setSettings("[关机时间]\r\n小时=22\r\n");
            fake.files[settings.path()].attributes = c.attributes;
        }
        if (c.diskFull) {
            fake.unwritable.insert(fake.exeDir);
        }
        if (c.unreadable) {
            fake.unreadable.insert(settings.path());
        }
        const auto before = fake.files;
        settings.writeSetting("关机时间", "小时", "23");
        settings.writeOption("强行关机", true);
        EXPECT_EQ(fake.files.size(), before.size());
        for (const auto& [name, file] : before) {
            EXPECT_EQ(fake.files[name].bytes, file.bytes);
            EXPECT_EQ(fake.files[name].attributes, file.attributes);
        }
        EXPECT_EQ(settings.readSetting("关机时间", "小时", "none"), c.readAfter);
    }
}

}  // namespace
}  // namespace varnel
