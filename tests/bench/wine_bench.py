"""The measurements of varnel.exe under Wine, one per run of this script, each in
a Session of its own (tests/e2e/harness.py) so that several run side by side:

  wine_bench.py startup RUNS IDLE_MS   start-up to visible and memory, and those of
                                       minimal_window.exe and minimal_window_dlls.exe
  wine_bench.py idle SECONDS           CPU time while idle, with minimal_window.exe alongside
  wine_bench.py phase SECONDS          the clock tick's phase against the wall-clock second
  wine_bench.py shutdown               delay from the start of the shutdown minute to the request
  wine_bench.py countdown              error of a one-minute countdown

Prints one line "RESULT <json>". Needs the environment of the end-to-end tests and
VARNEL_BENCH_TOOLS, the directory of launch_probe.exe and the minimal_window programs.
"""

import json
import os
import shutil
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
sys.path.insert(0, HERE)

import figures  # noqa: E402
from harness import (CALL, COUNTDOWN, WAIT, Session, controls_sized, find_control,  # noqa: E402
                     next_minute, parse_relay, scenario_settings)

MINIMAL = "minimal_window.exe"
MINIMAL_DLLS = "minimal_window_dlls.exe"  # the same, with varnel.exe's system DLLs
PROBE = "launch_probe.exe"


def bench_tool(name):
    return os.path.join(os.environ["VARNEL_BENCH_TOOLS"], name)


def result(**figures_found):
    print("RESULT " + json.dumps(figures_found), flush=True)


class RelayTail:
    """Follows a session's relay trace as Wine writes it, noting when each call
    line appeared (time.time()), polled every 2 ms."""

    def __init__(self, session):
        self.path = os.path.join(session.dir, "relay.txt")
        self.offset = 0
        self.pending = b""
        self.seen = []  # (arrival, Call)

    def poll(self):
        try:
            with open(self.path, "rb") as f:
                f.seek(self.offset)
                data = f.read()
        except FileNotFoundError:
            return
        now = time.time()
        self.offset += len(data)
        *lines, self.pending = (self.pending + data).split(b"\n")
        for line in lines:
            text = line.decode("latin-1").rstrip("\r")
            if CALL.match(text):
                self.seen.extend((now, call) for call in parse_relay(text))

    def follow(self, seconds, until=None):
        """Polls for `seconds`, or until until() gives true; returns the calls seen."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline and not (until and until()):
            self.poll()
            time.sleep(0.002)
        self.poll()
        return self.seen

    def calls(self, function):
        return [(t, c) for t, c in self.seen if c.function == function]


def runs_program(cmdline, exe_name):
    """Whether /proc/<pid>/cmdline of a Wine process names exe_name as its program: Wine
    shows the Windows command line there (program quoted or not, padded), or the Linux
    path the process was started with."""
    command = cmdline.replace(b"\0", b" ").decode(errors="replace").strip()
    quoted = command.startswith('"')
    program = command[1:].split('"')[0] if quoted else command.split(" ")[0]
    return program.lower().replace("/", "\\").endswith("\\" + exe_name.lower())


def linux_process(session, exe_name):
    """The Linux pid of the Wine process running `exe_name` in this session's prefix."""
    def find():
        return next((pid for pid, command in session.wine_processes()
                     if runs_program(command, exe_name)), None)
    return session.wait_for(find, WAIT, f"the Linux process of {exe_name}")


def proc_status(pid):
    """Fields of /proc/<pid>/status in bytes (the kB ones)."""
    values = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            name, _, rest = line.partition(":")
            parts = rest.split()
            if len(parts) == 2 and parts[1] == "kB":
                values[name] = int(parts[0]) * 1024
    return values


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        return figures.clock_ticks_to_seconds(f.read(), os.sysconf("SC_CLK_TCK"))


# --- start-up and memory -------------------------------------------------


def launch(session, exe, idle_ms):
    """One start of `exe` through the probe: its time to visible, GetProcessMemoryInfo
    and /proc of its Wine process, both read once it has been idle for idle_ms."""
    release = session.path("release")
    probe = session.spawn(bench_tool(PROBE), "Z:" + session.path(exe).replace("/", "\\"), idle_ms)
    shown = probe.report()
    if "error" in shown:
        raise AssertionError(f"{exe}: {shown['error']}")

    def memory_line():
        with open(probe.out, "rb") as f:
            lines = f.read().split(b"\n")
        return json.loads(lines[1]) if len(lines) > 2 else None
    memory = session.wait_for(memory_line, WAIT, f"the memory figures of {exe}")
    if "error" in memory:
        raise AssertionError(f"{exe}: {memory['error']}")
    status = proc_status(linux_process(session, exe))
    open(release, "w").close()
    probe.wait(WAIT)
    os.remove(release)
    return {"visibleMs": shown["visibleMs"], "class": shown["class"],
            "workingSet": memory["workingSet"], "pagefileUsage": memory["pagefileUsage"],
            "privateUsage": memory["privateUsage"],
            "procRss": status["VmRSS"], "procRssAnon": status["RssAnon"]}


