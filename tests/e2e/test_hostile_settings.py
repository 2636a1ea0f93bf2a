"""Damaged and hand-edited settings files, each with what start-up makes of it: the program
starts and keeps running, acts on what it reads, writes its handle and style and keeps every
other line as it was, in the file's own encoding. The files one after another in one session
(the hotkeys are system-wide), each program in a directory of its own with its own trace."""

import os
import pathlib
import random
import re
import shutil
import unittest

from harness import CTRL, EXE, SETTINGS, WIZARD, Session, scenario_settings, settings_text

SECTIONS = ["打开软件配置程序", "显示或隐藏窗口", "退出程序", "热键关机"]  # in registration order


def text(**changes):
    """The scenario's settings as text with keys changed: text(隐藏启动={"是": "真"})."""
    return settings_text([(s, [(k, changes.get(s, {}).get(k, v)) for k, v in keys])
                          for s, keys in scenario_settings()])


ALT = text(隐藏启动={"是": "真"}, **{s: {"1": "1", "2": str(n + 1)} for n, s in enumerate(SECTIONS)})
SHIFT = text(**{s: {"1": "2", "2": str(n)} for n, s in enumerate(SECTIONS)}).encode("gbk")
HUGE = text(打开软件配置程序={"2": "9" * 20}, 显示或隐藏窗口={"2": "1e999"}, 退出程序={"2": "10.99"},
            关机时间={"小时": "9" * 30}).encode("gbk")  # clamped to 32 bits, exponents unread
NOTE = "[备注]\r\n说明=\udc00\r\n"  # an unpaired surrogate
# The file's bytes (None: no file; "dir": a directory in its place) and what start-up reads:
# the hotkeys registered (modifiers, key), start hidden, an hour out of range (the
# configuration window opens), the tray icon.
ENTRIES = {
    "missing": (None, [(CTRL, vk) for vk in (121, 122, 123, 120)], False, False, True),
    "empty": (b"", [], False, True, False),
    "binary junk": (random.Random(6).randbytes(8192) + b"\r\n" + ALT.encode("gbk"),
                    [(0x4001, vk) for vk in range(113, 117)], True, False, True),
    "10 MB of notes": (("[备注]\r\n" + "说明=用户自己写的备注，程序不读它。\r\n" * 280_000).encode(
        "gbk") + SHIFT, [(0x4004, vk) for vk in range(112, 116)], False, False, True),
    "UTF-8 with a byte-order mark": (b"\xef\xbb\xbf" + ALT.encode("utf-8"),
                                     [(0x4001, vk) for vk in range(113, 117)], True, False, True),
    "UTF-16LE, as Notepad saves Unicode": (b"\xff\xfe" + (ALT + NOTE).encode(
        "utf-16-le", "surrogatepass"), [(0x4001, vk) for vk in range(113, 117)], True, False, True),
    "huge numbers": (HUGE, [(CTRL, 2**31 + 111), (CTRL, 113), (CTRL, 122), (CTRL, 120)],
                     False, True, True),
    "read-only": (SHIFT, [(0x4004, vk) for vk in range(112, 116)], False, False, True),
    "a directory": ("dir", [], False, True, False),
}
WRITTEN = re.compile(r"\s*(窗口句柄|样式|[12])\s*=")  # keys start-up writes (1, 2: the position)


def lines(data):
    encoding = {b"\xff\xfe": "utf-16-le", b"\xef\xbb": "utf-8"}.get(data[:2], "gbk")
    return re.split(r"\r\n|\r|\n", data.decode(encoding, "surrogatepass" if "16" in encoding
                                               else "surrogateescape"))


class HostileSettings(unittest.TestCase):
    def test_each_file(self):
        relay = ["user32.RegisterHotKey", "user32.MessageBoxW", "user32.GetMessageW",
                 "shell32.Shell_NotifyIconW"]
        with Session(self.id(), relay=relay) as s:
            for number, (name, (data, *expected)) in enumerate(ENTRIES.items()):
                with self.subTest(name):
                    settings = os.path.join(s.dir, str(number), SETTINGS)
                    shutil.copytree(s.app_dir, os.path.dirname(settings))
                    if data == "dir":
                        os.makedirs(os.path.join(settings, "留着"))
                    elif data is not None:
                        pathlib.Path(settings).write_bytes(data)
                    if name == "read-only":
                        os.chmod(settings, 0o444)  # how Wine keeps the read-only attribute
                    program = s.start(os.path.join(s.dir, str(number), EXE), f"{number}.txt")
                    try:
                        s.settle(f"{number}.txt")
                        self.check(s, f"{number}.txt", settings, name, data or b"", *expected)
                    finally:
                        program.kill()
                        program.wait()

    def check(self, s, log, settings, name, data, keys, hidden, wizard, tray):
        calls = s.relay_calls(log=log)
        first = next(c for c in calls if c.function in ("RegisterHotKey", "MessageBoxW"))
        mine = [c for c in calls if c.pid == first.pid]  # not the services the first one starts
        registered = [c for c in mine if c.function == "RegisterHotKey"]
        self.assertEqual([(c.args[2], c.args[3] & 0xFFFFFFFF) for c in registered], keys)
        self.assertEqual(sum(c.function == "MessageBoxW" for c in mine),
                         4 - sum(bool(c.retval) for c in registered), "a message for each hotkey")
        self.assertEqual(any(c.function == "Shell_NotifyIconW" for c in mine), tray, "tray icon")
        self.assertIsNone(re.search(rb"wine: Unhandled|:err:seh:",
                                    pathlib.Path(s.dir, log).read_bytes()), "a crash")
        windows = [w for w in s.windows() if w["pid"] == first.pid]
        main, = [w for w in windows if w["rect"][2:] == [229, 152]]
        self.assertEqual(main["visible"], not hidden)
        self.assertEqual(any(w["text"] == WIZARD and w["visible"] for w in windows), wizard)
        if data == "dir":
            self.assertEqual(os.listdir(settings), ["留着"], "the directory left alone")
            return
        after = pathlib.Path(settings).read_bytes()
        rest = iter(lines(after))  # what is kept is found in order
        self.assertTrue(all(line in rest for line in lines(data) if not WRITTEN.match(line)))
        self.assertLessEqual({f"窗口句柄={main['handle']}", "样式=1"}, set(lines(after)))
        self.assertTrue(after.startswith(data[:3]), "the byte-order mark kept")
        if name == "read-only":  # made hidden + system, as Wine stores attributes
            self.assertEqual(int(os.getxattr(settings, "user.DOSATTRIB").strip(b"\0"), 16) & 6, 6)


if __name__ == "__main__":
    unittest.main(verbosity=2)
