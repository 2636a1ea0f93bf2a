"""The clock on the desktop: set into it, following display and work-area changes, the daily
schedule announced and postponed while the user types elsewhere, Explorer restarting under it;
on its own at 150 %, installed where it cannot write."""

import glob
import os
import subprocess
import time
import unittest

from harness import (COUNTDOWN, SETTINGS, WAIT, Session, controls_sized, find_control, next_minute,
                     parse_ini, scenario_settings)


class Desktop(unittest.TestCase):
    def follows(self, s, handle, change, *args, rect):
        """Makes the change, then waits up to 2 s for the clock at rect."""
        s.probe(change, *args)
        s.wait_for(lambda: s.find(handle)["rect"] == rect, 2,
                   f"the clock at {rect} after {change} {args}")

    def place_keys(self, s):
        return [int(s.setting("窗口位置", key) or 0) for key in ("1", "2", "1_1", "2_1")]

    def test_in_the_desktop_a_postponed_day_and_explorer_restarting(self):
        # The postponed shutdown, with room for what comes before; the set one is announced a
        # minute before it, 60 to 120 s from now, once the display checks are done and the user
        # is typing in Notepad.
        minute = next_minute(120)
        # Style "1" as every earlier start leaves it: without it a first tick inside start-up
        # would rightly open the window on its countdown page. The corner "1", "2" to be written.
        place = [("1", "0"), ("2", "0"), ("1_1", "1024"), ("2_1", "768")]
        settings = scenario_settings(minute + 240, 强行关机=False)[:-1] + [
            ("窗口位置", place), ("倒计时窗口样式", [("样式", "1")])]
        relay = ["user32.ExitWindowsEx", "shell32.Shell_NotifyIconW", "user32.SystemParametersInfoW"]
        with Session(self.id(), settings=settings, relay=relay) as s:
            explorer = s.spawn("progman_fixture.exe")
            desktop = explorer.report()
            s.start()
            s.wait_for(lambda: self.place_keys(s) == [785, 566, 1024, 768], WAIT, "the corner")
            lost = int(s.wait_for(lambda: s.setting("句柄", "窗口句柄"), WAIT, "start-up"))
            self.assertEqual(s.wait_for(lambda: s.find(lost, "ProgMan"), WAIT,
                                        "the clock in the desktop")["parent"], desktop["child"])
            file = s.read_bytes()
            for size, place in [((800, 600), [561, 398]), ((1024, 768), [785, 566])]:
                self.follows(s, lost, "display", *size, rect=place + [229, 152])
            # Wine keeps each process's work area to itself: the clock hears a change and reads it.
            program = s.relay_calls("Shell_NotifyIconW")[0].pid
            reads = lambda: sum(c.pid == program and c.args[0] == 0x30  # SPI_GETWORKAREA
                                for c in s.relay_calls("SystemParametersInfoW"))
            for area in ((0, 0, 1024, 668), (0, 0, 1024, 768)):
                before = reads()
                s.probe("workarea", *area)
                s.wait_for(lambda: reads() > before, 2, f"the work area {area} read")
            self.assertEqual(s.read_bytes(), file, "the settings file left alone")

            s.spawn("notepad.exe")  # where the user is typing
            x, y, width, height = s.wait_for(lambda: s.windows("Notepad"), WAIT, "Notepad")[0]["rect"]
            s.mouse_click(x + width // 2, y + height // 2)
            s.wait_for(lambda: s.windows("Notepad")[0]["foreground"], WAIT, "Notepad in front")
            window = s.wait_for(lambda: s.window(text=COUNTDOWN), 150, "the announcement")
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

    def test_on_its_own_at_150_percent_where_it_cannot_write(self):
        """The exe in a folder the program cannot write (a read-only bind mount, as Program Files
        for a standard user; left out where mounting is refused): its files go to <roaming
        application data>\\Varnel, where the settings prepared beside the exe are copied. Only the
        shutdown's own weekday is checked: the clock shows its time only if Windows' day is read
        right."""
        when = time.time() + 12 * 3600
        when += 3600 * (time.localtime(when).tm_hour == 0)  # hour 0 opens the configuration window
        day = "".join("1" if d == time.localtime(when).tm_wday else "0" for d in range(7))
        prepared = scenario_settings(when, day, 窃入桌面背景中=False, 隐藏启动=True)
        with Session(self.id(), settings=prepared, dpi=144) as s:
            try:
                for args in (["--bind", s.app_dir], ["-o", "remount,ro,bind"]):
                    done = subprocess.run(["mount", *args, s.app_dir], capture_output=True)
                    if done.returncode:
                        print(f"not read-only: cannot mount ({done.stderr.decode().strip()})")
                        break
                else:
                    roaming, = glob.glob(os.path.join(s.prefix, "drive_c/users/*/AppData/Roaming"))
                    s.data_dir = os.path.join(roaming, "Varnel")
                s.start()
                handle = s.wait_start_up()
                if s.data_dir != s.app_dir:
                    self.assertEqual(sorted(os.listdir(s.data_dir)),
                                     [SETTINGS, "常用热键.txt", "窗口.bmp"])
                    self.assertEqual(parse_ini(s.read_bytes())[:len(prepared) - 1], prepared[:-1])
                main = s.window(handle=handle, visible=None)
                self.assertFalse(main["visible"], "start hidden")
                hour, minute = time.localtime(when)[3:5]
                self.assertTrue(find_control(main, text=f"关机时间为{hour}:{minute}"), "its day")
                left, top, width, height = main["rect"]
                self.assertEqual(height, 228, "the clock scaled")
                self.assertEqual([left, top], [1024 - width - 15, 768 - height - 75],
                                 "in the corner, clear of a 72-pixel taskbar")
                self.assertEqual(self.place_keys(s), [left, top, 1024, 768])
                self.follows(s, handle, "display", 800, 600,
                             rect=[800 - width - 15, 600 - height - 75, width, height])
            finally:  # busy while Wine works in it: detached all the same
                subprocess.run(["umount", "-l", s.app_dir], capture_output=True)


if __name__ == "__main__":
    unittest.main(verbosity=2)
