"""The four global hotkeys pressed for real, their registration, the reference file, and
a binding that another program holds."""

import time
import unittest

from defaults import scenario_settings
from harness import SETTINGS_NAME, WAIT, Session, gbk, settings_text

# MOD_CONTROL with MOD_NOREPEAT: holding the shutdown hotkey down must not confirm it
CTRL = 0x2 | 0x4000
VK_F9, VK_F10, VK_F11, VK_F12 = 120, 121, 122, 123
EWX_FORCE = 0x4
NIM_DELETE = 2
MB_OK, MB_ICONWARNING = 0x0, 0x30
COUNTDOWN_TITLE = " 关机提示"
WIZARD_TITLE = "Varnel 程序配置"
SUMMARY = ("    ①配置选项'Ctrl'＋'F10'键\r\n"
           "   ②②显示/隐藏窗口'Ctrl'＋F11键\r\n"
           "  ③  ③退出程序'Ctrl'＋'F12'键\r\n"
           " ④    ④热键关机'Ctrl'＋'F9'键")
TAKEN_F11 = "注册‘显示或隐藏窗口’热键失败，请尝试更改其它热键!"
CONFIRM_PERIOD = 3  # seconds after a press in which a second one confirms


class Hotkeys(unittest.TestCase):
    def registrations(self, s):
        return [(c.args[0], c.args[2], c.args[3], c.retval != 0)
                for c in s.relay_calls("RegisterHotKey")]

    def visible(self, s, handle):
        return s.window(handle=handle, visible=None)["visible"]

    def test_defaults_pressed_for_real(self):
        with Session(self.id(), settings=settings_text(scenario_settings()),
                     relay=["user32.RegisterHotKey", "user32.ExitWindowsEx",
                            "user32.MessageBoxW"]) as s:
            s.start()
            main = s.wait_start_up()
            self.assertEqual(self.registrations(s), [
                (main, CTRL, VK_F10, True), (main, CTRL, VK_F11, True),
                (main, CTRL, VK_F12, True), (main, CTRL, VK_F9, True)])
            self.assertEqual(s.read_bytes("常用热键.txt"), gbk(SUMMARY))

            # Shutdown hotkey twice, 0.5 s apart: the window opens, nothing else.
            quick, = s.presses("ctrl+F9", 500, "ctrl+F9")
            quick_done = time.monotonic()
            self.assertLess(quick, 1000, "the presses came too late to test the rule")
            s.wait_window(title=COUNTDOWN_TITLE)
            self.assertTrue(s.window(handle=main)["enabled"], "the countdown window is modeless")

            s.hotkey("ctrl+F11")
            s.wait_for(lambda: not self.visible(s, main), WAIT, "Ctrl+F11 to hide the window")
            s.xdotool("key", "ctrl+F11")  # through X this time
            s.wait_for(lambda: self.visible(s, main), WAIT, "Ctrl+F11 to show the window")

            s.hotkey("ctrl+F10")
            wizard = s.wait_window(title=WIZARD_TITLE)
            self.assertTrue(s.window(handle=main)["enabled"], "the wizard is modeless here")
            s.close(wizard)
            s.wait_for(lambda: s.window(title=WIZARD_TITLE, visible=None) is None, WAIT,
                       "the wizard to close")

            # Past the confirm period of the quick pair: still no request.
            time.sleep(max(0.0, CONFIRM_PERIOD + 0.5 - (time.monotonic() - quick_done)))
            self.assertEqual(s.relay_calls("ExitWindowsEx"), [])

            gap, = s.presses("ctrl+F9", 2000, "ctrl+F9")
            self.assertGreater(gap, 1000)
            self.assertLess(gap, 2000 + 900, "the presses came too late to test the rule")
            call, _ = s.wait_call("ExitWindowsEx")
            self.assertTrue(call.args[0] & EWX_FORCE, "forced: option 强行关机 is on")
            box, _ = s.wait_call("MessageBoxW")
            self.assertEqual((box.texts[1], box.texts[2], box.args[3]),
                             ("正在关机。。。", "Varnel", MB_OK))
            self.assertIsNotNone(s.wait_exit(WAIT), "the request ends the Wine session")

    def test_binding_held_elsewhere_and_the_exit_hotkey(self):
        with Session(self.id(), settings=settings_text(scenario_settings()),
                     relay=["user32.RegisterHotKey", "user32.UnregisterHotKey",
                            "user32.MessageBoxW", "shell32.Shell_NotifyIconW"]) as s:
            self.assertTrue(s.spawn("winprobe.exe", "hold", "ctrl+F11").report()["held"])
            s.start()
            box = s.message_box()
            self.assertEqual((box["title"], box["text"]), ("Varnel", TAKEN_F11))
            self.assertEqual([b["id"] for b in box["buttons"]], [1], "OK only")
            s.answer(box, "ok")
            main = s.wait_start_up()

            calls = [(c.args[0], *c.args[2:4], c.retval != 0) if c.function == "RegisterHotKey"
                     else (*c.texts[1:3], c.args[3])
                     for c in s.relay_calls() if c.function in ("RegisterHotKey", "MessageBoxW")]
            self.assertEqual(calls, [
                (main, CTRL, VK_F10, True),
                (main, CTRL, VK_F11, False),
                (TAKEN_F11, "Varnel", MB_ICONWARNING),
                (main, CTRL, VK_F12, True),
                (main, CTRL, VK_F9, True)])
            # The failed binding's caption is set all the same.
            self.assertEqual(s.read_bytes("常用热键.txt"), gbk(SUMMARY))

            # Left as a countdown window might have left it: the exit hotkey keeps it.
            settings = s.read_bytes(SETTINGS_NAME)
            with open(s.path(SETTINGS_NAME), "wb") as f:
                f.write(settings.replace(gbk("样式=1"), gbk("样式=3")))
            s.hotkey("ctrl+F12")
            self.assertIsNotNone(s.wait_exit(WAIT), "Ctrl+F12 ends the program")
            self.assertEqual(s.setting("倒计时窗口样式", "样式"), "3")
            tray = s.relay_calls("Shell_NotifyIconW")
            self.assertEqual(tray[-1].args[0], NIM_DELETE, "the tray icon is removed")
            self.assertEqual(s.relay_calls("UnregisterHotKey"), [],
                             "the exit hotkey leaves the hotkeys to the system")


if __name__ == "__main__":
    unittest.main(verbosity=2)
