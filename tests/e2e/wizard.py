"""The configuration window "Varnel 程序配置" as the scenarios find and work it.

Its controls are told apart by what a user sees: captions, kinds and places.
"""

import json
import os
import subprocess

from harness import EXE_NAME, WAIT, _config, controls, find_control

TITLE = "Varnel 程序配置"
RUN_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
USER_RUN_KEY = r"HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"  # where HKLM is refused
RUN_VALUE = "devora"
UDS_HORZ = 0x40
MB_OK, MB_YESNO_QUESTION = 0x0, 0x24
MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_NOREPEAT = 0x1, 0x2, 0x4, 0x4000
VK_F1 = 0x70

# The items of the tray menu's submenu "功能设置", in order.
MENU_ITEMS = ("设置关机时间", "设置全局热键", "调整窗口位置")


class Wizard:
    """One look at the window."""

    def __init__(self, window):
        self.window = window

    def control(self, **criteria):
        found = find_control(self.window, **criteria)
        if found is None:
            raise AssertionError(f"no control {criteria} in the configuration window")
        return found

    def of_class(self, cls):
        return [c for c in controls(self.window) if c["class"] == cls]

    @property
    def tabs(self):
        return self.control(**{"class": "SysTabControl32"})

    @property
    def page(self):
        return self.tabs["page"]

    def button(self, caption):
        return self.control(**{"class": "Button", "text": caption})

    @property
    def previous(self):
        return self.button("上一步")

    @property
    def right(self):
        """The right navigation button, "下一步" or "完成"."""
        found = [c for c in self.of_class("Button") if c["text"] in ("下一步", "完成")]
        if len(found) != 1:
            raise AssertionError(f"the right navigation button: {found}")
        return found[0]

    @property
    def time_boxes(self):
        """The hour box and the minute box."""
        hour, minute = sorted(self.of_class("Edit"), key=lambda c: c["rect"][0])
        return hour, minute

    def hotkey_lists(self):
        """[[modifier list, key list] of groups 1 to 4]: 1 and 2 in the upper row, left to
        right, then 3 and 4."""
        lists = self.of_class("ComboBox")
        top = min(c["rect"][1] for c in lists)
        lists.sort(key=lambda c: (c["rect"][1] - top > c["rect"][3], c["rect"][0]))
        return [lists[i:i + 2] for i in range(0, 8, 2)]

    def hotkey_texts(self):
        return [f"{m['text']}+{k['text']}" for m, k in self.hotkey_lists()]

    def position_spins(self):
        """The horizontal and the vertical spin control of the position page, shown."""
        spins = [c for c in self.of_class("msctls_updown32") if c["visible"]]
        horizontal, = [c for c in spins if c["style"] & UDS_HORZ]
        vertical = max((c for c in spins if not c["style"] & UDS_HORZ), key=lambda c: c["rect"][3])
        return horizontal, vertical

    def restore_labels(self):
        """The two "恢复默认置" labels, upper first."""
        labels = [c for c in self.of_class("Static") if c["text"] == "恢复默认置"]
        return sorted(labels, key=lambda c: c["rect"][1])


def look(s):
    """The open configuration window, or None."""
    window = s.window(title=TITLE)
    return Wizard(window) if window else None


def wait_wizard(s, timeout=WAIT):
    return Wizard(s.wait_window(timeout, title=TITLE))


def settle(s, wizard):
    """Everything posted to the window handled; returns a fresh look."""
    s.sync(wizard.window)
    return look(s)


def open_from_menu(s, item):
    """A right click on the tray icon, then "功能设置" and `item` by keyboard."""
    s.click_tray_icon(3)
    s.popup_menu()
    # 显示窗口, 隐藏窗口, (separator), 功能设置; its submenu opens on its first item.
    s.keys("Down", "Down", "Down", "Right", *["Down"] * MENU_ITEMS.index(item), "Return")
    return wait_wizard(s)


def press_arrow(s, spin, direction):
    """One press of a spin control's arrow: "up", "down", "left" or "right"."""
    width, height = spin["rect"][2:]
    x, y = {"up": (width // 2, height // 4), "down": (width // 2, height * 3 // 4),
            "left": (width // 4, height // 2), "right": (width * 3 // 4, height // 2)}[direction]
    s.mouse(spin, x, y)


def message_box_now(s):
    """The program's message box on the screen, or None (no waiting)."""
    status, out = s.tool("winprobe.exe", "msgbox", "--exe", EXE_NAME, "none")
    return json.loads(out) if status == 0 else None


def hotkey_registrations(s, pid):
    """(modifier flags, virtual key) of each successful RegisterHotKey of one process."""
    return sorted((c.args[2], c.args[3]) for c in s.relay_calls("RegisterHotKey", pid=pid)
                  if c.retval)


def screenshot_when_painted(s, rect, name):
    """A picture of part of the screen, taken once two captures in a row agree
    (the window has painted); kept as <work>/screenshots/<name>.png."""
    shots = os.path.join(_config("VARNEL_E2E_WORK"), "screenshots")
    os.makedirs(shots, exist_ok=True)
    crop = ["-crop", "{2}x{3}+{0}+{1}".format(*rect)]
    previous = None

    def same_twice():
        nonlocal previous
        pixels = subprocess.run(["import", "-display", s.display, "-window", "root", *crop,
                                 "rgb:-"], capture_output=True, check=True, timeout=30).stdout
        same, previous = pixels == previous, pixels
        return same
    s.wait_for(same_twice, WAIT, f"the screen to settle for {name}")
    path = os.path.join(shots, f"{name}.png")
    s.screenshot(path, rect)
    return path
