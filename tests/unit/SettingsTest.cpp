// Text to number, INI text as Windows reads it, and the settings file on disk.
#include <cmath>

#include "common/Number.h"
#include "settings/IniText.h"
#include "settings/SettingsFile.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using namespace std::string_literals;

TEST(Number, LeadingDecimalTruncatedTowardZeroSaturatedAndZeroForAnythingElse) {
    const std::string nines(400, '9');
    // clang-format off
    const std::pair<std::string, std::int32_t> kInts[] = {
        {"23", 23}, {"2.9", 2}, {"-2.9", -2}, {" \t7", 7}, {"+5", 5}, {"12abc", 12}, {".5", 0},
        {"", 0}, {"-", 0}, {"nan", 0}, {"inf", 0}, {"0x1F", 0}, {"1e999", 1},
        {"2147483646.9", 2147483646},
        {nines, 2147483647}, {"-" + nines, -2147483647 - 1}};
    // clang-format on
    for (const auto& [text, value] : kInts) {
        EXPECT_EQ(textToInt(text), value) << text;
    }
    const std::pair<const char*, double> kNumbers[] = {{" -0.25x", -0.25}, {"0x1F", 0}, {"2 5", 2}};
    for (const auto& [text, value] : kNumbers) {
        EXPECT_EQ(textToNumber(text), value) << text;
    }
    EXPECT_TRUE(std::isfinite(textToNumber(nines)));
}

// GBK: 癆 and 癮 differ only in a trail byte that is an ASCII letter; the
// trail byte of 乚 is ']'.
const std::string kGuanJi = "\xB9\xD8\xBB\xFA", kShi = "\xCA\xC7", kLao = "\xB0\x41";
const std::string kYin = "\xB0\x61", kYi = "\x81\x5D", kBom = "\xEF\xBB\xBF";
const std::optional<std::string> kNone;

TEST(IniText, ReadsWhatWindowsAndPeopleWrite) {
    const std::tuple<std::string, std::string, std::string, std::optional<std::string>> kReads[] = {
        {"[a]\rk=v\r", "a", "k", "v"},
        {"[a]\r\r\nk=v", "a", "k", "v"},
        {" [a] \r\n \t k \t= x  y \v\f\x1A\n", "a", "k", "x  y"},
        {"[a]\nk=\xA1\xA1v\xA1\xA1", "a", "k", "v"},
        {kBom + "[a]\nk=\xE3\x80\x80v\xE3\x80\x80\n", "a", "k", "v"},
        {kBom + "[a]\nj=\xA1\xA1w\n", "a", "j", "\xA1\xA1w"},
        {"[SeC]\nKeY=v\n", " sEc ", "\tkEy", "v"},
        {"[" + kGuanJi + "]\n" + kShi + "=1\n", kGuanJi, kShi, "1"},
        {"[" + kLao + "]\nk=v\n", kYin, "k", kNone},
        {"[a]\n" + kLao + "=v\n", "a", kYin, kNone},
        {"[" + kYi + "x]\nk=v\n", kYi + "x", "k", "v"},
        {"[a\x80]x]\nk=v\n", "a\x80", "k", "v"},
        {"[a]b]\nk=v\n", "a]b", "k", kNone},
        {"[ \ta \nk=v\n", "a", "k", "v"},
        {"; [a]\n[a]\n;k=x\n  ; k=y\nk=v\n", "a", "k", "v"},
        {"k=top\n[a]\nj=1\n", "a", "k", kNone},
        {"[a]\nk=x=y\n", "a", "k", "x=y"},
        {"[a]\nk =   \n", "a", "k", ""},
        {"[a]\nk\nk=v\n", "a", "k", kNone},
        {"[a]\nk=\" v \"\n", "a", "k", " v "},
        {"[a]\nk='v\"\n", "a", "k", "'v\""},
        {"[a]\nk=1\nk=2\n[b]\nk=3\n", "a", "k", "1"},
        {"[a]\nx=1\n[b]\nk=2\n[a]\nk=3\n", "a", "k", kNone},
        {"[a]\nk=v\n", " ", "k", kNone},
        {"[a]\nk\0x='v'\0junk\n"s, "a", "k", "v"},
        {"\xFF\xFE\x80\0junk\n[a]\n\x81\nk=v\n\xFF=\xFF\n"s, "a", "k", "v"}};
    for (const auto& [text, section, key, value] : kReads) {
        EXPECT_EQ(ini::readValue(text, section, key), value) << text;
    }
}

