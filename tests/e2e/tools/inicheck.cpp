// Cross-checks the program's settings file against Windows' own profile
// functions on awkward files: for each file, SettingsFile::readSetting and
// GetPrivateProfileStringA must read the same values, and the files written by
// SettingsFile::writeSetting and by WritePrivateProfileStringA from the same
// start must read the same with either reader.
//
// Works on the real settings path (<exe dir>\关机时间.ini), so run it from a
// scratch directory. Prints one JSON report; exit status = disagreements.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ToolText.h"
#include "common/Utf16.h"
#include "platform/win32/Win32Platform.h"
#include "settings/SettingsFile.h"

namespace {

using tooltext::quoted;

// Stands for "no value": neither reader may return it for a stored key.
constexpr const char* kMissing = "@missing@";

constexpr unsigned long long kOneSecond = 10'000'000;  // in FILETIME units
constexpr unsigned long long kYear2001 = 12'622'780'800ULL * kOneSecond;

struct Entry {
    std::string section, key;
};

struct Write {
    std::string section, key, value;
};

// How a case's file is stored: GBK, or behind the byte-order mark of UTF-8 or UTF-16LE.
enum class Stored { Gbk, Utf8, Utf16 };

struct Case {
    std::string name;
    std::optional<std::string> content;  // UTF-8 here (unpaired surrogates as WTF-8)
    Stored stored = Stored::Gbk;
    std::vector<Entry> reads;
    std::vector<Write> writes;
};

// Names whose GBK trail bytes are ASCII letters or brackets: 丄 81 41 and
// 乤 81 61 differ only in the case of their trail byte, 乚 ends in ']', 乗 in
// '\'. A reader that folds case or looks for brackets byte by byte mixes them up.
const std::vector<Case> kCases = {
    {"spaces and tabs around names and '='",
     "[关机时间]\r\n小时 = 23\r\n 分钟= 5 \r\n\t[强行关机]\r\n是\t=\t真\r\n",
     Stored::Gbk,
     {{"关机时间", "小时"}, {"关机时间", "分钟"}, {"强行关机", "是"}},
     {{"关机时间", "小时", "22"}, {"强行关机", "是", "假"}, {"关机时间", "分钟", "  7"}}},
    {"';' comment lines",
     "; 常用设置\r\n[热键关机]\r\n;1=5\r\n1=2\r\n2=8 ; 说明\r\n",
     Stored::Gbk,
     // ";1" itself is not compared: Windows takes the line for a comment, as we
     // do, while Wine reads it as a key.
     {{"热键关机", "1"}, {"热键关机", "2"}},
     {{"热键关机", "1", "0"}, {"热键关机", "2", "9"}}},
    {"LF line ends",
     "[关机时间]\n小时=23\n分钟=0\n[隐藏启动]\n是=假\n",
     Stored::Gbk,
     {{"关机时间", "小时"}, {"关机时间", "分钟"}, {"隐藏启动", "是"}},
     {{"隐藏启动", "是", "真"}, {"关机时间", "秒", "5"}, {"新节", "键", "值"}}},
    {"mixed CRLF, LF and CR line ends",
     "[窗口位置]\r\n1=785\n2=566\r1_1=1024\r\n2_1=768",
     Stored::Gbk,
     {{"窗口位置", "1"}, {"窗口位置", "2"}, {"窗口位置", "1_1"}, {"窗口位置", "2_1"}},
     {{"窗口位置", "2", "1"}, {"窗口位置", "1_1", "800"}}},
    {"ASCII names in any case",
     "[Window]\r\nLeft=785\r\n[WINDOW]\r\nleft=1\r\n",
     Stored::Gbk,
     {{"window", "LEFT"}, {"WINDOW", "left"}, {"Window", "Top"}},
     {{"WINDOW", "TOP", "566"}, {"window", "left", "10"}}},
    {"duplicate sections and keys",
     "[关机时间]\r\n小时=23\r\n小时=22\r\n[强行关机]\r\n是=真\r\n[关机时间]\r\n分钟=30\r\n小时="
     "21\r\n",
     Stored::Gbk,
     {{"关机时间", "小时"}, {"关机时间", "分钟"}, {"强行关机", "是"}},
     {{"关机时间", "小时", "20"}, {"关机时间", "分钟", "15"}}},
    {"no line break at the end",
     "[关机时间]\r\n小时=23\r\n分钟=0",
     Stored::Gbk,
     {{"关机时间", "小时"}, {"关机时间", "分钟"}},
     {{"关机时间", "分钟", "45"}, {"关机时间", "秒", "5"}, {"显示托盘图标", "是", "真"}}},
    {"section lines with blanks",
     "[关机时间]  \r\n小时=23\r\n[ 强行关机 ]\r\n是=真\r\n  [隐藏启动]\t\r\n是=假\r\n",
     Stored::Gbk,
     {{"关机时间", "小时"}, {"强行关机", "是"}, {" 强行关机 ", "是"}, {"隐藏启动", "是"}},
     {{"关机时间", "分钟", "1"}, {"隐藏启动", "是", "真"}}},
    {"UTF-8 file with a byte-order mark",
     "[关机时间]\r\n小时=23\r\n[倒计时]\r\n时间=10\r\n",
     Stored::Utf8,
     {{"关机时间", "小时"}, {"倒计时", "时间"}},
     {{"关机时间", "分钟", "7"}, {"倒计时", "时间", "15"}, {"句柄", "窗口句柄", "65626"}}},
    {"UTF-16LE file with a byte-order mark, unpaired surrogates in a comment",
     "; 设置 \xED\xB0\x80\xED\xA0\x80\r\n[关机时间]\r\n小时 = 23\r\n备注=\xF0\xA0\x80\x80\r\n"
     "[强行关机]\r\n是=假\r\n",
     Stored::Utf16,
     {{"关机时间", "小时"}, {"强行关机", "是"}, {"关机时间", "分钟"}},
     {{"强行关机", "是", "真"}, {"关机时间", "分钟", "30"}, {"新节", "键", "值"}}},
    {"empty values and keys without '='",
     "[倒计时]\r\n时间=\r\n[倒计时窗口样式]\r\n样式=  \r\n无值\r\n[空]\r\n",
     Stored::Gbk,
     {{"倒计时", "时间"}, {"倒计时窗口样式", "样式"}, {"倒计时窗口样式", "无值"}, {"空", "键"}},
     {{"倒计时", "时间", ""}, {"倒计时窗口样式", "样式", "1"}, {"空", "键", ""}}},
    {"GBK names with ASCII trail bytes",
     "[丄]\r\n侫=1\r\n俛=2\r\n[乤]\r\n侫=3\r\n[乚]\r\n乗=4\r\n",
     Stored::Gbk,
     {{"丄", "侫"}, {"丄", "俛"}, {"乤", "侫"}, {"乤", "俛"}, {"乚", "乗"}},
     {{"乤", "俛", "5"}, {"乚", "乗", "6"}, {"丄", "侫", "7"}}},
    {"quotes, '=' and blanks inside values",
     "[值]\r\n双=\"23\"\r\n单='0'\r\n半=\"开\r\n等=a=b\r\n空格=关 机 \r\n",
     Stored::Gbk,
     {{"值", "双"}, {"值", "单"}, {"值", "半"}, {"值", "等"}, {"值", "空格"}},
     {{"值", "等", "c=d"}, {"值", "空格", "x y"}}},
    {"keys before the first section",
     "孤=1\r\n[关机时间]\r\n小时=23\r\n",
     Stored::Gbk,
     {{"关机时间", "小时"}, {"关机时间", "孤"}},
     {{"关机时间", "小时", "8"}}},
    {"no file yet",
     std::nullopt,
     Stored::Gbk,
     {{"关机时间", "小时"}},
     {{"开机自动运行Varnel", "是", "假"}, {"关机时间", "小时", "23"}, {"关机时间", "分钟", "0"}}},
};

class Check {
public:
    Check() : platform_(GetModuleHandleW(nullptr)), settings_(platform_) {}

