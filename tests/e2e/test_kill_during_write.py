"""varnel.exe killed (SIGKILL) at random moments while it writes its settings file: the file
is always whole, the state before or after some number of whole writes; the temporary files
a killed run leaves behind do not stop the next start.

VARNEL_KILL_TRIALS sets the number of trials (a short run by default), VARNEL_KILL_SEED the
random seed (printed, so that a run can be repeated)."""

import os
import random
import re
import time
import unittest

from defaults import DEFAULT_SETTINGS, scenario_settings
from harness import SETTINGS_NAME, WAIT, Session, gbk, parse_ini

TRIALS = int(os.environ.get("VARNEL_KILL_TRIALS", "12"))
SEED = int(os.environ.get("VARNEL_KILL_SEED", str(time.time_ns() % 1_000_000_007)))
TEMPORARY = re.compile(re.escape(SETTINGS_NAME) + r"\.(\d+)\.tmp$")
HANDLE_LINE = re.compile(gbk("窗口句柄=") + rb"(-?\d+)\r\n")
HIDDEN, SYSTEM, ARCHIVE = 0x2, 0x4, 0x20
# Kill moments are spread over this much more than the measured write window, so that the
# last write is hit as well as the first.
SPREAD = 1.25


def hand_edited():
    """A large hand-edited file (comments, blanks, spaced keys, notes of its own) on which a
    start writes four values in place: the window position (left, top; the screen size
    stored differs from the corner), the handle (stored 0) and the countdown style (stored
    3). Returns its lines and, in write order, the index and new text of each line written."""
    lines = ["; Varnel 的设置，手工改过", ""]
    writes = {}
    for section, keys in scenario_settings():
        lines.append(f"[{section}]")
        for key, value in keys:
            if section == "窗口位置" and key in ("1", "2"):
                writes[key] = (len(lines), f"{key}={785 if key == '1' else 566}")
                value = "0"
            lines.append(f"{key}={value}")
        lines.append("")
    for n in range(12000):  # about 1 MB: each write takes long enough to be hit
        lines += [f"; 第{n}条笔记：关机前保存文件", f"[笔记{n}]", f"内容 = 记得关灯 {n}",
                  f"日期={2000 + n % 27}-{n % 12 + 1}-{n % 28 + 1}", ""]
    lines.append("[句柄]")
    writes["handle"] = (len(lines), "窗口句柄={H}")
    lines += ["窗口句柄=0", "", "[倒计时窗口样式]"]
    writes["style"] = (len(lines), "样式=1")
    lines += ["样式=3", "[倒计时]", "时间=15", ""]
    return lines, [writes[k] for k in ("1", "2", "handle", "style")]


def hand_edited_states():
    """The file's bytes before and after each whole write, "{H}" standing for the handle."""
    lines, writes = hand_edited()
    states = [gbk("\r\n".join(lines))]
    for index, text in writes:
        lines[index] = text
        states.append(gbk("\r\n".join(lines)))
    return states


def first_start_states(complete):
    """No file, then the complete defaults cut after each key line: every default appends
    one line (and its section line before it when the section is new)."""
    states = [None]
    end = 0
    for line in complete.split(b"\r\n")[:-1]:
        end += len(line) + 2
        if not line.startswith(b"["):
            states.append(complete[:end])
    return states


def state_of(data, states):
    """The index of the state the bytes are, or None when they are none of them."""
    found = HANDLE_LINE.search(data) if data is not None else None
    handle = found.group(1) if found else b"{H}"
    for index, state in enumerate(states):
        if data is None or state is None:
            if data is state:
                return index
        elif data == state.replace(b"{H}", handle):
            return index
    return None


def where_broken(data, states):
    """Where the bytes leave the nearest state, for the failure message."""
    if data is None:
        return "no file"
    best = max((s for s in states if s is not None),
               key=lambda s: len(os.path.commonprefix([s, data])))
    at = len(os.path.commonprefix([best, data]))
    return (f"{len(data)} bytes; nearest state has {len(best)}, they part at byte {at}: "
            f"{data[at - 40:at + 40]!r}")


