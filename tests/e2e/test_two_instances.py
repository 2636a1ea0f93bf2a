"""Two varnel.exe started at once in one directory share the settings file: it comes out
whole, and the instance whose hotkey registrations are refused says so once per binding."""

import os
import subprocess
import unittest

from defaults import DEFAULT_SETTINGS, scenario_settings
from harness import EXE_NAME, SETTINGS_NAME, WAIT, Session, _config, gbk, parse_ini, parse_relay

MOD_CONTROL = 0x2 | 0x4000  # with MOD_NOREPEAT, as every binding is registered
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
CORNER = (785, 566)
RELAY = ["user32.RegisterHotKey", "user32.MessageBoxW", "user32.SetWindowPos",
         "user32.SetWindowTextW"]  # where placement puts the main window on the harness's screen


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
        # Beside the program, so that a failed run keeps them.
        self.traces = [s.path(f"relay-{n}.txt") for n in range(2)]
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

    def placed(self, s, pid):
        return any(tuple(c.args[2:4]) == CORNER for c in self.relay_calls("SetWindowPos", pid))

    def play_user(self, s):
        """Closes the first-start configuration windows and presses OK on the message boxes
        until both programs have finished starting; returns the boxes seen, as
        (pid, title, text, button texts), in order. A box is answered once the other
        program is past its registrations or shows a box itself, as a user slower than a
        program would."""
        boxes, answered = [], set()

        def both_started():
            pids = {c.pid for c in self.relay_calls("RegisterHotKey")} | {
                c.pid for c in self.relay_calls("MessageBoxW")}
            if len(pids) == 2 and all(self.started(s, pid) for pid in pids):
                return True
            windows = [w for w in s.inspect("list", "--exe", EXE_NAME) if w["visible"]]
            showing = {w["pid"] for w in windows if w["class"] == "#32770"}
            for window in windows:
                if window["handle"] in answered:
                    continue
                if window["text"] == WIZARD_TITLE:
                    answered.add(window["handle"])
                    s.close(window)
                elif window["class"] == "#32770":
                    other = [p for p in pids | showing if p != window["pid"]]
                    if not other or not (self.placed(s, other[0]) or other[0] in showing):
                        continue
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

    def check_instances(self, s, boxes):
        """Each binding is held by one program; each program tried the bindings in table
        order and reported every one it does not hold right after trying it (or, when the
        binding could not be read, without trying), with the warning box. Returns
        {pid: (main window, bindings held)}."""
        found = self.registrations(s)
        self.assertEqual(len(found), 2, f"two programs registered hotkeys: {found}")
        held = {pid: [key for _, _, key, ok in calls if ok] for pid, calls in found.items()}
        self.assertEqual(sorted(held[p][i] for p in held for i in range(len(held[p]))),
                         sorted(key for key, _ in BINDINGS), f"each binding held once: {held}")
        for pid, calls in found.items():
            owner = calls[0][0]
            self.assertEqual([c[:2] for c in calls], [(owner, MOD_CONTROL)] * len(calls))
            tried = [key for _, _, key, _ in calls]
            expected = []
            for key, text in BINDINGS:
                expected += [("RegisterHotKey", key)] * (key in tried)
                expected += [("MessageBoxW", text, "Varnel", MB_ICONWARNING)] * (
                    key not in held[pid])
            seen = [("RegisterHotKey", c.args[3]) if c.function == "RegisterHotKey"
                    else ("MessageBoxW", c.texts[1], c.texts[2], c.args[3])
                    for c in self.relay_calls(pid=pid)
                    if c.function in ("RegisterHotKey", "MessageBoxW")]
            self.assertEqual(seen, expected, f"program {pid}")
            self.assertEqual([b[1:] for b in boxes if b[0] == pid],
                             [("Varnel", e[1], ["确定"]) for e in expected
                              if e[0] == "MessageBoxW"], "the boxes as shown")
        if any(0 < len(keys) < len(BINDINGS) for keys in held.values()):
            print(f"the bindings were split between the programs: {held}", flush=True)
        return {pid: (calls[0][0], held[pid]) for pid, calls in found.items()}

    def check_toggle_hotkey(self, s, programs):
        """Ctrl+F11 toggles the window of the program holding it, and only that one."""
        def visible(handle):
            return s.window(handle=handle, visible=None)["visible"]

        holder = next(h for h, keys in programs.values() if 122 in keys)
        other = next(h for h, _ in programs.values() if h != holder)
        self.assertTrue(visible(holder) and visible(other))
        s.hotkey("ctrl+F11")
        s.wait_for(lambda: not visible(holder), WAIT, "Ctrl+F11 to hide the holder's window")
        self.assertTrue(visible(other), "the other program does not hold Ctrl+F11")
        s.hotkey("ctrl+F11")
        s.wait_for(lambda: visible(holder), WAIT, "Ctrl+F11 to show the window again")

    def test_no_settings_file(self):
        with Session(self.id(), relay=RELAY) as s:
            self.start_both(s)
            boxes = self.play_user(s)

            # Both may write the defaults (each that found no file), the later one may read
            # a file the other is still writing: every default still ends up there once.
            data = s.read_bytes(SETTINGS_NAME)
            sections = parse_ini(data)
            names = [name for name, _ in sections]
            self.assertEqual(len(names), len(set(names)), f"a section twice: {names}")
            written = dict(sections)
            handle = written.pop("句柄", None)
            expected = {**dict(DEFAULT_SETTINGS), "倒计时窗口样式": [("样式", "1")]}
            rows = {(n, *kv) for n, keys in expected.items() for kv in keys}
            self.assertEqual(rows - {(n, *kv) for n, keys in written.items() for kv in keys},
                             set(), "default lines lost")
            self.assertEqual(written, expected, "every default once, as written")
            # Nothing but whole lines of those sections and keys.
            lines = data.split(b"\r\n")
            self.assertEqual(lines[-1], b"")
            self.assertEqual(len(lines) - 1, len(sections) + sum(len(k) for _, k in sections))
            if names[:len(DEFAULT_SETTINGS)] != [n for n, _ in DEFAULT_SETTINGS]:
                print(f"sections in another order than one start writes them: {names}")

            programs = self.check_instances(s, boxes)
            self.assertIn(handle, [[("窗口句柄", str(h))] for h, _ in programs.values()])
            self.check_toggle_hotkey(s, programs)

    def test_existing_settings_file(self):
        old = hand_edited()
        with Session(self.id(), settings=old, relay=RELAY) as s:
            self.start_both(s)
            boxes = self.play_user(s)
            programs = self.check_instances(s, boxes)
            self.assertEqual(sorted(len(keys) for _, keys in programs.values()),
                             [0, len(BINDINGS)], "the first holds all four, the second none")
            self.assertNotIn(WIZARD_TITLE, [w["text"] for w in s.windows()])

            # Every line kept; the values the starts write, the handle either one's.
            data = s.read_bytes(SETTINGS_NAME)
            new = (old.replace("[窗口位置]\r\n1=0\r\n2=0",
                               f"[窗口位置]\r\n1={CORNER[0]}\r\n2={CORNER[1]}")
                   .replace("样式=3", "样式=1"))
            self.assertIn(data, [gbk(new.replace("窗口句柄=0", f"窗口句柄={h}"))
                                 for h, _ in programs.values()])
            self.check_toggle_hotkey(s, programs)


if __name__ == "__main__":
    unittest.main(verbosity=2)
