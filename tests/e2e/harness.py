"""The driver of the end-to-end scenarios, set up by CMakeLists.txt: a Session runs varnel.exe under
Wine in Xvfb, with its own directory, Wine prefix and display, watches it (tools/winprobe.exe, its
files, a relay trace of chosen Windows calls) and stops and reaps everything it started."""

import contextlib
import ctypes
import fcntl
import json
import os
import pathlib
import re
import shutil
import signal
import subprocess
import tempfile
import time
import types
import unittest
from subprocess import DEVNULL

EXE, SETTINGS, WIZARD, COUNTDOWN = "varnel.exe", "关机时间.ini", "Varnel 程序配置", " 关机提示"
WAIT = 90  # for a machine busy with builds; a passing scenario never waits this long
CTRL = 0x2 | 0x4000  # MOD_CONTROL with MOD_NOREPEAT, as every hotkey is registered
RUN_KEYS = [root + r"\SOFTWARE\Microsoft\Windows\CurrentVersion\Run" for root in ("HKLM", "HKCU")]
# What a first start writes; the main window, 229 x 152, in the corner of the 1024 x 768 screen.
DEFAULTS = [("开机自动运行Varnel", [("是", "假")]), ("隐藏启动", [("是", "假")]),
            ("强行关机", [("是", "真")]), ("倒记时5分钟提示", [("是", "真")]),
            ("窃入桌面背景中", [("是", "真")]), ("显示托盘图标", [("是", "真")]),
            ("程序起动后立刻关机", [("是", "假")]), ("关机时间", [("小时", "23"), ("分钟", "0")]),
            ("打开软件配置程序", [("1", "0"), ("2", "9")]), ("显示或隐藏窗口", [("1", "0"), ("2", "10")]),
            ("退出程序", [("1", "0"), ("2", "11")]), ("热键关机", [("1", "0"), ("2", "8")]),
            ("窗口位置", [("1", "785"), ("2", "566"), ("1_1", "1024"), ("2_1", "768")])]
# A restore writes the weekdays too, after the shutdown time.
RESTORED = DEFAULTS[:8] + [("关机日", [("星期", "1111111")])] + DEFAULTS[8:]
# For each prefix copy: a virtual desktop, every window inside one X window; the calls to trace.
USER_REG = r"""
[Software\\Wine\\Explorer] 1
"Desktop"="Default"
[Software\\Wine\\Explorer\\Desktops] 1
"Default"="1024x768"
[Software\\Wine\\Debug] 1
"RelayInclude"="%s"
"""
# The display scale, where Wine reads it (144 DPI is 150 %).
DPI_REG = {"user.reg": r"[Control Panel\\Desktop]", "system.reg":
           r"[System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts]"}
WINE, TOOLS, WORK = (os.environ.get(f"VARNEL_{n}", "") for n in ("WINE", "E2E_TOOLS", "E2E_WORK"))