def measure_startup(runs, idle_ms):
    with Session("bench_startup", settings=scenario_settings()) as s:
        programs = ("varnel.exe", MINIMAL, MINIMAL_DLLS)
        for exe in programs[1:]:
            shutil.copy(bench_tool(exe), s.path(exe))
        # One start each first, not counted: the first reads the DLLs from disk.
        for exe in programs:
            launch(s, exe, idle_ms)
        found = {exe: [] for exe in programs}
        for i in range(runs):
            for exe in programs if i % 2 == 0 else reversed(programs):
                found[exe].append(launch(s, exe, idle_ms))
        result(runs=runs, idleMs=idle_ms, varnel=found["varnel.exe"], minimal=found[MINIMAL],
               minimalDlls=found[MINIMAL_DLLS])


# --- CPU while idle ------------------------------------------------------


def measure_idle(seconds):
    with Session("bench_idle", settings=scenario_settings()) as s:
        s.start()
        s.wait_start_up()
        shutil.copy(bench_tool(MINIMAL), s.path(MINIMAL))
        s.spawn(s.path(MINIMAL))
        varnel = linux_process(s, "varnel.exe")
        minimal = linux_process(s, MINIMAL)
        time.sleep(5)  # past the last writes of start-up
        before = cpu_seconds(varnel), cpu_seconds(minimal)
        since = time.monotonic()
        time.sleep(seconds)
        after = cpu_seconds(varnel), cpu_seconds(minimal)
        elapsed = time.monotonic() - since
        if s.apps[-1].poll() is not None:
            raise AssertionError("varnel.exe ended while idle")
        result(seconds=elapsed, varnelCpu=after[0] - before[0], minimalCpu=after[1] - before[1])


# --- timing accuracy -----------------------------------------------------


def clock_timer_calls(tail, handle):
    """(arrival, elapse) of the main window's clock timer settings: the first timer
    the window sets is the clock's."""
    mine = [(t, c) for t, c in tail.calls("SetTimer") if c.args[0] == handle]
    if not mine:
        return []
    clock_id = mine[0][1].args[1]
    return [(t, c.args[2]) for t, c in mine if c.args[1] == clock_id]


def measure_phase(seconds):
    with Session("bench_phase", settings=scenario_settings(),
                 relay=["user32.SetTimer"]) as s:
        s.start()
        handle = s.wait_start_up()
        tail = RelayTail(s)
        tail.follow(0)
        first = len(clock_timer_calls(tail, handle))  # start-up's, before the first tick
        tail.follow(seconds)
        ticks = clock_timer_calls(tail, handle)[first:]
        if not ticks:
            raise AssertionError("no clock tick seen")
        # What the tick read from the clock, and when the host saw the call in the trace.
        read = [figures.signed_phase(figures.rearm_millisecond(e)) for _, e in ticks]
        seen = [figures.signed_phase(figures.wall_millisecond(t)) for t, _ in ticks]
        lag = [b - a for a, b in zip(read, seen)]
        result(ticks=len(ticks), seconds=seconds, phase=read, seenPhase=seen, traceLag=lag)


def measure_shutdown():
    # Started before the five minutes of warning, as a program that runs all day is: a later
    # start counts its five minutes from then.
    minute = next_minute(325)
    settings = scenario_settings(minute)
    with Session("bench_shutdown", settings=settings,
                 relay=["user32.ExitWindowsEx"]) as s:
        s.start()
        s.wait_start_up()
        tail = RelayTail(s)
        tail.follow(minute - time.time() + WAIT, until=lambda: tail.calls("ExitWindowsEx"))
        calls = tail.calls("ExitWindowsEx")
        if not calls:
            raise AssertionError("no shutdown request")
        seen, _ = calls[0]
        s.wait_exit()
        result(minute=minute, delay=seen - minute)


def measure_countdown():
    with Session("bench_countdown", settings=scenario_settings(),
                 relay=["user32.ExitWindowsEx", "user32.SetTimer"]) as s:
        s.start()
        handle = s.wait_start_up()
        s.menu("Down", "Down", "Down", "Down")  # 倒计时关机窗口
        window = s.wait_window(text=COUNTDOWN)
        minutes, = controls_sized(window, 53, 33)
        s.set_text(minutes, "1")
        echo, = controls_sized(window, 45, 24)
        s.wait_for(lambda: find_control(s.window(text=COUNTDOWN),
                                        handle=echo["handle"])["text"] == "1",
                   WAIT, "the minutes echoed")
        tail = RelayTail(s)
        tail.follow(0)
        before = len(tail.seen)
        s.click(find_control(window, text="计时"))
        tail.follow(60 + WAIT, until=lambda: tail.calls("ExitWindowsEx"))
        # The start sets the countdown window's display timer last (1000 ms).
        starts = [t for t, c in tail.seen[before:]
                  if c.function == "SetTimer" and c.args[0] != handle and c.args[2] == 1000]
        requests = tail.calls("ExitWindowsEx")
        if not starts or not requests:
            raise AssertionError(f"start seen: {bool(starts)}, request seen: {bool(requests)}")
        s.wait_exit()
        result(started=starts[0], requested=requests[0][0],
               error=requests[0][0] - starts[0] - 60)


def main(argv):
    what, args = argv[1], argv[2:]
    try:
        if what == "startup":
            measure_startup(int(args[0]), int(args[1]))
        elif what == "idle":
            measure_idle(float(args[0]))
        elif what == "phase":
            measure_phase(float(args[0]))
        elif what == "shutdown":
            measure_shutdown()
        elif what == "countdown":
            measure_countdown()
        else:
            raise SystemExit(__doc__)
    except AssertionError as error:
        result(failure=str(error))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
