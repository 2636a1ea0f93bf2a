"""The daily schedule across an Explorer restart: the countdown window opens by itself and the
time is postponed there; Explorer ends with the desktop window the clock is in, the clock comes
back at once, then goes into the desktop window of the new Explorer; the shutdown comes."""

import time
import unittest

from harness import (COUNTDOWN, WAIT, Session, controls_sized, find_control, next_minute,
                     scenario_settings)


class ExplorerRestart(unittest.TestCase):
    def test_schedule_postpone_and_explorer_restart(self):
        # The postponed shutdown, with room for what comes before; the set one is announced a
        # minute before it, 15 to 75 s from now, once the user is typing in Notepad.
        minute = next_minute(75)
        # Style "1" as every earlier start leaves it: without it a first tick inside start-up
        # would rightly open the window on its countdown page.
        settings = scenario_settings(minute + 240, 强行关机=False) + [("倒计时窗口样式", [("样式", "1")])]
        with Session(self.id(), settings=settings,
                     relay=["user32.ExitWindowsEx", "shell32.Shell_NotifyIconW"]) as s:
            explorer = s.spawn("progman_fixture.exe")
            explorer.report()
            s.start()
            lost = int(s.wait_for(lambda: s.setting("句柄", "窗口句柄"), WAIT, "start-up"))
            s.wait_for(lambda: s.find(lost, "ProgMan"), WAIT, "the clock in the desktop")
            s.spawn("notepad.exe")  # where the user is typing
            x, y, width, height = s.wait_for(lambda: s.windows("Notepad"), WAIT, "Notepad")[0]["rect"]
            s.mouse_click(x + width // 2, y + height // 2)
            s.wait_for(lambda: s.windows("Notepad")[0]["foreground"], WAIT, "Notepad in front")
            window = s.wait_for(lambda: s.window(text=COUNTDOWN), 90, "the announcement")
            self.assertTrue(window["exstyle"] & 0x8, "WS_EX_TOPMOST: above a full-screen program")
            self.assertTrue(s.windows("Notepad")[0]["foreground"], "the keys still go to Notepad")
            for box, value in zip(controls_sized(window, 22, 24), time.localtime(minute)[3:5]):
                s.set_text(box, value)
            s.click(find_control(window, text="推迟"))
            s.wait_for(lambda: s.setting("倒计时窗口样式", "样式") == "3", WAIT, "the postponement")

            explorer.kill()
            killed = time.monotonic()
            handle = s.wait_for(lambda: (h := int(s.setting("句柄", "窗口句柄"))) != lost and h,
                                WAIT, "a new main window")
            self.assertLess(time.monotonic() - killed, 3, "the clock built again at once")
            main = s.window(handle=handle)
            self.assertEqual([main["rect"], main["exstyle"] & 0x80020], [[785, 566, 229, 152],
                             0x80020], "in the corner, layered and click-through")
            self.assertTrue(find_control(s.wait_window(text=COUNTDOWN), text="取消"),
                            "the countdown window back on its postponed page")
            for shown in (False, True):
                s.keys("ctrl+F11")
                s.wait_window(handle=handle, visible=shown)

            icons = len(s.relay_calls("Shell_NotifyIconW"))
            desktop = s.spawn("progman_fixture.exe", "announce").report()
            s.wait_for(lambda: 0 in [c.args[0] for c in s.relay_calls("Shell_NotifyIconW")[icons:]],
                       WAIT, "the tray icon added again (NIM_ADD)")
            clock = s.wait_for(lambda: s.find(handle, "ProgMan"), WAIT, "the clock in the new desktop")
            self.assertEqual(clock["parent"], desktop["child"])

            call, seen = s.wait_call("ExitWindowsEx", minute - time.time() + WAIT)
            self.assertTrue(0 <= seen - minute < 60, f"requested {seen - minute:.1f} s after it")
            self.assertEqual(call.args[0], 0x9, "EWX_SHUTDOWN | EWX_POWEROFF: not forced")


if __name__ == "__main__":
    unittest.main(verbosity=2)
