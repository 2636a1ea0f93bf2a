"""What people download: scripts/package run in clones of this repository, the zip and its sums
checked and built again elsewhere, signing, and the installer under Wine from a silent install to
the uninstall (per user), and with preset settings for all users."""

import os
import pathlib
import re
import shutil
import struct
import subprocess
import tempfile
import time
import unittest
import zipfile
import zlib

from harness import EXE, SETTINGS, WAIT, WIZARD, WORK, Session, scenario_settings, settings_text

SOURCE = os.environ.get("VARNEL_SOURCE", "")
# The installer the Wine scenarios run: the product, or its x86_64 twin under wine64.
ARCH = "i686" if os.environ.get("VARNEL_WINEARCH") == "win32" else "x86_64"
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnel"
RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
PASSWORD = "throwaway"


def run(*args, cwd=None, env=None):
    return subprocess.run(args, cwd=cwd, env=env, capture_output=True, text=True, timeout=900)


def package(clone, *options, env=None, keep=None):
    """scripts/package in a clone; the files it made, by kind, from the paths it printed (copied
    into the folder keep, when given, as the next run replaces SHA256SUMS)."""
    done = run("scripts/package", *options, cwd=clone, env={**os.environ, **(env or {})})
    assert done.returncode == 0, done.stdout + done.stderr
    paths = map(pathlib.Path, done.stdout.split()[-3:])
    if keep:
        os.makedirs(keep, exist_ok=True)
        paths = [pathlib.Path(shutil.copy(p, keep)) for p in paths]
    return dict(zip(("zip", "setup", "sums"), paths))


def clone(folder):
    shutil.rmtree(folder, ignore_errors=True)
    assert run("git", "clone", "--quiet", SOURCE, folder).returncode == 0
    return folder


def zip_entries(data):
    """(raw name, flags, extra, DOS time, date) of each central directory entry, in order."""
    count, start = struct.unpack_from("<HxxxxI", data, data.rindex(b"PK\5\6") + 10)
    entries = []
    for _ in range(count):
        flags, clock, date = struct.unpack_from("<HxxHH", data, start + 8)
        name_size, extra_size, comment_size = struct.unpack_from("<HHH", data, start + 28)
        name = data[start + 46:start + 46 + name_size]
        extra = data[start + 46 + name_size:start + 46 + name_size + extra_size]
        entries.append((name, flags, extra, clock, date))
        start += 46 + name_size + extra_size + comment_size
    return entries


def pe_time_stamp(exe):
    return struct.unpack_from("<I", exe, struct.unpack_from("<I", exe, 0x3C)[0] + 8)[0]


def verified(path, cert):
    done = run("osslsigncode", "verify", "-CAfile", cert, "-in", str(path))
    return done.returncode == 0 and "Signature verification: ok" in done.stdout


def setUpModule():
    global WORKDIR, CLONE, BUILT, SIGNED, CERT, EPOCH
    if not shutil.which("makensis") or not os.path.isdir(os.path.join(SOURCE, ".git")) and \
            not os.path.isfile(os.path.join(SOURCE, ".git")):
        raise unittest.SkipTest("needs makensis and a git checkout")
    WORKDIR = os.path.join(WORK, "package")
    CLONE = clone(os.path.join(WORKDIR, "a"))
    EPOCH = int(run("git", "log", "-1", "--format=%ct", cwd=CLONE).stdout)
    BUILT = {"i686": package(CLONE, keep=os.path.join(WORKDIR, "i686"))}
    BUILT["i686"]["exe"] = zipfile.ZipFile(BUILT["i686"]["zip"]).read("Varnel/varnel.exe")
    # A throwaway code-signing certificate, and the runnable package signed with it.
    CERT = os.path.join(WORKDIR, "cert.pem")
    key, pfx = os.path.join(WORKDIR, "key.pem"), os.path.join(WORKDIR, "test.pfx")
    assert run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out",
               CERT, "-days", "2", "-subj", "/CN=Varnel test", "-addext",
               "extendedKeyUsage=codeSigning").returncode == 0
    assert run("openssl", "pkcs12", "-export", "-out", pfx, "-inkey", key, "-in", CERT,
               "-passout", "pass:" + PASSWORD).returncode == 0
    arch = ["--arch", ARCH]
    SIGNED = package(CLONE, "--sign", pfx, *arch, env={"VARNEL_SIGN_PASSWORD": PASSWORD},
                     keep=os.path.join(WORKDIR, "signed"))
    BUILT[ARCH] = package(CLONE, *arch)
    SIGNED["pfx"] = pfx


