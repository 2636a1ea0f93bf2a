"""The main window as a desktop gadget: its labels, the running clock, its place, the
shape and effects calls, the embedding into a desktop window, and how it looks."""

import datetime
import os
import re
import struct
import subprocess
import time
import unittest

from defaults import scenario_settings
from harness import (WAIT, Session, _config, controls, controls_sized, find_control,
                     settings_text)

GWL_EXSTYLE = -20
WS_EX_TRANSPARENT, WS_EX_LAYERED = 0x20, 0x80000
GW_CHILD = 5
LWA_ALPHA = 2
EFFECTS = ["user32.GetWindowLongA", "user32.SetWindowLongA", "user32.SetLayeredWindowAttributes",
           "user32.FindWindowA", "user32.GetWindow", "user32.SetParent"]

# By weekday d (1 = Sunday): the numeral after 星期 (plain or formal form) and the
# controls shown; the hint captions are those of the default hotkeys.
NUMERALS = {2: "一壹", 3: "二贰", 4: "三叁", 5: "四肆", 6: "五伍", 7: "六陆"}
HINTS = {"热键关机'Ctrl'＋'F9'键", "配置选项'Ctrl'＋'F10'键", "显示/隐藏窗口'Ctrl'＋F11键",
         "退出程序'Ctrl'＋'F12'键"}
LOGO = "Varnel 小程序v1.5"


def weekday_number(date):
    return date.isoweekday() % 7 + 1


def dword(value):
    return value & 0xFFFFFFFF


def screenshots_dir():
    path = os.path.join(_config("VARNEL_E2E_WORK"), "screenshots")
    os.makedirs(path, exist_ok=True)
    return path


