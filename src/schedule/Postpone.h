// Postponing the daily shutdown and the minutes-from-now countdown: the
// handlers of the countdown window's lower half and its shutdown button.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace varnel {

struct Program;

// Hour and minute box texts proposed for a shutdown time: 30 minutes later.
std::array<std::string, 2> postponeProposal(const std::array<std::int32_t, 2>& shutdownTime);

void onPostponeButton(Program& program);   // 推迟按钮3: apply or cancel
void onCountdownButton(Program& program);  // 计时按钮4: start or stop
// Stops the countdown as 取消 does, with the window open or closed.
void stopCountdown(Program& program);
void stepPostponeBox(Program& program, int step);  // 调节器1, +1 or -1
void echoPostponedTime(Program& program);          // 标签16 from the two postpone boxes
void echoMinutes(Program& program);                // 标签8 from the minutes box
// 关机按钮1: request the shutdown, stop the countdown, close the window.
void shutdownFromCountdownWindow(Program& program);

}  // namespace varnel
