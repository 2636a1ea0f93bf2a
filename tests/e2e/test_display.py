"""The clock in its corner at 100 % and 150 % and after display changes, in the desktop or not."""

import unittest

from harness import Session, scenario_settings


class Display(unittest.TestCase):
    def follows(self, s, handle, change, *args, rect):
        """Makes the change, then waits up to 2 s for the clock at rect."""
        s.probe(change, *args)
        s.wait_for(lambda: s.find(handle)["rect"] == rect, 2,
                   f"the clock at {rect} after {change} {args}")

    def place_keys(self, s):
        return [int(s.setting("窗口位置", key)) for key in ("1", "2", "1_1", "2_1")]

    def test_in_the_desktop_at_100_percent(self):
        place = [("1", "0"), ("2", "0"), ("1_1", "1024"), ("2_1", "768")]  # "1", "2" to be written
        settings = scenario_settings()[:-1] + [("窗口位置", place)]
        relay = ["shell32.Shell_NotifyIconW", "user32.SystemParametersInfoW"]
        with Session(self.id(), settings=settings, relay=relay) as s:
            desktop = s.spawn("progman_fixture.exe").report()
            s.start()
            handle = s.wait_start_up()
            self.assertEqual(self.place_keys(s), [785, 566, 1024, 768], "written by start-up")
            file = s.read_bytes()
            for size, place in [((800, 600), [561, 398]), ((1024, 768), [785, 566])]:
                self.follows(s, handle, "display", *size, rect=place + [229, 152])
            # Wine keeps each process's work area to itself: the clock hears a change and reads it.
            program = s.relay_calls("Shell_NotifyIconW")[0].pid
            reads = lambda: sum(c.pid == program and c.args[0] == 0x30  # SPI_GETWORKAREA
                                for c in s.relay_calls("SystemParametersInfoW"))
            for area in ((0, 0, 1024, 668), (0, 0, 1024, 768)):
                before = reads()
                s.probe("workarea", *area)
                s.wait_for(lambda: reads() > before, 2, f"the work area {area} read")
            self.assertEqual(s.read_bytes(), file, "the settings file left alone")
            self.assertEqual(s.find(handle, "ProgMan")["parent"], desktop["child"],
                             "still in the desktop")

    def test_on_its_own_at_150_percent(self):
        with Session(self.id(), settings=scenario_settings(窃入桌面背景中=False), dpi=144) as s:
            s.start()
            handle = s.wait_start_up()
            left, top, width, height = s.window(handle=handle)["rect"]
            self.assertEqual(height, 228, "the clock scaled")
            self.assertEqual([left, top], [1024 - width - 15, 768 - height - 75],
                             "in the corner, clear of a 72-pixel taskbar")
            self.assertEqual(self.place_keys(s), [left, top, 1024, 768])
            self.follows(s, handle, "display", 800, 600,
                         rect=[800 - width - 15, 600 - height - 75, width, height])


if __name__ == "__main__":
    unittest.main(verbosity=2)
