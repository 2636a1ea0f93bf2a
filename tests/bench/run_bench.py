"""Measures every figure of scripts/bench in one run and prints them as one table.

  run_bench.py --product EXE --host-bench DIR --logs DIR [--kill-test PATH]

The Wine measurements (wine_bench.py) each run in a Session of their own: start-up
and memory first, alone; then the idle, phase, shutdown and countdown sessions side
by side; the kill test once only the idle session is left. Needs the environment
wine_bench.py needs.
"""

import argparse
import json
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import figures  # noqa: E402

IDLE_SECONDS = 300
PHASE_SECONDS = 120
START_UP_RUNS = 7
IDLE_MS = 3000  # how long a started program is left before its memory is read
KILL_TRIALS = 200
TICKS = (1000, 3000)


class Job:
    """A measuring process whose output goes to a log file."""

    def __init__(self, name, command, logs, env=None):
        self.name = name
        self.log = os.path.join(logs, name + ".log")
        with open(self.log, "wb") as out:
            self.process = subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT,
                                            stdin=subprocess.DEVNULL, env=env)

    def output(self):
        with open(self.log, encoding="utf-8", errors="replace") as f:
            return f.read()

    def wait(self):
        self.process.wait()
        return self.output()

    def result(self):
        found = re.findall(r"^RESULT (.*)$", self.wait(), re.M)
        if not found:
            return {"failure": f"no result (exit status {self.process.returncode}), see {self.log}"}
        return json.loads(found[-1])


def wine_job(logs, what, *args):
    return Job(what, [sys.executable, os.path.join(HERE, "wine_bench.py"), what, *map(str, args)],
               logs)


# --- host figures --------------------------------------------------------


def tick_instructions(host_bench):
    counts = []
    for ticks in TICKS:
        done = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null",
                               os.path.join(host_bench, "tick_bench"), str(ticks)],
                              capture_output=True, text=True, check=True)
        counts.append(figures.collected_instructions(done.stderr))
    return figures.per_step(counts[0], TICKS[0], counts[1], TICKS[1])


def ini_speed(host_bench):
    done = subprocess.run([os.path.join(host_bench, "ini_bench")], capture_output=True, text=True,
                          check=True)
    return json.loads(done.stdout)


# --- rows ----------------------------------------------------------------


def failed(figure, target, found, method):
    return {"figure": figure, "value": "not measured: " + found["failure"], "target": target,
            "result": "miss", "method": method}


def size_row(product):
    size = os.path.getsize(product)
    return {"figure": "varnel.exe size", "value": f"{size / 1024:.1f} KB ({size} bytes)",
            "target": "< 280,000 bytes", "result": figures.verdict(size, 280000),
            "method": f"size of {os.path.relpath(product)} (i686, MinSizeRel, stripped)"}


def startup_rows(found):
    how = (f"x86_64 build under wine64, one prefix and X display; launch_probe.exe starts each "
           f"program, alternating, median of {START_UP_RUNS} starts after one uncounted each")
    targets = [("Start-up to main window visible", "visibleMs", "ms",
                "CreateProcess to the first visible top-level window (EnumWindows every 1 ms)"),
               ("Working set once idle", "workingSet", "MB",
                f"GetProcessMemoryInfo WorkingSetSize {IDLE_MS // 1000} s after visible "
                "(Wine gives VmRSS of /proc: equal to it in every run)"),
               ("Private bytes once idle", "pagefileUsage", "MB",
                f"GetProcessMemoryInfo PagefileUsage (Windows' private bytes; PrivateUsage reads "
                f"0 under Wine) {IDLE_MS // 1000} s after visible (Wine gives RssAnon of /proc)")]
    if "failure" in found:
        return [failed(name, "< 1.3× minimal", found, how) for name, *_ in targets]
    rows = []
    for name, key, unit, method in targets:
        varnel = figures.median([run[key] for run in found["varnel"]])
        ratio, value = ratio_to(varnel, found["minimal"], key, unit)
        rows.append({"figure": name + " (ratio to minimal_window.exe)", "value": value,
                     "target": "< 1.3×", "result": figures.verdict(ratio, 1.3),
                     "method": method + ("; " + how if not rows else "")})
        _, value = ratio_to(varnel, found["minimalDlls"], key, unit)
        rows.append({"figure": name + " (ratio to minimal_window_dlls.exe, explanatory)",
                     "value": value, "target": "—", "result": "—",
                     "method": "the same against minimal_window.exe built to also load and "
                               "initialise the system DLLs varnel.exe imports (comctl32, "
                               "shell32, advapi32, gdi32); what is left is varnel.exe's own work"})
    return rows


