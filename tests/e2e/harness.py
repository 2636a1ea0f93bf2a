"""Runs the real varnel.exe under Wine in Xvfb and watches it from outside.

Each Session gets its own directory (a copy of the exe and its icon, optionally
a settings file), its own copy of a Wine prefix booted once per build, and its
own X display. It observes through the files the program writes, the window
tree read by tools/winprobe.exe and Wine's relay trace, and acts through the
probe like a user. Everything it starts is stopped and reaped, also when a
check fails.

Configuration comes from the environment that tests/e2e/CMakeLists.txt sets:
VARNEL_EXE, VARNEL_ICON, VARNEL_E2E_TOOLS, VARNEL_E2E_WORK, VARNEL_WINE,
VARNEL_WINEARCH.
"""

import ctypes
import fcntl
import glob
import hashlib
import json
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

SETTINGS_NAME = "关机时间.ini"
EXE_NAME = "varnel.exe"
SCREEN = (1024, 768)
# Generous, for a machine busy with builds; a passing scenario never waits this long.
WAIT = 90

_DESKTOP_REG = (
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"
    '"Desktop"="Default"\r\n\r\n'
    "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"
    f'"Default"="{SCREEN[0]}x{SCREEN[1]}"\r\n'
)


def _config(name):
    value = os.environ.get(name)
    if not value:
        raise RuntimeError(f"{name} is not set: run the scenarios through ctest")
    return value


def _wine_env(prefix, **extra):
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE") and k != "DISPLAY"}
    env.update(
        WINEPREFIX=prefix,
        WINEARCH=_config("VARNEL_WINEARCH"),
        WINEDEBUG="-all",
        # No Mono/Gecko installers; no desktop menu entries written into $HOME.
        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
        LANG="zh_CN.UTF-8",
        LC_ALL="zh_CN.UTF-8",
    )
    env.update(extra)
    return env


def _wineserver():
    return os.path.join(os.path.dirname(_config("VARNEL_WINE")), "wineserver")


def _become_subreaper():
    """Wine daemonises its helpers; make them our children so we can reap them."""
    PR_SET_CHILD_SUBREAPER = 36
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)


def template_prefix():
    """The booted prefix shared by every scenario of this build (booted on first use)."""
    wine = _config("VARNEL_WINE")
    arch = _config("VARNEL_WINEARCH")
    locales = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
    if not {"zh_CN.utf8", "zh_CN.UTF-8"} & set(locales):
        raise RuntimeError("locale zh_CN.UTF-8 is missing (scripts/setup generates it); "
                           "without it Wine's ANSI code page is not GBK")
    try:
        probe = subprocess.run([wine, "--version"], capture_output=True, text=True, check=True)
    except (OSError, subprocess.CalledProcessError) as error:
        raise RuntimeError(f"{wine} cannot run here ({error}); "
                           "use the Windows build for the other word size") from error
    recipe = hashlib.sha1(_DESKTOP_REG.encode()).hexdigest()[:8]  # a changed set-up boots anew
    key = re.sub(r"[^\w.-]+", "_", probe.stdout.strip()) + "-" + arch + "-" + recipe
    work = _config("VARNEL_E2E_WORK")
    os.makedirs(work, exist_ok=True)
    prefix = os.path.join(work, "prefix-" + key)
    with open(prefix + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)  # parallel scenarios wait for one boot
        if not os.path.exists(os.path.join(prefix, ".varnel-ready")):
            _boot_prefix(prefix)
            for stale in glob.glob(os.path.join(work, "prefix-*")):  # other Wine or set-up
                if stale.startswith(prefix):
                    continue
                if os.path.isdir(stale):
                    shutil.rmtree(stale, ignore_errors=True)
                else:
                    os.remove(stale)
    return prefix


