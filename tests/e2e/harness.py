"""The driver of the end-to-end scenarios, configured by the environment CMakeLists.txt sets:
a Session runs the real varnel.exe under Wine in Xvfb, in a directory, a copy of a Wine prefix
and an X display of its own, watches it through tools/winprobe.exe, the files it writes and a
relay trace of chosen Windows calls, and stops and reaps everything it started."""

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
IDOK, IDYES, IDNO = 1, 6, 7
RUN_KEYS = [root + r"\SOFTWARE\Microsoft\Windows\CurrentVersion\Run" for root in ("HKLM", "HKCU")]
# What a first start writes; the main window, 229 x 152, in the corner of the 1024 x 768 screen.
DEFAULTS = [("开机自动运行Varnel", [("是", "假")]), ("隐藏启动", [("是", "假")]),
            ("强行关机", [("是", "真")]), ("倒记时5分钟提示", [("是", "真")]),
            ("窃入桌面背景中", [("是", "真")]), ("显示托盘图标", [("是", "真")]),
            ("程序起动后立刻关机", [("是", "假")]), ("关机时间", [("小时", "23"), ("分钟", "0")]),
            ("打开软件配置程序", [("1", "0"), ("2", "9")]), ("显示或隐藏窗口", [("1", "0"), ("2", "10")]),
            ("退出程序", [("1", "0"), ("2", "11")]), ("热键关机", [("1", "0"), ("2", "8")]),
            ("窗口位置", [("1", "785"), ("2", "566"), ("1_1", "1024"), ("2_1", "768")])]
WINE, TOOLS, WORK = (os.environ.get(f"VARNEL_{n}", "") for n in ("WINE", "E2E_TOOLS", "E2E_WORK"))


def wine_env(prefix, **extra):
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE") and k != "DISPLAY"}
    # No Mono/Gecko installers, no menu entries written into $HOME, GBK as the ANSI code page.
    env.update(WINEPREFIX=prefix, WINEARCH=os.environ["VARNEL_WINEARCH"], WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d", LANG="zh_CN.UTF-8",
               LC_ALL="zh_CN.UTF-8")
    return {**env, **extra}


def wineserver(prefix, *args):
    """Runs wineserver for a prefix. Once the server is gone (-w), removes the server directory
    (/tmp/wine-XXXXXX) that Debian's Wine names in the prefix, so that no copy reuses it."""
    subprocess.run([os.path.join(os.path.dirname(WINE), "wineserver"), *args], env=wine_env(prefix),
                   timeout=60, check=args == ("-p",))
    record = os.path.join(prefix, "wineserver")
    if args == ("-w",) and os.path.exists(record):
        if re.fullmatch(r"wine-\w+", name := pathlib.Path(record).read_text().strip()):
            shutil.rmtree(os.path.join(tempfile.gettempdir(), name), ignore_errors=True)
        os.remove(record)


def template_prefix():
    """The prefix the scenarios of this build copy, booted by the first that needs it, with a
    virtual desktop of 1024 x 768 (every window inside one X window)."""
    version = subprocess.run([WINE, "--version"], capture_output=True, text=True, check=True)
    prefix = os.path.join(WORK, "prefix-" + re.sub(r"[^\w.-]+", "_", version.stdout.strip()
                                                   + "-" + os.environ["VARNEL_WINEARCH"]))
    os.makedirs(WORK, exist_ok=True)
    with open(prefix + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)  # parallel scenarios wait for one boot
        if not os.path.exists(os.path.join(prefix, ".varnel-ready")):
            shutil.rmtree(prefix, ignore_errors=True)  # a boot that did not finish
            key = r"HKCU\Software\Wine\Explorer"
            for args in (["wineboot", "-i"], ["reg", "add", key, "/v", "Desktop", "/d", "Default"],
                         ["reg", "add", key + r"\Desktops", "/v", "Default", "/d", "1024x768"]):
                subprocess.run([WINE, *args], env=wine_env(prefix), check=True, timeout=300,
                               stdout=DEVNULL, stderr=DEVNULL)
            wineserver(prefix, "-w")
            open(os.path.join(prefix, ".varnel-ready"), "w").close()
    return prefix


def settings_text(rows):
    """INI text with CRLF line ends from [(section, [(key, value), ...]), ...]."""
    return "".join(f"[{s}]\r\n" + "".join(f"{k}={v}\r\n" for k, v in keys) for s, keys in rows)


