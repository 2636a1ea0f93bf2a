"""The tray icon in the virtual desktop's taskbar: a left click toggles the clock once, a
right click opens "我的菜单" at the pointer, and its items do what they say."""

import unittest

from defaults import scenario_settings
from harness import EXE_NAME, SETTINGS_NAME, WAIT, Session, gbk, settings_text

RELAY = ["user32.ShowWindow", "user32.TrackPopupMenu", "user32.MessageBoxW",
         "shell32.Shell_NotifyIconW", "user32.RegisterHotKey", "user32.UnregisterHotKey"]
NIM_ADD, NIM_DELETE = 0, 2
SW_HIDE = 0
MB_ICONINFORMATION = 0x40
HELP_TEXT = ("\r\n程序全局热键如下：\r\n\r\n"
             "    ①配置选项'Ctrl'＋'F10'键\r\n"
             "   ②②显示/隐藏窗口'Ctrl'＋F11键\r\n"
             "  ③  ③退出程序'Ctrl'＋'F12'键\r\n"
             " ④    ④热键关机'Ctrl'＋'F9'键"
             "\r\n\r\n以上热键只做参考\r\n具体热键请参照‘功能设置>设置全局热键’\r\n"
             "使用热键可进入配置窗口更改为自己的的热键！")


class Tray(unittest.TestCase):
    def visible(self, s, handle):
        return s.window(handle=handle, visible=None)["visible"]

    def shows(self, s, handle):
        """The ShowWindow calls on the main window so far, as shown (True) or hidden."""
        return [c.args[1] != SW_HIDE for c in s.relay_calls("ShowWindow") if c.args[0] == handle]

    def choose(self, s, *keys):
        """Opens the menu with a right click and picks an item by keyboard."""
        s.click_tray_icon(3)
        s.popup_menu()
        s.keys(*keys, "Return")

    def info_box(self, s, title):
        """The message box just opened: checks its title, OK button and icon, closes it
        and returns its text."""
        box = s.message_box()
        self.assertEqual(box["title"], title)
        self.assertEqual([b["id"] for b in box["buttons"]], [1], "OK only")
        call = s.relay_calls("MessageBoxW")[-1]
        self.assertEqual((call.texts[2], call.args[3]), (title, MB_ICONINFORMATION))
        s.answer(box, "ok")
        s.wait_for(lambda: s.tool("winprobe.exe", "msgbox", "--exe", EXE_NAME, "none")[0],
                   WAIT, f"the box {title} to close")
        return box["text"]

    def test_clicks_and_menu_items(self):
        with Session(self.id(), settings=settings_text(scenario_settings()), relay=RELAY) as s:
            s.start()
            main = s.wait_start_up()
            self.assertEqual([c.args[0] for c in s.relay_calls("Shell_NotifyIconW")], [NIM_ADD])

            before = len(self.shows(s, main))
            s.click_tray_icon(1)
            s.wait_for(lambda: not self.visible(s, main), WAIT, "a left click to hide the clock")
            s.click_tray_icon(1)
            s.wait_for(lambda: self.visible(s, main), WAIT, "a left click to show the clock")
            self.assertEqual(self.shows(s, main)[before:], [False, True], "once per click")

            x, y = s.click_tray_icon(3)
            s.popup_menu()
            menu = s.relay_calls("TrackPopupMenu")[-1]
            self.assertEqual((menu.args[2], menu.args[3], menu.args[5]), (x, y, main),
                             "the main window's menu at the pointer")
            shown = self.shows(s, main)
            s.xdotool("mousemove", 400, 300, "click", 1)  # on the desktop
            s.wait_for(lambda: s.window(cls="#32768") is None, WAIT,
                       "a click elsewhere to close the menu")
            self.assertEqual(self.shows(s, main), shown, "closing the menu does nothing")

            self.choose(s, "Down", "Down")  # 隐藏窗口
            s.wait_for(lambda: not self.visible(s, main), WAIT, "隐藏窗口 to hide the clock")
            self.choose(s, "Down")  # 显示窗口
            s.wait_for(lambda: self.visible(s, main), WAIT, "显示窗口 to show the clock")

            # From the bottom: 退出, 关于, 帮助.
            self.choose(s, "Up", "Up", "Up")
            self.assertEqual(self.info_box(s, "帮助"), HELP_TEXT)
            self.choose(s, "Up", "Up")
            self.assertTrue(self.info_box(s, "关于").startswith("欢迎使用！"))

            # As a countdown window might have left it; 退出 sets it back.
            stored = s.read_bytes(SETTINGS_NAME)
            with open(s.path(SETTINGS_NAME), "wb") as f:
                f.write(stored.replace(gbk("样式=1"), gbk("样式=2")))
            self.choose(s, "Up")
            self.assertIsNotNone(s.wait_exit(WAIT), "退出 ends the program")
            self.assertEqual(s.setting("倒计时窗口样式", "样式"), "1")
            self.assertEqual(s.relay_calls("Shell_NotifyIconW")[-1].args[0], NIM_DELETE)
            registered = sorted(c.args[1] for c in s.relay_calls("RegisterHotKey") if c.retval)
            released = sorted(c.args[1] for c in s.relay_calls("UnregisterHotKey")
                              if c.args[0] == main)
            self.assertEqual(released, registered, "the four hotkeys are released")


if __name__ == "__main__":
    unittest.main(verbosity=2)
