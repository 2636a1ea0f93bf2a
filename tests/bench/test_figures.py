"""The benchmark's arithmetic and its reading of Wine's relay trace, without Wine."""

import os
import re
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import figures  # noqa: E402
from wine_bench import RelayTail, clock_timer_calls  # noqa: E402


class TickPhase(unittest.TestCase):
    def test_elapse_gives_the_millisecond_read_and_its_distance_from_the_second(self):
        # (elapse the tick set, millisecond it read, phase against the nearest second)
        cases = [(1015, 0, 0), (1000, 15, 15), (965, 50, 50), (16, 999, -1), (516, 499, 499),
                 (515, 500, -500), (1014, 1, 1)]
        for elapse, millisecond, phase in cases:
            with self.subTest(elapse=elapse):
                self.assertEqual(figures.rearm_millisecond(elapse), millisecond)
                self.assertEqual(figures.signed_phase(figures.rearm_millisecond(elapse)), phase)

    def test_wall_clock_millisecond_rounds_into_the_next_second(self):
        self.assertEqual(figures.wall_millisecond(1796593380.0234), 23)
        self.assertEqual(figures.wall_millisecond(1796593380.9996), 0)
        self.assertEqual(figures.signed_phase(figures.wall_millisecond(1796593380.98)), -20)

    def test_worst_is_the_farthest_from_zero_either_way(self):
        self.assertEqual(figures.worst([12, -40, 33]), -40)
        self.assertEqual(figures.worst([12, 41, -40]), 41)


class InstructionCounts(unittest.TestCase):
    def test_callgrind_total_and_the_cost_of_one_step(self):
        output = "==11375== Events    : Ir\n==11375== Collected : 4719913\n==11375==\n"
        self.assertEqual(figures.collected_instructions(output), 4719913)
        # 1000 steps then 3000 steps over the same start-up of 500,000.
        self.assertEqual(figures.per_step(500_000 + 1000 * 1637, 1000,
                                          500_000 + 3000 * 1637, 3000), 1637)

    def test_unreadable_runs_are_refused(self):
        with self.assertRaises(ValueError):
            figures.collected_instructions("valgrind: command not found")
        with self.assertRaises(ValueError):
            figures.collected_instructions("Collected : 1\nCollected : 2\n")
        with self.assertRaises(ValueError):
            figures.per_step(10, 1000, 20, 1000)


class ProcessCpu(unittest.TestCase):
    def test_user_and_system_time_after_a_command_name_with_parentheses(self):
        # pid (comm) state ppid pgrp session tty tpgid flags minflt cminflt majflt cmajflt
        # utime stime ...
        stat = "4242 (var (nel).exe) S 1 4242 4242 0 -1 4194560 900 0 3 0 250 50 0 0 20 0 4\n"
        self.assertEqual(figures.clock_ticks_to_seconds(stat, 100), 3.0)


class Table(unittest.TestCase):
    def test_verdicts(self):
        self.assertEqual(figures.verdict(399 * 1024, 400 * 1024), "pass")
        self.assertEqual(figures.verdict(400 * 1024, 400 * 1024), "miss")
        self.assertEqual(figures.verdict(1.31, 1.3), "miss")
        self.assertEqual(figures.verdict(0.2, None), "—")

    def test_one_line_per_row_and_cells_that_cannot_break_the_table(self):
        table = figures.markdown_table([
            {"figure": "a", "value": "1 | 2", "target": "< 3", "result": "pass",
             "method": "two\nlines"},
            {"figure": "b", "value": "4", "target": "—", "result": "—", "method": "x"}])
        lines = table.splitlines()
        self.assertEqual(len(lines), 4)
        # Five cells between unescaped bars on every row.
        self.assertEqual({len(re.split(r"(?<!\\)\|", line)) for line in lines}, {7})
        self.assertIn("1 \\| 2", lines[2])
        self.assertIn("two lines", lines[2])


class FakeSession:
    def __init__(self, directory):
        self.dir = directory


class Relay(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.trace = os.path.join(self.dir.name, "relay.txt")
        self.tail = RelayTail(FakeSession(self.dir.name))

    def tearDown(self):
        self.dir.cleanup()

    def write(self, text):
        with open(self.trace, "a", newline="") as f:
            f.write(text)

    def test_a_line_is_taken_once_complete_and_timed_when_it_completed(self):
        self.tail.poll()  # no trace yet
        self.write("0024:0028:Call user32.SetTimer(0001006a,00000001,000003e8,00000000) ret=1\n"
                   "0024:0028:Ret  user32.SetTimer() retval=00000001 ret=1\n"
                   "0024:0028:Call user32.Exit")
        self.tail.poll()
        self.assertEqual([c.args for _, c in self.tail.seen], [[0x1006a, 1, 1000, 0]])
        first_seen = self.tail.seen[0][0]
        self.write("WindowsEx(00000005,00000000) ret=0000000140001234\n")
        self.tail.poll()
        self.assertEqual([c.function for _, c in self.tail.seen], ["SetTimer", "ExitWindowsEx"])
        self.assertEqual(self.tail.calls("ExitWindowsEx")[0][1].args, [5, 0])
        self.assertGreaterEqual(self.tail.seen[1][0], first_seen)

    def test_clock_timer_is_the_first_timer_of_the_main_window(self):
        main, other = 0x1006A, 0x2008C
        lines = [(main, 1, 1000), (main, 2, 50), (other, 1, 1000), (main, 1, 993),
                 (main, 2, 50), (main, 1, 1002)]
        self.write("".join(f"0024:0028:Call user32.SetTimer({h:08x},{i:08x},{e:08x},00000000)"
                           " ret=1\n" for h, i, e in lines))
        self.tail.poll()
        self.assertEqual([e for _, e in clock_timer_calls(self.tail, main)], [1000, 993, 1002])
        self.assertEqual(clock_timer_calls(self.tail, 0x30000), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
