"""Damaged and hand-edited settings files, each with what start-up must make of it.

Every entry's expectation comes from the reading rules of the settings file (first
section and first key of a name win, blanks and quotes around values go, a value ends
at a NUL, a lone CR or LF ends a line, only the exact text "真" is on, text to number
reads the leading decimal, truncates and clamps to 32 bits) and from the start-up
sequence; the numbers below are worked out from those rules by hand.

`changed_lines` compares a file before and after start-up: only the keys start-up
writes may change, and the lines of sections it adds may appear.
"""

import random
import re
from dataclasses import dataclass, field

from defaults import scenario_settings

# RegisterHotKey's modifier flags, each with MOD_NOREPEAT: a held key is not pressed again
CTRL, ALT, SHIFT = (0x4000 | m for m in (0x2, 0x1, 0x4))
INT32_MAX, INT32_MIN = 2**31 - 1, -2**31
CORNER = (785, 566)  # 1024 x 768 screen, 229 x 152 window
DESIGN = (50, 50)    # where the main window is created
DEFAULT_BINDINGS = [(CTRL, 9), (CTRL, 10), (CTRL, 11), (CTRL, 8)]
NO_BINDINGS = [None] * 4
BOM = b"\xef\xbb\xbf"
MARKS = {"utf-8": BOM, "utf-16-le": b"\xff\xfe"}  # byte-order marks by encoding

HANDLE = ("句柄", "窗口句柄")
STYLE = ("倒计时窗口样式", "样式")
LEFT = ("窗口位置", "1")
TOP = ("窗口位置", "2")


@dataclass
class Expect:
    """What start-up reads from the file. A binding is (modifier flag, key index) or
    None when key "1" is not exactly "0", "1" or "2" (no registration is tried)."""
    bindings: list = field(default_factory=lambda: list(DEFAULT_BINDINGS))
    hidden: bool = False
    tray: bool = True
    wizard: bool = False        # hour below 1 or above 23: opened, not modal
    position: tuple = CORNER    # the main window at the end of start-up
    writable: bool = True       # the program can read and replace the file

    def written(self):
        """The keys start-up writes, with their values ("handle" for the window's)."""
        if not self.writable:
            return {}
        keys = {HANDLE: "handle", STYLE: "1"}
        if self.position[0] == CORNER[0]:
            keys[LEFT] = str(CORNER[0])
        if self.position[1] == CORNER[1]:
            keys[TOP] = str(CORNER[1])
        return keys


@dataclass
class Entry:
    slug: str        # directory name
    what: str
    data: bytes      # the file's bytes (unused for the directory)
    expect: Expect
    kind: str = "file"  # file, read-only, hidden-system, directory
    encoding: str = "gbk"


# --- building files ---------------------------------------------------------


def rows(sections=None):
    """The scenario defaults (hour far from now) as [[section, [[key, value]...]]...],
    with the changes {section: {key: value}}; new sections and keys go last."""
    table = [[section, [list(kv) for kv in keys]] for section, keys in scenario_settings()]
    for section, keys in (sections or {}).items():
        found = next((r for r in table if r[0] == section), None)
        if found is None:
            found = [section, []]
            table.append(found)
        for key, value in keys.items():
            pair = next((kv for kv in found[1] if kv[0] == key), None)
            if pair is None:
                found[1].append([key, value])
            else:
                pair[1] = value
    return table


def text(table, eol="\r\n"):
    lines = []
    for section, keys in table:
        lines.append(f"[{section}]")
        lines.extend(f"{k}={v}" for k, v in keys)
    return eol.join(lines) + eol


def gbk(s):
    return s.encode("gbk")


def hour_of(table):
    return next(v for s, keys in table if s == "关机时间" for k, v in keys if k == "小时")


def junk(size, seed):
    return random.Random(seed).randbytes(size)


def ten_megabytes():
    line = gbk("说明=这一行是用户自己写的备注，程序不读它。" + "文字" * 20) + b"\r\n"
    count = 10 * 1024 * 1024 // len(line) + 1
    return gbk("[备注]\r\n") + line * count


# --- the corpus ---------------------------------------------------------------


