"""The daily schedule: five minutes ahead the countdown window opens by itself with the
seconds left, and at the shutdown minute the shutdown is requested as configured."""

import time
import unittest

from defaults import next_shutdown_minute, scenario_settings, with_shutdown_time
from harness import WAIT, Session, controls_sized, settings_text

COUNTDOWN_TITLE = " 关机提示"
EWX_SHUTDOWN, EWX_FORCE, EWX_POWEROFF = 0x1, 0x4, 0x8


class Schedule(unittest.TestCase):
    def seconds_shown(self, s):
        """The countdown window's big value as a number, with the wall-clock span of the
        reading, or None before the window's first display; checks the unit and the caption
        that go with a number of seconds."""
        before = time.time()
        window = s.window(title=COUNTDOWN_TITLE)
        after = time.time()
        value, = controls_sized(window, 140, 31)
        unit, = controls_sized(window, 32, 24)
        caption, = controls_sized(window, 72, 24)
        if not value["text"].isdigit():
            return None  # the window's display has not had its first tick yet
        self.assertEqual((caption["text"], unit["text"]), ("关机时间：", "秒"))
        return int(value["text"]), before, after

    def test_announcement_then_request_at_the_shutdown_minute(self):
        minute = next_shutdown_minute()
        settings = with_shutdown_time(scenario_settings(强行关机=False), minute)
        # As every earlier start and exit leaves it. Without it the style reads "2", and a
        # first tick that lands in start-up's own event processing, before start-up writes
        # "1", rightly opens the window on its countdown page.
        settings.append(("倒计时窗口样式", [("样式", "1")]))
        with Session(self.id(), settings=settings_text(settings),
                     relay=["user32.ExitWindowsEx"]) as s:
            s.start()
            # Style "1" is there from the start: the handle, written just before it, marks
            # the end of start-up.
            handle = s.wait_for(lambda: s.setting("句柄", "窗口句柄"), WAIT, "the handle written")
            main = s.window(handle=int(handle))
            s.wait_window(title=COUNTDOWN_TITLE)
            s.mark("announcement")
            self.assertTrue(s.window(handle=main["handle"])["enabled"],
                            "the announcement's window is not modal")

            # 60 x (minutes ahead) - second, as the clock runs: 1 to 120 here.
            shown, before, after = s.wait_for(lambda: self.seconds_shown(s), WAIT,
                                              "the seconds left")
            # The window shows the main tick's value through its own display timer, up to
            # a second later; a loaded machine adds its own lag on top.
            self.assertGreaterEqual(shown, minute - after - 3)
            self.assertLessEqual(shown, minute - before + 3)
            s.wait_for(lambda: (self.seconds_shown(s) or [shown])[0] < shown, WAIT,
                       "the seconds left to go down")

            call, seen = s.wait_call("ExitWindowsEx", timeout=minute - time.time() + WAIT)
            delay = seen - minute
            print(f"shutdown requested {delay:.3f} s after the start of the shutdown minute "
                  f"(seen in the trace)")
            self.assertGreaterEqual(delay, 0, "requested before the shutdown minute")
            self.assertLess(delay, 60, "requested after the shutdown minute")
            self.assertEqual(call.args[0], EWX_SHUTDOWN | EWX_POWEROFF,
                             "not forced: option 强行关机 is off")
            self.assertIsNotNone(s.wait_exit(WAIT), "the request ends the Wine session")


if __name__ == "__main__":
    unittest.main(verbosity=2)
