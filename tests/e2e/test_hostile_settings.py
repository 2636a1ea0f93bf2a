"""Damaged and hand-edited settings files (hostile.py): for each, the program starts,
acts on what the file says as read, does not crash, and keeps every line of the file
that start-up does not write.

All entries run in one Wine session, one after the other (the hotkeys are system-wide,
so two instances at once would take each other's), each program in a directory of its
own with its own relay trace.
"""

import os
import shutil
import subprocess
import time
import unittest

import hostile
from harness import EXE_NAME, SETTINGS_NAME, WAIT, Session, parse_ini, parse_relay
from defaults import DEFAULT_SETTINGS

RELAY = ["user32.RegisterHotKey", "user32.MessageBoxW", "user32.GetMessageW",
         "shell32.Shell_NotifyIconW"]
WIZARD_TITLE = "Varnel 程序配置"
MAIN_SIZE = [229, 152]
NIM_ADD = 0
MB_ICONWARNING = 0x30
VK_F1 = 112
FAILURES = ["注册‘打开软件配置程序’热键失败，请尝试更改其它热键!",
            "注册‘显示或隐藏窗口’热键失败，请尝试更改其它热键!",
            "注册‘退出程序’热键失败，请尝试更改其它热键!",
            "注册‘关机热键’热键失败，请尝试更改其它热键!"]
HIDDEN, SYSTEM, ARCHIVE = 0x2, 0x4, 0x20
# What start-up may leave beside the settings file.
EXPECTED_FILES = {EXE_NAME, "图标.ico", SETTINGS_NAME, "常用热键.txt", "窗口.bmp", "relay.txt"}
# Wine's report of an unhandled exception (the first program of a session also carries
# the output of the services it starts, fixme lines included).
CRASH_SIGNS = [b"wine: Unhandled", b":err:seh:"]


def u32(value):
    return value & 0xFFFFFFFF


def dos_attributes(path):
    """Hidden and system as Wine stores them (0 when it stores none)."""
    try:
        return int(os.getxattr(path, "user.DOSATTRIB").strip(b"\0"), 16) & (HIDDEN | SYSTEM)
    except OSError:
        return 0


