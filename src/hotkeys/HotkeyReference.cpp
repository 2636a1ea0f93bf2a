#include "hotkeys/HotkeyReference.h"

#include "core/Program.h"

namespace varnel {

namespace {

constexpr const char* kReferenceFile = "\\常用热键.txt";
constexpr const char* kHelpTitle = "帮助";
constexpr const char* kHelpHeader = "\r\n程序全局热键如下：\r\n\r\n";
constexpr const char* kHelpFooter =
    "\r\n\r\n以上热键只做参考\r\n具体热键请参照‘功能设置>设置全局热键’\r\n"
    "使用热键可进入配置窗口更改为自己的的热键！";

std::string referencePath(const Program& program) {
    return program.settings.dataDirectory() + kReferenceFile;
}

}  // namespace

void writeHotkeyReference(Program& program, const std::string& summary) {
    Platform& platform = program.platform;
    const std::string path = referencePath(program);
    const auto attributes = platform.fileAttributes(path);
    if (attributes && (*attributes & kAttrReadOnly)) {
        // Clears read-only; writeFile keeps the system bit it leaves behind.
        platform.setFileAttributes(path, kAttrSystem | kAttrArchive);
    }
    platform.writeFile(path, platform.gbkFromUtf8(summary));
}

void showHotkeyHelp(Program& program) {
    Platform& platform = program.platform;
    const std::string bytes = platform.readFile(referencePath(program)).value_or("");
    // Taken as text: it ends at the first zero byte.
    const std::string text = platform.utf8FromGbk(bytes.substr(0, bytes.find('\0')));
    platform.messageBox(0, kHelpHeader + text + kHelpFooter, kHelpTitle, kMbOkInformation);
}

}  // namespace varnel