// A write changes one value in place, or adds one line or one section.
TEST(IniText, WritesOneValueAndKeepsEveryOtherByte) {
    const std::tuple<std::string, std::string, std::string, std::string> kWrites[] = {
        {"", " s ", " k ", "[s]\r\nk=v\r\n"},
        {"[a]\nx=1", "s", "k", "[a]\nx=1\r\n[s]\r\nk=v\r\n"},
        {"[a]\rx=1\r", "s", "k", "[a]\rx=1\r[s]\r\nk=v\r\n"},
        {kBom, "s", "k", kBom + "[s]\r\nk=v\r\n"},
        {"[a]\r\n  k  =  old  \r\nz=1\n", "a", "k", "[a]\r\n  k  =  v  \r\nz=1\n"},
        {"[a]\nk=\"old\"\0junk\n"s, "A", "K", "[a]\nk=v\n"},
        {"[a]\nk\n", "a", "k", "[a]\nk=v\n"},
        {"[a]\nk=1\nk=2\n[a]\nk=3\n", "a", "k", "[a]\nk=v\nk=2\n[a]\nk=3\n"},
        {"[a]\r\nx=1\r\n\r\n; b\r\n[b]\r\n", "a", "k", "[a]\r\nx=1\r\nk=v\r\n\r\n; b\r\n[b]\r\n"},
        {"[a]", "a", "k", "[a]\r\nk=v\r\n"},
        {"k=top\n", "a", "k", "k=top\n[a]\r\nk=v\r\n"},
        {"\xFF\0\x81\n[a]\n\xA1\nk=1\n\xFE\n"s, "a", "k", "\xFF\0\x81\n[a]\n\xA1\nk=v\n\xFE\n"s},
        {"[" + kLao + "]\n", kYin, "k", "[" + kLao + "]\n[" + kYin + "]\r\nk=v\r\n"},
        {"[a]\n", " ", "k", "[a]\n"},
        {"[a]\n", "a", "", "[a]\n"}};
    for (const auto& [text, section, key, expected] : kWrites) {
        const std::string written = ini::writeValue(text, section, key, "v");
        EXPECT_EQ(written, expected) << text;
        EXPECT_EQ(ini::readValue(written, section, key), written == text ? kNone : "v");
    }
}

class SettingsFileTest : public ::testing::Test {
protected:
    testing::FakePlatform fake;
    SettingsFile settings{fake};
    std::string& bytes() { return fake.files[settings.path()].bytes; }
};

TEST_F(SettingsFileTest, GbkBesideTheExeWrittenUnderTheLockAndOnlyWhenChanged) {
    EXPECT_EQ(settings.path(), "C:\\Program Files\\Varnel\\关机时间.ini");
    fake.setSettings("; 我的\r\n[强行关机]\r\n  是 = 假  \r\n备注=留着\r\n\r\n[关机时间]\n小时=22");
    EXPECT_FALSE(settings.readOption("强行关机"));
    settings.writeOption("强行关机", true);
    settings.writeSetting("关机时间", "分钟", "30");
    settings.writeSetting("关机时间", "分钟", "30");
    EXPECT_EQ(bytes(), fake.gbkFromUtf8("; 我的\r\n[强行关机]\r\n  是 = 真  \r\n备注=留着\r\n\r\n"
                                        "[关机时间]\n小时=22\r\n分钟=30\r\n"));
    EXPECT_EQ(settings.readInt("关机时间", "分钟"), 30);
    EXPECT_EQ(fake.files[settings.path()].writes, 2);
    EXPECT_EQ(fake.files[settings.path()].unlockedWrites, 0);
    fake.exeDir = "D:\\moved";  // the path follows the executable
    EXPECT_EQ(settings.readSetting("关机时间", "小时", "none"), "none");
}

TEST_F(SettingsFileTest, AnOptionIsOnOnlyForExactlyTrue) {
    const std::pair<const char*, bool> kValues[] = {{"真", true},    {" \"真\" ", true},
                                                    {"假", false},   {"是", false},
                                                    {"真真", false}, {"", false}};
    for (const auto& [value, on] : kValues) {
        fake.setSettings("[隐藏启动]\r\n是=" + std::string(value) + "\r\n否=真\r\n");
        EXPECT_EQ(settings.readOption("隐藏启动"), on) << value;
    }
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
    const std::u16string rest = u"\r\n; \xDC00\xD800\r\n[关机时间]\r\n备注=\u07D0\U00020000\r\n";
    bytes() = utf16(u"[强行关机]\r\n是=假" + rest) + "A";
    EXPECT_EQ(settings.readSetting("关机时间", "备注"), "\xDF\x90\xF0\xA0\x80\x80");
    settings.writeOption("强行关机", true);
    settings.writeSetting("关机时间", "分钟", "5");
    EXPECT_EQ(bytes(), utf16(u"[强行关机]\r\n是=真" + rest + u"分钟=5\r\n") + "A");
}

// A refused write leaves the file as it was, and the next read returns the old value.
TEST(SettingsFileRefusal, ARefusedWriteChangesNothing) {
    const std::tuple<std::uint32_t, bool, bool, const char*> kRefusals[] = {
        {kAttrReadOnly, false, false, "22"},
        {kAttrArchive, true, false, "22"},
        {0, true, false, "none"},
        {kAttrDirectory, false, false, "none"},
        {kAttrArchive, false, true, "none"}};
    for (const auto& [attributes, diskFull, unreadable, after] : kRefusals) {
        testing::FakePlatform fake;
        SettingsFile settings{fake};
        if (attributes != 0) {  // 0: no file
            fake.setSettings("[关机时间]\r\n小时=22\r\n");
            fake.files[settings.path()].attributes = attributes;
        }
        if (diskFull) {
            fake.unwritable.insert(fake.exeDir);
        }
        if (unreadable) {
            fake.unreadable.insert(settings.path());
        }
        const auto before = fake.files;
        settings.writeSetting("关机时间", "小时", "23");
        EXPECT_TRUE(fake.files == before);
        EXPECT_EQ(settings.readSetting("关机时间", "小时", "none"), after);
    }
}

}  // namespace
}  // namespace varnel
