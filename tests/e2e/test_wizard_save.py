"""Finishing the configuration window: every row written as GBK, the start-with-Windows
value in the registry set or deleted (under both roots), and the restart into the new
hotkeys."""

import time
import unittest

from defaults import scenario_settings
from harness import EXE_NAME, SETTINGS_NAME, WAIT, Session, gbk, parse_ini, settings_text
from wizard import (MB_YESNO_QUESTION, MOD_ALT, MOD_CONTROL, MOD_NOREPEAT, MOD_SHIFT, RUN_KEY,
                    RUN_VALUE, USER_RUN_KEY, VK_F1, hotkey_registrations, look, open_from_menu,
                    settle, wait_wizard)

RELAY = ["user32.RegisterHotKey", "user32.UnregisterHotKey", "kernel32.CreateProcessW",
         "user32.MessageBoxW", "shell32.Shell_NotifyIconW"]
NIM_DELETE = 2
FINISH_TITLE = "设置已经成功，重启后生效！"
FINISH_TEXT = "设置成功! 程序重启后生效。\r\n 是否立刻重启？ \r\n‘是’为立刻重新启动程序"
IDYES, IDNO = 6, 7
MODIFIER, KEY = 0, 1


def with_rows(rows, **changes):
    """The settings rows with whole sections replaced: changes[section] = [(key, value)]."""
    return [(section, changes.get(section, keys)) for section, keys in rows]


