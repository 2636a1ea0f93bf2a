"""The settings file's reading and writing against Windows' own profile functions
(tools/inicheck.cpp, which prints every disagreement)."""

import os
import shutil
import unittest

from harness import TOOLS, Session


class IniCrossCheck(unittest.TestCase):
    def test_reads_and_writes_like_windows(self):
        with Session(self.id()) as s:
            shutil.copy(os.path.join(TOOLS, "inicheck.exe"), s.app_dir)  # it works beside itself
            status, out = s.tool(s.path("inicheck.exe"))
            print(out)
            self.assertRegex(out, r"(?m)^11 cases, 0 disagreements$")
            self.assertEqual(status, 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
