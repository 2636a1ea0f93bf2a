"""The exe in a folder the program cannot write (Program Files for a standard user): its files go
to <roaming application data>\\Varnel, where the settings prepared beside the exe are copied."""

import glob
import os
import subprocess
import unittest

from harness import SETTINGS, Session, parse_ini, scenario_settings


class UnwritableFolder(unittest.TestCase):
    def test_files_go_to_the_profile(self):
        prepared = scenario_settings(隐藏启动=True)
        with Session(self.id(), settings=prepared) as s:
            try:  # a read-only bind mount; skipped where mounting is refused
                for args in (["--bind", s.app_dir], ["-o", "remount,ro,bind"]):
                    done = subprocess.run(["mount", *args, s.app_dir], capture_output=True)
                    if done.returncode:
                        self.skipTest(f"cannot mount it read-only: {done.stderr.decode().strip()}")
                roaming, = glob.glob(os.path.join(s.prefix, "drive_c/users/*/AppData/Roaming"))
                s.data_dir = os.path.join(roaming, "Varnel")
                s.start()
                handle = s.wait_start_up()
                self.assertEqual(sorted(os.listdir(s.data_dir)), [SETTINGS, "常用热键.txt", "窗口.bmp"])
                self.assertEqual(parse_ini(s.read_bytes()), prepared + [
                    ("句柄", [("窗口句柄", str(handle))]), ("倒计时窗口样式", [("样式", "1")])])
                self.assertFalse(s.window(handle=handle, visible=None)["visible"], "start hidden")
            finally:  # busy while Wine works in it: detached all the same
                subprocess.run(["umount", "-l", s.app_dir], capture_output=True)


if __name__ == "__main__":
    unittest.main(verbosity=2)
