"""The benchmark's arithmetic and its reading of Wine's relay trace, without Wine."""

import os
import re
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import figures  # noqa: E402
import run_bench  # noqa: E402
from wine_bench import RelayTail, clock_timer_calls, runs_program  # noqa: E402


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


class WineProcesses(unittest.TestCase):
    def test_the_program_of_a_command_line_as_wine_shows_it(self):
        cases = [
            (b"Z:\\tmp\\e2e\\app\\varnel.exe" + b" " * 20, True),
            (b'"Z:\\tmp\\e2e\\app\\Varnel.EXE"    \0\0', True),
            (b"/tmp/e2e/app/varnel.exe\0", True),
            # A tool given the program as its argument is not the program.
            (b"/build/launch_probe.exe\0Z:\\tmp\\app\\varnel.exe\0", False),
            (b"Z:\\tmp\\app\\not_varnel.exe", False),
            (b"C:\\windows\\system32\\explorer.exe /desktop", False),
        ]
        for cmdline, expected in cases:
            with self.subTest(cmdline=cmdline):
                self.assertIs(runs_program(cmdline, "varnel.exe"), expected)


def start(visible_ms, working_set, private):
    return {"visibleMs": visible_ms, "workingSet": working_set, "pagefileUsage": private}


class Rows(unittest.TestCase):
    def test_start_up_and_memory_are_ratios_of_the_medians_against_both_yardsticks(self):
        found = {"varnel": [start(400, 24e6, 9e6), start(520, 26e6, 6e6), start(450, 25e6, 6e6)],
                 "minimal": [start(300, 20e6, 4e6), start(350, 19e6, 4e6), start(900, 21e6, 4e6)],
                 "minimalDlls": [start(360, 24e6, 5e6), start(500, 23e6, 5e6),
                                 start(380, 22e6, 7e6)]}
        rows = run_bench.startup_rows(found)
        targeted, explanatory = rows[0::2], rows[1::2]
        self.assertEqual([r["value"].split("×")[0] for r in targeted], ["1.29", "1.25", "1.50"])
        self.assertEqual([r["result"] for r in targeted], ["pass", "pass", "miss"])
        # Against the program with the same DLLs: figures only, never a verdict.
        self.assertEqual([r["value"].split("×")[0] for r in explanatory], ["1.18", "1.09", "1.20"])
        self.assertEqual({r["result"] for r in explanatory}, {"—"})
        self.assertTrue(all("explanatory" in r["figure"] for r in explanatory))
        self.assertIn("(450 ms against 380 ms)", explanatory[0]["value"])

    def test_a_measurement_that_failed_misses_with_its_reason(self):
        failure = {"failure": "timed out"}
        rows = [*run_bench.startup_rows(failure), run_bench.idle_row(failure),
                *run_bench.phase_rows(failure), run_bench.shutdown_row(failure),
                run_bench.countdown_row(failure)]
        self.assertEqual({r["result"] for r in rows}, {"miss"})
        self.assertTrue(all("timed out" in r["value"] for r in rows))

    def test_timing_targets_hold_early_as_well_as_late(self):
        phase = {"phase": [12, 20, -61], "traceLag": [2, 1, 3], "ticks": 3}
        median, worst = run_bench.phase_rows(phase)
        self.assertEqual((median["value"], median["result"]), ("+12 ms", "pass"))
        self.assertEqual((worst["value"], worst["result"]), ("-61 ms (3 ticks)", "miss"))
        self.assertEqual(run_bench.countdown_row({"error": -1.2})["result"], "miss")
        self.assertEqual(run_bench.countdown_row({"error": -0.9})["result"], "pass")
        self.assertEqual(run_bench.shutdown_row({"delay": 1.5})["result"], "miss")

    def test_kill_test_passes_only_on_its_line_with_nothing_broken(self):
        class Done:
            def __init__(self, output, status):
                self.output = output
                self.process = type("Process", (), {"returncode": status})()

            def wait(self):
                return self.output

        good = "x\nkill test: 200 trials, 200 old-or-new, 0 broken; 98 kills inside\nOK\n"
        bad = "kill test: 200 trials, 199 old-or-new, 1 broken; 98 kills inside\nFAILED\n"
        cases = [(Done(good, 0), "pass"), (Done(bad, 1), "miss"), (Done("Traceback\n", 1), "miss"),
                 (Done(good, 1), "miss"), (None, "miss")]
        for job, expected in cases:
            with self.subTest(output=job and job.output):
                row = run_bench.kill_row(job, "tests/e2e/test_kill_during_write.py")
                self.assertEqual(row["result"], expected)
        self.assertEqual(run_bench.kill_row(Done(bad, 1), "t.py")["value"], bad.splitlines()[0])


if __name__ == "__main__":
    unittest.main(verbosity=2)
