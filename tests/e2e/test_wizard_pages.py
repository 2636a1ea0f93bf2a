"""The configuration window opened by its hotkey: the welcome page, the page rule while
the buttons step through every page, the time page's clamp and gate, and a close by the
title bar that writes nothing. Takes the pictures of pages 0 to 5."""

import unittest

from defaults import scenario_settings
from harness import SETTINGS_NAME, WAIT, Session, settings_text
from wizard import look, message_box_now, screenshot_when_painted, settle, wait_wizard

TAB_CAPTIONS = ["欢迎界面", "定时设置", "配置选项", "热键设置", "位置移动", "完成设置"]


class WizardPages(unittest.TestCase):
    def assert_page(self, wizard, page, previous_enabled, right_enabled, right_caption):
        self.assertEqual(wizard.page, page)
        self.assertEqual(wizard.previous["enabled"], previous_enabled, f"上一步 on page {page}")
        right = wizard.right
        self.assertEqual((right["enabled"], right["text"]), (right_enabled, right_caption),
                         f"the right button on page {page}")

    def test_hotkey_opens_page_0_and_the_buttons_step_through_every_page(self):
        with Session(self.id(), settings=settings_text(scenario_settings())) as s:
            s.start()
            main = s.wait_start_up()
            stored = s.read_bytes(SETTINGS_NAME)
            stored_hour = s.setting("关机时间", "小时")

            s.hotkey("ctrl+F10")
            w = wait_wizard(s)
            s.mark("wizard open")
            self.assert_page(w, 0, False, True, "下一步")
            self.assertEqual(w.tabs["items"], TAB_CAPTIONS)
            self.assertTrue(s.window(handle=main)["enabled"],
                            "opened by the hotkey, the window is not modal")

            def picture(wizard):
                screenshot_when_painted(s, wizard.window["rect"], f"wizard-{wizard.page}")
            picture(w)

            s.click(w.right)
            w = settle(s, w)
            self.assert_page(w, 1, True, False, "下一步")
            hour, minute = w.time_boxes
            s.type_text(hour, "30")
            s.type_text(minute, "75")
            w = settle(s, w)
            self.assertEqual([box["text"] for box in w.time_boxes], ["23", "59"],
                             "typing beyond the range leaves the upper bound")
            s.click(w.button("确定"))
            w = settle(s, w)
            self.assertIsNone(message_box_now(s), "23:59 is in range")
            self.assert_page(w, 1, True, True, "下一步")
            picture(w)

            for page in (2, 3, 4):
                s.click(w.right)
                w = settle(s, w)
                self.assert_page(w, page, True, True, "下一步")
                picture(w)
            s.click(w.right)
            w = settle(s, w)
            self.assert_page(w, 5, True, True, "完成")
            picture(w)
            s.click(w.previous)
            w = settle(s, w)
            self.assert_page(w, 4, True, True, "下一步")

            s.close(w.window)
            s.wait_for(lambda: look(s) is None, WAIT, "the window to close")
            self.assertEqual(s.read_bytes(SETTINGS_NAME), stored,
                             "closing by the title bar writes nothing")

            s.hotkey("ctrl+F10")
            w = wait_wizard(s)
            self.assert_page(w, 0, False, True, "下一步")
            self.assertEqual(w.time_boxes[0]["text"], stored_hour, "the edits were dropped")


if __name__ == "__main__":
    unittest.main(verbosity=2)
