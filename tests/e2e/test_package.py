"""What people download: scripts/package run in clones of this repository, the zip and its sums
checked and built again elsewhere, signing, bad input; the installer under Wine from a silent
install to the uninstall (per user), and for all users: a preset, a standard user's elevation."""

import hashlib
import os
import pathlib
import re
import shutil
import struct
import subprocess
import time
import unittest
import zipfile
import zlib

from harness import COUNTDOWN, EXE, RUN_KEYS, SETTINGS, WAIT, WIZARD, WORK, Session, controls, \
    find_control, scenario_settings, settings_text

SOURCE = os.environ.get("VARNEL_SOURCE", "")
# The installer the Wine scenarios run: the product, or its x86_64 twin under wine64.
ARCH = "i686" if os.environ.get("VARNEL_WINEARCH") == "win32" else "x86_64"
UNINSTALL_KEY = r"\Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnel"
PASSWORD = "throwaway"


def run(*args, cwd=None, **env):
    return subprocess.run(args, cwd=cwd, env={**os.environ, **env}, capture_output=True, text=True,
                          timeout=900)


def package(clone, *options, keep=None, **env):
    """scripts/package in a clone; the files it printed, by kind (copied into keep, when given,
    as the next run replaces SHA256SUMS)."""
    done = run("scripts/package", *options, cwd=clone, **env)
    assert done.returncode == 0, done.stdout + done.stderr
    paths = [pathlib.Path(p) for p in done.stdout.split()[-3:]]
    if keep:
        os.makedirs(keep, exist_ok=True)
        paths = [pathlib.Path(shutil.copy(p, keep)) for p in paths]
    return dict(zip(("zip", "setup", "sums"), paths))


def clone(folder):
    shutil.rmtree(folder, ignore_errors=True)
    assert run("git", "clone", "--quiet", SOURCE, folder).returncode == 0
    return folder


def verified(path, cert):
    done = run("osslsigncode", "verify", "-CAfile", cert, "-in", str(path))
    return done.returncode == 0 and "Signature verification: ok" in done.stdout


def exe_in(archive):
    return zipfile.ZipFile(archive).read("Varnel/" + EXE)


def as_user(built):
    """The installer of a package built again with VARNEL_TEST_AS_USER, which takes the path of a
    standard user (its account "User" until elevated) under Wine, whose user is an administrator."""
    os.makedirs(stage := os.path.join(WORKDIR, "as-user"), exist_ok=True)
    pathlib.Path(stage, EXE).write_bytes(exe_in(built["zip"]))
    shutil.copy(os.path.join(CLONE, "assets", "varnel.ico"), stage)
    assert run("python3", f"{CLONE}/assets/make_finish_bitmap.py", f"{stage}/finish.bmp").returncode == 0
    done = run("makensis", "-INPUTCHARSET", "UTF8", "-DVARNEL_TEST_AS_USER", f"-DSTAGE={stage}",
               f"-DVERSION={built['zip'].name.split('-')[1]}", f"-DOUTFILE={stage}/as-user.exe",
               *["-DTARGET=amd64-unicode"] * (ARCH == "x86_64"), f"{CLONE}/packaging/varnel.nsi")
    assert done.returncode == 0, done.stdout
    return f"{stage}/as-user.exe"


def setUpModule():
    global WORKDIR, CLONE, BUILT, SIGNED, CERT, PFX, EPOCH
    if not shutil.which("makensis") or not os.path.exists(os.path.join(SOURCE, ".git")):
        raise unittest.SkipTest("needs makensis and a git checkout")
    WORKDIR = os.path.join(WORK, "package")
    CLONE = clone(os.path.join(WORKDIR, "a"))
    EPOCH = int(run("git", "log", "-1", "--format=%ct", cwd=CLONE).stdout)
    BUILT = {"i686": package(CLONE, keep=os.path.join(WORKDIR, "i686"))}
    # A throwaway code-signing certificate; the runnable package signed with it, and unsigned.
    CERT, key, PFX = (os.path.join(WORKDIR, n) for n in ("cert.pem", "key.pem", "test.pfx"))
    assert run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out",
               CERT, "-days", "2", "-subj", "/CN=Varnel test", "-addext",
               "extendedKeyUsage=codeSigning").returncode == 0
    assert run("openssl", "pkcs12", "-export", "-out", PFX, "-inkey", key, "-in", CERT,
               "-passout", "pass:" + PASSWORD).returncode == 0
    SIGNED = package(CLONE, "--sign", PFX, "--arch", ARCH, keep=os.path.join(WORKDIR, "signed"),
                     VARNEL_SIGN_PASSWORD=PASSWORD)
    BUILT[ARCH] = package(CLONE, "--arch", ARCH)


