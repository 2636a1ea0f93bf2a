"""Arithmetic and layout of the benchmark figures, apart from the measuring so
that it can be checked on its own (test_figures.py)."""

import re
import statistics

# The tick re-arms its timer for (1000 - millisecond + margin) ms, the
# millisecond being the clock's reading at that moment (msUntilNextTick).
TICK_MARGIN_MS = 15


def median(values):
    return statistics.median(values)


def rearm_millisecond(elapse):
    """The millisecond of the clock the tick read when it set its timer for `elapse` ms."""
    return (1000 + TICK_MARGIN_MS - elapse) % 1000


def signed_phase(millisecond):
    """Milliseconds after the nearest second boundary: 990 is 10 ms early, -10."""
    millisecond %= 1000
    return millisecond - 1000 if millisecond >= 500 else millisecond


def wall_millisecond(seconds):
    """The millisecond within its second of a time.time() value."""
    return int(round(seconds * 1000)) % 1000


def worst(values):
    """The value farthest from zero."""
    return max(values, key=abs)


def collected_instructions(callgrind_output):
    """The instruction count from callgrind's "Collected : N" line."""
    found = re.findall(r"Collected\s*:\s*(\d+)", callgrind_output)
    if len(found) != 1:
        raise ValueError(f"no single 'Collected' line in callgrind's output: {callgrind_output!r}")
    return int(found[0])


def per_step(count_a, steps_a, count_b, steps_b):
    """Cost of one step from two runs of different lengths: what both runs share
    (start-up, exit) cancels."""
    if steps_a == steps_b:
        raise ValueError("the two runs need different step counts")
    return (count_b - count_a) / (steps_b - steps_a)


def clock_ticks_to_seconds(stat_text, ticks_per_second):
    """utime + stime in seconds from the text of /proc/<pid>/stat."""
    fields = stat_text.rsplit(")", 1)[1].split()
    # After the command's closing parenthesis: state is field 3, utime 14, stime 15.
    return (int(fields[11]) + int(fields[12])) / ticks_per_second


def verdict(value, limit):
    """"pass" when value stays under limit, "miss" otherwise, "—" without a target."""
    if limit is None or value is None:
        return "—"
    return "pass" if value < limit else "miss"


def markdown_table(rows):
    """rows: dicts with figure, value, target, result, method."""
    header = ("Figure", "Measured", "Target", "Result", "How")
    keys = ("figure", "value", "target", "result", "method")
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    for row in rows:
        cells = [str(row.get(k, "")).replace("|", "\\|").replace("\n", " ") for k in keys]
        lines.append("| " + " | ".join(cells) + " |")
    return "\n".join(lines)
