"""The settings file as users and Windows leave it, two programs on it at once, and a program
killed while it writes."""

import os
import pathlib
import random
import re
import shutil
import time
import unittest

from harness import (CTRL, EXE, SETTINGS, WAIT, WIZARD, Session, find_control,
                     scenario_settings, settings_text)

HOTKEYS = ["打开软件配置程序", "显示或隐藏窗口", "退出程序", "热键关机"]  # in registration order
RELAY = ["user32.RegisterHotKey", "user32.MessageBoxW", "user32.GetMessageW"]


def text(**changes):
    """The scenario's settings as text with keys changed: text(隐藏启动={"是": "真"})."""
    return settings_text([(s, [(k, changes.get(s, {}).get(k, v)) for k, v in keys])
                          for s, keys in scenario_settings()])


ALT = text(隐藏启动={"是": "真"}, **{s: {"1": "1", "2": str(n + 1)} for n, s in enumerate(HOTKEYS)})
SHIFT = text(**{s: {"1": "2", "2": str(n)} for n, s in enumerate(HOTKEYS)}).encode("gbk")
HUGE = text(打开软件配置程序={"2": "9" * 20}, 显示或隐藏窗口={"2": "1e999"}, 退出程序={"2": "10.99"},
            关机时间={"小时": "9" * 30}).encode("gbk")  # clamped to 32 bits, exponents unread
ALT_KEYS = [(0x4001, vk) for vk in range(113, 117)]
SHIFT_KEYS = [(0x4004, vk) for vk in range(112, 116)]
NOTES = ("[备注]\r\n" + "说明=用户自己写的备注，程序不读它。\r\n" * 280_000).encode("gbk")  # 10 MB
# The file's bytes ("dir": a directory in its place; none: test_program's first start), the
# hotkeys registered (modifiers, key), what else start-up reads: start hidden, the tray icon and
# an hour out of range, which opens the configuration window.
ENTRIES = {
    "empty": (b"", [], "wizard"),
    "binary junk": (random.Random(6).randbytes(8192) + b"\r\n" + ALT.encode("gbk"), ALT_KEYS,
                    "hidden tray"),
    "10 MB of notes": (NOTES + SHIFT, SHIFT_KEYS, "tray"),
    "huge numbers": (HUGE, [(CTRL, 2**31 + 111), (CTRL, 113), (CTRL, 122), (CTRL, 120)],
                     "wizard tray"),
    "read-only": (SHIFT, SHIFT_KEYS, "tray"),
    "a directory": ("dir", [], "wizard"),
}
TRIALS = int(os.environ.get("VARNEL_KILL_TRIALS", "12"))
SEED = int(os.environ.get("VARNEL_KILL_SEED", time.time_ns() % 1_000_000_007))
# About 1 MB, so that each write takes long enough to be hit, then the two keys start-up writes
# last: the handle ("{H}" in the states for the value written) and the style.
DIARY = "".join(f"; 第{n}条笔记\r\n[笔记{n}]\r\n内容 = 记得关灯 {n}\r\n\r\n" for n in range(15000))
TEXT = settings_text(scenario_settings()) + DIARY + "[句柄]\r\n窗口句柄={H}\r\n[倒计时窗口样式]\r\n样式={S}\r\n"
STATES = [t.encode("gbk") for t in (TEXT.replace("{H}", "0").replace("{S}", "3"),
                                    TEXT.replace("{S}", "3"), TEXT.replace("{S}", "1"))]
HANDLE = re.compile("窗口句柄=".encode("gbk") + rb"(-?\d+)\r\n")
WRITTEN = re.compile(r"\s*(窗口句柄|样式|[12])\s*=")  # keys start-up writes (1, 2: the position)


def lines(data):
    return re.split(r"\r\n|\r|\n", data.decode("gbk", "surrogateescape"))


