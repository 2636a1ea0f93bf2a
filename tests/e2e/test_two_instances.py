"""Two varnel.exe started at once in one directory share the settings file: it comes out
whole, and the instance whose hotkey registrations are refused says so once per binding."""

import os
import subprocess
import unittest

from defaults import DEFAULT_SETTINGS, scenario_settings
from harness import EXE_NAME, SETTINGS_NAME, WAIT, Session, _config, gbk, parse_ini, parse_relay

MOD_CONTROL = 0x2
MB_ICONWARNING = 0x30
IDOK = 1
WIZARD_TITLE = "Varnel 程序配置"
# Registration order, with the message of a refusal.
BINDINGS = [
    (121, "注册‘打开软件配置程序’热键失败，请尝试更改其它热键!"),  # Ctrl+F10
    (122, "注册‘显示或隐藏窗口’热键失败，请尝试更改其它热键!"),  # Ctrl+F11
    (123, "注册‘退出程序’热键失败，请尝试更改其它热键!"),  # Ctrl+F12
    (120, "注册‘关机热键’热键失败，请尝试更改其它热键!"),  # Ctrl+F9
]
CORNER = (785, 566)  # where placement puts the main window on the harness's screen


def hand_edited():
    """A file as a user keeps it: notes and a section of its own, the window position
    stored elsewhere (so both instances write it) and a countdown style of 3."""
    lines = ["; 两个实例共用这个文件", ""]
    for section, keys in scenario_settings():
        lines.append(f"[{section}]")
        lines += [f"{k}={'0' if section == '窗口位置' and k in ('1', '2') else v}"
                  for k, v in keys]
    lines += ["[我的笔记]", "内容 = 下班前关机", "", "[句柄]", "窗口句柄=0",
              "[倒计时窗口样式]", "样式=3", ""]
    return "\r\n".join(lines)