def _boot_prefix(prefix):
    started = time.monotonic()
    building = prefix + ".booting"
    shutil.rmtree(building, ignore_errors=True)
    shutil.rmtree(prefix, ignore_errors=True)
    env = _wine_env(building)
    wine = _config("VARNEL_WINE")
    subprocess.run([wine, "wineboot", "-i"], env=env, check=True, timeout=300,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    reg = os.path.join(building, "varnel-desktop.reg")
    with open(reg, "w", newline="") as f:
        f.write(_DESKTOP_REG)
    subprocess.run([wine, "regedit", "/S", reg], env=env, check=True, timeout=120,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([_wineserver(), "-w"], env=env, timeout=120)
    os.remove(reg)
    _remove_wineserver_record(building)
    os.rename(building, prefix)
    open(os.path.join(prefix, ".varnel-ready"), "w").close()
    print(f"[timing] template prefix booted in {time.monotonic() - started:.1f} s", flush=True)


def _remove_wineserver_record(prefix):
    """Debian's Wine names the prefix's server directory (/tmp/wine-XXXXXX) in the file
    "wineserver" of the prefix. Removes both once the server is gone; a copy of a
    prefix must not reuse them."""
    record = os.path.join(prefix, "wineserver")
    try:
        with open(record) as f:
            name = f.read().strip()
        os.remove(record)
    except FileNotFoundError:
        return
    if re.fullmatch(r"wine-\w+", name):
        for base in {tempfile.gettempdir(), "/tmp"}:
            shutil.rmtree(os.path.join(base, name), ignore_errors=True)


# --- settings files -------------------------------------------------------


def gbk(text):
    return text.encode("gbk")


def settings_text(rows):
    """INI text, CRLF line ends, from [(section, [(key, value), ...]), ...]."""
    lines = []
    for section, keys in rows:
        lines.append(f"[{section}]")
        lines.extend(f"{k}={v}" for k, v in keys)
    return "\r\n".join(lines) + "\r\n"


def parse_ini(data):
    """[(section, [(key, value), ...]), ...] in file order, from GBK bytes."""
    sections = []
    for line in data.decode("gbk").splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            sections.append((line[1:-1], []))
        elif "=" in line and sections:
            key, value = line.split("=", 1)
            sections[-1][1].append((key.strip(), value.strip()))
    return sections


def ini_value(sections, section, key):
    for name, keys in sections:
        if name == section:
            for k, v in keys:
                if k == key:
                    return v
    return None


# --- relay trace ----------------------------------------------------------

_CALL = re.compile(r"^(?:([0-9a-f]+):)?([0-9a-f]+):Call ([\w.-]+)\.(\w+)\((.*)\) ret=[0-9a-f]+$")
_RET = re.compile(r"^(?:([0-9a-f]+):)?([0-9a-f]+):Ret  ([\w.-]+)\.(\w+)\(\) retval=([0-9a-f]+)")


class Call:
    """One relayed call: process id, function, arguments (ints) and decoded string arguments."""

    def __init__(self, pid, tid, module, function, args, texts):
        self.pid, self.tid, self.module, self.function = pid, tid, module, function
        self.args, self.texts = args, texts
        self.retval = None

    def __repr__(self):
        shown = [t if t is not None else hex(a) for a, t in zip(self.args, self.texts)]
        return f"{self.module}.{self.function}({', '.join(map(str, shown))}) -> {self.retval}"


def _split_args(text):
    args, depth, current, quoted, escaped = [], 0, "", False, False
    for c in text:
        if quoted:
            current += c
            if escaped:
                escaped = False
            elif c == "\\":
                escaped = True
            elif c == '"':
                quoted = False
        elif c == '"':
            quoted = True
            current += c
        elif c == "," and depth == 0:
            args.append(current)
            current = ""
        else:
            depth += c == "("
            depth -= c == ")"
            current += c
    if current:
        args.append(current)
    return args


def _unescape(body, wide):
    """Wine's debugstr_w ("\\4e2d") and debugstr_a ("\\xb9") escapes."""
    out, i = [], 0
    simple = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}
    while i < len(body):
        c = body[i]
        if c == "\\" and i + 1 < len(body):
            n = body[i + 1]
            if n in simple:
                out.append(ord(simple[n]))
                i += 2
            elif wide:
                out.append(int(body[i + 1:i + 5], 16))
                i += 5
            else:
                out.append(int(body[i + 2:i + 4], 16))
                i += 4
        else:
            out.append(ord(c))
            i += 1
    if wide:
        return "".join(map(chr, out))
    return bytes(out).decode("gbk", errors="replace")


def _parse_arg(token):
    token = token.strip()
    m = re.match(r'^([0-9a-f]+)?\s*(L?)"(.*)"(?:\.\.\.)?$', token)
    if m:
        value = int(m.group(1), 16) if m.group(1) else 0
        return value, _unescape(m.group(3), m.group(2) == "L")
    try:
        return int(token.split()[0], 16), None
    except (ValueError, IndexError):
        return None, token


def parse_relay(text):
    """Every Call line of a +pid,+relay trace, with its return value when seen."""
    calls, open_calls = [], {}
    for line in text.splitlines():
        m = _CALL.match(line)
        if m:
            parsed = [_parse_arg(a) for a in _split_args(m.group(5))]
            call = Call(int(m.group(1) or "0", 16), int(m.group(2), 16), m.group(3), m.group(4),
                        [a for a, _ in parsed], [t for _, t in parsed])
            calls.append(call)
            open_calls.setdefault((call.tid, call.function), []).append(call)
            continue
        m = _RET.match(line)
        if m:
            pending = open_calls.get((int(m.group(2), 16), m.group(4)))
            if pending:
                pending.pop().retval = int(m.group(5), 16)
    return calls


# --- window trees ---------------------------------------------------------


def controls(window):
    """Every descendant of a window from the probe's tree, depth first."""
    for child in window.get("children", []):
        yield child
        yield from controls(child)


def controls_sized(window, width, height):
    """The controls of that size, left to right then top to bottom: how to tell
    controls apart whose texts change."""
    found = [c for c in controls(window) if c["rect"][2:] == [width, height]]
    return sorted(found, key=lambda c: (c["rect"][0], c["rect"][1]))


def find_control(window, **criteria):
    for control in controls(window):
        if all(control.get(k) == v for k, v in criteria.items()):
            return control
    return None


class Session:
    """One scenario's directory, prefix copy, X display and program."""

    def __init__(self, name, settings=None, relay=(), display=True, desktop=True):
        self.name = re.sub(r"[^\w.-]+", "_", name)
        self.settings = settings
        self.relay = relay
        self.desktop = desktop
        self.want_display = display
        self.app = None
        self.xvfb = None
        self.spawned = []
        self.compositor = None
        self.display = None
        self.timings = {}
        self._started = self._app_started = time.monotonic()

    # -- lifetime --

    def __enter__(self):
        _become_subreaper()
        template = template_prefix()
        shutil.rmtree(self._evidence_dir(), ignore_errors=True)  # from an earlier run
        self.dir = tempfile.mkdtemp(prefix="varnel-e2e-")
        try:
            self._prepare(template)
        except BaseException:
            self._stop()
            raise
        return self

    def __exit__(self, exc_type, exc, tb):
        if exc_type is not None and not issubclass(exc_type, unittest.SkipTest):
            self._keep_evidence()
        leftovers = self._stop()
        self._timing("stop", self._stop_started)
        total = time.monotonic() - self._started
        print(f"[timing] {self.name}: " +
              ", ".join(f"{k} {v:.2f} s" for k, v in self.timings.items()) +
              f", total {total:.2f} s", flush=True)
        if leftovers and exc_type is None:
            raise AssertionError(f"processes left behind: {leftovers}")
        return False

    def _timing(self, what, since):
        self.timings[what] = time.monotonic() - since

    def _prepare(self, template):
        since = time.monotonic()
        self.prefix = os.path.join(self.dir, "prefix")
        subprocess.run(["cp", "-a", template, self.prefix], check=True)
        _remove_wineserver_record(self.prefix)
        if self.relay:
            with open(os.path.join(self.prefix, "user.reg"), "a", newline="") as f:
                f.write("\n[Software\\\\Wine\\\\Debug] 1\n"
                        f"\"RelayInclude\"=\"{';'.join(self.relay)}\"\n")
        if not self.desktop:  # every window its own X window, as a compositor needs
            user_reg = os.path.join(self.prefix, "user.reg")
            with open(user_reg, newline="") as f:
                lines = [line for line in f if line.strip() != '"Desktop"="Default"']
            with open(user_reg, "w", newline="") as f:
                f.writelines(lines)
        self._timing("prefix copy", since)
        self.app_dir = os.path.join(self.dir, "app")
        os.mkdir(self.app_dir)
        self.data_dir = self.app_dir  # where read_bytes and the settings helpers look
        shutil.copy(_config("VARNEL_EXE"), os.path.join(self.app_dir, EXE_NAME))
        shutil.copy(_config("VARNEL_ICON"), os.path.join(self.app_dir, "图标.ico"))
        if self.settings is not None:
            data = self.settings if isinstance(self.settings, bytes) else gbk(self.settings)
            with open(self.path(SETTINGS_NAME), "wb") as f:
                f.write(data)
        if self.want_display:
            since = time.monotonic()
            self._start_xvfb()
            self._timing("xvfb", since)
        # One server for the whole session, up before any Wine program: two
        # programs starting at once in a fresh prefix may each pick their own.
        since = time.monotonic()
        subprocess.run([_wineserver(), "-p"], env=self.env(), check=True, timeout=60)
        self._timing("wineserver", since)

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        try:
            number = b""
            while not number.endswith(b"\n"):
                ready, _, _ = select.select([read_end], [], [], 15)
                chunk = os.read(read_end, 16) if ready else b""
                if not chunk:
                    raise RuntimeError("Xvfb did not report a display")
                number += chunk
        finally:
            os.close(read_end)
        self.display = ":" + number.decode().strip()

    def env(self, **extra):
        if self.display:
            extra.setdefault("DISPLAY", self.display)
        return _wine_env(self.prefix, **extra)

    def _stop(self):
        """Ends everything this session started; returns what would not go."""
        self._stop_started = time.monotonic()
        if self.app and self.app.poll() is None:
            self.app.kill()
        if self.app:
            self.app.wait()
        if self.compositor:
            self.compositor.kill()
            self.compositor.wait()
        if getattr(self, "prefix", None) and os.path.isdir(self.prefix):
            for step in ("-k", "-w"):  # end every process of this prefix, then its server
                try:
                    subprocess.run([_wineserver(), step], env=self.env(), timeout=60,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                except subprocess.TimeoutExpired:
                    pass  # what remains is killed below
            _remove_wineserver_record(self.prefix)
        for tool in self.spawned:  # ended with the prefix's server
            if tool.process.poll() is None:
                tool.process.kill()
            tool.process.wait()
        if self.xvfb:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
        leftovers = self._kill_leftovers()
        self._reap()
        shutil.rmtree(self.dir, ignore_errors=True)
        return leftovers

    def wine_processes(self):
        """(Linux pid, raw command line) of every process running in this session's prefix."""
        marker = ("WINEPREFIX=" + getattr(self, "prefix", self.dir)).encode()
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/environ", "rb") as f:
                    if marker not in f.read().split(b"\0"):
                        continue
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    found.append((int(pid), f.read()))
            except OSError:
                continue
        return found

    def _kill_leftovers(self):
        found = []
        for pid, command in self.wine_processes():
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                continue
            found.append(f"{pid} " + command.replace(b"\0", b" ").decode(errors="replace"))
        return found

    def _reap(self):
        """Collects every ended child, ours or adopted; waits a little for stragglers."""
        deadline = time.monotonic() + 5
        while True:
            try:
                pid, _ = os.waitpid(-1, os.WNOHANG)
            except ChildProcessError:
                return
            if pid == 0:
                if time.monotonic() > deadline:
                    print(f"still running: {self._children()}", flush=True)
                    return
                time.sleep(0.05)

    @staticmethod
    def _children():
        me = str(os.getpid())
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/stat") as f:
                    fields = f.read().rsplit(")", 1)[1].split()
                if fields[1] == me:
                    found.append((pid, fields[0]))
            except OSError:
                continue
        return found

    def _evidence_dir(self):
        return os.path.join(_config("VARNEL_E2E_WORK"), "failures", self.name)

    def _keep_evidence(self):
        """Screenshot, window tree, relay trace and files of a failed scenario."""
        keep = self._evidence_dir()
        os.makedirs(keep, exist_ok=True)
        if self.display and shutil.which("import"):
            subprocess.run(["import", "-display", self.display, "-window", "root",
                            os.path.join(keep, "screen.png")], timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            with open(os.path.join(keep, "windows.json"), "w") as f:
                json.dump(self.inspect("list"), f, ensure_ascii=False, indent=1)
        except Exception as error:  # the evidence must not hide the failure
            print(f"window tree unavailable: {error}")
        for name in os.listdir(self.app_dir):
            if not name.endswith((".exe", ".ico")):
                shutil.copy(os.path.join(self.app_dir, name), keep)
        for name in ("relay.txt", "app.log"):
            if os.path.exists(os.path.join(self.dir, name)):
                shutil.copy(os.path.join(self.dir, name), keep)
        print(f"evidence kept in {keep}", flush=True)

    # -- the program --

    def path(self, name):
        return os.path.join(self.app_dir, name)

    def windows_path(self, name):
        return "Z:" + self.path(name).replace("/", "\\")

    def start(self):
        self._app_started = time.monotonic()
        if self.relay:
            log = os.path.join(self.dir, "relay.txt")
            env = self.env(WINEDEBUG="+pid,+relay")
        else:
            log = os.path.join(self.dir, "app.log")
            env = self.env()
        with open(log, "wb") as err:
            self.app = subprocess.Popen([_config("VARNEL_WINE"), self.path(EXE_NAME)],
                                        cwd=self.app_dir, env=env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=err)

    def mark(self, what):
        """Records the time from the program's start to now under `what`."""
        self._timing(what, self._app_started)

    def running(self):
        return self.app is not None and self.app.poll() is None

    def wait_exit(self, timeout):
        try:
            return self.app.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def wait_for(self, condition, timeout, what):
        """Polls condition() until it gives a true value; fails with `what`."""
        deadline = time.monotonic() + timeout
        while True:
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                raise AssertionError(f"timed out after {timeout} s waiting for {what}")
            time.sleep(0.1)

    # -- the probe --

    def tool(self, name, *args, timeout=60):
        """Runs a tool program (by name, or a path) in this prefix; returns (status, stdout)."""
        exe = os.path.join(_config("VARNEL_E2E_TOOLS"), name)  # a path stays as it is
        # A file, not a pipe: Wine daemons started by the tool would hold a
        # pipe open long after the tool itself has ended.
        with tempfile.TemporaryFile(dir=self.dir) as out:
            tool = subprocess.Popen([_config("VARNEL_WINE"), exe, *map(str, args)],
                                    env=self.env(), cwd=self.app_dir, stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=subprocess.DEVNULL)
            try:
                status = tool.wait(timeout)
            except subprocess.TimeoutExpired:
                tool.kill()
                tool.wait()
                raise AssertionError(f"{name} {args} did not finish within {timeout} s")
            out.seek(0)
            return status, out.read().decode("utf-8", errors="replace")

    def spawn(self, name, *args):
        """Starts a tool program that stays, such as the ProgMan fixture or `winprobe hold`;
        it is ended with the session. Returns a Spawned to read its report from."""
        exe = os.path.join(_config("VARNEL_E2E_TOOLS"), name)
        out = os.path.join(self.dir, f"spawned-{len(self.spawned)}.out")
        with open(out, "wb") as f:
            process = subprocess.Popen([_config("VARNEL_WINE"), exe, *map(str, args)],
                                       env=self.env(), cwd=self.app_dir,
                                       stdin=subprocess.DEVNULL, stdout=f,
                                       stderr=subprocess.DEVNULL)
        tool = Spawned(self, process, out)
        self.spawned.append(tool)
        return tool

    def presses(self, *steps):
        """Hotkeys through SendInput with pauses timed inside one program, e.g.
        presses("ctrl+F9", 500, "ctrl+F9"); returns the pauses as they came out, in ms."""
        status, out = self.tool("winprobe.exe", "presses", *steps)
        if status != 0:
            raise AssertionError(f"probe presses {steps} failed ({status}): {out}")
        return json.loads(out.strip().splitlines()[-1])["gaps"]

    def xdotool(self, *args):
        """xdotool on this session's display: real X input to the focused Wine window."""
        subprocess.run(["xdotool", *map(str, args)], env={**os.environ, "DISPLAY": self.display},
                       check=True, timeout=30)

    def click_tray_icon(self, button=1):
        """A real mouse click (1 left, 3 right) on the tray icon at the right end of the
        virtual desktop's taskbar (the program's icon is the only one there)."""
        bar = self.inspect("list", "--class", "Shell_TrayWnd")[0]["rect"]
        # Wine lines the icons up from the right, each 20 pixels wide.
        x, y = bar[0] + bar[2] - 10, bar[1] + bar[3] // 2
        self.xdotool("mousemove", x, y, "click", button)
        return x, y

    def popup_menu(self, timeout=WAIT):
        """Waits for a popup menu of the program to be shown; returns its window."""
        return self.wait_window(timeout, cls="#32768")

    def start_compositor(self):
        """xcompmgr on this display, so layered windows are really translucent."""
        self.compositor = subprocess.Popen(["xcompmgr", "-d", self.display],
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def screenshot(self, path, rect=None):
        """The screen, or the part [left, top, width, height] of it (as the probe's
        rectangles), as an image file."""
        crop = ["-crop", "{2}x{3}+{0}+{1}".format(*rect), "+repage"] if rect else []
        subprocess.run(["import", "-display", self.display, "-window", "root", *crop, path],
                       check=True, timeout=30)

    def inspect(self, *args):
        status, out = self.tool("winprobe.exe", *args)
        try:
            return json.loads(out)
        except ValueError:
            raise AssertionError(f"probe {args} gave status {status}: {out!r}")

    def windows(self):
        """The program's top-level windows with their control trees."""
        return self.inspect("list", "--exe", EXE_NAME)

    def window(self, title=None, cls=None, visible=True, handle=None):
        for w in self.windows():
            if ((title is None or w["text"] == title) and (cls is None or w["class"] == cls)
                    and (visible is None or w["visible"] == visible)
                    and (handle is None or w["handle"] == handle)):
                return w
        return None

    def wait_window(self, timeout=WAIT, **criteria):
        return self.wait_for(lambda: self.window(**criteria), timeout, f"window {criteria}")

    def click(self, control):
        self.inspect_status("click", control["handle"])

    def set_text(self, control, text):
        self.inspect_status("settext", control["handle"], text)

    def select(self, control, index, dropdown=False):
        self.inspect_status("select", control["handle"], index, *(["--dropdown"] * dropdown))

    def set_page(self, control, index):
        self.inspect_status("tab", control["handle"], index)

    def post(self, window, message, wparam=0, lparam=0):
        self.inspect_status("post", window["handle"], message, wparam, lparam)

    def close(self, window):
        """The close box: WM_SYSCOMMAND SC_CLOSE."""
        self.post(window, 0x0112, 0xF060, 0)

    def hotkey(self, combination):
        """A key press through SendInput, e.g. "ctrl+F11"."""
        self.inspect_status("hotkey", combination)

    def keys(self, *presses):
        """Key presses in turn through SendInput, e.g. "Down", "Right", "Return", "alt+2"."""
        self.inspect_status("keys", *presses)

    def type_text(self, edit, text):
        """Selects an edit box's text and types `text` over it, character by character."""
        self.inspect_status("type", edit["handle"], text)

    def mouse(self, control, x=None, y=None, double=False):
        """A left click (or double click) at client point (x, y), the middle by default."""
        width, height = control["rect"][2:]
        x = width // 2 if x is None else x
        y = height // 2 if y is None else y
        self.inspect_status("mouse", control["handle"], x, y, "double" if double else "click")

    def sync(self, window):
        """Returns once the program has handled everything posted to `window` before,
        so what that opened (a message box) exists. Needs an edit box in the window."""
        edit = find_control(window, **{"class": "Edit"})
        if edit is None:
            raise AssertionError(f"no edit box to synchronise on in {window['text']!r}")
        self.inspect_status("sync", edit["handle"])

    def inspect_status(self, *args):
        status, out = self.tool("winprobe.exe", *args)
        if status != 0:
            raise AssertionError(f"probe {args} failed ({status}): {out}")

    def message_box(self, timeout=WAIT):
        """Waits for a message box of the program: {title, text, buttons, handle}."""
        def seen():
            status, out = self.tool("winprobe.exe", "msgbox", "--exe", EXE_NAME, "none")
            return json.loads(out) if status == 0 else None
        return self.wait_for(seen, timeout, "a message box")

    def answer(self, box, answer):
        """Presses "yes", "no" or "ok" on the box returned by message_box."""
        status, out = self.tool("winprobe.exe", "msgbox", "--exe", EXE_NAME, answer)
        if status != 0 or json.loads(out)["handle"] != box["handle"]:
            raise AssertionError(f"could not answer {answer} on {box}: {out}")

    # -- files --

    def read_bytes(self, name):
        try:
            with open(os.path.join(self.data_dir, name), "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def read_settings(self):
        data = self.read_bytes(SETTINGS_NAME)
        return None if data is None else parse_ini(data)

    def setting(self, section, key):
        sections = self.read_settings()
        return None if sections is None else ini_value(sections, section, key)

    def wait_start_up(self, timeout=WAIT):
        """Waits for start-up's last writes, the handle and then style "1"; returns the handle."""
        self.wait_for(lambda: self.setting("倒计时窗口样式", "样式") == "1", timeout,
                      "the end of start-up (style 1 written)")
        self.mark("start-up done")
        return int(self.setting("句柄", "窗口句柄"))

    def file_attributes(self, name):
        """GetFileAttributesW as the program sees it (None when missing)."""
        return self.inspect("attrs", self.windows_path(name))["attributes"]

    # -- registry --

    def reg(self, *args):
        """Wine's reg.exe in this prefix, e.g. reg("add", key, "/v", name, "/d", data, "/f");
        returns (status, output)."""
        with tempfile.TemporaryFile(dir=self.dir) as out:  # not a pipe: see tool()
            done = subprocess.run([_config("VARNEL_WINE"), "reg", *args], env=self.env(),
                                  stdin=subprocess.DEVNULL, stdout=out,
                                  stderr=subprocess.DEVNULL, timeout=WAIT)
            out.seek(0)
            return done.returncode, out.read().decode("gbk", errors="replace")

    def registry_value(self, key, name):
        """The data of a string value, e.g. under "HKLM\\SOFTWARE\\...\\Run"; None when
        the value does not exist."""
        status, out = self.reg("query", key, "/v", name)
        if status != 0:
            return None
        for line in out.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1] == "REG_SZ":
                return parts[2] if len(parts) == 3 else ""
        raise AssertionError(f"reg query {key} /v {name} gave no value line: {out!r}")

    def wait_call(self, function, timeout=WAIT, pid=None):
        """Waits for the first relayed call of `function`; returns it and the wall-clock
        time (time.time()) at which the trace showed it, within about 10 ms."""
        marker = f".{function}(".encode()
        path = os.path.join(self.dir, "relay.txt")

        def seen():
            with open(path, "rb") as f:
                if marker not in f.read():
                    return None
            calls = self.relay_calls(function, pid)
            return (calls[0], time.time()) if calls else None

        deadline = time.monotonic() + timeout
        while True:
            found = seen()
            if found:
                return found
            if time.monotonic() > deadline:
                raise AssertionError(f"timed out after {timeout} s waiting for {function}")
            time.sleep(0.01)

    def relay_calls(self, function=None, pid=None):
        with open(os.path.join(self.dir, "relay.txt"), encoding="latin-1") as f:
            calls = parse_relay(f.read())
        return [c for c in calls if (function is None or c.function == function)
                and (pid is None or c.pid == pid)]


class Spawned:
    """A tool program started with Session.spawn."""

    def __init__(self, session, process, out):
        self.session, self.process, self.out = session, process, out

    def report(self, timeout=WAIT):
        """The JSON object of the tool's first line, once it has printed it."""
        def line():
            with open(self.out, "rb") as f:
                data = f.read()
            return data.split(b"\n", 1)[0] if b"\n" in data else None
        return json.loads(self.session.wait_for(line, timeout,
                                                f"a report from {self.process.args}"))


if __name__ == "__main__":
    # ctest's set-up step: boot the shared prefix before the scenarios need it.
    print(f"template prefix: {template_prefix()}")