class Program:
    """One varnel.exe in a corpus directory of the session, traced."""

    def __init__(self, session, entry):
        self.s, self.entry = session, entry
        self.dir = os.path.join(session.dir, "corpus", entry.slug)
        os.makedirs(self.dir)
        for name in (EXE_NAME, "图标.ico"):
            shutil.copy(session.path(name), self.dir)
        self.settings = os.path.join(self.dir, SETTINGS_NAME)
        self.process = None

    def prepare(self):
        kind = self.entry.kind
        if kind == "absent":
            return
        if kind == "directory":
            os.mkdir(self.settings)
            with open(os.path.join(self.settings, "留着.txt"), "wb") as f:
                f.write(b"keep")
            return
        with open(self.settings, "wb") as f:
            f.write(self.entry.data)
        if kind == "read-only":
            os.chmod(self.settings, 0o444)  # how Wine keeps the read-only attribute
        elif kind == "hidden-system":
            os.setxattr(self.settings, "user.DOSATTRIB", b"0x6")

    def attributes(self):
        return self.s.inspect("attrs", "Z:" + self.settings.replace("/", "\\"))["attributes"]

    def start(self):
        self.log = os.path.join(self.dir, "relay.txt")
        with open(self.log, "wb") as err:
            self.process = subprocess.Popen(
                [os.environ["VARNEL_WINE"], os.path.join(self.dir, EXE_NAME)], cwd=self.dir,
                env=self.s.env(WINEDEBUG="+pid,+relay"), stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL, stderr=err)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
        if self.process:
            self.process.wait()

    def calls(self, function=None):
        """The program's own calls: the services that the first program of a session
        starts write to the same trace."""
        with open(self.log, encoding="latin-1") as f:
            calls = parse_relay(f.read())
        return [c for c in calls
                if c.pid == self.pid and (function is None or c.function == function)]

    def find_pid(self):
        """The program's process id, from its main window (created before start-up)."""
        self.pid = self.s.wait_for(
            lambda: next((w["pid"] for w in self.s.windows()), None), WAIT, "a window")

    def settle(self):
        """Answers start-up's message boxes (OK) until the program's own event loop
        asks for its first message: start-up is over."""
        deadline = time.monotonic() + WAIT
        while True:
            calls = self.calls()
            if any(c.function == "MessageBoxW" and c.retval is None for c in calls):
                self.s.tool("winprobe.exe", "msgbox", "--exe", EXE_NAME, "ok")
            elif any(c.function == "GetMessageW" for c in calls):
                return
            if self.process.poll() is not None:
                raise AssertionError(f"ended during start-up with {self.process.returncode}")
            if time.monotonic() > deadline:
                raise AssertionError("start-up did not finish")
            time.sleep(0.05)

    def first_start(self, test):
        """The modal configuration window of a first start: its owner, the main window,
        is disabled; closed, start-up goes on."""
        wizard = self.s.wait_window(title=WIZARD_TITLE)
        owner = self.s.window(handle=wizard["owner"], visible=None)
        test.assertIsNotNone(owner, "the first-start window has the main window as owner")
        test.assertFalse(owner["enabled"], "modal: its owner takes no input")
        self.s.close(wizard)
        self.s.wait_for(lambda: os.path.exists(self.settings) and self.style_written(), WAIT,
                        "the end of start-up")

    def style_written(self):
        return any(dict(keys).get("样式") == "1"
                   for section, keys in parse_ini(self.read()) if section == "倒计时窗口样式")

    def read(self):
        with open(self.settings, "rb") as f:
            return f.read()

    def keep_evidence(self):
        keep = os.path.join(os.environ["VARNEL_E2E_WORK"], "failures",
                            "hostile_settings", self.entry.slug)
        shutil.rmtree(keep, ignore_errors=True)
        os.makedirs(keep)
        for name in os.listdir(self.dir):
            path = os.path.join(self.dir, name)
            if os.path.isfile(path) and not name.endswith((".exe", ".ico")):
                with open(path, "rb") as f, open(os.path.join(keep, name), "wb") as out:
                    out.write(f.read(2**20))  # the head of a big file is enough
        print(f"evidence kept in {keep}", flush=True)


