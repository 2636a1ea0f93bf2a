"""Explorer restarts: the desktop window the clock is set into goes away with it, and a new
one comes up and announces itself. The clock, its hotkeys, its tray icon and the daily
schedule carry on."""

import time
import unittest

from defaults import next_shutdown_minute, scenario_settings, with_shutdown_time
from harness import WAIT, Session, controls_sized, find_control, settings_text

NIM_ADD = 0


class ExplorerRestart(unittest.TestCase):
    def test_clock_comes_back_and_joins_the_new_desktop(self):
        minute = next_shutdown_minute()
        settings = with_shutdown_time(scenario_settings(), minute)
        settings.append(("倒计时窗口样式", [("样式", "1")]))  # as earlier runs leave it
        with Session(self.id(), settings=settings_text(settings),
                     relay=["user32.ExitWindowsEx", "shell32.Shell_NotifyIconW"]) as s:
            old_desktop = s.spawn("progman_fixture.exe")
            old_desktop.report()
            s.start()
            lost = int(s.wait_for(lambda: s.setting("句柄", "窗口句柄"), WAIT, "start-up"))
            s.wait_for(lambda: s.inspect("list", "--class", "ProgMan"), WAIT, "the embedding")
            self.assertIsNone(s.window(handle=lost, visible=None), "set into the desktop")

            old_desktop.process.kill()
            killed = time.monotonic()
            handle = s.wait_for(lambda: int(s.setting("句柄", "窗口句柄")) != lost and
                                int(s.setting("句柄", "窗口句柄")), WAIT, "a new main window")
            print(f"main window built again {time.monotonic() - killed:.2f} s after the kill")
            self.assertLess(time.monotonic() - killed, 2)
            main = s.window(handle=handle)
            self.assertIsNotNone(main, "a visible top-level window")
            self.assertEqual(main["rect"], [785, 566, 229, 152])
            self.assertEqual(main["exstyle"] & 0x80020, 0x80020)
            self.assertIsNotNone(main["region"], "the window has its shape")
            self.assertIsNotNone(find_control(main, text=f"关机时间为{time.localtime(minute).tm_hour}"
                                                      f":{time.localtime(minute).tm_min}"))
            digits = [c["text"] for c in controls_sized(main, 32, 27)]
            s.wait_for(lambda: [c["text"] for c in controls_sized(s.window(handle=handle), 32, 27)]
                       not in (digits, ["55"] * 3), WAIT, "the clock to tick")
            s.hotkey("ctrl+F11")
            s.wait_window(handle=handle, visible=False)
            s.hotkey("ctrl+F11")
            s.wait_window(handle=handle)

            adds = len([c for c in s.relay_calls("Shell_NotifyIconW") if c.args[0] == NIM_ADD])
            new_desktop = s.spawn("progman_fixture.exe", "announce").report()
            s.wait_for(lambda: len([c for c in s.relay_calls("Shell_NotifyIconW")
                                    if c.args[0] == NIM_ADD]) > adds, WAIT,
                       "the tray icon added again")

            def embedded():
                desktops = s.inspect("list", "--class", "ProgMan")
                inside = [find_control(d, handle=handle) for d in desktops]
                return next((c for c in inside if c), None)
            clock = s.wait_for(embedded, WAIT, "the clock set into the new desktop window")
            self.assertEqual(clock["parent"], new_desktop["child"])

            s.wait_call("ExitWindowsEx", timeout=minute - time.time() + WAIT)
            self.assertIsNotNone(s.wait_exit(WAIT), "the request ends the Wine session")


if __name__ == "__main__":
    unittest.main(verbosity=2)