def corpus():
    custom = rows(sections={"隐藏启动": {"是": "真"},
                            "打开软件配置程序": {"1": "1", "2": "1"},
                            "显示或隐藏窗口": {"1": "1", "2": "2"},
                            "退出程序": {"1": "1", "2": "3"},
                            "热键关机": {"1": "1", "2": "4"}})
    custom_bindings = [(ALT, 1), (ALT, 2), (ALT, 3), (ALT, 4)]
    shifted = rows(sections={"打开软件配置程序": {"1": "2", "2": "0"},
                             "显示或隐藏窗口": {"1": "2", "2": "1"},
                             "退出程序": {"1": "2", "2": "2"},
                             "热键关机": {"1": "2", "2": "3"}})
    shifted_bindings = [(SHIFT, 0), (SHIFT, 1), (SHIFT, 2), (SHIFT, 3)]
    hour = hour_of(rows())
    entries = [
        Entry("absent", "no file: first start, the defaults and the modal configuration window",
              None, Expect(), kind="absent"),
        Entry("empty", "an empty file: every key reads as missing", b"",
              Expect(bindings=NO_BINDINGS, tray=False, wizard=True)),
        Entry("junk", "8 KB of binary junk, then settings: the settings behind it are read",
              junk(8192, 6) + b"\r\n" + gbk(text(custom)),
              Expect(bindings=custom_bindings, hidden=True)),
        Entry("ten-mb", "10 MB of notes before the settings",
              ten_megabytes() + gbk(text(shifted)), Expect(bindings=shifted_bindings)),
        Entry("bom", "UTF-8 with a byte-order mark, as Notepad saves it: read as UTF-8",
              BOM + text(custom).encode("utf-8"), Expect(bindings=custom_bindings, hidden=True),
              encoding="utf-8"),
        Entry("utf-16", "UTF-16LE with a byte-order mark, as Notepad saves \"Unicode\", an "
              "unpaired surrogate in a note: read and written as UTF-16",
              MARKS["utf-16-le"] + (text(custom) + "[备注]\r\n说明=\udc00\r\n").encode(
                  "utf-16-le", "surrogatepass"),
              Expect(bindings=custom_bindings, hidden=True), encoding="utf-16-le"),
        Entry("lf", "LF line ends only", gbk(text(rows(sections={
            "退出程序": {"2": "6"}, "显示托盘图标": {"是": "假"}}), eol="\n")),
              Expect(bindings=[(CTRL, 9), (CTRL, 10), (CTRL, 6), (CTRL, 8)], tray=False)),
        Entry("cr", "lone CR line ends (an old Mac editor)", gbk(text(rows(sections={
            "显示或隐藏窗口": {"1": "2"}, "隐藏启动": {"是": "真"}}), eol="\r")),
              Expect(bindings=[(CTRL, 9), (SHIFT, 10), (CTRL, 11), (CTRL, 8)], hidden=True)),
        Entry("duplicates", "sections and keys twice: the first of a name wins, "
              "writes go to the first and the second copies stay", gbk(
                  "[打开软件配置程序]\r\n1=2\r\n2=1\r\n1=0\r\n2=9\r\n"
                  "[热键关机]\r\n1=1\r\n2=4\r\n"
                  "[窗口位置]\r\n1_1=1024\r\n"
                  "[句柄]\r\n窗口句柄=1\r\n"
                  "[倒计时窗口样式]\r\n样式=3\r\n样式=2\r\n"
                  + text(rows(sections={"隐藏启动": {"是": "真"}})) +
                  "[热键关机]\r\n1=0\r\n2=8\r\n"
                  "[窗口位置]\r\n1=111\r\n2=222\r\n1_1=785\r\n2_1=566\r\n"
                  "[句柄]\r\n窗口句柄=2\r\n"
                  "[隐藏启动]\r\n是=假\r\n"),
              Expect(bindings=[(SHIFT, 1), (CTRL, 10), (CTRL, 11), (ALT, 4)], hidden=True)),
        Entry("huge", "huge numbers: clamped to 32 bits, exponents not read", gbk(text(rows(
            sections={"打开软件配置程序": {"2": "99999999999999999999"},
                      "显示或隐藏窗口": {"2": "1e999"},
                      "退出程序": {"2": "10.99"},
                      "关机时间": {"小时": "9" * 30},
                      "窗口位置": {"1_1": "1" + "0" * 400, "2_1": "566.9999"}}))),
              # 2_1 reads 566, the corner's top: the top stays where it was created.
              Expect(bindings=[(CTRL, INT32_MAX), (CTRL, 1), (CTRL, 10), (CTRL, 8)],
                     wizard=True, position=(CORNER[0], DESIGN[1]))),
        Entry("negative", "negative numbers", gbk(text(rows(
            sections={"打开软件配置程序": {"2": "-1"},
                      "显示或隐藏窗口": {"2": "-113"},
                      "退出程序": {"1": "-0"},
                      "热键关机": {"2": "-2147483649"},
                      "关机时间": {"分钟": "-5"},
                      "窗口位置": {"1_1": "-785", "2_1": "-0"}}))),
              Expect(bindings=[(CTRL, -1), (CTRL, -113), None, (CTRL, INT32_MIN)])),
        Entry("nan", '"nan" and "inf" read as 0', gbk(text(rows(
            sections={"倒记时5分钟提示": {"是": "假"},  # hour 0: keep the schedule quiet
                      "打开软件配置程序": {"2": "nan"},
                      "显示或隐藏窗口": {"1": "1", "2": "inf"},
                      "退出程序": {"1": "NaN"},
                      "热键关机": {"1": "2", "2": "-nan"},
                      "关机时间": {"小时": "nan", "分钟": "inf"},
                      "窗口位置": {"1_1": "nan", "2_1": "inf"}}))),
              Expect(bindings=[(CTRL, 0), (ALT, 0), None, (SHIFT, 0)], wizard=True)),
        Entry("long", "values and names of thousands of characters", gbk(
            "[" + "长" * 2000 + "]\r\n" + "键" * 3000 + "=" + "值" * 5000 + "\r\n"
            + text(rows(sections={"隐藏启动": {"是": "真" + "假" * 3000},
                                  "打开软件配置程序": {"2": "9" + "x" * 4000},
                                  "显示或隐藏窗口": {"1": "0" * 3000},
                                  "句柄": {"窗口句柄": "7" * 5000},
                                  "备注": {"说明": "很长的说明" * 1000}}))),
              Expect(bindings=[(CTRL, 9), None, (CTRL, 11), (CTRL, 8)])),
        Entry("bad-gbk", "invalid GBK sequences around and inside the settings",
              b"\x80\xff\xfe\x81\r\n" + b"[\xff" + gbk("窗口位置]\r\n1_1=785\r\n")
              + gbk(text(rows(sections={"显示托盘图标": {"是": "X"}}))).replace(
                  gbk("是=X"), b"\xff" + gbk("真"))
              + gbk("[杂项]\r\n键=") + b"\x81\x81\x81\xff\r\n"
              + gbk("[倒计时窗口样式]\r\n样式=") + b"\x81\r\n" + gbk("[尾]\r\n末=关") + b"\xbb\r\n",
              Expect(tray=False)),
        Entry("truncated", "cut off in the middle of a character of its last line",
              gbk(text(rows(sections={"热键关机": {"1": "1", "2": "7"}}))
                  + "[备注]\r\n说明=关") + b"\xbb",
              Expect(bindings=[(CTRL, 9), (CTRL, 10), (CTRL, 11), (ALT, 7)])),
        Entry("nul", "NUL bytes: a name or value ends at the first", gbk(text(rows(
            sections={"隐藏启动": {"是": "真\0假"},
                      "打开软件配置程序": {"2": "1\0" + "2"},
                      "句柄": {"窗口句柄": "12\0" + "34"},
                      "备注": {"说明": "前\0后"}}))) + b"\0\0\0\r\n",
              Expect(bindings=[(CTRL, 1), (CTRL, 10), (CTRL, 11), (CTRL, 8)], hidden=True)),
        Entry("hand-edited", "comments, blanks, tabs, quotes, an inline comment, a key "
              "before any section, text after a section's ']'", gbk(
                  "是=真\r\n; 我改过的\r\n\r\n  [ 隐藏启动 ]  \r\n\t是 \t=  \"真\"  \r\n\r\n"
                  "[退出程序] 旧的\r\n1=1\r\n2= 5\r\n"
                  "[显示或隐藏窗口]\r\n1 = 0\r\n2=\u3000 6\u3000\r\n"
                  "[热键关机]\r\n1 = 2 ; Shift\r\n2 = 3\r\n"
                  "[打开软件配置程序]\r\n1='1'\r\n2=9\r\n"
                  "[显示托盘图标]\r\n是=真\r\n"
                  f"[关机时间]\r\n小时 = {hour}\r\n分钟=0\r\n"
                  "[窗口位置]\r\n1_1 = 1024\r\n2_1=768\r\n"),
              Expect(bindings=[(ALT, 9), (CTRL, 6), (ALT, 5), None], hidden=True)),
        Entry("corner", "the stored screen size equals the corner: the window stays where "
              "it was created and keys 1 and 2 keep their values", gbk(text(rows(
                  sections={"窗口位置": {"1": "12", "2": "34", "1_1": "785.7", "2_1": " 566"}}))),
              Expect(position=DESIGN)),
        Entry("read-only", "read-only: made hidden + system + archive, then written",
              gbk(text(shifted)), Expect(bindings=shifted_bindings), kind="read-only"),
        Entry("hidden-system", "hidden + system: stays so when written",
              gbk(text(custom)), Expect(bindings=custom_bindings, hidden=True),
              kind="hidden-system"),
        Entry("directory", "a directory in place of the file: nothing can be read or written",
              b"", Expect(bindings=NO_BINDINGS, tray=False, wizard=True, writable=False),
              kind="directory"),
    ]
    return entries


