"""The settings file's reader and writer against Windows' profile functions (tools/inicheck.cpp)."""

import json
import os
import shutil
import unittest

from harness import Session

MISSING = "@missing@"  # what tools/inicheck.cpp reads for an absent key


def show(report):
    for case in report["cases"]:
        bad = [e for e in case["reads"] + case["after_writes"] if not e["agree"]]
        print(f"- {case['name']}: {'agree' if not bad else f'{len(bad)} disagreements'}"
              f"{'' if case['same_bytes'] else ', files differ in layout'}")
        for e in bad:
            print(f"    [{e['section']}] {e['key']}: {e['values']}")
        if not case["same_bytes"]:
            print(f"    written by us:      {case['written_by_us']}")
            print(f"    written by Windows: {case['written_by_windows']}")


class IniCrossCheck(unittest.TestCase):
    def test_settings_file_reads_and_writes_like_windows(self):
        with Session(self.id(), display=False) as s:
            tool = os.path.join(s.app_dir, "inicheck.exe")
            shutil.copy(os.path.join(os.environ["VARNEL_E2E_TOOLS"], "inicheck.exe"), tool)
            status, out = s.tool(tool)
            s.mark("check")
            report = json.loads(out)
            show(report)
            self.assertGreater(len(report["cases"]), 10)
            for case in report["cases"]:
                # Agreement on "missing" everywhere would prove nothing.
                found = [e for e in case["after_writes"] if e["values"][0] != MISSING]
                self.assertTrue(found, f"{case['name']}: nothing read back after the writes")
            self.assertEqual(report["disagreements"], 0)
            self.assertEqual(status, 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
