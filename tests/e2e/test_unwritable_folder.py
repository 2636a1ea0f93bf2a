"""The exe in a folder the program cannot write (Program Files for a standard user): its
files go to <roaming application data>\\Varnel, a first start writes the defaults there and a
second start finds them; a settings file prepared beside the exe is carried over."""

import contextlib
import glob
import os
import subprocess
import unittest

from defaults import DEFAULT_SETTINGS, scenario_settings
from harness import SETTINGS_NAME, WAIT, Session, settings_text

WIZARD_TITLE = "Varnel 程序配置"
WRITTEN = sorted([SETTINGS_NAME, "常用热键.txt", "窗口.bmp"])


@contextlib.contextmanager
def read_only(test, directory):
    """The directory read-only for every program. Root ignores file modes, but not a
    read-only bind mount; without the right to mount, the scenario is skipped."""
    mounted = False
    try:
        for args in (["--bind", directory], ["-o", "remount,ro,bind"]):
            try:
                done = subprocess.run(["mount", *args, directory], capture_output=True, text=True)
            except OSError as error:
                done = subprocess.CompletedProcess(args, 1, "", str(error))
            if done.returncode != 0:
                test.skipTest(f"cannot make {directory} read-only (needs root and mount rights): "
                              f"{done.stderr.strip()}")
            mounted = True
        test.assertFalse(os.access(directory, os.W_OK))
        yield
    finally:
        # Busy while a Wine process works in it: detach it all the same.
        if mounted and subprocess.run(["umount", directory], capture_output=True).returncode:
            subprocess.run(["umount", "-l", directory], check=True)


def profile_dir(s):
    """<prefix>/drive_c/users/<user>/AppData/Roaming/Varnel."""
    roaming = glob.glob(os.path.join(s.prefix, "drive_c", "users", "*", "AppData", "Roaming"))
    if len(roaming) != 1:
        raise AssertionError(f"one roaming application-data folder in the prefix: {roaming}")
    return os.path.join(roaming[0], "Varnel")


class UnwritableFolder(unittest.TestCase):
    def test_first_start_writes_the_defaults_to_the_profile_and_a_second_finds_them(self):
        with Session(self.id()) as s, read_only(self, s.app_dir):
            s.data_dir = profile_dir(s)
            s.start()
            wizard = s.wait_window(title=WIZARD_TITLE)
            self.assertEqual(s.read_settings(), DEFAULT_SETTINGS)
            s.close(wizard)
            first = s.wait_start_up()
            self.assertEqual(sorted(os.listdir(s.data_dir)), WRITTEN)

            s.hotkey("ctrl+F12")  # exit
            self.assertIsNotNone(s.wait_exit(WAIT))
            s.start()
            s.wait_for(lambda: s.setting("句柄", "窗口句柄") not in (None, str(first)), WAIT,
                       "the second start-up")
            self.assertIsNone(s.window(title=WIZARD_TITLE, visible=None), "the settings are found")

    def test_settings_prepared_beside_the_exe_carry_over(self):
        prepared = scenario_settings(隐藏启动=True)
        with Session(self.id(), settings=settings_text(prepared)) as s, read_only(self, s.app_dir):
            s.data_dir = profile_dir(s)
            s.start()
            handle = s.wait_start_up()
            self.assertIsNone(s.window(title=WIZARD_TITLE, visible=None))
            self.assertEqual(sorted(os.listdir(s.data_dir)), WRITTEN)
            self.assertEqual(s.read_settings(), prepared + [
                ("句柄", [("窗口句柄", str(handle))]), ("倒计时窗口样式", [("样式", "1")])])
            self.assertFalse(s.window(handle=handle, visible=None)["visible"], "read: start hidden")


if __name__ == "__main__":
    unittest.main(verbosity=2)