def wine_env(prefix, **extra):
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE") and k != "DISPLAY"}
    # No Mono/Gecko installers, no menu entries written into $HOME, GBK as the ANSI code page.
    return {**env, "WINEPREFIX": prefix, "WINEARCH": os.environ["VARNEL_WINEARCH"],
            "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "LANG": "zh_CN.UTF-8", "LC_ALL": "zh_CN.UTF-8", **extra}


def wineserver(prefix, *args):
    """After -w, the server gone: removes the directory Debian's Wine names in the prefix (a copy
    of the prefix must not reuse it)."""
    subprocess.run([os.path.join(os.path.dirname(WINE), "wineserver"), *args], env=wine_env(prefix),
                   timeout=60, check=args == ("-p",))
    record = pathlib.Path(prefix, "wineserver")
    if args == ("-w",) and record.exists():
        if re.fullmatch(r"wine-\w+", name := record.read_text().strip()):
            shutil.rmtree(os.path.join(tempfile.gettempdir(), name), ignore_errors=True)
        record.unlink()


def template_prefix():
    """The prefix the scenarios of this build copy, booted by the first that needs it."""
    version = subprocess.run([WINE, "--version"], capture_output=True, text=True, check=True)
    prefix = os.path.join(WORK, "prefix-" + re.sub(r"[^\w.-]+", "_", version.stdout.strip()
                                                   + "-" + os.environ["VARNEL_WINEARCH"]))
    os.makedirs(WORK, exist_ok=True)
    with open(prefix + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)  # parallel scenarios wait for one boot
        if not os.path.exists(os.path.join(prefix, ".varnel-ready")):
            shutil.rmtree(prefix, ignore_errors=True)  # a boot that did not finish
            subprocess.run([WINE, "wineboot", "-i"], env=wine_env(prefix), check=True, timeout=300,
                           stdout=DEVNULL, stderr=DEVNULL)
            wineserver(prefix, "-w")
            open(os.path.join(prefix, ".varnel-ready"), "w").close()
    return prefix


def settings_text(rows):  # INI text, CRLF line ends, from [(section, [(key, value), ...]), ...]
    return "".join(f"[{s}]\r\n" + "".join(f"{k}={v}\r\n" for k, v in keys) for s, keys in rows)


def parse_ini(data):
    sections = []  # rows, from GBK bytes
    for line in data.decode("gbk").splitlines():
        if line.startswith("["):
            sections.append((line[1:-1], []))
        elif "=" in line:
            sections[-1][1].append(tuple(line.split("=", 1)))
    return sections


def scenario_settings(when=None, days="1111111", **options):  # the shutdown at when or far off
    hour, minute = time.localtime(when or time.time() + 12 * 3600)[3:5]
    hour = hour or (0 if when else 1)  # far off: hour 0 opens the configuration window
    changed = {s: [("是", "真" if on else "假")] for s, on in options.items()}
    changed["关机时间"] = [("小时", str(hour)), ("分钟", str(minute))]
    changed["关机日"] = [("星期", days)]
    return [(s, changed.get(s, keys)) for s, keys in RESTORED]


def next_minute(room):  # the first start of a minute at least room seconds from now
    return (int(time.time() + room) // 60 + 1) * 60


CALL = re.compile(r"^([0-9a-f]+):([0-9a-f]+):Call [\w.-]+\.(\w+)\((.*)\) ret=[0-9a-f]+$")
RET = re.compile(r"^[0-9a-f]+:([0-9a-f]+):Ret  [\w.-]+\.(\w+)\(\) retval=([0-9a-f]+)")


def parse_relay(text):
    """The calls in a +pid,+relay trace: pid, function, args (None for a string), retval."""
    calls, open_calls = [], {}
    for line in text.splitlines():
        if m := CALL.match(line):
            args = [int(a, 16) if re.fullmatch(r"[0-9a-f]+", a) else None for a in m[4].split(",")]
            calls.append(types.SimpleNamespace(pid=int(m[1], 16), function=m[3], args=args,
                                               retval=None))
            open_calls.setdefault(m[2] + m[3], []).append(calls[-1])
        elif (m := RET.match(line)) and open_calls.get(m[1] + m[2]):
            open_calls[m[1] + m[2]].pop().retval = int(m[3], 16)
    return calls


def controls(window):  # every one inside, depth first
    return [c for child in window["children"] for c in (child, *controls(child))]


def find_control(window, **fields):
    return next((c for c in controls(window) if all(c[k] == v for k, v in fields.items())), None)


def controls_sized(window, width, height):  # how to find controls whose texts change
    return sorted((c for c in controls(window) if c["rect"][2:] == [width, height]),
                  key=lambda c: c["rect"][:2])


class Session:
    """app_dir: another session's program folder, shared (a portable copy and fast user switching:
    to Windows programs a prefix of its own is another session)."""
    def __init__(self, name, settings=None, relay=(), dpi=None, app_dir=None):
        self.name, self.settings, self.relay, self.dpi = name, settings, relay, dpi
        self.shared = app_dir
        self.apps, self.spawned = [], []

    def __enter__(self):
        ctypes.CDLL(None).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER: Wine's daemons are ours
        template = template_prefix()
        self.evidence = os.path.join(WORK, "failures", self.name)  # of a failure
        shutil.rmtree(self.evidence, ignore_errors=True)
        self.dir = tempfile.mkdtemp(prefix="varnel-e2e-")
        self.prefix = os.path.join(self.dir, "prefix")
        self.app_dir = self.shared or os.path.join(self.dir, "app")
        self.data_dir = self.app_dir  # where the program keeps its settings
        subprocess.run(["cp", "-a", template, self.prefix], check=True)
        with open(os.path.join(self.prefix, "user.reg"), "a", newline="") as f:
            f.write(USER_REG % ";".join(self.relay))
        for reg, key in DPI_REG.items() if self.dpi else ():
            with open(os.path.join(self.prefix, reg), "a", newline="") as f:
                f.write(f'\n{key} 1\n"LogPixels"=dword:{self.dpi:08x}\n')
        if not self.shared:
            os.mkdir(self.app_dir)
            shutil.copy(os.environ["VARNEL_EXE"], self.path(EXE))
            shutil.copy(os.environ["VARNEL_ICON"], self.path("图标.ico"))
        if self.settings is not None:
            self.write(self.settings)
        # One server for the session, up before any program: two programs starting at once in a
        # fresh prefix may each start their own.
        wineserver(self.prefix, "-p")
        read, write = os.pipe()
        self.spawned.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write,), stdout=DEVNULL, stderr=DEVNULL))
        os.close(write)
        with open(read) as number:  # to its line end: Xvfb may write it in pieces
            self.display = ":" + number.readline().strip()
        return self

    def __exit__(self, kind, error, trace):
        if kind is not None and not issubclass(kind, unittest.SkipTest):
            shutil.copytree(self.dir, self.evidence, ignore=shutil.ignore_patterns(
                "prefix", "*.exe", "*.ico"), dirs_exist_ok=True)
            print(f"evidence kept in {self.evidence}", flush=True)
        for process in self.apps:
            process.kill()
            process.wait()
        for attempt in range(6):  # every process of the prefix, its server; again for any that a
            for step in ("-k", "-w"):  # shutdown under way (wineboot) started meanwhile, until
                wineserver(self.prefix, step)  # none is left (a busy machine starts it late)
            if attempt > 0 and not self.wine_processes():
                break
            time.sleep(0.5 * attempt)
        for process in self.spawned:
            process.terminate()
            process.wait()
        for pid, _ in (leftovers := self.wine_processes()):
            os.kill(pid, signal.SIGKILL)
        reaped = time.monotonic() + 5
        with contextlib.suppress(ChildProcessError):  # none left
            while time.monotonic() < reaped:  # every child, ours or adopted
                os.waitpid(-1, os.WNOHANG)[0] or time.sleep(0.05)
        shutil.rmtree(self.dir, ignore_errors=True)
        if leftovers and kind is None:
            raise AssertionError(f"processes left behind: {leftovers}")

    def wine_processes(self):  # (Linux pid, command line) of every one in the session's prefix
        found, mark = [], f"WINEPREFIX={self.prefix}".encode()
        for process in pathlib.Path("/proc").glob("[0-9]*"):
            with contextlib.suppress(OSError):  # ended meanwhile
                if mark in (process / "environ").read_bytes().split(b"\0"):
                    found.append((int(process.name), (process / "cmdline").read_bytes()))
        return found

    def env(self, **extra):
        return wine_env(self.prefix, DISPLAY=self.display, **extra)

    def path(self, name):
        return os.path.join(self.app_dir, name)

    def start(self, exe=None, log="relay.txt"):  # varnel.exe or a copy, traced into log
        exe = exe or self.path(EXE)
        with open(os.path.join(self.dir, log), "wb") as out:
            self.apps.append(subprocess.Popen(
                [WINE, exe], cwd=os.path.dirname(exe), stdin=DEVNULL, stdout=DEVNULL, stderr=out,
                env=self.env(**{"WINEDEBUG": "+pid,+relay"} if self.relay else {})))
        return self.apps[-1]

    def wait_exit(self):
        return self.apps[-1].wait(WAIT)

    def wait_for(self, condition, timeout, what, every=0.1):  # returns condition()'s true value
        deadline = time.monotonic() + timeout
        while not (value := condition()):
            if time.monotonic() > deadline:
                raise AssertionError(f"timed out after {timeout:.0f} s waiting for {what}")
            time.sleep(every)
        return value

    def tool(self, exe, *args):  # a Windows program, to its end
        with tempfile.TemporaryFile(dir=self.dir) as out:  # a pipe would stay open in Wine daemons
            done = subprocess.run([WINE, exe, *map(str, args)], env=self.env(), cwd=self.app_dir,
                                  stdin=DEVNULL, stdout=out, stderr=DEVNULL, timeout=WAIT)
            out.seek(0)
            return done.returncode, out.read().decode("utf-8", "replace").replace("\r\n", "\n")

    def spawn(self, exe, *args):
        """Starts a program that stays until the session ends; report() reads its first line.
        A tool of ours, or one of Wine's own ("notepad.exe")."""
        tool = os.path.join(TOOLS, exe)
        out = pathlib.Path(self.dir, f"spawned-{len(self.spawned)}.out")
        with open(out, "wb") as f:
            process = subprocess.Popen([WINE, tool if os.path.exists(tool) else exe, *map(str, args)],
                                       env=self.env(), cwd=self.app_dir, stdin=DEVNULL, stdout=f,
                                       stderr=DEVNULL)
        process.out = out
        process.report = lambda: json.loads(self.wait_for(
            lambda: b"\n" in (data := out.read_bytes()) and data.split(b"\n")[0], WAIT, exe))
        self.spawned.append(process)
        return process

    def probe(self, *args):
        status, out = self.tool(os.path.join(TOOLS, "winprobe.exe"), *args)
        if status != 0:
            raise AssertionError(f"winprobe {args} failed ({status}): {out}")
        return json.loads(out)

    def windows(self, cls=None):
        """Top-level windows and their controls: all of a class, or else the program's."""
        found = self.probe("list")
        mine = {c["pid"] for w in found for c in [w, *controls(w)] if c["cls"] == "VarnelWindow"}
        return [w for w in found if (w["cls"].lower() == cls.lower() if cls else w["pid"] in mine)]

    def window(self, **fields):  # the program's first with those fields, visible unless told
        fields.setdefault("visible", True)
        return next((w for w in self.windows()
                     if all(v is None or w[k] == v for k, v in fields.items())), None)

    def find(self, handle, cls=None):  # a window or control by handle, in windows of a class or any
        found = self.windows(cls) if cls else self.probe("list")
        return next((c for w in found for c in (w, *controls(w)) if c["handle"] == handle), None)

    def wait_window(self, **fields):
        return self.wait_for(lambda: self.window(**fields), WAIT, f"a window {fields}")

    def post(self, window, message, wparam=0, lparam=0):
        self.probe("post", window["handle"], message, wparam, lparam)

    def click(self, button):
        self.post(button, 0xF5)  # BM_CLICK, posted: what it does may open a modal box

    def close(self, window):
        self.post(window, 0x0112, 0xF060)  # WM_SYSCOMMAND SC_CLOSE: the close box

    def set_page(self, wizard, page):
        self.post(find_control(wizard, cls="SysTabControl32"), 0x1330, page)  # TCM_SETCURFOCUS

    def set_text(self, control, text):
        self.probe("settext", control["handle"], text)

    def keys(self, *keys):
        """Presses through SendInput, e.g. "ctrl+F11", "Down"; a number is a pause in ms."""
        self.probe("keys", *keys)

    def menu(self, *keys):
        """The tray menu, and an item picked with keys: SendInput, as xdotool's go to the X
        window under the pointer."""
        self.tray_click(3)
        self.wait_window(cls="#32768")
        self.keys(*keys, "Return")

    def tray_click(self, button):
        """A real click (1 left, 3 right) on the only icon, 20 pixels wide, on the taskbar."""
        x, y, width, height = self.wait_for(lambda: self.windows("Shell_TrayWnd"), WAIT,
                                            "the taskbar")[0]["rect"]
        self.mouse_click(x + width - 10, y + height // 2, button)

    def mouse_click(self, x, y, button=1):  # a real click at a point of the screen
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", str(button)],
                       env={**os.environ, "DISPLAY": self.display}, check=True)

    def screenshot(self, window, name):  # the window as the screen shows it, into WORK/name
        subprocess.run(["import", "-display", self.display, "-window", "root", "-crop",
                        "{2}x{3}+{0}+{1}".format(*window["rect"]), os.path.join(WORK, name)],
                       check=True)

    def write(self, data):
        """Writes the settings file beside the exe: rows, text as GBK, or bytes."""
        data = settings_text(data) if isinstance(data, list) else data
        pathlib.Path(self.path(SETTINGS)).write_bytes(data.encode("gbk") if isinstance(data, str)
                                                      else data)

    def read_bytes(self):
        with contextlib.suppress(FileNotFoundError):
            return pathlib.Path(self.data_dir, SETTINGS).read_bytes()

    def setting(self, section, key):
        return dict(dict(parse_ini(self.read_bytes() or b"")).get(section, [])).get(key)

    def wait_start_up(self):
        """Waits for start-up's last writes, the handle then style "1"; returns the handle."""
        self.wait_for(lambda: self.setting("倒计时窗口样式", "样式") == "1", WAIT, "start-up's end")
        return int(self.setting("句柄", "窗口句柄"))

    def reg(self, key):  # a registry key's values as text; None when the key is missing
        status, out = self.tool("reg", "query", key)
        return dict(re.findall(r"^ {4}(\S+) +REG_\w+ +(.*\S)$", out, re.M)) if status == 0 else None

    def run_value(self, key):  # the start-with-Windows value "devora" under a key; None when absent
        return (self.reg(key) or {}).get("devora")

    def relay_calls(self, function=None, log="relay.txt"):
        calls = parse_relay(pathlib.Path(self.dir, log).read_text(encoding="latin-1"))
        return [c for c in calls if function in (None, c.function)]

    def wait_call(self, function, timeout=WAIT):
        """The first relayed call of `function`, and the wall-clock time it was seen."""
        call = self.wait_for(lambda: self.relay_calls(function), timeout, function, 0.01)[0]
        return call, time.time()

    def settle(self, *logs):
        """Answers start-up's message boxes until the program of each log calls GetMessageW: its own
        calls follow its first hotkey or box, Wine's services started by the first trace there."""
        def started(calls):
            first = next((c for c in calls if c.function in ("RegisterHotKey", "MessageBoxW")), 0)
            return first and any(c.function == "GetMessageW" and c.pid == first.pid
                                 for c in calls[calls.index(first):])

        def done():
            for box in (w for w in self.windows() if w["cls"] == "#32770" and w["visible"]):
                self.click(find_control(box, id=1))  # IDOK
            return all(started(self.relay_calls(log=log)) for log in logs)
        self.wait_for(done, WAIT, f"the end of start-up ({logs})")


if __name__ == "__main__":
    # ctest's set-up step: boot the shared prefix before the scenarios copy it.
    print(f"template prefix: {template_prefix()}")
