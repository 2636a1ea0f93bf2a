"""varnel.exe killed (SIGKILL) at random moments while start-up writes into a large hand-edited
settings file: the file is always whole, as before or after some number of whole writes.
VARNEL_KILL_TRIALS sets the number of trials, VARNEL_KILL_SEED the seed (printed, to repeat)."""

import os
import random
import re
import time
import unittest

from harness import SETTINGS, WAIT, Session, scenario_settings, settings_text

TRIALS = int(os.environ.get("VARNEL_KILL_TRIALS", "12"))
SEED = int(os.environ.get("VARNEL_KILL_SEED", time.time_ns() % 1_000_000_007))
# About 1 MB, so that each write takes long enough to be hit, then the two keys start-up writes
# last: the handle ("{H}" in the states for the value written) and the style.
NOTES = "".join(f"; 第{n}条笔记\r\n[笔记{n}]\r\n内容 = 记得关灯 {n}\r\n\r\n" for n in range(15000))
TEXT = settings_text(scenario_settings()) + NOTES + "[句柄]\r\n窗口句柄={H}\r\n[倒计时窗口样式]\r\n样式={S}\r\n"
STATES = [t.encode("gbk") for t in (TEXT.replace("{H}", "0").replace("{S}", "3"),
                                    TEXT.replace("{S}", "3"), TEXT.replace("{S}", "1"))]
HANDLE = re.compile("窗口句柄=".encode("gbk") + rb"(-?\d+)\r\n")


class KillDuringWrite(unittest.TestCase):
    def test_file_is_whole_after_every_kill(self):
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