def files_in(folder):
    return {p.name: p.read_bytes() for p in pathlib.Path(folder).iterdir()} \
        if os.path.isdir(folder) else None


class Package(unittest.TestCase):
    def test_zip_sums_reproducibility_signing_and_bad_input(self):
        built = BUILT["i686"]
        self.assertEqual(run("sha256sum", "-c", "SHA256SUMS", cwd=built["sums"].parent).stdout,
                         f"{built['zip'].name}: OK\n{built['setup'].name}: OK\n")
        data = built["zip"].read_bytes()
        year, month, day, hour, minute, second = time.gmtime(EPOCH)[:6]
        stamp = (hour << 11 | minute << 5 | second // 2, (year - 1980) << 9 | month << 5 | day)
        names = ["Varnel/", "Varnel/varnel.exe", "Varnel/图标.ico", "Varnel/使用说明.txt"]
        expected = []
        for name in names:  # GBK in the name field, UTF-8 in the one extra field, no UTF-8 flag
            gbk, utf8 = name.encode("gbk"), name.encode()
            extra = struct.pack("<HHBI", 0x7075, 5 + len(utf8), 1, zlib.crc32(gbk)) + utf8
            expected.append((gbk, 0, extra, *stamp))
        self.assertEqual(zip_entries(data), expected)
        self.assertEqual(data.count(b"PK\3\4"), 4, "a local header per entry")
        archive = zipfile.ZipFile(built["zip"])  # reads the names as code page 437
        self.assertIsNone(archive.testzip())
        guide = archive.read(archive.infolist()[3])
        self.assertTrue(guide.startswith(b"\xef\xbb\xbf") and b"\r\n" in guide and
                        guide.count(b"\n") == guide.count(b"\r\n"), "UTF-8, BOM, CRLF")
        self.assertEqual(pe_time_stamp(built["exe"]), EPOCH, "the PE time stamp: the commit's")
        print(f"\nsizes: {built['setup'].name} {built['setup'].stat().st_size} bytes, "
              f"{built['zip'].name} {len(data)} bytes")
        self.assertLess(built["setup"].stat().st_size, 250_000)
        self.assertLess(len(data), 100_000)

        # Another clone, in another folder, later: the same bytes.
        other = clone(os.path.join(WORKDIR, "elsewhere", "b"))
        again = package(other)
        for kind in ("zip", "setup"):
            print(f"{kind}: {again[kind].name} sha256 "
                  f"{__import__('hashlib').sha256(again[kind].read_bytes()).hexdigest()}")
            self.assertEqual(again[kind].read_bytes(), built[kind].read_bytes(), kind)
        self.assertNotIn(CLONE.encode(), built["exe"])

        # Signed: the exe in the zip and setup.exe verify (the uninstaller: below, installed).
        signed_exe = zipfile.ZipFile(SIGNED["zip"]).read("Varnel/varnel.exe")
        pathlib.Path(WORKDIR, "signed.exe").write_bytes(signed_exe)
        self.assertTrue(verified(SIGNED["setup"], CERT) and
                        verified(os.path.join(WORKDIR, "signed.exe"), CERT))
        self.assertFalse(verified(BUILT[ARCH]["setup"], CERT), "unsigned by default")

        # Bad input: one line on stderr, non-zero, dist/ as it was.
        before = files_in(os.path.join(other, "dist"))
        only_bash = os.path.join(WORKDIR, "bin")
        os.makedirs(only_bash, exist_ok=True)
        for tool in ("bash", "env", "dirname"):
            with __import__("contextlib").suppress(FileExistsError):
                os.symlink(shutil.which(tool), os.path.join(only_bash, tool))
        pathlib.Path(other, "CMakeLists.txt").open("a").write("\n")
        for options, env, error in [
                (["--bogus"], {}, "unknown option: --bogus"),
                ([], {}, "the tree has changes"),
                ([], {"PATH": only_bash}, "missing tool: git")]:
            done = run("scripts/package", *options, cwd=other, env={**os.environ, **env})
            self.assertNotEqual(done.returncode, 0)
            self.assertEqual(len(done.stderr.splitlines()), 1, done.stderr)
            self.assertIn(error, done.stderr)
        run("git", "checkout", "CMakeLists.txt", cwd=other)
        done = run("scripts/package", "--sign", SIGNED["pfx"], cwd=other,
                   env={**os.environ, "VARNEL_SIGN_PASSWORD": "wrong"})
        self.assertNotEqual(done.returncode, 0)
        self.assertRegex(done.stderr, r"^package: cannot sign varnel.exe with .*test.pfx: .+\n$")
        self.assertEqual(files_in(os.path.join(other, "dist")), before, "no half-made dist/")


class Installer(unittest.TestCase):
    """The installer under Wine; paths inside the prefix as Windows gives them."""

    def unix(self, s, path):
        return os.path.join(s.prefix, "drive_c", *path[3:].split("\\"))

    def reg(self, s, key, root="HKCU"):
        """A key's values as text; None when it is missing."""
        status, out = s.tool("reg", "query", f"{root}\\{key}")
        return dict(re.findall(r"^ {4}(\S+) +REG_\w+ +(.*\S)$", out, re.M)) if status == 0 else None

    def install(self, s, setup, *options):
        """Runs setup.exe from a folder of its own (beside a preset, when given); returns the
        installed folder's Linux path."""
        self.assertEqual(s.tool(setup, *options)[0], 0)

    def user_dir(self, s):
        users = os.path.join(s.prefix, "drive_c", "users")
        return next(u for u in os.listdir(users) if u != "Public")

    def test_install_upgrade_and_uninstall_for_one_user(self):
        built, signed = BUILT[ARCH], SIGNED
        relay = ["shell32.Shell_NotifyIconW", "user32.UnregisterHotKey"]
        with Session(self.id(), relay=relay) as s:
            self.install(s, built["setup"], "/S")
            folder = f"C:\\users\\{self.user_dir(s)}\\AppData\\Local\\Programs\\Varnel"
            exe, unix = folder + "\\" + EXE, self.unix(s, folder)
            self.assertEqual(sorted(os.listdir(unix)), ["uninstall.exe", "varnel.exe", "图标.ico"])
            self.assertEqual(pathlib.Path(unix, EXE).read_bytes(),
                             zipfile.ZipFile(built["zip"]).read("Varnel/varnel.exe"))
            programs = f"C:\\users\\{self.user_dir(s)}\\AppData\\Roaming\\Microsoft\\Windows\\" \
                       "Start Menu\\Programs\\Varnel.lnk"
            self.assertTrue(os.path.isfile(self.unix(s, programs)))
            entry = s.wait_for(lambda: self.reg(s, UNINSTALL_KEY), WAIT, "the uninstall entry")
            size = entry.pop("EstimatedSize")
            self.assertEqual(entry, {
                "DisplayIcon": exe, "DisplayName": "Varnel", "DisplayVersion": "1.5",
                "InstallLocation": folder, "NoModify": "0x1", "NoRepair": "0x1",
                "UninstallString": f'"{folder}\\uninstall.exe"',
                "QuietUninstallString": f'"{folder}\\uninstall.exe" /S'})
            self.assertGreater(int(size, 16), 100, "KB")
            self.assertEqual(s.windows(), [], "a silent install starts nothing")

            # The first start: the defaults beside the exe, the configuration window.
            s.data_dir = unix
            old = s.start(os.path.join(unix, EXE))
            s.close(s.wait_window(text=WIZARD))
            handle = s.wait_start_up()
            # The user's own icon and a line added in Notepad; then the upgrade (to the signed
            # build), the program running: ended through WM_CLOSE, started again afterwards,
            # which writes its new handle and takes a new snapshot of its window.
            pathlib.Path(unix, "图标.ico").write_bytes(b"\0\0\1\0mine")
            with open(os.path.join(unix, SETTINGS), "ab") as f:
                f.write("[笔记]\r\n备注=我的\r\n".encode("gbk"))
            names = ("关机时间.ini", "常用热键.txt", "图标.ico")
            kept = lambda: {n: re.sub(r"窗口句柄=\d+".encode("gbk"), b"",
                                      pathlib.Path(unix, n).read_bytes()) for n in names}
            before = kept()
            self.install(s, signed["setup"], "/S")
            self.assertEqual(old.wait(WAIT), 0, "ended by WM_CLOSE: no TerminateProcess")
            self.assertEqual([c.args[0] for c in s.relay_calls("Shell_NotifyIconW")], [0, 2])
            self.assertEqual(len(s.relay_calls("UnregisterHotKey")), 4)
            s.wait_for(lambda: s.setting("句柄", "窗口句柄") not in (None, str(handle)), WAIT,
                       "the program started again")
            again = s.wait_window(cls="VarnelWindow", visible=None)
            self.assertEqual(kept(), before)
            self.assertTrue(os.path.isfile(os.path.join(unix, "窗口.bmp")))
            self.assertEqual(pathlib.Path(unix, EXE).read_bytes(),
                             zipfile.ZipFile(signed["zip"]).read("Varnel/varnel.exe"))
            for name in (EXE, "uninstall.exe"):
                self.assertTrue(verified(os.path.join(unix, name), CERT), name)
            self.assertEqual(self.reg(s, UNINSTALL_KEY)["DisplayVersion"], "1.5")

            # Uninstalled with the program running: the start-with-Windows value naming it goes,
            # another copy's stays, and so do the user's settings in the profile.
            s.tool("reg", "add", f"HKCU\\{RUN_KEY}", "/v", "devora", "/d", f'"{exe}"', "/f")
            other = '"C:\\Other\\varnel.exe"'
            s.tool("reg", "add", f"HKLM\\{RUN_KEY}", "/v", "devora", "/d", other, "/f")
            profile = self.unix(s, f"C:\\users\\{self.user_dir(s)}\\AppData\\Roaming\\Varnel")
            os.makedirs(profile)
            pathlib.Path(profile, SETTINGS).write_bytes(b"[x]\r\n")
            status, _ = s.tool(self.unix(s, folder + "\\uninstall.exe"), "/S")
            self.assertEqual(status, 0)
            s.wait_for(lambda: not os.path.exists(unix), WAIT, "the folder removed")
            self.assertFalse(os.path.exists(self.unix(s, programs)))
            self.assertIsNone(self.reg(s, UNINSTALL_KEY))
            self.assertEqual([s.run_value(f"{root}\\{RUN_KEY}") for root in ("HKCU", "HKLM")],
                             [None, other])
            self.assertEqual(os.listdir(profile), [SETTINGS])
            self.assertFalse(s.window(handle=again["handle"], visible=None), "ended first")

    def test_preset_settings_for_all_users(self):
        preset = settings_text(scenario_settings(隐藏启动=False))
        hour, minute = re.search(r"小时=(\d+)\r\n分钟=(\d+)", preset).groups()
        with Session(self.id()) as s:
            setup_dir = os.path.join(s.dir, "share")
            os.mkdir(setup_dir)
            setup = shutil.copy(BUILT[ARCH]["setup"], setup_dir)
            pathlib.Path(setup_dir, SETTINGS).write_bytes(preset.encode("gbk"))
            self.install(s, setup, "/ALLUSERS", "/S")
            entry = self.reg(s, UNINSTALL_KEY, "HKLM")
            folder = entry["InstallLocation"]
            self.assertRegex(folder, r"^C:\\Program Files( \(x86\))?\\Varnel$")
            self.assertEqual(entry["QuietUninstallString"], f'"{folder}\\uninstall.exe" /ALLUSERS /S')
            self.assertIsNone(self.reg(s, UNINSTALL_KEY))
            unix = self.unix(s, folder)
            self.assertEqual(pathlib.Path(unix, SETTINGS).read_bytes(), preset.encode("gbk"))
            self.assertEqual(s.windows(), [], "an all-users install never starts the program")

            s.data_dir = unix
            s.start(os.path.join(unix, EXE))
            s.wait_start_up()
            main = s.window(cls="VarnelWindow")
            self.assertIn(f"关机时间为{hour}:{minute}",
                          [c["text"] for c in __import__("harness").controls(main)])
            self.assertIsNone(s.window(text=WIZARD, visible=None), "no configuration window")
            # Installed again with another preset beside it: the user's file stays.
            pathlib.Path(setup_dir, SETTINGS).write_bytes(b"[x]\r\n")
            before = pathlib.Path(unix, SETTINGS).read_bytes()
            self.install(s, setup, "/ALLUSERS", "/S")
            self.assertEqual(pathlib.Path(unix, SETTINGS).read_bytes(), before)


if __name__ == "__main__":
    unittest.main(verbosity=2)