class SettingsFile(unittest.TestCase):
    def test_hostile_files(self):
        """Damaged and hand-edited files: the program starts, acts on what it reads, writes its
        handle and style and keeps every other line. One after another
        (the hotkeys are system-wide), each in a directory of its own."""
        with Session(self.id(), relay=RELAY + ["shell32.Shell_NotifyIconW"]) as s:
            for number, (name, (data, keys, reads)) in enumerate(ENTRIES.items()):
                with self.subTest(name):
                    settings = os.path.join(s.dir, str(number), SETTINGS)
                    shutil.copytree(s.app_dir, os.path.dirname(settings))
                    if data == "dir":
                        os.makedirs(os.path.join(settings, "留着"))
                    else:
                        pathlib.Path(settings).write_bytes(data)
                    if name == "read-only":
                        os.chmod(settings, 0o444)  # how Wine keeps the read-only attribute
                    program = s.start(os.path.join(s.dir, str(number), EXE), f"{number}.txt")
                    try:
                        s.settle(f"{number}.txt")
                        self.check(s, f"{number}.txt", settings, name, data, keys, reads)
                    finally:
                        program.kill()
                        program.wait()

    def check(self, s, log, settings, name, data, keys, reads):
        calls = s.relay_calls(log=log)
        first = next(c for c in calls if c.function in ("RegisterHotKey", "MessageBoxW"))
        mine = [c for c in calls if c.pid == first.pid]  # not the services the first one starts
        hotkeys = [c for c in mine if c.function == "RegisterHotKey"]
        self.assertEqual([(c.args[2], c.args[3] & 0xFFFFFFFF) for c in hotkeys], keys)
        self.assertEqual(sum(c.function == "MessageBoxW" for c in mine),
                         4 - sum(bool(c.retval) for c in hotkeys), "a message for each hotkey")
        windows = [w for w in s.windows() if w["pid"] == first.pid]
        main, = [w for w in windows if w["rect"][2:] == [229, 152]]
        self.assertEqual(" ".join(what for what, seen in [
            ("hidden", not main["visible"]),
            ("wizard", any(w["text"] == WIZARD and w["visible"] for w in windows)),
            ("tray", any(c.function == "Shell_NotifyIconW" for c in mine))] if seen), reads)
        if data == "dir":
            self.assertEqual(os.listdir(settings), ["留着"], "the directory left alone")
            return
        after = pathlib.Path(settings).read_bytes()
        rest = iter(lines(after))  # the lines kept found in order
        self.assertTrue(all(line in rest for line in lines(data) if not WRITTEN.match(line)))
        self.assertLessEqual({f"窗口句柄={main['handle']}", "样式=1"}, set(lines(after)))
        if name == "read-only":  # made hidden + system, as Wine stores attributes
            self.assertEqual(int(os.getxattr(settings, "user.DOSATTRIB").strip(b"\0"), 16) & 6, 6)

    def test_a_save_that_cannot_write_says_so(self):
        """A save while another program holds the file open: an error box naming the file, which
        is as it was (that the window stays and nothing restarts: the unit tests)."""
        with Session(self.id(), settings=scenario_settings()) as s:
            s.start()
            s.wait_start_up()
            before = s.read_bytes()
            s.spawn("winprobe.exe", "hold", "Z:" + s.path(SETTINGS).replace("/", "\\")).report()
            s.keys("ctrl+F10")
            s.set_page(s.wait_window(text=WIZARD), 5)
            s.click(s.wait_for(lambda: find_control(s.window(text=WIZARD), text="完成"), WAIT,
                               "the last page"))
            box = s.wait_window(text="设置未保存")
            self.assertEqual(find_control(box, id=0xFFFF)["text"],
                             "无法写入设置文件：\r\nZ:" + s.path(SETTINGS).replace("/", "\\") +
                             "\r\n设置没有保存，请检查文件是否被其它程序占用或磁盘已满。")
            self.assertEqual(s.read_bytes(), before)

    def test_two_programs_at_once(self):
        """Two sessions, one copy each from one folder, both writing the file at start-up: it
        comes out whole, and each copy holds its four hotkeys, which are the session's own."""
        old = ("; 两个实例共用这个文件\r\n" + settings_text(scenario_settings()) +
               "[我的笔记]\r\n内容 = 下班前关机\r\n[句柄]\r\n窗口句柄=0\r\n[倒计时窗口样式]\r\n样式=3\r\n")
        stored = old.replace("1=785\r\n2=566", "1=0\r\n2=0")  # away from the corner: both write it
        with Session(self.id(), settings=stored, relay=RELAY) as s, \
                Session(self.id() + "_other", relay=RELAY, app_dir=s.app_dir) as other:
            for session in (s, other):
                session.start()
            handles = []
            for session in (s, other):
                session.settle("relay.txt")
                self.assertEqual([bool(c.retval) for c in session.relay_calls("RegisterHotKey")] +
                                 session.relay_calls("MessageBoxW"), [True] * 4, session.name)
                handles += [w["handle"] for w in session.windows() if w["cls"] == "VarnelWindow"]
            self.assertIn(s.read_bytes(), [old.replace("样式=3", "样式=1").replace(
                "窗口句柄=0", f"窗口句柄={handle}").encode("gbk") for handle in handles])


    def test_file_is_whole_after_every_kill(self):
        """varnel.exe killed (SIGKILL) at random moments while start-up writes into a large
        hand-edited file: the file is always whole, as before or after some number of whole
        writes. VARNEL_KILL_TRIALS sets the number of trials, VARNEL_KILL_SEED the seed (printed,
        to repeat)."""
        print(f"kill test seed: {SEED} (VARNEL_KILL_SEED={SEED} repeats it)", flush=True)
        rng = random.Random(SEED)
        with Session(self.id()) as s:
            def state():  # which of the states the file is in; None: none, it is broken
                data = s.read_bytes() or b""
                handle = HANDLE.search(data)
                found = [st.replace(b"{H}", handle[1] if handle else b"{H}") for st in STATES]
                return found.index(data) if data in found else None

            def temporaries():
                return {name for name in os.listdir(s.app_dir) if name.startswith(SETTINGS + ".")}

            def run(delay):
                """Kills a start `delay` s after the first sign of a write to the file (a new
                temporary file or the file replaced; None: after the last write); returns that
                time, the state it leaves and whether it leaves a temporary file."""
                s.write(STATES[0])
                before, inode = temporaries(), os.stat(s.path(SETTINGS)).st_ino
                program = s.start()
                s.wait_for(lambda: temporaries() - before or os.stat(s.path(SETTINGS)).st_ino
                           != inode, WAIT, "a write", 0.0002)
                seen = time.monotonic()
                if delay is None:
                    s.wait_for(lambda: (s.read_bytes() or b"").endswith(STATES[2][-10:]), WAIT,
                               "the last write", 0.0002)
                time.sleep(max(0.0, seen + (delay or 0) - time.monotonic()))
                program.kill()
                program.wait()
                return time.monotonic() - seen, state(), bool(temporaries() - before)

            window, broken, inside = run(None)[0], [], 0
            for number in range(TRIALS):
                delay = rng.uniform(0, window * 1.25)  # the last write hit as well as the first
                _, left, temporary = run(delay)
                inside += temporary or left != 2
                if left is None:
                    broken.append(f"trial {number}, killed {delay * 1000:.1f} ms after a write")
            print(f"kill test: {TRIALS} trials, {TRIALS - len(broken)} old-or-new, {len(broken)} "
                  f"broken; {inside} kills inside the write window of {window * 1000:.0f} ms")
            self.assertEqual(broken, [])
            self.assertGreater(inside, 0, "no kill landed inside the write window")


if __name__ == "__main__":
    unittest.main(verbosity=2)