class Package(unittest.TestCase):
    def test_zip_sums_reproducibility_signing_and_bad_input(self):
        built = BUILT["i686"]
        self.assertEqual(run("sha256sum", "-c", "SHA256SUMS", cwd=built["sums"].parent).stdout,
                         f"{built['zip'].name}: OK\n{built['setup'].name}: OK\n")
        data = built["zip"].read_bytes()
        archive = zipfile.ZipFile(built["zip"])  # reads the names as code page 437
        self.assertIsNone(archive.testzip())
        stamp = time.gmtime(EPOCH)[:5] + (time.gmtime(EPOCH)[5] // 2 * 2,)
        expected = []
        for name in ("Varnel/", "Varnel/varnel.exe", "Varnel/图标.ico", "Varnel/使用说明.txt"):
            gbk, utf8 = name.encode("gbk"), name.encode()  # no UTF-8 flag, one extra field
            extra = struct.pack("<HHBI", 0x7075, 5 + len(utf8), 1, zlib.crc32(gbk)) + utf8
            expected.append((gbk, 0, extra, stamp))
        self.assertEqual([(i.orig_filename.encode("cp437"), i.flag_bits, i.extra, i.date_time)
                          for i in archive.infolist()], expected)
        self.assertEqual(data.count(b"PK\3\4"), 4, "a local header per entry")
        guide = archive.read(archive.infolist()[3])
        self.assertTrue(guide.startswith(b"\xef\xbb\xbf") and b"\r\n" in guide and
                        guide.count(b"\n") == guide.count(b"\r\n"), "UTF-8, BOM, CRLF")
        exe = exe_in(built["zip"])
        pe = struct.unpack_from("<I", exe, 0x3C)[0]
        self.assertEqual(struct.unpack_from("<I", exe, pe + 8)[0], EPOCH, "PE time stamp")
        self.assertNotIn(CLONE.encode(), exe)
        sizes = {kind: built[kind].stat().st_size for kind in ("setup", "zip")}
        print(f"\nsizes: {sizes}")
        self.assertTrue(sizes["setup"] < 250_000 and sizes["zip"] < 100_000)

        # Another clone, in another folder, later: the same bytes.
        other = clone(os.path.join(WORKDIR, "elsewhere", "b"))
        again = package(other)
        for kind in ("zip", "setup"):
            print(f"{again[kind].name}: sha256 {hashlib.sha256(again[kind].read_bytes()).hexdigest()}")
            self.assertEqual(again[kind].read_bytes(), built[kind].read_bytes(), kind)

        # Signed: setup.exe (the exe, the same in the zip, and the uninstaller: installed, below).
        self.assertTrue(verified(SIGNED["setup"], CERT))
        self.assertFalse(verified(BUILT[ARCH]["setup"], CERT), "unsigned by default")

        # Bad input: one line on stderr, non-zero, dist/ as it was.
        dist = lambda: {p.name: p.read_bytes() for p in pathlib.Path(other, "dist").iterdir()}
        before = dist()
        tools, no_git = os.path.join(WORKDIR, "bin"), os.path.join(WORKDIR, "no-git")
        for folder in (tools, no_git):
            shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(tools)
        for tool in ("bash", "env", "dirname"):
            os.symlink(shutil.which(tool), os.path.join(tools, tool))
        shutil.copytree(os.path.join(other, "scripts"), os.path.join(no_git, "scripts"))
        with open(os.path.join(other, "CMakeLists.txt"), "a") as f:
            f.write("\n")
        for folder, options, env, error in [
                (other, ["--bogus"], {}, "unknown option: --bogus"),
                (other, [], {}, "the tree has changes"),
                (other, [], {"PATH": tools}, "missing tool: git"),
                (no_git, [], {}, "not a git checkout")]:
            done = run("scripts/package", *options, cwd=folder, **env)
            self.assertNotEqual(done.returncode, 0)
            self.assertRegex(done.stderr, f"^package: {error}.*\n$")
        run("git", "checkout", "CMakeLists.txt", cwd=other)
        done = run("scripts/package", "--sign", PFX, cwd=other, VARNEL_SIGN_PASSWORD="wrong")
        self.assertNotEqual(done.returncode, 0)
        self.assertRegex(done.stderr, r"^package: cannot sign varnel.exe with .*test.pfx: .+\n$")
        self.assertEqual(dist(), before, "no half-made dist/")


class Installer(unittest.TestCase):
    def at(self, s, path):  # a C: path's place in the prefix
        return os.path.join(s.prefix, "drive_c", *path[3:].split("\\"))

    def install(self, s, setup, *options):
        self.assertEqual(s.tool(setup, *options)[0], 0)

    def test_install_upgrade_and_uninstall_for_one_user(self):
        with Session(self.id(), relay=["shell32.Shell_NotifyIconW", "user32.UnregisterHotKey"]) as s:
            self.install(s, BUILT[ARCH]["setup"], "/S")
            user = next(f"C:\\users\\{n}" for n in os.listdir(self.at(s, "C:\\users")) if n != "Public")
            profile, folder = user + "\\AppData\\Roaming", user + "\\AppData\\Local\\Programs\\Varnel"
            exe, s.data_dir = folder + "\\" + EXE, self.at(s, folder)
            self.assertEqual(sorted(os.listdir(s.data_dir)), ["uninstall.exe", EXE, "图标.ico"])
            self.assertEqual(pathlib.Path(s.data_dir, EXE).read_bytes(), exe_in(BUILT[ARCH]["zip"]))
            shortcut = self.at(s, profile + "\\Microsoft\\Windows\\Start Menu\\Programs\\Varnel.lnk")
            self.assertTrue(os.path.isfile(shortcut))
            entry = s.wait_for(lambda: s.reg("HKCU" + UNINSTALL_KEY), WAIT, "the uninstall entry")
            self.assertGreater(int(entry.pop("EstimatedSize"), 16), 100, "KB")
            self.assertEqual(entry, {
                "DisplayIcon": exe, "DisplayName": "Varnel", "DisplayVersion": "1.5",
                "InstallLocation": folder, "NoModify": "0x1", "NoRepair": "0x1",
                "UninstallString": f'"{folder}\\uninstall.exe"',
                "QuietUninstallString": f'"{folder}\\uninstall.exe" /S'})
            self.assertEqual(s.windows(), [], "a silent install starts nothing")

            # The first start, the clock set into the desktop: the defaults beside the exe, the
            # configuration window; then the countdown window (ctrl+F9), of the clock's class.
            s.spawn("progman_fixture.exe").report()
            old = s.start(os.path.join(s.data_dir, EXE))
            s.close(s.wait_window(text=WIZARD))
            handle = s.wait_start_up()
            s.keys("ctrl+F9")
            s.wait_window(text=COUNTDOWN)
            # The user's own icon and a line added in Notepad; the upgrade (to the signed build)
            # with the program running: ended through its own exit (the tray icon removed, the
            # hotkeys released), started again afterwards, which writes its new handle (and a new
            # snapshot of its window, 窗口.bmp).
            pathlib.Path(s.data_dir, "图标.ico").write_bytes(b"\0\0\1\0mine")
            with open(os.path.join(s.data_dir, SETTINGS), "ab") as f:
                f.write("[笔记]\r\n备注=我的\r\n".encode("gbk"))
            kept = lambda: {n: re.sub("窗口句柄=\\d+".encode("gbk"), b"", pathlib.Path(
                s.data_dir, n).read_bytes()) for n in (SETTINGS, "常用热键.txt", "图标.ico")}
            before = kept()
            self.install(s, SIGNED["setup"], "/S")
            self.assertEqual(old.wait(WAIT), 0, "no TerminateProcess")
            self.assertEqual([c.args[0] for c in s.relay_calls("Shell_NotifyIconW")], [0, 2])
            self.assertEqual(len(s.relay_calls("UnregisterHotKey")), 4)
            s.wait_for(lambda: s.setting("句柄", "窗口句柄") not in (None, str(handle)), WAIT,
                       "the program started again")
            again = s.wait_window(cls="VarnelListener", visible=None)
            self.assertEqual(kept(), before)
            self.assertEqual(pathlib.Path(s.data_dir, EXE).read_bytes(), exe_in(SIGNED["zip"]))
            for name in (EXE, "uninstall.exe"):
                self.assertTrue(verified(os.path.join(s.data_dir, name), CERT), name)

            # Uninstalled with the program running: the start-with-Windows value naming it goes,
            # another copy's stays, and so do the user's settings, beside the exe and in the profile.
            other = '"C:\\Other\\varnel.exe"'
            for key, value in zip(RUN_KEYS, (other, f'"{exe}"')):  # HKLM, HKCU
                s.tool("reg", "add", key, "/v", "devora", "/d", value, "/f")
            os.makedirs(settings := self.at(s, profile + "\\Varnel"))
            pathlib.Path(settings, SETTINGS).write_bytes(b"[x]\r\n")
            mine = s.read_bytes()
            self.install(s, folder + "\\uninstall.exe", "/S")
            # The uninstaller runs on as a temporary copy: its last step, this copy's value gone.
            s.wait_for(lambda: [s.run_value(key) for key in RUN_KEYS] == [other, None], WAIT,
                       "the uninstall's end")
            self.assertEqual(os.listdir(s.data_dir), [SETTINGS])
            self.assertEqual(s.read_bytes(), mine, "the user's settings kept for a later install")
            self.assertFalse(os.path.exists(shortcut))
            self.assertIsNone(s.reg("HKCU" + UNINSTALL_KEY))
            self.assertEqual(os.listdir(settings), [SETTINGS])
            self.assertIsNone(s.window(handle=again["handle"], visible=None), "ended first")

            # Installed by hand: 下一步 (for this user), 安装, then 完成 on the finish page, whose
            # picture is taken for docs/screenshots, starts the program, on the settings kept.
            handle = s.setting("句柄", "窗口句柄")
            s.spawn(BUILT[ARCH]["setup"])
            for text in ("下一步(&N) >", "安装(&I)", "完成(&F)"):
                page = s.wait_for(lambda: next((w for w in s.windows("#32770") if find_control(
                    w, id=1, text=text)), None), WAIT, text)
                if text == "完成(&F)":
                    s.screenshot(page, "setup-finish.png")
                s.click(find_control(page, id=1))
            s.wait_for(lambda: s.setting("句柄", "窗口句柄") != handle, WAIT, "the program started")
            self.assertIsNone(s.window(text=WIZARD), "no first start")

    def test_for_all_users_a_preset_and_a_standard_user(self):
        preset = settings_text(scenario_settings())
        hour, minute = re.search(r"小时=(\d+)\r\n分钟=(\d+)", preset).groups()
        with Session(self.id()) as s:
            os.mkdir(share := os.path.join(s.dir, "share"))
            setup = shutil.copy(BUILT[ARCH]["setup"], share)
            pathlib.Path(share, SETTINGS).write_bytes(preset.encode("gbk"))
            self.install(s, setup, "/ALLUSERS", "/S")
            entry = s.reg("HKLM" + UNINSTALL_KEY)
            folder = entry["InstallLocation"]
            self.assertRegex(folder, r"^C:\\Program Files( \(x86\))?\\Varnel$")
            self.assertEqual(entry["QuietUninstallString"], f'"{folder}\\uninstall.exe" /ALLUSERS /S')
            self.assertIsNone(s.reg("HKCU" + UNINSTALL_KEY))
            s.data_dir = self.at(s, folder)
            self.assertEqual(s.read_bytes(), preset.encode("gbk"))
            self.assertEqual(s.windows(), [], "an all-users install never starts the program")

            s.start(os.path.join(s.data_dir, EXE))
            s.wait_start_up()
            labels = [c["text"] for c in controls(s.window(cls="VarnelWindow"))]
            self.assertIn(f"关机时间为{hour}:{minute}", labels)
            self.assertIsNone(s.window(text=WIZARD, visible=None), "no configuration window")
            # Installed again by a standard user, through the elevated restart, with another preset
            # beside it: the user's file stays.
            setup = shutil.copy(as_user(BUILT[ARCH]), share)
            pathlib.Path(share, SETTINGS).write_bytes(b"[x]\r\n")
            before = s.read_bytes()
            self.install(s, setup, "/ALLUSERS", "/S")
            self.assertEqual(s.read_bytes(), before)

            # From the first page, cancelled in the elevated copy: the parent, its page hidden,
            # exits with the copy's code.
            parent = s.spawn(setup, "/ALLUSERS")
            page = s.wait_for(lambda: s.windows("#32770"), WAIT, "the first page")[0]
            s.click(find_control(page, id=1))  # 下一步, for all users as /ALLUSERS checked it
            for button in (2, 6):  # 取消, then 是
                s.click(s.wait_for(lambda: next((find_control(w, id=button) for w in s.windows(
                    "#32770") if w["visible"] and w["pid"] != page["pid"]), None), WAIT, button))
            self.assertEqual(parent.wait(WAIT), 1, "cancelled")
            # Removed from the list of programs by a standard user: the elevated temporary copy
            # gets the folder (_?=); the user's value naming this install goes, in capitals too.
            for key, value in zip(RUN_KEYS, (f'"{folder}\\{EXE}"', f"{folder}\\{EXE}".upper())):
                s.tool("reg", "add", key, "/v", "devora", "/d", value, "/f")
            self.install(s, folder + "\\uninstall.exe", "/ALLUSERS", "/S")
            s.wait_for(lambda: [os.path.exists(s.data_dir), s.reg("HKLM" + UNINSTALL_KEY)] + [
                s.run_value(key) for key in RUN_KEYS] == [False] + [None] * 3, WAIT, "all removed")
            # /D=, which NSIS keeps out of the command line, is the elevated copy's too.
            self.install(s, setup, "/ALLUSERS", "/S", r"/D=C:\Apps\Varnel")
            self.assertEqual(s.reg("HKLM" + UNINSTALL_KEY)["InstallLocation"], r"C:\Apps\Varnel")


if __name__ == "__main__":
    unittest.main(verbosity=2)
