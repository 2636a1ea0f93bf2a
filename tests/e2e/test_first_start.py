"""First start in an empty directory: defaults, the modal configuration window, then the main window."""

import unittest

from defaults import DEFAULT_SETTINGS
from harness import SETTINGS_NAME, Session, gbk, ini_value, parse_ini

WIZARD_TITLE = "Varnel 程序配置"


class FirstStart(unittest.TestCase):
    def test_defaults_written_and_configuration_window_modal(self):
        with Session(self.id()) as s:
            s.start()
            wizard = s.wait_window(title=WIZARD_TITLE)
            s.mark("configuration window")

            data = s.read_bytes(SETTINGS_NAME)
            self.assertEqual(parse_ini(data), DEFAULT_SETTINGS)
            for section, _ in DEFAULT_SETTINGS:
                self.assertIn(gbk(f"[{section}]"), data, "section names are GBK bytes")

            # Modal: start-up waits behind it, its owner takes no input.
            self.assertTrue(wizard["enabled"])
            self.assertNotEqual(wizard["owner"], 0, "the window has an owner")
            owner = s.window(handle=wizard["owner"], visible=None)
            self.assertIsNotNone(owner, "the owner is a window of the program")
            self.assertFalse(owner["enabled"], "the owner is disabled while the window is open")
            self.assertFalse(owner["visible"], "the main window is shown only after it closes")
            self.assertIsNone(ini_value(parse_ini(data), "句柄", "窗口句柄"))

            s.close(wizard)
            handle = s.wait_start_up()
            main = s.window(handle=handle)
            self.assertIsNotNone(main, f"a visible window with the stored handle {handle}")
            self.assertEqual(main["handle"], owner["handle"], "the owner was the main window")
            self.assertTrue(main["enabled"])
            self.assertIsNone(s.window(title=WIZARD_TITLE, visible=None))
            self.assertTrue(s.running())

            final = s.read_settings()
            self.assertEqual(final[:len(DEFAULT_SETTINGS)], DEFAULT_SETTINGS)
            self.assertEqual(final[len(DEFAULT_SETTINGS):],
                             [("句柄", [("窗口句柄", str(handle))]), ("倒计时窗口样式", [("样式", "1")])])


if __name__ == "__main__":
    unittest.main(verbosity=2)