# --- comparing a file before and after -----------------------------------------

_BREAK = re.compile(rb"\r\n|\r|\n")
_BLANKS = " \t\v\f\r\n\x1a\u3000"


def split_lines(data):
    """[(body, line end)] with LF, CRLF or a lone CR as line ends."""
    lines, pos = [], 0
    for m in _BREAK.finditer(data):
        lines.append((data[pos:m.start()], m.group()))
        pos = m.end()
    if pos < len(data):
        lines.append((data[pos:], b""))
    return lines


def _parse(body, encoding):
    """("section", name), ("key", name, value or None) or None for other lines."""
    line = body.decode(encoding, errors="surrogateescape").removeprefix("\ufeff")
    line = line.strip(_BLANKS)
    if not line or line.startswith(";"):
        return None
    if line.startswith("["):
        return ("section", line[1:].split("]", 1)[0].strip(_BLANKS).split("\0")[0])
    if "=" not in line:
        return ("key", line.split("\0")[0], None)
    name, value = line.split("=", 1)
    value = value.strip(_BLANKS).split("\0")[0]
    if len(value) >= 2 and value[0] in "\"'" and value[-1] == value[0]:
        value = value[1:-1]
    return ("key", name.strip(_BLANKS).split("\0")[0], value)


def _same(a, b):
    return a.lower() == b.lower()


