// Design names and fixed texts of the countdown window's controls, shared by
// its table, its handlers and the postpone and countdown handlers.
#pragma once

namespace varnel::countdown {

inline constexpr const char* kTitle = " 关机提示";

inline constexpr const char* kHeader = "标签1";
inline constexpr const char* kValueCaption = "标签2";  // "关机时间：" or "倒计时："
inline constexpr const char* kValue = "倒计时标签3";   // seconds left or the shutdown time
inline constexpr const char* kUnit = "标签4";          // "秒" or empty
inline constexpr const char* kShutdownButton = "关机按钮1";
inline constexpr const char* kExitButton = "退出按钮2";
inline constexpr const char* kCloseButton = "隐藏超级按钮1";
inline constexpr const char* kHotkeyTip = "标签6";
inline constexpr const char* kDisplayTimer = "时钟1";

inline constexpr const char* kTimeGroup = "分组框1";
inline constexpr const char* kCurrentTime = "标签11";
inline constexpr const char* kShutdownTimeText = "标签14";
inline constexpr const char* kPostponedTime = "标签16";
inline constexpr const char* kPostponeFrame = "外形框1";
inline constexpr const char* kPostponeHourBox = "推迟编辑框4";
inline constexpr const char* kPostponeMinuteBox = "推迟编辑框5";
inline constexpr const char* kPostponeSpin = "调节器1";
inline constexpr const char* kPostponeButton = "推迟按钮3";

inline constexpr const char* kCountdownGroup = "分组框2";
inline constexpr const char* kMinutesBox = "计时编辑框1";
inline constexpr const char* kMinutesEcho = "标签8";
inline constexpr const char* kCountdownButton = "计时按钮4";

inline constexpr const char* kShutdownTimeCaption = "关机时间：";
inline constexpr const char* kCountdownCaption = "倒计时：";
inline constexpr const char* kSeconds = "秒";
inline constexpr const char* kCancel = "取消";
inline constexpr const char* kPostpone = "推迟";
inline constexpr const char* kStartCountdown = "计时";

}  // namespace varnel::countdown