class KillDuringWrite(unittest.TestCase):
    def temporaries(self, s):
        return {n for n in os.listdir(s.app_dir) if TEMPORARY.match(n)}

    def put(self, s, data):
        path = s.path(SETTINGS_NAME)
        if os.path.exists(path):
            os.chmod(path, 0o644)
            os.remove(path)
        if data is not None:
            with open(path, "wb") as f:
                f.write(data)

    def identity(self, s):
        try:
            return os.stat(s.path(SETTINGS_NAME)).st_ino
        except FileNotFoundError:
            return None

    def wait_first_write(self, s, before):
        """Polls the directory until a new temporary settings file shows or the file is
        replaced; returns the time it was seen."""
        identity = self.identity(s)
        deadline = time.monotonic() + WAIT
        while time.monotonic() < deadline:
            if self.temporaries(s) - before or self.identity(s) != identity:
                return time.monotonic()
            if not s.running():
                raise AssertionError("the program ended before writing its settings")
            time.sleep(0.0002)
        raise AssertionError("no settings write seen")

    def write_window(self, s, states, data):
        """One run to the end of its writes: how long they take from the first sign of one,
        and the file they leave."""
        self.put(s, data)
        s.start()
        since = self.wait_first_write(s, self.temporaries(s))
        last = len(states) - 1
        while state_of(s.read_bytes(SETTINGS_NAME), states) != last:
            self.assertLess(time.monotonic() - since, WAIT, "the writes did not finish")
            time.sleep(0.0005)
        window = time.monotonic() - since
        complete = s.read_bytes(SETTINGS_NAME)
        s.app.kill()
        s.app.wait()
        return window, complete

    def trial(self, s, states, data, window, rng):
        """Starts, kills after a random delay counted from the first write; returns the
        state the file is in (None: broken) and whether a temporary file was left."""
        self.put(s, data)
        before = self.temporaries(s)
        s.start()
        seen = self.wait_first_write(s, before)
        delay = rng.uniform(0, window * SPREAD)
        time.sleep(max(0.0, seen + delay - time.monotonic()))
        s.app.kill()
        s.app.wait()
        after = s.read_bytes(SETTINGS_NAME)
        return state_of(after, states), bool(self.temporaries(s) - before), after, delay

    def test_file_is_whole_after_every_kill(self):
        print(f"kill test seed: {SEED} (VARNEL_KILL_SEED={SEED} repeats it)", flush=True)
        rng = random.Random(SEED)
        edited = hand_edited_states()
        with Session(self.id()) as s:
            # Measured runs first: the window each kind of start writes in, and the complete
            # defaults the first-start states are cut from.
            edited_window, complete = self.write_window(s, edited, edited[0])
            self.assertEqual(complete, edited[-1].replace(b"{H}", HANDLE_LINE.search(
                complete).group(1)), "the four values changed in place, every other byte kept")
            self.put(s, None)
            s.start()
            self.wait_first_write(s, self.temporaries(s))
            s.wait_for(lambda: (s.read_settings() or []) == DEFAULT_SETTINGS, WAIT,
                       "the defaults")
            defaults = s.read_bytes(SETTINGS_NAME)
            s.app.kill()
            s.app.wait()
            first = first_start_states(defaults)
            self.assertEqual(len(first), 22, "no file, then 21 defaults one by one")
            first_window, _ = self.write_window(s, first, None)
            print(f"write windows: first start {first_window * 1000:.0f} ms "
                  f"({len(first) - 1} writes), hand-edited file of {len(edited[0])} bytes "
                  f"{edited_window * 1000:.0f} ms ({len(edited) - 1} writes)", flush=True)

            whole = inside = temporaries = 0
            broken = []
            for number in range(TRIALS):
                kind = rng.choice(["first start", "hand-edited"])
                states, data, window = ((first, None, first_window) if kind == "first start"
                                        else (edited, edited[0], edited_window))
                state, left, after, delay = self.trial(s, states, data, window, rng)
                temporaries += left
                inside += left or state is None or state < len(states) - 1
                if state is None:
                    broken.append(f"trial {number} ({kind}, killed {delay * 1000:.1f} ms "
                                  f"after the first write): {where_broken(after, states)}")
                else:
                    whole += 1
            print(f"kill test: {TRIALS} trials, {whole} old-or-new, {len(broken)} broken; "
                  f"{inside} kills inside the write window, {temporaries} of them during a "
                  f"temporary file's life", flush=True)
            self.assertEqual(broken, [])
            self.assertGreater(inside, 0, "no kill landed inside the write window")

            # The next start over the leftovers of the killed runs, and over temporary files
            # under every name a new process may take, as a kill between giving the temporary
            # file the attributes of a hidden file and moving it in place leaves them.
            self.put(s, edited[0])
            os.chmod(s.path(SETTINGS_NAME), 0o444)  # read-only: start-up makes it hidden
            for pid in range(4, 4096, 4):
                planted = s.path(f"{SETTINGS_NAME}.{pid}.tmp")
                if not os.path.exists(planted):
                    with open(planted, "wb") as f:
                        f.write(edited[0][:4096])
                    os.setxattr(planted, "user.DOSATTRIB", b"0x6")
            s.start()
            handle = s.wait_start_up()
            pid = s.window(handle=handle)["pid"]
            after = s.read_bytes(SETTINGS_NAME)
            self.assertEqual(after, edited[-1].replace(b"{H}", str(handle).encode()))
            self.assertEqual(s.file_attributes(SETTINGS_NAME), HIDDEN | SYSTEM | ARCHIVE)
            self.assertNotIn(f"{SETTINGS_NAME}.{pid}.tmp", os.listdir(s.app_dir),
                             "the leftover under the program's own name was written over "
                             "and moved in place")


if __name__ == "__main__":
    unittest.main(verbosity=2)
