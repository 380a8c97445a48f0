#!/usr/bin/env python3
"""Opens what `codeburg-cli report` and `export` write in the programs others
will open them with: the report in headless Chromium (no console errors, a
column sorted through the page's own header buttons), the model in the
Khronos glTF validator (no errors, no warnings).

usage: report_outputs_test.py CLI (browser | gltf) WORKDIR
Exit 77 (skipped) only when the validator cannot be fetched for want of a
network; a missing Chromium is a failure, since scripts/deps.sh installs it.
"""
import html.parser
import json
import os
import shutil
import subprocess
import sys
import tempfile

VALIDATOR = "gltf-validator@2.0.0-dev.3.10"


def make_project(root):
    """A few files whose methods differ in length, so a sort shows."""
    src = os.path.join(root, "demo")
    os.makedirs(src, exist_ok=True)
    for f, sizes in {"shape.cpp": [3, 30, 9], "grid.cpp": [12, 1], "io.cpp": [50, 7, 21, 4]}.items():
        with open(os.path.join(src, f), "w") as out:
            for i, n in enumerate(sizes):
                out.write("int %s_%d(int a, int b)\n{\n    // step\n" % (f[:-4], i))
                out.write("    a = a + b;\n" * n)
                out.write("    return a;\n}\n\n")
    return src


class Rows(html.parser.HTMLParser):
    """Collects the cell texts of one table's body."""

    def __init__(self, table_id):
        super().__init__()
        self.table_id, self.inside, self.in_body = table_id, False, False
        self.rows, self.cell, self.attrs_of_body = [], None, {}
        self.body_attrs = {}

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "body":
            self.body_attrs = a
        if tag == "table" and a.get("id") == self.table_id:
            self.inside = True
        elif self.inside and tag == "tbody":
            self.in_body = True
        elif self.in_body and tag == "tr":
            self.rows.append([])
        elif self.in_body and tag == "td":
            self.cell = ""

    def handle_endtag(self, tag):
        if tag == "table":
            self.inside = self.in_body = False
        elif tag == "td" and self.cell is not None:
            self.rows[-1].append(self.cell)
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


def run_cli(cli, *args):
    run = subprocess.run([cli, *args], capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit("codeburg-cli %s failed (%d): %s" % (args[0], run.returncode, run.stderr))


def browser(cli, work):
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        sys.exit("chromium is not installed; scripts/deps.sh installs it")
    page = os.path.join(work, "report.html")
    run_cli(cli, "report", make_project(work), page)
    # Two clicks on "Eloc": ascending, then the same column again, descending.
    url = "file://" + page + "#sort=methods:4,methods:4&filter=files:o"
    run = subprocess.run(
        [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
         "--user-data-dir=" + os.path.join(work, "profile"), "--enable-logging=stderr",
         "--v=0", "--virtual-time-budget=2000", "--dump-dom", url],
        capture_output=True, text=True, timeout=120)
    if run.returncode != 0:
        sys.exit("chromium failed (%d): %s" % (run.returncode, run.stderr[-2000:]))
    console = [l for l in run.stderr.splitlines() if "CONSOLE" in l or "Uncaught" in l]
    if console:
        sys.exit("the page wrote to the console:\n" + "\n".join(console))
    methods = Rows("methods-table")
    methods.feed(run.stdout)
    if methods.body_attrs.get("data-ready") != "1":
        sys.exit("the page's script did not run to its end")
    elocs = [int(r[4]) for r in methods.rows]
    if len(elocs) != 9 or elocs != sorted(elocs, reverse=True):
        sys.exit("methods not sorted by eloc, descending: %s" % elocs)
    files = Rows("files-table")
    files.feed(run.stdout)
    names = [r[0] for r in files.rows]
    # The filter keeps names with an "o" (and TOTAL, always last).
    if names != ["io.cpp", "TOTAL"]:
        sys.exit("files filter or TOTAL row wrong: %s" % names)
    print("report sorted and filtered in chromium, no console messages")


def gltf(cli, work):
    node = shutil.which("nodejs") or shutil.which("node")
    if not node:
        sys.exit("nodejs is not installed; scripts/deps.sh installs it")
    model = os.path.join(work, "city.glb")
    run_cli(cli, "export", make_project(work), model)
    prefix = os.environ.get("CODEBURG_NPM_PREFIX", os.path.join(work, "npm"))
    module = os.path.join(prefix, "node_modules", "gltf-validator")
    if not os.path.isdir(module):
        npm = subprocess.run(["npm", "install", "--prefix", prefix, "--no-audit", "--no-fund",
                              "--loglevel=error", VALIDATOR],
                             capture_output=True, text=True, timeout=300)
        if npm.returncode != 0:
            reachable = subprocess.run(["npm", "ping"], capture_output=True, timeout=60)
            if reachable.returncode != 0:
                print("SKIPPED: the npm registry is unreachable, so %s cannot be fetched"
                      % VALIDATOR)
                sys.exit(77)
            sys.exit("npm install %s failed: %s" % (VALIDATOR, npm.stderr))
    script = ("const v=require(%s);const fs=require('fs');"
              "v.validateBytes(new Uint8Array(fs.readFileSync(%s)))"
              ".then(r=>console.log(JSON.stringify(r.issues)),"
              "e=>{console.error(e);process.exit(1)});") % (json.dumps(module), json.dumps(model))
    run = subprocess.run([node, "-e", script], capture_output=True, text=True, timeout=120)
    if run.returncode != 0:
        sys.exit("the validator failed: " + run.stderr)
    issues = json.loads(run.stdout)
    if issues["numErrors"] or issues["numWarnings"]:
        sys.exit("validator: %d errors, %d warnings: %s" % (
            issues["numErrors"], issues["numWarnings"], json.dumps(issues["messages"][:10])))
    print("glTF valid: 0 errors, 0 warnings, %d infos" % issues["numInfos"])


def main():
    cli, which, work = sys.argv[1], sys.argv[2], sys.argv[3]
    os.makedirs(work, exist_ok=True)
    with tempfile.TemporaryDirectory(dir=work) as tmp:
        {"browser": browser, "gltf": gltf}[which](os.path.abspath(cli), tmp)


if __name__ == "__main__":
    main()
