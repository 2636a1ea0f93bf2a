"""A one-minute countdown started in the countdown window, opened from the tray menu:
the shutdown is requested 60 s after the start, while the window stays modal. While a
countdown runs the system is kept awake."""

import os
import time
import unittest

from defaults import scenario_settings
from harness import WAIT, Session, _config, controls_sized, find_control, settings_text

COUNTDOWN_TITLE = " 关机提示"
EWX_FORCE = 0x4
ES_CONTINUOUS, ES_SYSTEM_REQUIRED = 0x80000000, 0x1


class Countdown(unittest.TestCase):
    def test_one_minute_countdown_requests_the_shutdown_60_s_later(self):
        with Session(self.id(), settings=settings_text(scenario_settings()),
                     relay=["user32.ExitWindowsEx", "kernel32.SetThreadExecutionState"]) as s:
            s.start()
            handle = s.wait_start_up()

            s.click_tray_icon(3)
            menu = s.popup_menu()
            # 显示窗口, 隐藏窗口, (separator), 功能设置, 倒计时关机窗口. The release of
            # that Enter reaches the new window's focused 关机按钮1: it must not act.
            self.assertTrue(menu)
            s.keys("Down", "Down", "Down", "Down", "Return")
            window = s.wait_window(title=COUNTDOWN_TITLE)
            time.sleep(1)
            self.assertEqual(s.relay_calls("ExitWindowsEx"), [],
                             "the Enter that chose the menu item does not shut down")
            self.assertFalse(s.window(handle=handle)["enabled"],
                             "opened from the menu, the window is modal")

            minutes, = controls_sized(window, 53, 33)
            s.set_text(minutes, "1")
            echo, = controls_sized(window, 45, 24)
            s.wait_for(lambda: find_control(s.window(title=COUNTDOWN_TITLE),
                                            handle=echo["handle"])["text"] == "1",
                       WAIT, "the minutes echoed before 分钟后关机")
            # Started and stopped once first: the system is kept awake from the start, and
            # may sleep again once stopped (each on the main window's next tick).
            button = find_control(window, text="计时")
            for calls in (1, 2):
                s.click(button)
                s.wait_for(lambda: len(s.relay_calls("SetThreadExecutionState")) >= calls, WAIT,
                           "SetThreadExecutionState")
            self.assertEqual([c.args[0] for c in s.relay_calls("SetThreadExecutionState")],
                             [ES_CONTINUOUS | ES_SYSTEM_REQUIRED, ES_CONTINUOUS])
            s.click(button)
            started = time.time()

            # The display follows on its next tick, within a second.
            def counting():
                w = s.window(title=COUNTDOWN_TITLE)
                unit, = controls_sized(w, 32, 24)
                return w if find_control(w, text="取消") and unit["text"] == "秒" else None
            window = s.wait_for(counting, WAIT, "取消 on the button and the seconds shown")
            postpone = find_control(window, text="推迟")
            self.assertFalse(postpone["enabled"], "推迟 is disabled while counting")
            value, = controls_sized(window, 140, 31)
            caption, = controls_sized(window, 72, 24)
            self.assertEqual(caption["text"], "倒计时：")
            self.assertIn(int(value["text"]), range(50, 61))
            self.assertEqual(s.setting("倒计时", "时间"), "1")
            self.assertEqual(s.setting("倒计时窗口样式", "样式"), "2")
            shots = os.path.join(_config("VARNEL_E2E_WORK"), "screenshots")
            os.makedirs(shots, exist_ok=True)
            s.screenshot(os.path.join(shots, "countdown.png"), window["rect"])

            call, seen = s.wait_call("ExitWindowsEx", timeout=60 + WAIT)
            error = seen - started - 60
            print(f"countdown of 1 minute: shutdown requested {seen - started:.3f} s after the "
                  f"start, error {error:+.3f} s")
            # Whole ticks on second boundaries: 59 to 60 s after the click, plus latency.
            self.assertGreater(error, -1.5)
            self.assertLess(error, 1.5)
            self.assertTrue(call.args[0] & EWX_FORCE, "forced: option 强行关机 is on")
            self.assertIsNotNone(s.wait_exit(WAIT), "the request ends the Wine session")


if __name__ == "__main__":
    unittest.main(verbosity=2)
