"""The hotkey page: a choice that makes two hotkeys equal is refused with (001) or (002)
and the list goes back; other choices stand silently, in the lists only."""

import unittest

from defaults import scenario_settings
from harness import SETTINGS_NAME, WAIT, Session, find_control, settings_text
from wizard import MB_OK, look, message_box_now, settle, wait_wizard

IDOK = 1
MODIFIER, KEY = 0, 1
ALT, CTRL = 1, 0
F10, F11 = 9, 10


class HotkeyPage(unittest.TestCase):
    def test_a_clash_is_refused_and_the_list_reverts(self):
        with Session(self.id(), settings=settings_text(scenario_settings()),
                     relay=["user32.MessageBoxW"]) as s:
            s.start()
            s.wait_start_up()
            stored = s.read_bytes(SETTINGS_NAME)
            s.hotkey("ctrl+F10")
            w = wait_wizard(s)
            s.set_page(w.tabs, 3)
            w = settle(s, w)
            self.assertEqual(w.hotkey_texts(), ["Ctrl+F10", "Ctrl+F11", "Ctrl+F9", "Ctrl+F12"])
            lists = w.hotkey_lists()

            def shown(group, which):
                return find_control(look(s).window, handle=lists[group][which]["handle"])

            def choose(group, which, index):
                s.select(lists[group][which], index, dropdown=True)  # opened, picked, closed

            def refused(group, which, index, code, back):
                choose(group, which, index)
                box = s.message_box()
                self.assertEqual((box["title"], box["text"]),
                                 ("Varnel", f"热键设置不能相同，请更正！({code})"))
                self.assertEqual([b["id"] for b in box["buttons"]], [IDOK])
                s.answer(box, "ok")
                s.wait_for(lambda: shown(group, which)["selection"] == back, WAIT,
                           f"group {group + 1}'s list back at {back}")

            def accepted(group, which, index):
                choose(group, which, index)
                settle(s, w)  # also past the close-up the list's window reports later
                self.assertIsNone(message_box_now(s), f"group {group + 1}, item {index}")
                self.assertEqual(shown(group, which)["selection"], index)

            refused(0, KEY, F11, "001", F10)  # Ctrl+F11 is group 2's
            accepted(0, MODIFIER, ALT)        # Alt+F10
            accepted(1, MODIFIER, ALT)        # Alt+F11
            accepted(3, KEY, F11)             # Ctrl+F11, free again
            accepted(3, KEY, F11)             # opened and closed without a change
            refused(3, MODIFIER, ALT, "002", CTRL)  # Alt+F11 is group 2's
            self.assertEqual(settle(s, w).hotkey_texts(),
                             ["Alt+F10", "Alt+F11", "Ctrl+F9", "Ctrl+F11"])
            self.assertEqual([c.args[3] for c in s.relay_calls("MessageBoxW")], [MB_OK] * 2,
                             "OK only, no icon")

            s.close(w.window)
            s.wait_for(lambda: look(s) is None, WAIT, "the window to close")
            self.assertEqual(s.read_bytes(SETTINGS_NAME), stored, "the choices lived in the lists")


if __name__ == "__main__":
    unittest.main(verbosity=2)
