"""varnel.exe killed (SIGKILL) at random moments while start-up writes four values into a large
hand-edited settings file: the file is always whole, as before or after some number of whole
writes, and a start over what the killed runs left behind ends normally. VARNEL_KILL_TRIALS sets
the number of trials, VARNEL_KILL_SEED the random seed (printed, so that a run can be repeated)."""

import os
import random
import re
import time
import unittest

from harness import SETTINGS, WAIT, Session, scenario_settings

TRIALS = int(os.environ.get("VARNEL_KILL_TRIALS", "12"))
SEED = int(os.environ.get("VARNEL_KILL_SEED", time.time_ns() % 1_000_000_007))


def states():
    """The file (notes, blanks, spaced keys, the position stored away from the corner) and what
    each of start-up's writes makes of it in turn: the position's left and top, the handle
    ("{H}" in its place) and the style."""
    lines, writes = ["; Varnel 的设置，手工改过", ""], []
    for section, keys in scenario_settings():
        lines.append(f"[{section}]")
        for key, value in keys:
            if section == "窗口位置" and key in ("1", "2"):
                writes.append((len(lines), f"{key}={785 if key == '1' else 566}"))
                value = "0"
            lines.append(f"{key}={value}")
    for n in range(12000):  # about 1 MB: each write takes long enough to be hit
        lines += [f"; 第{n}条笔记：关机前保存文件", f"[笔记{n}]", f"内容 = 记得关灯 {n}", ""]
    writes += [(len(lines) + 1, "窗口句柄={H}"), (len(lines) + 3, "样式=1")]
    lines += ["[句柄]", "窗口句柄=0", "[倒计时窗口样式]", "样式=3", ""]
    found = ["\r\n".join(lines).encode("gbk")]
    for index, line in writes:
        lines[index] = line
        found.append("\r\n".join(lines).encode("gbk"))
    return found


class KillDuringWrite(unittest.TestCase):
    def test_file_is_whole_after_every_kill(self):
        print(f"kill test seed: {SEED} (VARNEL_KILL_SEED={SEED} repeats it)", flush=True)
        rng, found = random.Random(SEED), states()
        with Session(self.id()) as s:
            def state():
                """Which of the states the file is in; None: none of them, broken."""
                data = s.read_bytes()
                handle = re.search("窗口句柄=".encode("gbk") + rb"(-?\d+)\r\n", data)
                whole = [f.replace(b"{H}", handle[1] if handle else b"{H}") for f in found]
                return whole.index(data) if data in whole else None

            def temporaries():
                return {name for name in os.listdir(s.app_dir) if name.endswith(".tmp")}

            def run(delay):
                """Starts on the file; kills the program `delay` s after the first sign of a write
                (a new temporary file or the file replaced; None: after the last write). Returns
                that time, the state left and whether a temporary file was left."""
                s.write(found[0])
                before, inode = temporaries(), os.stat(s.path(SETTINGS)).st_ino
                s.start()
                s.wait_for(lambda: temporaries() - before or os.stat(s.path(SETTINGS)).st_ino
                           != inode, WAIT, "a write", every=0.0002)
                seen = time.monotonic()
                if delay is None:
                    s.wait_for(lambda: state() == len(found) - 1, WAIT, "the writes", every=0.0005)
                time.sleep(max(0.0, seen + (delay or 0) - time.monotonic()))
                s.app.kill()
                s.app.wait()
                return time.monotonic() - seen, state(), bool(temporaries() - before)

            window = run(None)[0]
            broken, inside = [], 0
            for number in range(TRIALS):
                delay = rng.uniform(0, window * 1.25)  # the last write hit as well as the first
                _, left, temporary = run(delay)
                inside += temporary or left != len(found) - 1
                if left is None:
                    broken.append(f"trial {number}, killed {delay * 1000:.1f} ms after a write")
            print(f"kill test: {TRIALS} trials, {TRIALS - len(broken)} old-or-new, {len(broken)} "
                  f"broken; {inside} kills inside the write window of {window * 1000:.0f} ms")
            self.assertEqual(broken, [])
            self.assertGreater(inside, 0, "no kill landed inside the write window")
            s.write(found[0])
            s.start()
            handle = s.wait_start_up()
            self.assertEqual(s.read_bytes(), found[-1].replace(b"{H}", b"%d" % handle))


if __name__ == "__main__":
    unittest.main(verbosity=2)
