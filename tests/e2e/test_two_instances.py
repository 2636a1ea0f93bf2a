"""Two varnel.exe started at once on one settings file: the file comes out whole, each hotkey
is held by one of them, and each says so once for every hotkey it could not register."""

import unittest

from harness import Session, scenario_settings, settings_text


class TwoInstances(unittest.TestCase):
    def test_two_at_once_on_one_file(self):
        old = ("; 两个实例共用这个文件\r\n" + settings_text(scenario_settings()) +
               "[我的笔记]\r\n内容 = 下班前关机\r\n[句柄]\r\n窗口句柄=0\r\n[倒计时窗口样式]\r\n样式=3\r\n")
        stored = old.replace("1=785\r\n2=566", "1=0\r\n2=0")  # away from the corner: both write it
        logs = ["0.txt", "1.txt"]  # a trace each: Wine writes a trace line in pieces
        relay = ["user32.RegisterHotKey", "user32.MessageBoxW", "user32.GetMessageW"]
        with Session(self.id(), settings=stored, relay=relay) as s:
            for log in logs:
                s.start(log=log)
            s.settle(*logs)
            held = []
            for log in logs:
                registered = s.relay_calls("RegisterHotKey", log)
                held += [c.args[3] for c in registered if c.retval]
                self.assertEqual(len(s.relay_calls("MessageBoxW", log)),
                                 sum(not c.retval for c in registered), f"the messages of {log}")
            self.assertEqual(sorted(held), [120, 121, 122, 123], "each hotkey held once")
            self.assertIn(s.read_bytes(), [old.replace("样式=3", "样式=1").replace(
                "窗口句柄=0", f"窗口句柄={w['handle']}").encode("gbk") for w in s.windows()
                if w["cls"] == "VarnelWindow"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
