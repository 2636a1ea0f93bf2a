#include <gtest/gtest.h>

#include <string>

#include "settings/SettingsFile.h"
#include "support/FakePlatform.h"

namespace varnel {
namespace {

using testing::FakePlatform;

class SettingsFileTest : public ::testing::Test {
protected:
    FakePlatform fake;
    SettingsFile settings{fake};
    const std::string path = fake.path("\\关机时间.ini");

    std::string& bytes() { return fake.files[path].bytes; }
};

TEST_F(SettingsFileTest, LivesBesideTheExecutableWhereverItIsNow) {
    EXPECT_EQ(settings.path(), "C:\\Program Files\\Varnel\\关机时间.ini");
    EXPECT_FALSE(settings.exists());
    settings.writeSetting("关机时间", "小时", "23");
    EXPECT_TRUE(settings.exists());

    fake.exeDir = "D:\\moved";
    EXPECT_EQ(settings.path(), "D:\\moved\\关机时间.ini");
    EXPECT_FALSE(settings.exists());
    EXPECT_EQ(settings.readSetting("关机时间", "小时"), "");
    settings.writeSetting("关机时间", "小时", "7");
    EXPECT_EQ(fake.fileUtf8("D:\\moved\\关机时间.ini"), "[关机时间]\r\n小时=7\r\n");
    EXPECT_EQ(fake.fileUtf8(path), "[关机时间]\r\n小时=23\r\n");
}

TEST_F(SettingsFileTest, WritesGbkBytes) {
    settings.writeSetting("关机时间", "小时", "23");
    settings.writeOption("强行关机", true);
    EXPECT_EQ(bytes(),
              "[\xB9\xD8\xBB\xFA\xCA\xB1\xBC\xE4]\r\n\xD0\xA1\xCA\xB1=23\r\n"
              "[\xC7\xBF\xD0\xD0\xB9\xD8\xBB\xFA]\r\n\xCA\xC7=\xD5\xE6\r\n");
    EXPECT_EQ(settings.readSetting("关机时间", "小时"), "23");
    EXPECT_TRUE(settings.readOption("强行关机"));
    // Another copy of the program must not write between our read and our write.
    EXPECT_EQ(fake.files[path].writes, 2);
    EXPECT_EQ(fake.files[path].unlockedWrites, 0);
}

TEST_F(SettingsFileTest, ReadsAHandEditedFileAndKeepsWhatItDoesNotChange) {
    const std::string original =
        "; 我的设置\r\n"
        "[强行关机]\r\n"
        "  是 = 假  \r\n"
        "备注=留着\r\n"
        "\r\n"
        "[关机时间]\n"
        "小时=22\n";
    fake.setFileUtf8(path, original);
    EXPECT_FALSE(settings.readOption("强行关机"));
    EXPECT_EQ(settings.readSetting("强行关机", "备注"), "留着");

    settings.writeOption("强行关机", true);
    settings.writeSetting("关机时间", "分钟", "30");
    EXPECT_EQ(fake.fileUtf8(path),
              "; 我的设置\r\n"
              "[强行关机]\r\n"
              "  是 = 真  \r\n"
              "备注=留着\r\n"
              "\r\n"
              "[关机时间]\n"
              "小时=22\n"
              "分钟=30\r\n");
}

TEST_F(SettingsFileTest, MissingPartsReadEmptyOrTheFallback) {
    EXPECT_EQ(settings.readSetting("倒计时窗口样式", "样式"), "");
    EXPECT_EQ(settings.readSetting("倒计时窗口样式", "样式", "2"), "2");
    fake.setFileUtf8(path, "[倒计时]\r\n时间=5\r\n[倒计时窗口样式]\r\n别的=1\r\n");
    EXPECT_EQ(settings.readSetting("倒计时窗口样式", "样式", "2"), "2");
    EXPECT_EQ(settings.readSetting("没有", "时间", "2"), "2");
    fake.setFileUtf8(path, "[倒计时窗口样式]\r\n样式=\r\n");
    EXPECT_EQ(settings.readSetting("倒计时窗口样式", "样式", "2"), "");  // present, though empty
}

TEST_F(SettingsFileTest, AnOptionIsOnOnlyForTrue) {
    const struct {
        const char* file;
        bool on;
    } cases[] = {
        {"[隐藏启动]\r\n是=真\r\n", true},     {"[隐藏启动]\r\n是 = 真 \r\n", true},
        {"[隐藏启动]\r\n是=\"真\"\r\n", true}, {"[隐藏启动]\r\n是=假\r\n", false},
        {"[隐藏启动]\r\n是=1\r\n", false},     {"[隐藏启动]\r\n是=是\r\n", false},
        {"[隐藏启动]\r\n是=真真\r\n", false},  {"[隐藏启动]\r\n是=\r\n", false},
        {"[隐藏启动]\r\n否=真\r\n", false},    {"[强行关机]\r\n是=真\r\n", false},
    };
    for (const auto& c : cases) {
        fake.setFileUtf8(path, c.file);
        EXPECT_EQ(settings.readOption("隐藏启动"), c.on) << c.file;
    }
}

TEST_F(SettingsFileTest, AFileSavedAsUtf8StaysUtf8) {
    const std::string bom = "\xEF\xBB\xBF";
    bytes() = bom + "[强行关机]\r\n是=真\r\n";
    EXPECT_TRUE(settings.readOption("强行关机"));
    settings.writeSetting("关机时间", "小时", "23");
    EXPECT_EQ(bytes(), bom + "[强行关机]\r\n是=真\r\n[关机时间]\r\n小时=23\r\n");
    EXPECT_EQ(settings.readSetting("关机时间", "小时"), "23");
}

// Code units as UTF-16LE bytes, written out here rather than by the program's converter.
std::string utf16le(std::u16string_view units) {
    std::string out;
    for (const char16_t unit : units) {
        out += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    }
    return out;
}

TEST_F(SettingsFileTest, AFileSavedAsUnicodeStaysUtf16) {
    // Damage as it may come: a low surrogate before a high one, neither paired,
    // and an odd last byte.
    const auto file = [](std::u16string_view option, std::u16string_view added) {
        return "\xFF\xFE" + utf16le(u"[强行关机]\r\n是=") + utf16le(option) +
               utf16le(u"\r\n; \xDC00\xD800\r\n[关机时间]\r\n备注=\U00020000\r\n小时=23\r\n") +
               utf16le(added) + "\x41";
    };
    bytes() = file(u"假", u"");
    EXPECT_FALSE(settings.readOption("强行关机"));
    EXPECT_EQ(settings.readSetting("关机时间", "小时"), "23");
    EXPECT_EQ(settings.readSetting("关机时间", "备注"), "\xF0\xA0\x80\x80");
    settings.writeOption("强行关机", true);
    settings.writeSetting("关机时间", "分钟", "5");
    EXPECT_EQ(bytes(), file(u"真", u"分钟=5\r\n"));
}

TEST_F(SettingsFileTest, DamagedBytesSurviveAWrite) {
    const std::string junk = std::string("\xFF\x00\x81\r\n", 5);
    bytes() = junk + "[\xC7\xBF\xD0\xD0\xB9\xD8\xBB\xFA]\r\n\xCA\xC7=\xBC\xD9\r\n" + junk;
    settings.writeOption("强行关机", true);
    EXPECT_EQ(bytes(), junk + "[\xC7\xBF\xD0\xD0\xB9\xD8\xBB\xFA]\r\n\xCA\xC7=\xD5\xE6\r\n" + junk);
}

// Every refused write leaves the old file as it was, and the next read returns
// what was there before.
TEST(SettingsFileRefusal, ARefusedWriteChangesNothing) {
    const struct {
        const char* what;
        std::uint32_t attributes;  // 0: no file
        bool writesFail, unreadable;
        const char* readAfter;
    } cases[] = {
        {"read-only", kAttrReadOnly | kAttrArchive, false, false, "22"},
        {"full disk", kAttrArchive, true, false, "22"},
        {"full disk, no file yet", 0, true, false, "fallback"},
        {"a directory", kAttrDirectory, false, false, "fallback"},
        {"unreadable", kAttrArchive, false, true, "fallback"},
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        SettingsFile settings{fake};
        const std::string path = fake.path("\\关机时间.ini");
        if (c.attributes != 0) {
            fake.setFileUtf8(path, "[关机时间]\r\n小时=22\r\n");
            fake.files[path].attributes = c.attributes;
        }
        fake.writesFail = c.writesFail;
        if (c.unreadable) {
            fake.unreadableFiles.insert(path);
        }
        const auto before = fake.files;
        settings.writeSetting("关机时间", "小时", "23");
        settings.writeSetting("关机时间", "分钟", "5");
        settings.writeOption("强行关机", true);
        EXPECT_EQ(fake.files.size(), before.size()) << c.what;
        for (const auto& [name, file] : before) {
            EXPECT_EQ(fake.files[name].bytes, file.bytes) << c.what;
            EXPECT_EQ(fake.files[name].attributes, file.attributes) << c.what;
        }
        EXPECT_EQ(settings.readSetting("关机时间", "小时", "fallback"), c.readAfter) << c.what;
    }
}

}  // namespace
}  // namespace varnel
