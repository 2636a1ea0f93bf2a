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
        {"2147483646.9", 2147483646}, {nines, 2147483647}, {"-" + nines, -2147483647 - 1}};
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

// Each row is what GetPrivateProfileStringA answers; tests/e2e/README.md says how to check one.
TEST(IniText, ReadsWhatWindowsAndPeopleWrite) {
    const std::tuple<std::string, std::string, std::string, std::optional<std::string>> kReads[] = {
        {"[a]\rk=v\r", "a", "k", "v"},
        {" [a] \r\n \t k \t= x  y \v\f\x1A\n", "a", "k", "x  y"},
        {"[a]\nk=\xA1\xA1v\xA1\xA1", "a", "k", "v"},
        {kBom + "[a]\nk=\xE3\x80\x80v\xE3\x80\x80\n", "a", "k", "v"},
        {kBom + "[a]\nj=\xA1\xA1w\n", "a", "j", "\xA1\xA1w"},
        {"[SeCAZ]\nKeY=v\n", " sEcaz ", "\tkEy", "v"},
        {"[" + kGuanJi + "]\n" + kShi + "=1\n", kGuanJi, kShi, "1"},
        {"[" + kLao + "]\nk=v\n", kYin, "k", kNone},
        {"[a]\n" + kLao + "=v\n", "a", kYin, kNone},
        {"[" + kYi + "\xFF]\nk=v\n", kYi + "\xFF", "k", "v"},
        {"[\x7F" + kYi + "]\nk=v\n", "\x7F" + kYi, "k", "v"},
        {"[a\x80]x]\nk=v\n", "a\x80", "k", "v"},
        {"[a]b]\nk=v\n", "a]b", "k", kNone},
        {"[ \ta \nk=v\n", "a", "k", "v"},
        {"; [a]\n[a]\n;k=x\n  ; k=y\nk=v\n", "a", "k", "v"},
        {"k=top\n[a]\nj=1\n", "a", "k", kNone},
        {"[a]\nk =   \n", "a", "k", ""},
        {"[a]\nk\nk=v\n", "a", "k", kNone},
        {"[a]\nk=\" v \"\n", "a", "k", " v "},
        {"[a]\nk='v\"\n", "a", "k", "'v\""},
        {"[a]\nk=''\n", "a", "k", ""},
        {"[ a ]\nk=8 ; x\nj=a=b\n", "a", "k", "8 ; x"},
        {"[ a ]\nk=8 ; x\nj=a=b\n", "a", "j", "a=b"},
        {"[a]\nk=\"v\n", "a", "k", "\"v"},
        {"[a]\nk=1\nk=2\n[b]\nk=3\n", "a", "k", "1"},
        {"[a]\nx=1\n[b]\nk=2\n[a]\nk=3\n", "a", "k", kNone},
        {"[a]\nk\0x='v'\0junk\n"s, "a", "k", "v"},
        {"\xFF\xFE\x80\0junk\n[a]\n\x81\nk=v\n\xFF=\xFF\n"s, "a", "k", "v"}};
    for (const auto& [text, section, key, value] : kReads) {
        EXPECT_EQ(ini::readValue(text, section, key), value) << text;
    }
}

class SettingsFileTest : public ::testing::Test {
protected:
    testing::FakePlatform fake;
    SettingsFile settings{fake};
    std::string& bytes() { return fake.files[settings.path()].bytes; }
};

// GBK beside the exe; an option is on only for exactly "真"; a write keeps
// the rest of the file, holds the lock, happens only when something changes
// and never over a file that could not be read.
TEST_F(SettingsFileTest, AWriteKeepsTheRestOfTheGbkFileAndHappensOnlyWhenSafeAndNeeded) {
    fake.setSettings("; 我的\r\n[强行关机]\r\n  是 = \"真\"  \r\n[隐藏启动]\n是=真真");
    EXPECT_TRUE(settings.readOption("强行关机") && !settings.readOption("隐藏启动"));
    settings.writeOption("强行关机", false);
    settings.writeOption("强行关机", false);
    settings.writeSetting("隐藏启动", "新", "1");
    EXPECT_EQ(
        bytes(),
        fake.gbkFromUtf8("; 我的\r\n[强行关机]\r\n  是 = 假  \r\n[隐藏启动]\n是=真真\r\n新=1\r\n"));
    const testing::FakeFile& file = fake.files["C:\\Program Files\\Varnel\\关机时间.ini"];
    EXPECT_EQ(std::pair(file.writes, file.unlockedWrites), std::pair(2, 0));
    fake.unreadable.insert(settings.path());  // held by another program
    settings.writeSetting("关机时间", "小时", "23");
    EXPECT_EQ(file.writes, 2);
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
    const std::u16string rest =
        u"\r\n; \xDC00\xD800\r\n[关机时间]\r\n备注=\u07D0\u0800\U00020BB7\r\n";
    bytes() = utf16(u"[强行关机]\r\n是=假" + rest) + "A";
    EXPECT_EQ(settings.readSetting("关机时间", "备注"), "\xDF\x90\xE0\xA0\x80\xF0\xA0\xAE\xB7");
    settings.writeOption("强行关机", true);
    settings.writeSetting("关机时间", "分钟", "\xFFx");  // not UTF-8: U+FFFD
    EXPECT_EQ(bytes(), utf16(u"[强行关机]\r\n是=真" + rest + u"分钟=\uFFFDx\r\n") + "A");
}

}  // namespace
}  // namespace varnel