def pixel(image, x, y):
    """(red, green, blue) of one pixel of an image file, through ImageMagick."""
    out = subprocess.run(["convert", image, "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                         capture_output=True, text=True, check=True).stdout
    value = re.search(r"#([0-9A-Fa-f]{6})", out).group(1)
    return tuple(int(value[i:i + 2], 16) for i in (0, 2, 4))


class MainWindow(unittest.TestCase):
    def effect_calls(self, s):
        return [c for c in s.relay_calls()
                if c.function != "GetWindow" or c.args[1] == GW_CHILD]

    def assert_effects(self, s, main, progman, child):
        """The calls and values of the effects, in their order, for these handles."""
        calls = self.effect_calls(s)
        shown = [(c.function, c.texts[0] if c.function == "FindWindowA" else c.args[0],
                  *[dword(a) for a in c.args[1:]]) for c in calls]
        old_style = calls[0].retval
        self.assertEqual(shown, [
            ("GetWindowLongA", main, dword(GWL_EXSTYLE)),
            ("SetWindowLongA", main, dword(GWL_EXSTYLE),
             old_style | WS_EX_TRANSPARENT | WS_EX_LAYERED),
            ("SetLayeredWindowAttributes", main, 0, 100, LWA_ALPHA),
            ("FindWindowA", "ProgMan", 0),
            ("GetWindow", progman, GW_CHILD),
            ("SetParent", main, child),
        ])
        self.assertEqual(calls[3].retval, progman)
        self.assertEqual(calls[4].retval, child)

    def test_labels_clock_place_and_effects(self):
        rows = scenario_settings()
        hour = dict(dict(rows)["关机时间"])["小时"]
        rows = [(section, [("小时", hour), ("分钟", "5")] if section == "关机时间" else keys)
                for section, keys in rows]
        dates = {datetime.date.today()}
        with Session(self.id(), settings=settings_text(rows), relay=EFFECTS) as s:
            s.start()
            handle = s.wait_start_up()
            main = s.window(handle=handle)
            dates.add(datetime.date.today())  # a start just around midnight
            self.assertEqual(main["rect"], [785, 566, 229, 152], "bottom-right corner")

            self.assertIsNotNone(find_control(main, text=f"关机时间为{hour}:5"))
            date, = controls_sized(main, 148, 26)
            weekday, = controls_sized(main, 74, 26)
            day = next(d for d in dates
                       if re.fullmatch(f"{d.year}年0?{d.month}月0?{d.day}日", date["text"]))
            number = weekday_number(day)
            if number == 1:
                self.assertEqual(weekday["text"], "星期天")
            else:
                self.assertRegex(weekday["text"], f"^星期[{NUMERALS[number]}]$")
            shown = {c["text"] for c in controls(main) if c["visible"] and c["text"]}
            self.assertEqual(shown & HINTS, HINTS if number in (2, 4, 6) else set())
            self.assertEqual(LOGO in shown, number == 1)
            picture, = controls_sized(main, 16, 16)
            self.assertEqual(picture["visible"], number == 1)

            # Each reading agrees with the clock (the tick shows the second that began last);
            # the digits keep their creation text "55" until the first tick.
            s.wait_for(lambda: [c["text"] for c in controls_sized(s.window(handle=handle), 32, 27)]
                       != ["55", "55", "55"], WAIT, "the first clock tick")
            readings = []
            for _ in range(3):
                before = time.time()
                digits = [c["text"] for c in controls_sized(s.window(handle=handle), 32, 27)]
                after = time.time()
                for c in digits:
                    self.assertRegex(c, r"^\d\d$")
                shown_time = tuple(map(int, digits))
                candidates = {time.localtime(t)[3:6] for t in (before - 1.5, before - 0.5,
                                                              after - 0.5, after)}
                self.assertIn(shown_time, candidates)
                readings.append(shown_time)
                time.sleep(1.1)
            self.assertEqual(len(set(readings)), 3, f"the clock advances: {readings}")

            # Without a "ProgMan" window the null handles are passed on and the
            # window stays a top-level one.
            self.assert_effects(s, handle, 0, 0)
            self.assertEqual(main["layered"], {"key": 0, "alpha": 100, "flags": LWA_ALPHA})
            self.assertEqual(main["exstyle"] & 0x80020, 0x80020)
            self.assertIsNotNone(main["region"], "the window has a shape")
            with open(s.path("窗口.bmp"), "rb") as f:
                header = f.read(26)
            self.assertEqual(header[:2], b"BM")
            self.assertEqual(struct.unpack("<ii", header[18:26]), (229, 152))

    def test_embedded_into_the_desktop_window(self):
        with Session(self.id(), settings=settings_text(scenario_settings()), relay=EFFECTS) as s:
            fixture = s.spawn("progman_fixture.exe").report()
            s.start()
            handle = s.wait_start_up()
            self.assert_effects(s, handle, fixture["progman"], fixture["child"])
            self.assertIsNone(s.window(handle=handle, visible=None), "no longer top-level")
            desktop, = s.inspect("list", "--class", "ProgMan")
            main = find_control(desktop, handle=handle)
            self.assertIsNotNone(main, "the main window is inside the desktop window")
            self.assertEqual(main["parent"], fixture["child"])

    def test_shaped_translucent_clock(self):
        settings = scenario_settings(窃入桌面背景中=False)
        with Session(self.id(), settings=settings_text(settings), desktop=False) as s:
            s.start_compositor()
            s.start()
            handle = s.wait_start_up()
            s.wait_for(lambda: controls_sized(s.window(handle=handle), 32, 27)[0]["text"] ==
                       time.strftime("%H"), WAIT, "the first tick to show the time")
            left, top, width, height = s.window(handle=handle)["rect"]
            image = os.path.join(screenshots_dir(), "clock.png")
            margin = 20

            # A hole (left of the weekday hints) shows what lies behind the window, as
            # the margin around it does; inside the hour box, away from its digits and
            # border, its dark fill is blended with that.
            def painted():
                s.screenshot(image, [left - margin, top - margin, width + 2 * margin,
                                     height + 2 * margin])
                behind = pixel(image, 2, 2)
                hole = pixel(image, margin + 1, margin + height - 10)
                box = pixel(image, margin + 28, margin + 37)
                return (behind, box) if hole == behind and box != behind else None
            behind, box = s.wait_for(painted, WAIT, "the clock on the screen")
            fill = (0x30, 0x30, 0x30)
            alpha = 100 / 255
            blend = tuple(round(alpha * f + (1 - alpha) * b) for f, b in zip(fill, behind))
            print(f"behind {behind}, box {box}, expected blend {blend}")
            for got, want in zip(box, blend):
                self.assertAlmostEqual(got, want, delta=8)
            self.assertNotEqual(behind, fill)


if __name__ == "__main__":
    unittest.main(verbosity=2)