def ratio_to(varnel, runs, key, unit):
    """varnel's median against the median of the other program's runs, and how it reads."""
    other = figures.median([run[key] for run in runs])
    ratio = varnel / other
    scale, digits = (1, 0) if unit == "ms" else (1024 * 1024, 1)
    return ratio, (f"{ratio:.2f}× ({varnel / scale:.{digits}f} {unit} against "
                   f"{other / scale:.{digits}f} {unit})")


def tick_row(instructions):
    return {"figure": "Instructions per clock tick", "value": f"{instructions:,.0f}",
            "target": "< 20,000", "result": figures.verdict(instructions, 20000),
            "method": f"callgrind on tick_bench (host Release build, FakePlatform, default "
                      f"settings): ({TICKS[1]} ticks - {TICKS[0]} ticks) / {TICKS[1] - TICKS[0]}"}


def idle_row(found):
    method = (f"utime+stime from /proc/<pid>/stat of the Wine process, over {IDLE_SECONDS} s "
              "after start-up, main window shown; minimal_window.exe in the same prefix alongside")
    if "failure" in found:
        return failed("CPU time over 5 idle minutes", "—", found, method)
    share = 100 * found["varnelCpu"] / found["seconds"]
    return {"figure": "CPU time over 5 idle minutes",
            "value": f"{found['varnelCpu']:.2f} s ({share:.2f} % of one core); "
                     f"minimal_window.exe {found['minimalCpu']:.2f} s",
            "target": "—", "result": "—", "method": method}


def phase_rows(found):
    method = (f"relayed user32.SetTimer of the clock timer over {PHASE_SECONDS} s: the tick "
              f"re-arms for 1000 - ms + {figures.TICK_MARGIN_MS}, so the elapse gives the "
              "millisecond it read")
    if "failure" in found:
        return [failed("Tick phase", "within 50 ms", found, method)]
    phase = found["phase"]
    median = figures.median(phase)
    worst = figures.worst(phase)
    check = (f"; checked against the wall-clock time the trace line appeared: "
             f"{figures.median(found['traceLag']):+.0f} ms median, "
             f"{figures.worst(found['traceLag']):+d} ms worst")
    return [{"figure": "Tick phase after the second, median", "value": f"{median:+.0f} ms",
             "target": "within 50 ms", "result": figures.verdict(abs(median), 50),
             "method": method + check},
            {"figure": "Tick phase after the second, worst",
             "value": f"{worst:+d} ms ({found['ticks']} ticks)",
             "target": "within 50 ms", "result": figures.verdict(abs(worst), 50),
             "method": "the same ticks"}]


def shutdown_row(found):
    method = ("shutdown time set six minutes ahead (325-385 s after the settings are written), "
              "so the program runs through its five-minute warning; "
              "wall-clock time the relayed ExitWindowsEx appeared in the trace (polled every "
              "2 ms) minus the start of that minute")
    if "failure" in found:
        return failed("Shutdown request after the minute", "< 1 s", found, method)
    return {"figure": "Shutdown request after the start of the minute",
            "value": f"{found['delay']:.3f} s", "target": "< 1 s",
            "result": figures.verdict(abs(found["delay"]), 1), "method": method}


