#!/usr/bin/env python3
"""Checks what codeburg-cli writes for CI tools with the tools' own readers.

usage: ci_formats_check.py CLI SOURCE_TREE

Builds a copy of SOURCE_TREE (googletest) and a pair of small trees with
every kind of change, then: validates the SARIF with the SARIF authors'
validator (@microsoft/sarif-multitool, installed with npm into a cache
folder), reads the JUnit and Checkstyle XML back with xml.etree, and checks
the keys GitLab requires of Code Quality reports. Exits 77 (skipped) only when
the npm registry cannot be reached.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SKIP = 77
CACHE = os.path.join(os.environ.get("XDG_CACHE_HOME", os.path.expanduser("~/.cache")),
                     "codeburg-npm")
VALIDATOR = os.path.join(CACHE, "node_modules", "@microsoft", "sarif-multitool-linux",
                         "Sarif.Multitool")


def fail(text):
    print("FAIL: " + text)
    sys.exit(1)


def run(args, ok=(0,)):
    r = subprocess.run(args, capture_output=True, text=True)
    if r.returncode not in ok:
        fail("%s exited %d\n%s%s" % (" ".join(args), r.returncode, r.stdout, r.stderr))
    return r


def install_validator():
    if os.path.exists(VALIDATOR):
        return
    if not shutil.which("npm"):
        fail("npm is missing; scripts/deps.sh installs it")
    os.makedirs(CACHE, exist_ok=True)
    r = subprocess.run(["npm", "install", "--no-audit", "--no-fund", "--prefix", CACHE,
                        "@microsoft/sarif-multitool"], capture_output=True, text=True)
    if r.returncode != 0:
        text = r.stdout + r.stderr
        offline = any(code in text for code in
                      ("ENOTFOUND", "EAI_AGAIN", "ETIMEDOUT", "ECONNREFUSED", "ENETUNREACH",
                       "ECONNRESET"))
        if offline:
            print("SKIPPED: the npm registry cannot be reached, so the SARIF validator "
                  "cannot be installed:\n" + text)
            sys.exit(SKIP)
        fail("npm install @microsoft/sarif-multitool failed:\n" + text)
    # The package makes its binary executable in a script npm may not run.
    os.chmod(VALIDATOR, 0o755)


def validate_sarif(path, work):
    log = os.path.join(work, "validation.sarif")
    if os.path.exists(log):
        os.remove(log)
    env = dict(os.environ, DOTNET_SYSTEM_GLOBALIZATION_INVARIANT="1")
    r = subprocess.run([VALIDATOR, "validate", path, "-o", log], capture_output=True, text=True,
                       env=env)
    if r.returncode != 0 or not os.path.exists(log):
        fail("the validator failed on %s:\n%s%s" % (path, r.stdout, r.stderr))
    with open(log) as f:
        results = [res for run_ in json.load(f)["runs"] for res in run_.get("results", [])]
    errors = [res for res in results if res.get("level") == "error"]
    if errors:
        fail("%d SARIF errors in %s:\n%s" % (len(errors), path, r.stdout))


def check_junit(path, methods, findings):
    root = ET.parse(path).getroot()
    cases = root.findall("./testsuite/testcase")
    failing = [c for c in cases if c.find("failure") is not None]
    failures = sum(len(c.findall("failure")) for c in cases)
    if root.tag != "testsuites" or int(root.get("tests")) != len(cases):
        fail("junit: the totals do not match the test cases")
    if len([c for c in cases if c.get("name") != "(file)"]) != methods:
        fail("junit: %d method test cases for %d methods" % (len(cases), methods))
    if failures != findings or int(root.get("failures")) != len(failing):
        fail("junit: %d failures for %d findings" % (failures, findings))


def check_checkstyle(path, findings):
    root = ET.parse(path).getroot()
    errors = root.findall("./file/error")
    if root.tag != "checkstyle" or len(errors) != findings:
        fail("checkstyle: %d errors for %d findings" % (len(errors), findings))
    for e in errors:
        if e.get("severity") != "warning" or not e.get("message") or not e.get("source"):
            fail("checkstyle: an error without severity, message or source")


def check_codeclimate(path, findings):
    with open(path) as f:
        issues = json.load(f)
    if len(issues) != findings:
        fail("codeclimate: %d issues for %d findings" % (len(issues), findings))
    for issue in issues:
        for key in ("description", "check_name", "fingerprint", "severity"):
            if not isinstance(issue.get(key), str) or not issue[key]:
                fail("codeclimate: an issue without " + key)
        if not issue["location"]["path"] or issue["location"]["lines"]["begin"] < 1:
            fail("codeclimate: an issue without location")
    if len({i["fingerprint"] for i in issues}) != len(issues):
        fail("codeclimate: fingerprints are not unique")


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def changed_trees(work):
    """Two builds with files and methods added, removed, changed and kept."""
    kept = "int keep(int a)\n{\n    a += 1;\n    a += 2;\n    return a;\n}\n"
    grows = "int grow(int a, int b)\n{\n    a += b;\n    a += 2;\n    return a;\n}\n"
    gone = "int gone(int a)\n{\n    a += 1;\n    a += 2;\n    return a;\n}\n"
    write(work + "/old/src/a.cpp", kept + grows + gone)
    write(work + "/old/src/removed.cpp", gone.replace("gone", "lost"))
    write(work + "/new/src/a.cpp", "#include <moved.h>\n\n" + kept +
          grows.replace("return a;", "a *= 3;\n    return a;") +
          "int fresh(int a, int b, int c)\n{\n    a += b;\n    a += c;\n    return a;\n}\n")
    write(work + "/new/src/added file.cpp", "int other(int a)\n{\n    a += 4;\n    a += 5;\n"
          "    return a;\n}\n")


def main():
    cli, source = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix="codeburg-ci-")
    try:
        install_validator()
        tree = os.path.join(work, "gt")
        shutil.copytree(source, tree, symlinks=True)
        common = ["--ext", "cc,h,cpp", "--exclude-files", "", "--max-params", "3",
                  "--min-comments", "20"]
        run([cli, "build", tree, "--name", "gt", "--force"] + common)
        cbb = os.path.join(tree, "gt.cbb")
        outputs = {}
        for fmt in ("sarif", "junit", "checkstyle", "codeclimate", "csv"):
            outputs[fmt] = os.path.join(work, "gt." + fmt)
            run([cli, "show", cbb, "--format", fmt, "--output", outputs[fmt], "--max-params", "3",
                 "--min-comments", "20"])
        with open(outputs["sarif"]) as f:
            findings = len(json.load(f)["runs"][0]["results"])
        with open(outputs["csv"]) as f:
            methods = len(f.read().splitlines()) - 1
        if findings == 0 or methods == 0:
            fail("googletest gave %d findings of %d methods" % (findings, methods))
        validate_sarif(outputs["sarif"], work)
        check_junit(outputs["junit"], methods, findings)
        check_checkstyle(outputs["checkstyle"], findings)
        check_codeclimate(outputs["codeclimate"], findings)

        changed_trees(work)
        sarif = os.path.join(work, "diff.sarif")
        run([cli, "diff", work + "/old", work + "/new", "--format", "sarif", "--output", sarif,
             "--linecount", "2", "--max-params", "2"])
        with open(sarif) as f:
            states = {r.get("baselineState") for r in json.load(f)["runs"][0]["results"]}
        if states != {"new", "unchanged", "updated"}:
            fail("the diff's SARIF has the baseline states %s" % sorted(map(str, states)))
        validate_sarif(sarif, work)
        diff = json.loads(run([cli, "diff", work + "/old", work + "/new", "--json"]).stdout)
        kinds = {(m["methodName"], m["change"]) for m in diff["methods"]}
        expected = {("grow", "changed"), ("gone", "removed"), ("fresh", "added"),
                    ("lost", "removed"), ("other", "added")}
        if kinds != expected:
            fail("diff found %s" % sorted(kinds))
        print("ok: %d methods, %d findings on googletest; SARIF valid" % (methods, findings))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