class TwoInstances(unittest.TestCase):
    def start_both(self, s):
        """Both programs started back to back, each with a relay trace of its own (Wine
        writes a trace line in pieces: one file for both would mix them)."""
        env = s.env(WINEDEBUG="+pid,+relay")
        self.traces = [os.path.join(s.dir, f"relay-{n}.txt") for n in range(2)]
        processes = []
        for trace in self.traces:
            with open(trace, "wb") as err:
                processes.append(subprocess.Popen(
                    [_config("VARNEL_WINE"), s.path(EXE_NAME)], cwd=s.app_dir, env=env,
                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err))
        s.app = processes[0]  # the session ends it; the end of the prefix takes the other
        self.addCleanup(processes[1].poll)  # reaped with the session's children
        return processes

    def relay_calls(self, function=None, pid=None):
        """The relayed calls of both programs, each program's in call order."""
        calls = []
        for trace in self.traces:
            with open(trace, encoding="latin-1") as f:
                calls += parse_relay(f.read())
        return [c for c in calls if (function is None or c.function == function)
                and (pid is None or c.pid == pid)]

    def registrations(self, s):
        """{pid: [(owner, modifiers, key, registered)]} in call order."""
        found = {}
        for c in self.relay_calls("RegisterHotKey"):
            if c.retval is not None:
                found.setdefault(c.pid, []).append((c.args[0], c.args[2], c.args[3],
                                                    c.retval != 0))
        return found

    def started(self, s, pid):
        """Start-up has run to its end in that process: a clock tick came after the
        placement, and the end of start-up (the two settings writes) lies between them."""
        calls = self.relay_calls(pid=pid)
        placed = [i for i, c in enumerate(calls)
                  if c.function == "SetWindowPos" and tuple(c.args[2:4]) == CORNER]
        return bool(placed) and any(c.function == "SetWindowTextW"
                                    for c in calls[placed[-1] + 1:])

    def play_user(self, s):
        """Closes the first-start configuration windows and presses OK on every message box
        until both programs have finished starting; returns the boxes seen, as
        (pid, title, text, button texts), in order."""
        boxes, answered = [], set()

        def both_started():
            pids = list(self.registrations(s))
            if len(pids) == 2 and all(self.started(s, pid) for pid in pids):
                return True
            for window in s.inspect("list", "--exe", EXE_NAME):
                if not window["visible"]:
                    continue
                if window["text"] == WIZARD_TITLE and window["handle"] not in answered:
                    answered.add(window["handle"])
                    s.close(window)
                elif window["class"] == "#32770" and window["handle"] not in answered:
                    text = next((c["text"] for c in window["children"] if c["id"] == 0xFFFF),
                                None)
                    buttons = [c for c in window["children"] if c["class"] == "Button"
                               and c["visible"]]
                    boxes.append((window["pid"], window["text"], text,
                                  [b["text"] for b in buttons]))
                    answered.add(window["handle"])
                    s.click(next(b for b in buttons if b["id"] == IDOK))
            return False

        s.wait_for(both_started, WAIT * 2, "both programs to finish starting")
        return boxes

    def check_instances(self, s):
        """The first instance holds all four bindings; the second was refused each of them and
        said so, in table order, with the warning box; returns their main window handles."""
        found = self.registrations(s)
        self.assertEqual(len(found), 2, f"two programs registered hotkeys: {found}")
        first, second = sorted(found, key=lambda pid: not found[pid][0][3])
        owner = {pid: found[pid][0][0] for pid in found}
        self.assertEqual(found[first], [(owner[first], MOD_CONTROL, key, True)
                                        for key, _ in BINDINGS])
        self.assertEqual(found[second], [(owner[second], MOD_CONTROL, key, False)
                                         for key, _ in BINDINGS])
        self.assertNotEqual(owner[first], owner[second])

        shown = [(c.pid, c.texts[1], c.texts[2], c.args[3])
                 for c in self.relay_calls("MessageBoxW")]
        self.assertEqual(shown, [(second, text, "Varnel", MB_ICONWARNING)
                                 for _, text in BINDINGS])
        # Each refusal is reported before the next binding is tried.
        calls = [c for c in self.relay_calls(pid=second)
                 if c.function in ("RegisterHotKey", "MessageBoxW")]
        self.assertEqual([c.function for c in calls], ["RegisterHotKey", "MessageBoxW"] * 4)
        return owner[first], owner[second]

    def check_first_keeps_working(self, s, first, second):
        def visible(handle):
            return s.window(handle=handle, visible=None)["visible"]

        self.assertTrue(visible(first) and visible(second))
        s.hotkey("ctrl+F11")
        s.wait_for(lambda: not visible(first), WAIT, "Ctrl+F11 to hide the first's window")
        self.assertTrue(visible(second), "the second has no hotkeys")
        s.hotkey("ctrl+F11")
        s.wait_for(lambda: visible(first), WAIT, "Ctrl+F11 to show the first's window again")

    def test_no_settings_file(self):
        with Session(self.id(), relay=["user32.RegisterHotKey", "user32.MessageBoxW",
                                       "user32.SetWindowPos", "user32.SetWindowTextW"]) as s:
            self.start_both(s)
            boxes = self.play_user(s)
            first, second = self.check_instances(s)
            self.assertEqual([b[1:] for b in boxes],
                             [("Varnel", text, ["确定"]) for _, text in BINDINGS])

            data = s.read_bytes(SETTINGS_NAME)
            sections = parse_ini(data)
            names = [name for name, _ in sections]
            self.assertEqual(len(names), len(set(names)), f"a section twice: {names}")
            expected = dict(DEFAULT_SETTINGS)
            expected["倒计时窗口样式"] = [("样式", "1")]
            written = dict(sections)
            handle = written.pop("句柄", None)
            self.assertIn(handle, ([("窗口句柄", str(first))], [("窗口句柄", str(second))]))
            self.assertEqual(written, expected, "every default once, as written")
            # Nothing but whole lines of those sections and keys.
            lines = data.split(b"\r\n")
            self.assertEqual(lines[-1], b"")
            self.assertEqual(len(lines) - 1, len(sections) + sum(len(k) for _, k in sections))
            if names[:len(DEFAULT_SETTINGS)] != [n for n, _ in DEFAULT_SETTINGS]:
                print(f"sections in another order than one start writes them: {names}")
            self.check_first_keeps_working(s, first, second)

    def test_existing_settings_file(self):
        old = hand_edited()
        with Session(self.id(), settings=old,
                     relay=["user32.RegisterHotKey", "user32.MessageBoxW",
                            "user32.SetWindowPos", "user32.SetWindowTextW"]) as s:
            self.start_both(s)
            boxes = self.play_user(s)
            first, second = self.check_instances(s)
            self.assertEqual([b[1:] for b in boxes],
                             [("Varnel", text, ["确定"]) for _, text in BINDINGS])
            self.assertNotIn(WIZARD_TITLE, [w["text"] for w in s.windows()])

            # Every line kept; the values the starts write, the handle either one's.
            data = s.read_bytes(SETTINGS_NAME)
            new = (old.replace("[窗口位置]\r\n1=0\r\n2=0",
                               f"[窗口位置]\r\n1={CORNER[0]}\r\n2={CORNER[1]}")
                   .replace("样式=3", "样式=1"))
            self.assertIn(data, [gbk(new.replace("窗口句柄=0", f"窗口句柄={h}"))
                                 for h in (first, second)])
            self.check_first_keeps_working(s, first, second)


if __name__ == "__main__":
    unittest.main(verbosity=2)
