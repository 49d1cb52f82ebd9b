#!/usr/bin/env python3
"""Counts the test cases in GoogleTest's XML reports (one per program or
shard, written by the Windows test run) and lists every skipped case with
its reason, so a run under Wine says what it covered.
Usage: tools/gtest-summary.py DIR"""
import glob
import os
import sys
import xml.etree.ElementTree as ET

run = skipped = failed = 0
skips = []
reports = sorted(glob.glob(os.path.join(sys.argv[1], "*.xml")))
for path in reports:
    for case in ET.parse(path).getroot().iter("testcase"):
        name = f"{case.get('classname')}.{case.get('name')}"
        if case.find("failure") is not None:
            failed += 1
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            node = case.find("skipped")
            reason = (node.get("message") or "") if node is not None else ""
            skips.append((name, " ".join(reason.split())))
            skipped += 1
        else:
            run += 1
print(f"{run + skipped + failed} test cases in {len(reports)} reports: "
      f"{run} passed, {skipped} skipped, {failed} failed")
for name, reason in skips:
    print(f"  skipped {name}: {reason}")