def countdown_row(found):
    method = ("countdown window from the tray menu, 1 minute, 计时 clicked; from the relayed "
              "SetTimer that starts the counting to the relayed ExitWindowsEx, minus 60 s")
    if "failure" in found:
        return failed("One-minute countdown error", "< 1 s", found, method)
    return {"figure": "One-minute countdown error", "value": f"{found['error']:+.3f} s",
            "target": "< 1 s", "result": figures.verdict(abs(found["error"]), 1),
            "method": method}


def kill_row(job, path):
    method = (f"{os.path.relpath(path)} with VARNEL_KILL_TRIALS={KILL_TRIALS}: the program "
              "killed while it writes its settings file; the file must be the old or the new one")
    if job is None:
        return {"figure": "Kill during write, long run", "value": "not run: the test is missing",
                "target": "0 broken", "result": "miss", "method": method}
    output = job.wait()
    line = re.findall(r"^kill test: .*$", output, re.M)
    broken = re.findall(r"^kill test: \d+ trials, \d+ old-or-new, (\d+) broken", output, re.M)
    value = line[-1] if line else f"no result line (exit status {job.process.returncode})"
    ok = broken and int(broken[-1]) == 0 and job.process.returncode == 0
    return {"figure": "Kill during write, long run", "value": value, "target": "0 broken",
            "result": "pass" if ok else "miss", "method": method}


def ini_rows(found):
    size = f"{found['bytes'] / 1e6:.1f} MB, {found['sections']} sections"
    how = ("ini_bench (host Release build), median of 7: SettingsFile on the FakePlatform "
           "(file bytes, GBK names, INI rules, write-back); in brackets ini:: on the text alone")
    return [{"figure": f"INI: read the last section's key ({size})",
             "value": f"{found['fileReadMs']:.1f} ms ({found['textReadMs']:.1f} ms)",
             "target": "—", "result": "—", "method": how},
            {"figure": f"INI: add a key to the last section ({size})",
             "value": f"{found['fileAddMs']:.1f} ms ({found['textAddMs']:.1f} ms)",
             "target": "—", "result": "—", "method": "the same"}]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--product", required=True)
    parser.add_argument("--host-bench", required=True)
    parser.add_argument("--logs", required=True)
    parser.add_argument("--kill-test", required=True)
    options = parser.parse_args()
    os.makedirs(options.logs, exist_ok=True)
    started = time.monotonic()
    load_before = os.getloadavg()[0]

    # Host figures first, on a quiet machine.
    instructions = tick_instructions(options.host_bench)
    ini = ini_speed(options.host_bench)

    # Start-up alone: programs starting in other sessions would share its CPUs.
    startup = wine_job(options.logs, "startup", START_UP_RUNS, IDLE_MS)
    startup.wait()
    idle = wine_job(options.logs, "idle", IDLE_SECONDS)
    timing = [wine_job(options.logs, "phase", PHASE_SECONDS),
              wine_job(options.logs, "shutdown"), wine_job(options.logs, "countdown")]
    for job in timing:
        job.wait()
    kill = None
    if os.path.exists(options.kill_test):
        kill = Job("kill", [sys.executable, options.kill_test, "-k", "kill"], options.logs,
                   env={**os.environ, "VARNEL_KILL_TRIALS": str(KILL_TRIALS)})
        kill.wait()

    rows = [size_row(options.product), *startup_rows(startup.result()), tick_row(instructions),
            idle_row(idle.result()), *phase_rows(timing[0].result()),
            shutdown_row(timing[1].result()), countdown_row(timing[2].result()),
            kill_row(kill, options.kill_test), *ini_rows(ini)]
    print(figures.markdown_table(rows))
    print(f"\n{time.strftime('%Y-%m-%d %H:%M')}, measured in {time.monotonic() - started:.0f} s "
          f"on {os.cpu_count()} CPUs, load average {load_before:.1f} at the start and "
          f"{os.getloadavg()[0]:.1f} at the end; logs in {os.path.relpath(options.logs)}")
    return 0 if all(row["result"] != "miss" for row in rows) else 1


if __name__ == "__main__":
    sys.exit(main())
