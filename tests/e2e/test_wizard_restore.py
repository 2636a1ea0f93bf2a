"""Restoring the defaults from the finish page: a double-click on "恢复默认置" asks; No
changes nothing, Yes writes the defaults, removes the start-with-Windows value and
restarts into them."""

import time
import unittest

from defaults import DEFAULT_SETTINGS, scenario_settings
from harness import SETTINGS_NAME, WAIT, Session, parse_ini, settings_text
from wizard import (MB_YESNO_QUESTION, MOD_CONTROL, MOD_NOREPEAT, RUN_KEY, RUN_VALUE,
                    USER_RUN_KEY, VK_F1, hotkey_registrations, look, message_box_now, settle,
                    wait_wizard)

RELAY = ["user32.RegisterHotKey", "user32.UnregisterHotKey", "kernel32.CreateProcessW",
         "user32.MessageBoxW"]
RESTORE_TITLE = "恢复默认置"
RESTORE_TEXT = "恢复程序的默认置! 程序重启后生效。\r\n 是否立刻重启？ \r\n‘是’为重启后生效‘否’为取消并返回"
IDYES, IDNO = 6, 7


def near_default_shutdown():
    """The restarted instance keeps the default time, 23:00; its countdown window would
    open from 22:55 and the shutdown end the scenario."""
    now = time.localtime()
    return 22 * 60 + 50 <= now.tm_hour * 60 + now.tm_min <= 23 * 60


class RestoreDefaults(unittest.TestCase):
    def test_no_changes_nothing_and_yes_restarts_with_the_defaults(self):
        if near_default_shutdown():
            self.skipTest("too close to the default shutdown time, 23:00")
        rows = [(section, [("1", "1"), ("2", "1")] if section == "退出程序" else keys)
                for section, keys in scenario_settings(强行关机=False, 隐藏启动=True,
                                                       开机自动运行Varnel=True)]
        with Session(self.id(), settings=settings_text(rows), relay=RELAY) as s:
            for key in (RUN_KEY, USER_RUN_KEY):
                self.assertEqual(s.reg("add", key, "/v", RUN_VALUE, "/d", "x.exe", "/f")[0], 0)
            s.start()
            old_handle = s.wait_start_up()
            old = s.window(handle=old_handle, visible=None)["pid"]
            stored = s.read_bytes(SETTINGS_NAME)
            s.hotkey("ctrl+F10")
            w = wait_wizard(s)
            s.set_page(w.tabs, 5)
            w = settle(s, w)
            upper, lower = w.restore_labels()

            def ask(label):
                s.mouse(label, double=True)
                box = s.message_box()
                self.assertEqual((box["title"], box["text"]), (RESTORE_TITLE, RESTORE_TEXT))
                self.assertEqual(sorted(b["id"] for b in box["buttons"]), [IDYES, IDNO])
                return box

            s.mouse(upper)
            settle(s, w)
            self.assertIsNone(message_box_now(s), "a single click does nothing")
            s.answer(ask(upper), "no")
            w = settle(s, w)
            self.assertEqual(w.page, 5, "No leaves the window as it was")
            self.assertEqual(s.read_bytes(SETTINGS_NAME), stored, "and the file too")
            self.assertEqual(s.relay_calls("UnregisterHotKey"), [])

            s.answer(ask(lower), "yes")
            self.assertIsNotNone(s.wait_exit(WAIT), "the old instance ends")
            s.mark("old instance ended")
            new = s.wait_for(lambda: next((c.pid for c in s.relay_calls("RegisterHotKey")
                                           if c.pid != old), None), WAIT, "a new instance")
            s.wait_for(lambda: s.setting("句柄", "窗口句柄") not in (None, str(old_handle)),
                       WAIT, "the new instance's start-up")
            s.mark("new instance up")

            calls = s.relay_calls()
            started = [i for i, c in enumerate(calls) if c.function == "CreateProcessW"
                       and c.pid == old]
            released = [i for i, c in enumerate(calls) if c.function == "UnregisterHotKey"
                        and c.pid == old and c.retval]
            self.assertEqual((len(started), len(released)), (1, 4))
            self.assertLess(max(released), started[0], "hotkeys released before the start")
            self.assertEqual([(c.texts[2], c.args[3]) for c in s.relay_calls("MessageBoxW")],
                             [(RESTORE_TITLE, MB_YESNO_QUESTION)] * 2)
            self.assertEqual(hotkey_registrations(s, new), sorted(
                (MOD_CONTROL | MOD_NOREPEAT, VK_F1 + key) for key in (9, 10, 11, 8)),
                "the default hotkeys")

            handle = int(s.setting("句柄", "窗口句柄"))
            main = s.window(handle=handle)
            self.assertIsNotNone(main, "the clock is shown: start hidden is off again")
            self.assertEqual(main["pid"], new)
            self.assertIsNone(look(s), "the file exists: no configuration window by itself")
            self.assertEqual(parse_ini(s.read_bytes(SETTINGS_NAME)), DEFAULT_SETTINGS + [
                ("句柄", [("窗口句柄", str(handle))]), ("倒计时窗口样式", [("样式", "1")])])
            for key in (RUN_KEY, USER_RUN_KEY):
                self.assertIsNone(s.registry_value(key, RUN_VALUE), f"deleted under {key}")


if __name__ == "__main__":
    unittest.main(verbosity=2)
