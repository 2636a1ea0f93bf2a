"""The daily schedule across an Explorer restart. The stored time, at most three minutes ahead,
is announced by the countdown window by itself and postponed there to a minute earlier. Then
Explorer ends, and the desktop window the clock is set into goes with it: the clock comes back
at once, with its hotkeys and the countdown window; the new Explorer announces itself, and the
tray icon and the clock go back in. The shutdown comes at the postponed minute."""

import time
import unittest

from harness import (COUNTDOWN, WAIT, Session, controls_sized, find_control, next_minute,
                     scenario_settings, with_shutdown_time)


def embedded(s, handle):
    """The main window as found inside a "ProgMan" window, or None."""
    return next(filter(None, (find_control(d, handle=handle) for d in s.windows("ProgMan"))), None)


class ExplorerRestart(unittest.TestCase):
    def test_schedule_postpone_and_explorer_restart(self):
        minute = next_minute(50)  # the postponed shutdown, with room for what comes before
        # Style "1" as every earlier start leaves it: without it a first tick inside start-up
        # would rightly open the window on its countdown page.
        settings = with_shutdown_time(scenario_settings(强行关机=False), minute + 60) + [
            ("倒计时窗口样式", [("样式", "1")])]
        with Session(self.id(), settings=settings,
                     relay=["user32.ExitWindowsEx", "shell32.Shell_NotifyIconW"]) as s:
            explorer = s.spawn("progman_fixture.exe")
            explorer.report()
            s.start()
            lost = int(s.wait_for(lambda: s.setting("句柄", "窗口句柄"), WAIT, "start-up"))
            self.assertTrue(s.wait_for(lambda: embedded(s, lost), WAIT, "the clock in the desktop"))

            def seconds_left():
                value, = controls_sized(s.window(text=COUNTDOWN), 140, 31)
                return value["text"].isdigit() and int(value["text"])
            window = s.wait_window(text=COUNTDOWN)
            left = s.wait_for(seconds_left, WAIT, "the seconds left")
            self.assertLess(abs(minute + 60 - time.time() - left), 3)
            for box, value in zip(controls_sized(window, 22, 24), time.localtime(minute)[3:5]):
                s.set_text(box, value)
            s.click(find_control(window, text="推迟"))
            s.wait_for(lambda: s.setting("倒计时窗口样式", "样式") == "3", WAIT, "the postponement")

            explorer.kill()
            killed = time.monotonic()
            handle = s.wait_for(lambda: int(s.setting("句柄", "窗口句柄")) != lost and
                                int(s.setting("句柄", "窗口句柄")), WAIT, "a new main window")
            self.assertLess(time.monotonic() - killed, 3, "the clock built again at once")
            main = s.window(handle=handle)
            self.assertEqual([main["rect"], main["exstyle"] & 0x80020], [[785, 566, 229, 152],
                             0x80020], "in the corner, layered and click-through")
            self.assertTrue(find_control(s.wait_window(text=COUNTDOWN), text="取消"),
                            "the countdown window back on its postponed page")
            for shown in (False, True):
                s.keys("ctrl+F11")
                s.wait_window(handle=handle, visible=shown)

            def icons_added():
                return [c.args[0] for c in s.relay_calls("Shell_NotifyIconW")].count(0)  # NIM_ADD
            added = icons_added()
            desktop = s.spawn("progman_fixture.exe", "announce").report()
            s.wait_for(lambda: icons_added() > added, WAIT, "the tray icon added again")
            clock = s.wait_for(lambda: embedded(s, handle), WAIT, "the clock in the new desktop")
            self.assertEqual(clock["parent"], desktop["child"])

            call, seen = s.wait_call("ExitWindowsEx", minute - time.time() + WAIT)
            self.assertTrue(0 <= seen - minute < 60, f"requested {seen - minute:.1f} s after it")
            self.assertEqual(call.args[0], 0x9, "EWX_SHUTDOWN | EWX_POWEROFF: not forced")


if __name__ == "__main__":
    unittest.main(verbosity=2)
