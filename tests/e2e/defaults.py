"""The settings file that a first start writes, as the scenarios expect it."""

import time

# Main window 229 x 152 on the 1024 x 768 screen of the harness:
# left 1024 - 229 - 10, top 768 - 152 - 50.
DEFAULT_SETTINGS = [
    ("开机自动运行Varnel", [("是", "假")]),
    ("隐藏启动", [("是", "假")]),
    ("强行关机", [("是", "真")]),
    ("倒记时5分钟提示", [("是", "真")]),
    ("窃入桌面背景中", [("是", "真")]),
    ("显示托盘图标", [("是", "真")]),
    ("程序起动后立刻关机", [("是", "假")]),
    ("关机时间", [("小时", "23"), ("分钟", "0")]),
    ("打开软件配置程序", [("1", "0"), ("2", "9")]),
    ("显示或隐藏窗口", [("1", "0"), ("2", "10")]),
    ("退出程序", [("1", "0"), ("2", "11")]),
    ("热键关机", [("1", "0"), ("2", "8")]),
    ("窗口位置", [("1", "785"), ("2", "566"), ("1_1", "1024"), ("2_1", "768")]),
]


def scenario_settings(**options):
    """The defaults with some on/off options changed, e.g. scenario_settings(强行关机=False),
    and a shutdown hour far from now, so the schedule stays quiet during a scenario."""
    hour = str((time.localtime().tm_hour + 12) % 24 or 1)
    rows = []
    for section, keys in DEFAULT_SETTINGS:
        if section in options:
            keys = [("是", "真" if options.pop(section) else "假")]
        elif section == "关机时间":
            keys = [("小时", hour), ("分钟", "0")]
        rows.append((section, keys))
    if options:
        raise KeyError(f"not an option of the defaults: {sorted(options)}")
    return rows


START_UP_ROOM = 25  # seconds start-up may take before the shutdown minute


def next_shutdown_minute():
    """The nearest minute start that leaves room for start-up: 25 to 85 s from now."""
    now = time.time()
    start = (int(now) // 60 + 1) * 60
    return start if start - now >= START_UP_ROOM else start + 60


def with_shutdown_time(rows, when):
    """The rows with the shutdown time set to the minute of `when` (seconds since the epoch)."""
    local = time.localtime(when)
    time_row = ("关机时间", [("小时", str(local.tm_hour)), ("分钟", str(local.tm_min))])
    return [time_row if section == "关机时间" else (section, keys) for section, keys in rows]
