"""The configuration window opened from the tray menu's "功能设置" items: each on its page
and modal; the position page moves the clock; cancelling asks first and writes nothing."""

import unittest

from defaults import scenario_settings
from harness import SETTINGS_NAME, WAIT, Session, settings_text
from wizard import MB_YESNO_QUESTION, look, open_from_menu, press_arrow, settle

IDYES, IDNO = 6, 7
STEP = 10


class WizardFromMenu(unittest.TestCase):
    def close_wizard(self, s, wizard, main):
        s.close(wizard.window)
        s.wait_for(lambda: look(s) is None, WAIT, "the window to close")
        self.assertTrue(s.window(handle=main)["enabled"], "the main window takes input again")

    def test_each_item_opens_its_page_and_the_position_page_moves_the_clock(self):
        with Session(self.id(), settings=settings_text(scenario_settings())) as s:
            s.start()
            main = s.wait_start_up()
            stored = s.read_bytes(SETTINGS_NAME)

            w = open_from_menu(s, "设置关机时间")
            s.mark("time page")
            self.assertEqual(w.page, 1)
            self.assertTrue(w.previous["enabled"])
            self.assertFalse(w.right["enabled"], "下一步 waits for 确定")
            self.assertFalse(s.window(handle=main)["enabled"], "modal over the main window")
            self.close_wizard(s, w, main)

            w = open_from_menu(s, "设置全局热键")
            self.assertEqual(w.page, 3)
            self.assertEqual((w.previous["enabled"], w.right["enabled"], w.right["text"]),
                             (True, True, "下一步"))
            self.close_wizard(s, w, main)

            w = open_from_menu(s, "调整窗口位置")
            self.assertEqual(w.page, 4)
            horizontal, vertical = w.position_spins()
            left, top = s.window(handle=main)["rect"][:2]
            presses = [(horizontal, "right", STEP, 0), (vertical, "up", STEP, -STEP),
                       (horizontal, "left", 0, -STEP), (vertical, "down", 0, 0),
                       (horizontal, "right", STEP, 0)]
            for spin, arrow, dx, dy in presses:
                press_arrow(s, spin, arrow)
                s.wait_for(lambda: s.window(handle=main)["rect"][:2] == [left + dx, top + dy],
                           WAIT, f"the clock at ({left + dx}, {top + dy}) after {arrow}")
            self.close_wizard(s, w, main)
            self.assertEqual(s.window(handle=main)["rect"][:2], [left + STEP, top],
                             "the clock stays where it was moved")
            self.assertEqual(s.read_bytes(SETTINGS_NAME), stored, "moving stores nothing")

    def test_cancel_asks_and_keeps_the_edits_or_closes_writing_nothing(self):
        with Session(self.id(), settings=settings_text(scenario_settings()),
                     relay=["user32.MessageBoxW"]) as s:
            s.start()
            main = s.wait_start_up()
            stored = s.read_bytes(SETTINGS_NAME)
            w = open_from_menu(s, "设置关机时间")
            hour, minute = w.time_boxes
            s.type_text(hour, "12")
            s.type_text(minute, "34")

            def cancel():
                s.click(w.button("取消"))
                box = s.message_box()
                self.assertEqual((box["title"], box["text"]),
                                 ("Varnel", "退出‘向导’即将载入默认置\r\n是否继续？"))
                self.assertEqual(sorted(b["id"] for b in box["buttons"]), [IDYES, IDNO])
                return box

            s.answer(cancel(), "no")
            w = settle(s, w)
            self.assertEqual(w.page, 1, "No leaves the window on its page")
            self.assertEqual([box["text"] for box in w.time_boxes], ["12", "34"],
                             "with the edits kept")

            s.answer(cancel(), "yes")
            s.wait_for(lambda: look(s) is None, WAIT, "the window to close")
            self.assertTrue(s.window(handle=main)["enabled"])
            self.assertEqual(s.read_bytes(SETTINGS_NAME), stored, "cancelling writes nothing")
            asked = [c.args[3] for c in s.relay_calls("MessageBoxW")]
            self.assertEqual(asked, [MB_YESNO_QUESTION] * 2, "Yes/No with the question icon")


if __name__ == "__main__":
    unittest.main(verbosity=2)
