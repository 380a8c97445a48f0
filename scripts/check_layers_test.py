#!/usr/bin/env python3
"""Runs check_layers.py on small made-up trees: a clean one passes, an upward
include, a cycle between siblings and an unplaced folder each fail."""
import os
import subprocess
import sys
import tempfile

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_layers.py")


def run(files):
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as f:
                f.write(text)
        result = subprocess.run([sys.executable, CHECKER, root], capture_output=True, text=True)
        return result.returncode, result.stdout


CLEAN = {
    "platform/a.h": "#pragma once\n",
    "records/b.h": '#include "platform/a.h"\n',
    "city/c.cpp": '#include "records/b.h"\n#include "city_moc.moc"\n',
    "city/render/d.cpp": '#include "city/c.h"\n',
}


def main():
    failures = []

    def expect(name, files, code, text):
        got, out = run(files)
        if got != code or text not in out:
            failures.append(f"{name}: exit {got}, output:\n{out}")

    expect("clean", CLEAN, 0, "0 cycles, 0 upward includes")
    expect("upward", {**CLEAN, "records/e.cpp": '#include "city/c.h"\n'}, 1,
           "upward include: records -> city")
    expect("sibling", {**CLEAN, "cli/f.cpp": '#include "app/g.h"\n', "app/g.h": ""}, 1,
           "upward include: cli -> app")
    expect("cycle", {**CLEAN, "records/e.cpp": '#include "city/c.h"\n'}, 1,
           "folder cycle: city <-> records")
    expect("unplaced", {**CLEAN, "extra/h.cpp": '#include "platform/a.h"\n'}, 1,
           "folder not placed in a layer: extra")
    for failure in failures:
        print(failure)
    print(f"{5 - len(failures)} of 5 cases passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
