// Every section and key of the settings file.
#pragma once

namespace varnel::keys {

inline constexpr const char* kFileName = "\\关机时间.ini";

// On/off options: section named after the option, key "是", value "真"/"假".
inline constexpr const char* kOptionKey = "是";
inline constexpr const char* kTrue = "真";
inline constexpr const char* kFalse = "假";

inline constexpr const char* kStartWithWindows = "开机自动运行Varnel";
inline constexpr const char* kStartHidden = "隐藏启动";
inline constexpr const char* kForcedShutdown = "强行关机";
inline constexpr const char* kFiveMinuteNotice = "倒记时5分钟提示";
inline constexpr const char* kEmbedInDesktop = "窃入桌面背景中";
inline constexpr const char* kShowTrayIcon = "显示托盘图标";
inline constexpr const char* kShutdownAtStart = "程序起动后立刻关机";

inline constexpr const char* kShutdownTime = "关机时间";
inline constexpr const char* kHour = "小时";
inline constexpr const char* kMinute = "分钟";

// Seven "1"/"0", Monday first: the weekdays the daily shutdown comes on.
inline constexpr const char* kShutdownDays = "关机日";
inline constexpr const char* kWeekdays = "星期";
inline constexpr const char* kEveryDay = "1111111";

// Hotkey sections hold key "1" (modifier index) and "2" (function-key index).
inline constexpr const char* kConfigHotkey = "打开软件配置程序";
inline constexpr const char* kToggleHotkey = "显示或隐藏窗口";
inline constexpr const char* kExitHotkey = "退出程序";
inline constexpr const char* kShutdownHotkey = "热键关机";
inline constexpr const char* kModifierKey = "1";
inline constexpr const char* kFunctionKey = "2";

inline constexpr const char* kWindowPosition = "窗口位置";
inline constexpr const char* kLeft = "1";
inline constexpr const char* kTop = "2";
inline constexpr const char* kScreenWidth = "1_1";
inline constexpr const char* kScreenHeight = "2_1";

inline constexpr const char* kHandle = "句柄";
inline constexpr const char* kWindowHandle = "窗口句柄";

inline constexpr const char* kCountdownStyle = "倒计时窗口样式";
inline constexpr const char* kStyle = "样式";

inline constexpr const char* kCountdown = "倒计时";
inline constexpr const char* kCountdownMinutes = "时间";

// Start with Windows: <kRunKey> under HKEY_LOCAL_MACHINE, else HKEY_CURRENT_USER,
// value <kRunValue>.
inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "devora";

}  // namespace varnel::keys
