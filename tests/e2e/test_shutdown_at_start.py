"""Option "程序起动后立刻关机": the question at start-up and what each answer does."""

import unittest

from defaults import scenario_settings
from harness import WAIT, Session, settings_text

RELAY = ["user32.ExitWindowsEx", "user32.MessageBoxW"]
EWX_SHUTDOWN, EWX_FORCE, EWX_POWEROFF = 0x1, 0x4, 0x8
SHTDN_REASON_FLAG_PLANNED = 0x80000000
MB_YESNO_INFORMATION = 0x44
IDYES, IDNO = 6, 7


class ShutdownAtStart(unittest.TestCase):
    def start_and_ask(self, s):
        s.start()
        box = s.message_box()
        s.mark("question")
        self.assertEqual(box["title"], "立即关机")
        self.assertEqual(box["text"], "是否立即关机！")
        self.assertEqual(sorted(b["id"] for b in box["buttons"]), [IDYES, IDNO])
        return box

    def assert_asked_once(self, s):
        asked = s.relay_calls("MessageBoxW")
        self.assertEqual([(c.texts[1], c.texts[2], c.args[3]) for c in asked],
                         [("是否立即关机！", "立即关机", MB_YESNO_INFORMATION)])
        return asked[0].pid

    def answer_yes(self, forced):
        settings = scenario_settings(程序起动后立刻关机=True, 强行关机=forced)
        with Session(self.id(), settings=settings_text(settings), relay=RELAY) as s:
            s.answer(self.start_and_ask(s), "yes")
            self.assertIsNotNone(s.wait_exit(WAIT), "the shutdown request ends the Wine session")
            s.mark("session ended")
            program = self.assert_asked_once(s)
            calls = s.relay_calls("ExitWindowsEx", pid=program)
            self.assertEqual(len(calls), 1, calls)
            flags, reason = calls[0].args
            self.assertEqual(flags & ~EWX_FORCE, EWX_SHUTDOWN | EWX_POWEROFF, hex(flags))
            self.assertEqual(bool(flags & EWX_FORCE), forced, hex(flags))
            self.assertTrue(reason & SHTDN_REASON_FLAG_PLANNED, hex(reason))
            print(f"ExitWindowsEx(flags={flags:#x}, reason={reason:#x})")

    def test_yes_requests_a_forced_shutdown_when_forced_is_on(self):
        self.answer_yes(forced=True)

    def test_yes_requests_a_normal_shutdown_when_forced_is_off(self):
        self.answer_yes(forced=False)

    def test_no_goes_on_with_start_up(self):
        settings = scenario_settings(程序起动后立刻关机=True)
        with Session(self.id(), settings=settings_text(settings), relay=RELAY) as s:
            s.answer(self.start_and_ask(s), "no")
            self.assertIsNotNone(s.window(handle=s.wait_start_up()), "the main window is shown")
            self.assertTrue(s.running())
            self.assert_asked_once(s)
            self.assertEqual(s.relay_calls("ExitWindowsEx"), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