    int run() {
        std::string out = "{\"file\":" + quoted(settings_.path()) + ",\"cases\":[";
        for (size_t i = 0; i < kCases.size(); ++i) {
            out += (i ? ",\n" : "\n") + runCase(kCases[i]);
        }
        tooltext::print(out + "\n],\"disagreements\":" + std::to_string(disagreements_) + "}\n");
        return disagreements_;
    }

private:
    std::string runCase(const Case& c) {
        std::optional<std::string> start;
        if (c.content) {
            start = c.stored == Stored::Gbk    ? platform_.gbkFromUtf8(*c.content)
                    : c.stored == Stored::Utf8 ? "\xEF\xBB\xBF" + *c.content
                                               : "\xFF\xFE" + varnel::utf16leFromUtf8(*c.content);
        }
        std::vector<Entry> entries = c.reads;
        for (const Write& w : c.writes) {
            entries.push_back({w.section, w.key});
        }

        std::string out = "{\"name\":" + quoted(c.name) + ",\"reads\":[";
        put(start);
        for (size_t i = 0; i < c.reads.size(); ++i) {
            std::string ours = ourRead(c.reads[i]);
            std::string windows = windowsRead(c.reads[i]);
            out += (i ? "," : "") + report(c.reads[i], {ours, windows});
        }

        put(start);
        for (const Write& w : c.writes) {
            windowsWrite(w);
        }
        std::optional<std::string> byWindows = get();
        put(start);
        for (const Write& w : c.writes) {
            settings_.writeSetting(w.section, w.key, w.value);
        }
        std::optional<std::string> byUs = get();

        out += "],\"after_writes\":[";
        for (size_t i = 0; i < entries.size(); ++i) {
            put(byUs);
            std::string oursOnOurs = ourRead(entries[i]);
            std::string windowsOnOurs = windowsRead(entries[i]);
            put(byWindows);
            std::string oursOnWindows = ourRead(entries[i]);
            std::string windowsOnWindows = windowsRead(entries[i]);
            out += (i ? "," : "") +
                   report(entries[i], {oursOnOurs, windowsOnOurs, oursOnWindows, windowsOnWindows});
        }
        out += "],\"same_bytes\":" + std::string(byUs == byWindows ? "true" : "false");
        out += ",\"written_by_us\":" + bytesText(byUs);
        out += ",\"written_by_windows\":" + bytesText(byWindows) + "}";
        return out;
    }