def locate(lines, keys, encoding):
    """For each (section, key) of `keys`: the index of its line in the first section of
    that name, and the value there; also the indexes of every section header by name."""
    found, headers, seen, section, first = {}, {}, set(), None, False
    for i, (body, _) in enumerate(lines):
        parsed = _parse(body, encoding)
        if parsed is None:
            continue
        if parsed[0] == "section":
            section = parsed[1]
            first = not any(_same(section, s) for s in seen)
            seen.add(section)
            headers.setdefault(section, []).append(i)
            continue
        if section is None or not first:
            continue
        for wanted in keys:
            if (_same(wanted[0], section) and _same(wanted[1], parsed[1])
                    and wanted not in found):
                found[wanted] = (i, parsed[2])
    return found, headers


def changed_lines(before, after, keys, encoding):
    """Lines of `before` that `after` lost or changed, apart from the given keys (and
    the headers of their sections when `before` lacks them); also lines `after` has in
    addition. Returns (problems, {key: value in after})."""
    if encoding == "utf-16-le":  # compared as UTF-8, whose line breaks are the usual bytes
        before, after = (data.decode(encoding, "surrogatepass").encode("utf-8", "surrogatepass")
                         for data in (before, after))
        encoding = "utf-8"
    old, new = split_lines(before), split_lines(after)
    old_keys, old_headers = locate(old, keys, encoding)
    new_keys, new_headers = locate(new, keys, encoding)
    skip_old = {i for i, _ in old_keys.values()}
    skip_new = {i for i, _ in new_keys.values()}
    for section, _ in keys:
        if not any(_same(section, s) for s in old_headers):
            skip_new.update(new_headers.get(section, [])[:1])
    kept_old = [line for i, line in enumerate(old) if i not in skip_old]
    kept_new = [line for i, line in enumerate(new) if i not in skip_new]
    problems = []
    for i in range(max(len(kept_old), len(kept_new))):
        a = kept_old[i] if i < len(kept_old) else None
        b = kept_new[i] if i < len(kept_new) else None
        # The file's unterminated last line may gain a line end when a line follows.
        if a and b and a[0] == b[0] and a[1] == b"" and i == len(kept_old) - 1:
            continue
        if a != b:
            problems.append(f"line {i} of the kept lines: was {a!r:.120}, now {b!r:.120}")
            if len(problems) >= 5:
                break
    return problems, {k: v for k, (_, v) in new_keys.items()}