class HostileSettings(unittest.TestCase):
    def test_corpus(self):
        only = os.environ.get("HOSTILE_ONLY")  # e.g. "bom,nul" while working on those
        with Session(self.id(), relay=RELAY) as s:
            for entry in hostile.corpus():
                if only and entry.slug not in only.split(","):
                    continue
                with self.subTest(entry.slug):
                    started = time.monotonic()
                    program = Program(s, entry)
                    try:
                        self.run_entry(s, program)
                    except BaseException:
                        program.keep_evidence()
                        raise
                    finally:
                        program.stop()
                        print(f"[timing] {entry.slug}: {time.monotonic() - started:.2f} s",
                              flush=True)

    def run_entry(self, s, program):
        entry, expect = program.entry, program.entry.expect
        program.prepare()
        if entry.kind == "hidden-system":
            self.assertEqual(program.attributes(), HIDDEN | SYSTEM | ARCHIVE, "set up")
        program.start()
        program.find_pid()
        if entry.kind == "absent":
            program.first_start(self)
        program.settle()

        # Never crashes: alive, no crash dialog, no exception in Wine's output.
        self.assertIsNone(program.process.poll(), "the program runs")
        everyone = s.inspect("list")
        self.assertEqual([w for w in everyone if w.get("exe", "").lower() == "winedbg.exe"],
                         [], "no crash dialog")
        with open(program.log, "rb") as f:
            output = f.read()
        self.assertEqual([sign for sign in CRASH_SIGNS if sign in output], [])

        windows = [w for w in everyone if w.get("pid") == program.pid]
        mains = [w for w in windows if w["text"] == "" and w["rect"][2:] == MAIN_SIZE]
        self.assertEqual(len(mains), 1, f"one main window among {windows}")
        main = mains[0]
        self.assertEqual(main["visible"], not expect.hidden, "start hidden as read")
        self.assertEqual(tuple(main["rect"][:2]), expect.position, "placement")
        wizards = [w for w in windows if w["text"] == WIZARD_TITLE and w["visible"]]
        self.assertEqual(len(wizards), int(expect.wizard), "configuration window for the hour")
        self.assertTrue(main["enabled"], "nothing modal is left open")

        # Hotkeys as read, and a message for each one not registered.
        registered = [(c.args[0], u32(c.args[2]), u32(c.args[3]), c.retval != 0)
                      for c in program.calls("RegisterHotKey")]
        tried = [b for b in expect.bindings if b is not None]
        self.assertEqual([r[:3] for r in registered],
                         [(main["handle"], mod, u32(VK_F1 + index)) for mod, index in tried])
        results = iter(r[3] for r in registered)
        expected_boxes = [(text, "Varnel", MB_ICONWARNING)
                          for text, b in zip(FAILURES, expect.bindings)
                          if b is None or not next(results)]
        boxes = [(c.texts[1], c.texts[2], u32(c.args[3])) for c in program.calls("MessageBoxW")]
        self.assertEqual(boxes, expected_boxes)
        for (mod, index), (*_, ok) in zip(tried, registered):
            if 0 <= index <= 11:
                self.assertTrue(ok, f"a plain binding ({mod}, F{index + 1}) is free here")

        adds = [c for c in program.calls("Shell_NotifyIconW") if c.args[0] == NIM_ADD]
        self.assertEqual(bool(adds), expect.tray, "tray icon as read")
        print(f"[seen] {entry.slug}: hotkeys {[(hex(m), hex(vk), ok) for _, m, vk, ok in registered]}"
              f", {len(boxes)} messages, window at {main['rect'][:2]} visible {main['visible']}"
              f", wizard {bool(wizards)}, tray {bool(adds)}", flush=True)

        self.assertLessEqual(set(os.listdir(program.dir)), EXPECTED_FILES, "no files left over")
        if entry.kind == "directory":
            self.assertTrue(os.path.isdir(program.settings))
            self.assertEqual(os.listdir(program.settings), ["留着.txt"])
            return
        self.check_file(program, main["handle"])

    def check_file(self, program, handle):
        entry, expect = program.entry, program.entry.expect
        after = program.read()
        written = {k: str(handle) if v == "handle" else v for k, v in expect.written().items()}
        if entry.kind == "absent":
            self.assertEqual(parse_ini(after), DEFAULT_SETTINGS + [
                ("句柄", [("窗口句柄", str(handle))]), ("倒计时窗口样式", [("样式", "1")])])
            return
        problems, values = hostile.changed_lines(entry.data, after, list(written), entry.encoding)
        self.assertEqual(problems, [], "every line start-up does not write stays as it was")
        self.assertEqual(values, written, "the keys start-up writes")
        if entry.encoding != "gbk":  # the mark kept, and what start-up added in that encoding
            self.assertTrue(after.startswith(hostile.MARKS[entry.encoding]))
            after.decode(entry.encoding, "surrogatepass")

        if entry.kind == "read-only":
            self.assertEqual(program.attributes(), HIDDEN | SYSTEM | ARCHIVE)
        elif entry.kind == "hidden-system":
            self.assertEqual(program.attributes(), HIDDEN | SYSTEM | ARCHIVE,
                             "a replaced file keeps hidden + system")
        else:
            self.assertEqual(dos_attributes(program.settings), 0, "attributes left alone")


if __name__ == "__main__":
    unittest.main(verbosity=2)
