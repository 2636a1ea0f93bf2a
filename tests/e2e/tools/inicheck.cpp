// Reads and writes awkward settings files with SettingsFile and with Windows' own profile
// functions (GetPrivateProfileStringA, WritePrivateProfileStringA): every entry must read the
// same with both on the starting file, and the same with both on the files each writer makes
// from it, where a written entry must be found. Prints each disagreement and their count, also
// the exit status. Works on <exe dir>\关机时间.ini: run it from a scratch directory.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "common/Utf16.h"
#include "platform/win32/Win32Platform.h"
#include "settings/SettingsFile.h"

namespace {

constexpr const char* kMissing = "@missing@";  // what neither reader returns for a stored key

struct Case {
    const char* text;  // UTF-8, stored as GBK; behind "\xFF\xFE" as UTF-16LE; nullptr: no file
    std::vector<std::string> entries;  // "section|key" read, "section|key=value" written
};

// 丄 81 41 and 乤 81 61 differ only in the case of their ASCII trail byte, 乚 ends in ']' and
// 乗 in '\': a reader that folds case or looks for brackets byte by byte mixes them up. A line
// ";1=5" is left unread: Windows takes it for a comment, as we do; Wine reads it as a key.
const Case kCases[] = {
    {"[关机时间]  \r\n小时 = 23\r\n 分钟= 5 \r\n\t[ 强行关机 ]\r\n是\t=\t真\r\n",
     {"关机时间|分钟", " 强行关机 |是", "关机时间|小时=22", "强行关机|是=假"}},
    {"; 常用设置\r\n[热键关机]\r\n;1=5\r\n1=2\r\n2=8 ; 说明\r\n", {"热键关机|1=0", "热键关机|2=9"}},
    {"[窗口位置]\r\n1=785\n2=566\r1_1=1024\r\n2_1=768",
     {"窗口位置|1", "窗口位置|1_1", "窗口位置|2_1", "窗口位置|2=1", "窗口位置|秒=5", "新节|键=值"}},
    {"[Window]\r\nLeft=785\r\n[WINDOW]\r\nleft=1\r\n",
     {"Window|Top", "WINDOW|left", "WINDOW|TOP=566", "window|left=10"}},
    {"[关机时间]\r\n小时=23\r\n小时=22\r\n[强行关机]\r\n是=真\r\n[关机时间]\r\n分钟=30\r\n",
     {"强行关机|是", "关机时间|小时=20", "关机时间|分钟=15"}},
    {"\xEF\xBB\xBF[关机时间]\r\n小时=23\r\n[倒计时]\r\n时间=10\r\n",
     {"关机时间|小时", "关机时间|分钟=7", "倒计时|时间=15"}},
    {"\xFF\xFE; 设置 \xED\xB0\x80\xED\xA0\x80\r\n[关机时间]\r\n小时 = "
     "23\r\n备注=\xF0\xA0\x80\x80\r\n"
     "[强行关机]\r\n是=假\r\n",
     {"关机时间|小时", "强行关机|是=真", "关机时间|分钟=30", "新节|键=值"}},
    {"孤=1\r\n[倒计时]\r\n时间=\r\n[倒计时窗口样式]\r\n样式=  \r\n无值\r\n[空]\r\n",
     {"倒计时|孤", "倒计时窗口样式|无值", "倒计时|时间=", "倒计时窗口样式|样式=1", "空|键="}},
    {"[丄]\r\n侫=1\r\n俛=2\r\n[乤]\r\n侫=3\r\n[乚]\r\n乗=4\r\n",
     {"丄|俛", "乤|侫", "乤|俛=5", "乚|乗=6", "丄|侫=7"}},
    {"[值]\r\n双=\"23\"\r\n单='0'\r\n半=\"开\r\n等=a=b\r\n空格=关 机 \r\n",
     {"值|双", "值|单", "值|半", "值|等=c=d", "值|空格=x y"}},
    {nullptr, {"关机时间|小时", "开机自动运行Varnel|是=假", "关机时间|分钟=0"}},
};

class Check {
public:
    int run() {
        for (const Case& c : kCases) {
            check(c);
        }
        std::printf("%d cases, %d disagreements\n", static_cast<int>(std::size(kCases)), failures_);
        return failures_;
    }

private:
    struct Entry {
        std::string section, key;
        std::optional<std::string> value;  // written
    };

    static Entry entry(const std::string& text) {
        const size_t bar = text.find('|'), is = text.find('=', bar);
        return {text.substr(0, bar), text.substr(bar + 1, is - bar - 1),
                is == std::string::npos ? std::nullopt : std::optional(text.substr(is + 1))};
    }

    void check(const Case& c) {
        std::optional<std::string> start, byUs, byWindows;
        if (c.text) {
            const std::string text = c.text;
            start = text.rfind("\xFF\xFE", 0) == 0
                        ? "\xFF\xFE" + varnel::utf16leFromUtf8(text.substr(2))
                    : text.rfind("\xEF\xBB\xBF", 0) == 0 ? text
                                                         : gbk(text);
        }
        for (auto* written : {&byUs, &byWindows}) {
            put(start);
            for (const std::string& text : c.entries) {
                if (const Entry e = entry(text); e.value && written == &byUs) {
                    settings_.writeSetting(e.section, e.key, *e.value);
                } else if (e.value) {
                    WritePrivateProfileStringA(gbk(e.section).c_str(), gbk(e.key).c_str(),
                                               gbk(*e.value).c_str(), path().c_str());
                }
            }
            *written = platform_.readFile(settings_.path());
        }
        for (const std::string& text : c.entries) {
            const Entry e = entry(text);
            std::vector<std::string> values;
            for (const auto* file : {&start, &byUs, &byWindows}) {
                put(*file);
                char windows[4096] = {};
                GetPrivateProfileStringA(gbk(e.section).c_str(), gbk(e.key).c_str(), kMissing,
                                         windows, sizeof windows, path().c_str());
                values.push_back(settings_.readSetting(e.section, e.key, kMissing));
                values.push_back(platform_.utf8FromGbk(windows));
            }
            if (values[0] != values[1] ||
                std::count(values.begin() + 2, values.end(), values[2]) != 4 ||
                (e.value && values[2] == kMissing)) {
                ++failures_;
                std::printf("%s: %s", c.text ? c.text : "no file", text.c_str());
                for (const std::string& value : values) {
                    std::printf(" [%s]", value.c_str());
                }
                std::printf("\n");
            }
        }
    }

    std::string gbk(const std::string& utf8) { return platform_.gbkFromUtf8(utf8); }
    std::string path() { return gbk(settings_.path()); }

    // Puts the file in place (or removes it). Windows caches profile files and trusts their
    // write time, which a quick rewrite may leave unchanged: the cache is dropped first, and
    // every version gets a time of its own, 2001 plus a second per version.
    void put(const std::optional<std::string>& bytes) {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, path().c_str());
        DeleteFileA(path().c_str());
        if (bytes) {
            HANDLE file = CreateFileA(path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written = 0;
            WriteFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &written, nullptr);
            const unsigned long long time = (12'622'780'800ULL + ++versions_) * 10'000'000;
            const FILETIME stamp{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
            SetFileTime(file, nullptr, nullptr, &stamp);
            CloseHandle(file);
        }
    }

    varnel::Win32Platform platform_{GetModuleHandleW(nullptr)};
    varnel::SettingsFile settings_{platform_};
    int failures_ = 0;
    unsigned long long versions_ = 0;
};

}  // namespace

int wmain() {
    return Check().run();
}