def parse_ini(data):
    """The rows of settings_text, in file order, from GBK bytes."""
    sections = []
    for line in data.decode("gbk").splitlines():
        if line.startswith("["):
            sections.append((line[1:-1], []))
        elif "=" in line:
            sections[-1][1].append(tuple(line.split("=", 1)))
    return sections


def scenario_settings(**options):
    """The defaults with on/off options changed, e.g. scenario_settings(强行关机=False), and a
    shutdown time far from now, so that the schedule stays quiet."""
    rows = [(s, [("是", "真" if options[s] else "假")] if s in options else keys)
            for s, keys in DEFAULTS]
    return with_shutdown_time(rows, time.time() + 12 * 3600)


def next_minute(room):
    """The start of the first minute at least `room` seconds from now (seconds since the epoch)."""
    return (int(time.time() + room) // 60 + 1) * 60


def with_shutdown_time(rows, when):
    """The rows with the shutdown time set to the minute of `when` (seconds since the epoch)."""
    hour, minute = time.localtime(when)[3:5]
    return [(s, [("小时", str(hour)), ("分钟", str(minute))] if s == "关机时间" else keys)
            for s, keys in rows]


CALL = re.compile(r"^([0-9a-f]+):([0-9a-f]+):Call [\w.-]+\.(\w+)\((.*)\) ret=[0-9a-f]+$")
RET = re.compile(r"^[0-9a-f]+:([0-9a-f]+):Ret  [\w.-]+\.(\w+)\(\) retval=([0-9a-f]+)")


def parse_relay(text):
    """The calls of a +pid,+relay trace: pid, function, args (None for a string) and retval."""
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


def controls(window):
    for child in window["children"]:
        yield child
        yield from controls(child)


def find_control(window, **fields):
    return next((c for c in controls(window) if all(c[k] == v for k, v in fields.items())), None)


def controls_sized(window, width, height):
    """Controls of that size, left to right: how to find those whose texts change."""
    return sorted((c for c in controls(window) if c["rect"][2:] == [width, height]),
                  key=lambda c: c["rect"][:2])


class Session:
    """One scenario's directory, prefix copy, X display and programs."""

    def __init__(self, name, settings=None, relay=()):
        self.name, self.settings, self.relay = name, settings, relay
        self.apps, self.spawned = [], []

    def __enter__(self):
        ctypes.CDLL(None).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER: Wine's daemons are ours
        template = template_prefix()
        self.evidence = os.path.join(WORK, "failures", self.name)
        shutil.rmtree(self.evidence, ignore_errors=True)
        self.dir = tempfile.mkdtemp(prefix="varnel-e2e-")
        self.prefix, self.app_dir = os.path.join(self.dir, "prefix"), os.path.join(self.dir, "app")
        self.data_dir = self.app_dir  # where the program keeps its settings
        subprocess.run(["cp", "-a", template, self.prefix], check=True)
        if self.relay:
            with open(os.path.join(self.prefix, "user.reg"), "a", newline="") as f:
                f.write('\n[Software\\\\Wine\\\\Debug] 1\n"RelayInclude"="%s"\n'
                        % ";".join(self.relay))
        os.mkdir(self.app_dir)
        shutil.copy(os.environ["VARNEL_EXE"], self.path(EXE))
        shutil.copy(os.environ["VARNEL_ICON"], self.path("图标.ico"))
        if self.settings is not None:
            self.write(self.settings)
        read, write = os.pipe()
        self.spawned.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write,), stdout=DEVNULL, stderr=DEVNULL))
        os.close(write)
        number = b""  # to its line end: Xvfb writes it in pieces, and a closed pipe would end it
        while not number.endswith(b"\n") and (piece := os.read(read, 16)):
            number += piece
        os.close(read)
        self.display = ":" + number.decode().strip()
        try:  # one server for the session, up before any program: two programs starting at
            wineserver(self.prefix, "-p")  # once in a fresh prefix may each start their own
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, kind, error, trace):
        if kind is not None and not issubclass(kind, unittest.SkipTest):
            shutil.copytree(self.dir, self.evidence, ignore=shutil.ignore_patterns(
                "prefix", "*.exe", "*.ico"), dirs_exist_ok=True)
            print(f"evidence kept in {self.evidence}", flush=True)
        for process in self.apps:
            process.kill()
            process.wait()
        wineserver(self.prefix, "-k")  # every process of the prefix
        wineserver(self.prefix, "-w")  # and then its server
        for process in self.spawned:
            process.terminate()
            process.wait()
        leftovers = self.wine_processes()
        for pid, _ in leftovers:
            os.kill(pid, signal.SIGKILL)
        reaped = time.monotonic() + 5
        while time.monotonic() < reaped:  # every child, ours or adopted
            try:
                os.waitpid(-1, os.WNOHANG)[0] or time.sleep(0.05)
            except ChildProcessError:
                break
        shutil.rmtree(self.dir, ignore_errors=True)
        if leftovers and kind is None:
            raise AssertionError(f"processes left behind: {leftovers}")

    def wine_processes(self):
        """(Linux pid, command line) of every process running in this session's prefix."""
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                if f"WINEPREFIX={self.prefix}".encode() in pathlib.Path(
                        f"/proc/{pid}/environ").read_bytes().split(b"\0"):
                    found.append((int(pid), pathlib.Path(f"/proc/{pid}/cmdline").read_bytes()))
            except OSError:
                continue
        return found

    def env(self, **extra):
        return wine_env(self.prefix, DISPLAY=self.display, **extra)

    def path(self, name):
        return os.path.join(self.app_dir, name)

    def windows_path(self, name):
        return "Z:" + self.path(name).replace("/", "\\")

    def start(self, exe=None, log="relay.txt"):
        """Starts varnel.exe (or a copy elsewhere), its relay trace or output going to `log` in
        the session's directory; returns its process."""
        exe = exe or self.path(EXE)
        with open(os.path.join(self.dir, log), "wb") as out:
            self.apps.append(subprocess.Popen(
                [WINE, exe], cwd=os.path.dirname(exe), stdin=DEVNULL, stdout=DEVNULL, stderr=out,
                env=self.env(**{"WINEDEBUG": "+pid,+relay"} if self.relay else {})))
        return self.apps[-1]

    @property
    def app(self):
        return self.apps[-1]

    def running(self):
        return self.app.poll() is None

    def wait_exit(self):
        return self.app.wait(WAIT)

    def wait_for(self, condition, timeout, what, every=0.1):
        """Polls condition() until it gives a true value, and returns that."""
        deadline = time.monotonic() + timeout
        while not (value := condition()):
            if time.monotonic() > deadline:
                raise AssertionError(f"timed out after {timeout:.0f} s waiting for {what}")
            time.sleep(every)
        return value

    def tool(self, exe, *args):
        """Runs a Windows program in this prefix to its end; returns (status, output)."""
        with tempfile.TemporaryFile(dir=self.dir) as out:  # a pipe would stay open in Wine daemons
            done = subprocess.run([WINE, exe, *map(str, args)], env=self.env(), cwd=self.app_dir,
                                  stdin=DEVNULL, stdout=out, stderr=DEVNULL, timeout=WAIT)
            out.seek(0)
            return done.returncode, out.read().decode("utf-8", "replace").replace("\r\n", "\n")

    def spawn(self, exe, *args):
        """Starts a program that stays until the session ends (by path, or by name among the
        tools); its report() waits for its first line of output and reads it as JSON."""
        out = pathlib.Path(self.dir, f"spawned-{len(self.spawned)}.out")
        with open(out, "wb") as f:
            process = subprocess.Popen([WINE, os.path.join(TOOLS, exe), *map(str, args)],
                                       env=self.env(), cwd=self.app_dir, stdin=DEVNULL, stdout=f,
                                       stderr=DEVNULL)
        process.out = out
        process.report = lambda: json.loads(self.wait_for(
            lambda: b"\n" in out.read_bytes() and out.read_bytes().split(b"\n")[0], WAIT, exe))
        self.spawned.append(process)
        return process

    def probe(self, *args):
        status, out = self.tool(os.path.join(TOOLS, "winprobe.exe"), *args)
        if status != 0:
            raise AssertionError(f"winprobe {args} failed ({status}): {out}")
        return json.loads(out)

    def windows(self, cls=None):
        """Top-level windows and their controls: every one of a class, or else the program's
        (of a process with a window of the program's class)."""
        found = self.probe("list")
        mine = {c["pid"] for w in found for c in [w, *controls(w)] if c["cls"] == "VarnelWindow"}
        return [w for w in found if (w["cls"].lower() == cls.lower() if cls else w["pid"] in mine)]

    def window(self, **fields):
        """The program's first top-level window with those fields, visible unless they say
        visible=None (either)."""
        fields.setdefault("visible", True)
        return next((w for w in self.windows()
                     if all(v is None or w[k] == v for k, v in fields.items())), None)

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
        """Presses through SendInput, e.g. "ctrl+F11", "Down"; a number is a pause in ms.
        Returns the times between the presses in ms."""
        return self.probe("keys", *keys)

    def message_box(self):
        """Waits for a message box of the program: {title, text, buttons (ids), window}."""
        box = self.wait_window(cls="#32770")
        return {"title": box["text"], "text": find_control(box, id=0xFFFF)["text"], "window": box,
                "buttons": sorted(c["id"] for c in controls(box) if c["cls"] == "Button")}

    def answer(self, box, button):
        self.click(find_control(box["window"], id=button))

    def menu(self, *keys):
        """A right click on the tray icon and an item picked with keys (SendInput: keys from
        xdotool reach the X window under the pointer and may miss the menu)."""
        self.tray_click(3)
        self.wait_window(cls="#32768")
        self.keys(*keys, "Return")

    def tray_click(self, button):
        """A real click, 1 left, 3 right, on the program's icon, the only one at the right end
        of the virtual desktop's taskbar (each icon is 20 pixels wide)."""
        left, top, width, height = self.wait_for(lambda: self.windows("Shell_TrayWnd"), WAIT,
                                                 "the taskbar")[0]["rect"]
        subprocess.run(["xdotool", "mousemove", str(left + width - 10), str(top + height // 2),
                        "click", str(button)], env={**os.environ, "DISPLAY": self.display},
                       check=True)

    def write(self, data, name=SETTINGS):
        """Writes a file beside the exe: settings rows, text as GBK, or bytes."""
        data = settings_text(data) if isinstance(data, list) else data
        data = data.encode("gbk") if isinstance(data, str) else data
        pathlib.Path(self.path(name)).write_bytes(data)

    def read_bytes(self):
        """The settings file, None while there is none."""
        path = pathlib.Path(self.data_dir, SETTINGS)
        return path.read_bytes() if path.exists() else None

    def setting(self, section, key):
        return dict(dict(parse_ini(self.read_bytes() or b"")).get(section, [])).get(key)

    def wait_start_up(self):
        """Waits for start-up's last writes (the handle, then style "1"); returns the handle."""
        self.wait_for(lambda: self.setting("倒计时窗口样式", "样式") == "1", WAIT, "start-up's end")
        return int(self.setting("句柄", "窗口句柄"))

    def run_value(self, key):
        """The start-with-Windows value "devora" under a registry key; None when absent."""
        status, out = self.tool("reg", "query", key, "/v", "devora")
        return re.search(r"REG_SZ\s+(.*\S)", out)[1] if status == 0 else None

    def relay_calls(self, function=None, log="relay.txt"):
        calls = parse_relay(pathlib.Path(self.dir, log).read_text(encoding="latin-1"))
        return [c for c in calls if function in (None, c.function)]

    def wait_call(self, function, timeout=WAIT):
        """The first relayed call of `function` and the wall-clock time it was seen."""
        call = self.wait_for(lambda: self.relay_calls(function), timeout, function, 0.01)[0]
        return call, time.time()

    def settle(self, *logs):
        """Plays the user at start-up, OK on every message box and the first start's modal
        configuration window closed, until the program of each log is in its event loop: its
        own GetMessageW (Wine's services, started by the first program of a session, trace into
        its log too; its own calls begin with its hotkeys or message boxes). Needs
        RegisterHotKey, MessageBoxW and GetMessageW relayed."""
        def started(calls):
            first = next((c for c in calls if c.function in ("RegisterHotKey", "MessageBoxW")), 0)
            return first and any(c.function == "GetMessageW" and c.pid == first.pid
                                 for c in calls[calls.index(first):])

        def done():
            found = self.windows()
            enabled = {w["handle"]: w["enabled"] for w in found}
            for window in found:
                if window["cls"] == "#32770" and window["visible"]:
                    self.click(find_control(window, id=IDOK))
                elif window["text"] == WIZARD and not enabled.get(window["owner"], True):
                    self.close(window)  # modal: its owner, the main window, takes no input
            return all(started(self.relay_calls(log=log)) for log in logs)
        self.wait_for(done, WAIT, f"the end of start-up ({logs})")


if __name__ == "__main__":
    # ctest's set-up step: boot the shared prefix before the scenarios copy it.
    print(f"template prefix: {template_prefix()}")