class WizardSave(unittest.TestCase):
    def finish(self, s, wizard, answer):
        s.click(wizard.right)
        box = s.message_box()
        self.assertEqual((box["title"], box["text"]), (FINISH_TITLE, FINISH_TEXT))
        self.assertEqual(sorted(b["id"] for b in box["buttons"]), [IDYES, IDNO])
        s.answer(box, answer)
        asked = [(c.texts[2], c.args[3]) for c in s.relay_calls("MessageBoxW")]
        self.assertEqual(asked, [(FINISH_TITLE, MB_YESNO_QUESTION)])

    def test_finish_and_yes_restart_with_the_new_time_hotkeys_and_run_value(self):
        rows = scenario_settings()
        hour = str((time.localtime().tm_hour + 11) % 24 or 2)  # far from now, not the stored one
        with Session(self.id(), settings=settings_text(rows), relay=RELAY) as s:
            s.start()
            old_handle = s.wait_start_up()
            old = s.window(handle=old_handle)["pid"]
            exe = '"' + s.windows_path(EXE_NAME) + '"'

            w = open_from_menu(s, "设置关机时间")
            hour_box, minute_box = w.time_boxes
            s.type_text(hour_box, hour)
            s.type_text(minute_box, "45")
            s.click(w.button("确定"))
            s.click(w.right)
            w = settle(s, w)
            self.assertEqual(w.page, 2, "确定 released 下一步")
            s.click(w.control(text="开机自动运行Varnel"))
            s.click(w.right)
            w = settle(s, w)
            lists = w.hotkey_lists()
            for group, which, index in [(0, MODIFIER, 1), (1, KEY, 2), (2, MODIFIER, 2),
                                        (3, KEY, 7)]:
                s.select(lists[group][which], index, dropdown=True)
            w = settle(s, w)
            self.assertEqual(w.hotkey_texts(), ["Alt+F10", "Ctrl+F3", "Shift+F9", "Ctrl+F8"])
            self.assertTrue(w.control(text="开机自动运行Varnel")["checked"])
            s.click(w.right)
            s.click(w.right)
            w = settle(s, w)
            self.assertEqual((w.page, w.right["text"]), (5, "完成"))
            self.finish(s, w, "yes")

            self.assertEqual(s.wait_exit(WAIT), 0, "the old instance ends with exit code 0")
            s.mark("old instance ended")
            new = s.wait_for(lambda: next((c.pid for c in s.relay_calls("RegisterHotKey")
                                           if c.pid != old), None), WAIT, "a new instance")
            s.wait_for(lambda: s.setting("句柄", "窗口句柄") not in (None, str(old_handle)),
                       WAIT, "the new instance's start-up")
            s.mark("new instance up")

            # Hotkeys released and tray icon removed by the old instance before it started
            # the new one, with the quoted path.
            calls = s.relay_calls()
            started = [i for i, c in enumerate(calls) if c.function == "CreateProcessW"
                       and c.pid == old]
            self.assertEqual([calls[i].texts[1] for i in started], [exe])
            released = [i for i, c in enumerate(calls) if c.function == "UnregisterHotKey"
                        and c.pid == old and c.retval]
            self.assertEqual(len(released), 4, "all four hotkeys released")
            self.assertLess(max(released), started[0])
            removed = [i for i, c in enumerate(calls) if c.function == "Shell_NotifyIconW"
                       and c.pid == old and c.args[0] == NIM_DELETE]
            self.assertEqual(len(removed), 1, "the tray icon removed")
            self.assertLess(removed[0], started[0])
            self.assertEqual(hotkey_registrations(s, new), sorted(
                (modifier | MOD_NOREPEAT, VK_F1 + key) for modifier, key in [
                    (MOD_ALT, 9), (MOD_CONTROL, 2), (MOD_SHIFT, 8), (MOD_CONTROL, 7)]),
                "the new instance holds the new hotkeys")
            main = s.window(handle=int(s.setting("句柄", "窗口句柄")))
            self.assertEqual(main["pid"], new, "the new instance shows its clock")
            self.assertIsNone(look(s), "and opens no configuration window")

            data = s.read_bytes(SETTINGS_NAME)
            expected = with_rows(
                rows, 开机自动运行Varnel=[("是", "真")], 关机时间=[("小时", hour), ("分钟", "45")],
                打开软件配置程序=[("1", "1"), ("2", "9")], 显示或隐藏窗口=[("1", "0"), ("2", "2")],
                退出程序=[("1", "0"), ("2", "7")], 热键关机=[("1", "2"), ("2", "8")])
            self.assertEqual(parse_ini(data)[:len(expected)], expected)
            for section in ("[开机自动运行Varnel]\r\n是=真\r\n",
                            f"[关机时间]\r\n小时={hour}\r\n分钟=45\r\n",
                            "[热键关机]\r\n1=2\r\n2=8\r\n"):
                self.assertIn(gbk(section), data)
            self.assertEqual(s.registry_value(RUN_KEY, RUN_VALUE), exe)
            self.assertIsNone(s.registry_value(USER_RUN_KEY, RUN_VALUE), "HKLM was writable")

    def test_finish_and_no_with_start_with_windows_cleared_deletes_the_run_value(self):
        rows = scenario_settings(开机自动运行Varnel=True)
        with Session(self.id(), settings=settings_text(rows), relay=RELAY) as s:
            exe = '"' + s.windows_path(EXE_NAME) + '"'
            for key in (RUN_KEY, USER_RUN_KEY):
                self.assertEqual(s.reg("add", key, "/v", RUN_VALUE, "/d", exe, "/f")[0], 0)
                self.assertEqual(s.registry_value(key, RUN_VALUE), exe)
            s.start()
            handle = s.wait_start_up()
            program = s.window(handle=handle)["pid"]
            before = parse_ini(s.read_bytes(SETTINGS_NAME))

            s.hotkey("ctrl+F10")
            w = wait_wizard(s)
            s.set_page(w.tabs, 2)
            w = settle(s, w)
            self.assertTrue(w.control(text="开机自动运行Varnel")["checked"])
            self.assertFalse(w.control(text="程序启动后立刻关机")["enabled"],
                             "excluded while start with Windows is checked")
            s.click(w.control(text="开机自动运行Varnel"))
            w = settle(s, w)
            self.assertFalse(w.control(text="开机自动运行Varnel")["checked"])
            self.assertTrue(w.control(text="程序启动后立刻关机")["enabled"])
            s.set_page(w.tabs, 5)
            self.finish(s, settle(s, w), "no")

            s.wait_for(lambda: look(s) is None, WAIT, "the window to close")
            self.assertTrue(s.running())
            self.assertEqual(s.window(handle=handle)["pid"], program)
            self.assertEqual(s.relay_calls("UnregisterHotKey"), [], "the hotkeys stay")
            self.assertEqual([c for c in s.relay_calls("CreateProcessW", pid=program)], [])
            for key in (RUN_KEY, USER_RUN_KEY):
                self.assertIsNone(s.registry_value(key, RUN_VALUE), f"deleted under {key}")
            self.assertEqual(parse_ini(s.read_bytes(SETTINGS_NAME)),
                             with_rows(before, 开机自动运行Varnel=[("是", "假")]))


if __name__ == "__main__":
    unittest.main(verbosity=2)