    // One entry's readings; counts a disagreement when they differ.
    std::string report(const Entry& e, const std::vector<std::string>& values) {
        bool agree = true;
        std::string list = "[";
        for (size_t i = 0; i < values.size(); ++i) {
            agree = agree && values[i] == values[0];
            list += (i ? "," : "") + quoted(values[i]);
        }
        disagreements_ += agree ? 0 : 1;
        return "{\"section\":" + quoted(e.section) + ",\"key\":" + quoted(e.key) +
               ",\"values\":" + list + "],\"agree\":" + (agree ? "true" : "false") + "}";
    }

    // File bytes for the report: GBK shown as text, other bytes as \xNN.
    std::string bytesText(const std::optional<std::string>& bytes) {
        if (!bytes) {
            return "null";
        }
        std::string shown;
        for (unsigned char b : *bytes) {
            if (b >= 0x80 || b < 0x20) {
                char escaped[8];
                wsprintfA(escaped, "\\x%02x", b);
                shown += escaped;
            } else {
                shown += static_cast<char>(b);
            }
        }
        return quoted(shown);
    }

    std::string ourRead(const Entry& e) {
        return settings_.readSetting(e.section, e.key, kMissing);
    }

    std::string windowsRead(const Entry& e) {
        char value[4096] = {};
        GetPrivateProfileStringA(gbk(e.section).c_str(), gbk(e.key).c_str(), kMissing, value,
                                 sizeof value, gbk(settings_.path()).c_str());
        return platform_.utf8FromGbk(value);
    }

    void windowsWrite(const Write& w) {
        WritePrivateProfileStringA(gbk(w.section).c_str(), gbk(w.key).c_str(), gbk(w.value).c_str(),
                                   gbk(settings_.path()).c_str());
    }

    std::string gbk(const std::string& utf8) { return platform_.gbkFromUtf8(utf8); }

    // Puts the file in place (or removes it). Windows caches profile files and
    // trusts their write time, which a quick rewrite may leave unchanged: drop
    // the cache first and give every version a time of its own.
    void put(const std::optional<std::string>& bytes) {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, gbk(settings_.path()).c_str());
        std::wstring path = tooltext::wide(settings_.path());
        DeleteFileW(path.c_str());
        if (!bytes) {
            return;
        }
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &written, nullptr);
        ULARGE_INTEGER time{};
        time.QuadPart = kYear2001 + ++versions_ * kOneSecond;
        FILETIME stamp{time.LowPart, time.HighPart};
        SetFileTime(file, nullptr, nullptr, &stamp);
        CloseHandle(file);
    }

    std::optional<std::string> get() { return platform_.readFile(settings_.path()); }

    varnel::Win32Platform platform_;
    varnel::SettingsFile settings_;
    int disagreements_ = 0;
    unsigned long long versions_ = 0;
};

}  // namespace

int wmain() {
    return Check().run();
}
