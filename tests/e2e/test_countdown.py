"""The tray icon and its menu, then the countdown window opened from the menu: a one-minute
countdown keeps the system awake while it runs and requests the shutdown 60 s after its start."""

import time
import unittest

from harness import COUNTDOWN, IDOK, WAIT, Session, controls_sized, find_control, scenario_settings

HELP = ("\r\n程序全局热键如下：\r\n\r\n    ①配置选项'Ctrl'＋'F10'键\r\n   ②②显示/隐藏窗口'Ctrl'＋F11键\r\n"
        "  ③  ③退出程序'Ctrl'＋'F12'键\r\n ④    ④热键关机'Ctrl'＋'F9'键\r\n\r\n以上热键只做参考\r\n"
        "具体热键请参照‘功能设置>设置全局热键’\r\n使用热键可进入配置窗口更改为自己的的热键！")
ES_CONTINUOUS, ES_SYSTEM_REQUIRED = 0x80000000, 0x1


class Countdown(unittest.TestCase):
    def test_tray_menu_and_a_one_minute_countdown(self):
        relay = ["user32.ExitWindowsEx", "kernel32.SetThreadExecutionState",
                 "shell32.Shell_NotifyIconW"]
        with Session(self.id(), settings=scenario_settings(), relay=relay) as s:
            s.start()
            main = s.wait_start_up()
            # A left click toggles the clock; from the menu's top: 显示窗口, 隐藏窗口.
            for act, args, shown in [(s.tray_click, [1], False), (s.tray_click, [1], True),
                                     (s.menu, ["Down", "Down"], False), (s.menu, ["Down"], True)]:
                act(*args)
                s.wait_window(handle=main, visible=shown)
            s.menu("Up", "Up", "Up")  # from the bottom: 退出, 关于, 帮助
            box = s.message_box()
            self.assertEqual((box["title"], box["text"], box["buttons"]), ("帮助", HELP, [IDOK]))
            s.answer(box, IDOK)
            s.wait_for(lambda: not s.window(cls="#32770"), WAIT, "the box to close")
            s.menu("Up")
            s.wait_exit()
            self.assertEqual([c.args[0] for c in s.relay_calls("Shell_NotifyIconW")], [0, 2],
                             "the icon added, and deleted by 退出")

            s.write(scenario_settings())
            s.start()
            main = s.wait_start_up()
            s.menu("Down", "Down", "Down", "Down")  # 倒计时关机窗口
            window = s.wait_window(text=COUNTDOWN)
            self.assertFalse(s.window(handle=main)["enabled"], "opened from the menu: modal")
            s.set_text(controls_sized(window, 53, 33)[0], "1")  # the minutes
            start = find_control(window, text="计时")
            for calls in (1, 2):  # started and stopped: kept awake, then let sleep again
                s.click(start)
                s.wait_for(lambda: len(s.relay_calls("SetThreadExecutionState")) >= calls, WAIT,
                           "SetThreadExecutionState on the next tick")
            self.assertEqual([c.args[0] for c in s.relay_calls("SetThreadExecutionState")],
                             [ES_CONTINUOUS | ES_SYSTEM_REQUIRED, ES_CONTINUOUS])
            s.click(start)
            started = time.time()
            call, seen = s.wait_call("ExitWindowsEx", 60 + WAIT)
            # Whole ticks on second boundaries: 59 to 60 s after the click, plus latency.
            self.assertLess(abs(seen - started - 60), 1.5, f"requested after {seen - started} s")
            self.assertTrue(call.args[0] & 0x4, "EWX_FORCE: option 强行关机 is on")
            self.assertEqual(s.setting("倒计时", "时间"), "1", "the minutes kept for next time")


if __name__ == "__main__":
    unittest.main(verbosity=2)
