"""A read-only settings file: start-up makes it hidden + system + archive, and writes succeed."""

import os
import unittest

from defaults import scenario_settings
from harness import SETTINGS_NAME, Session, settings_text

READ_ONLY, HIDDEN, SYSTEM, ARCHIVE = 0x1, 0x2, 0x4, 0x20


class ReadOnlySettings(unittest.TestCase):
    def test_read_only_is_cleared_and_the_handle_is_written(self):
        with Session(self.id(), settings=settings_text(scenario_settings())) as s:
            os.chmod(s.path(SETTINGS_NAME), 0o444)  # how Wine keeps the read-only attribute
            self.assertEqual(s.file_attributes(SETTINGS_NAME), READ_ONLY | ARCHIVE)

            s.start()
            self.assertIsNotNone(s.window(handle=s.wait_start_up()), "the main window is shown")

            self.assertEqual(s.file_attributes(SETTINGS_NAME), HIDDEN | SYSTEM | ARCHIVE)
            stored = int(os.getxattr(s.path(SETTINGS_NAME), "user.DOSATTRIB").strip(b"\0"), 16)
            self.assertEqual(stored & (HIDDEN | SYSTEM), HIDDEN | SYSTEM, hex(stored))
            self.assertTrue(os.stat(s.path(SETTINGS_NAME)).st_mode & 0o200, "writable again")


if __name__ == "__main__":
    unittest.main(verbosity=2)
