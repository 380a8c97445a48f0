#!/usr/bin/env python3
"""A second, deliberately plain implementation of the line and method counting
rules, used as a test oracle for the C++ scanner: same input, same figures.

    source_scanner_reference.py [--linecount N] FILE...   prints the JSON of `codeburg-cli scan`
    source_scanner_reference.py --compare CLI FILE...      runs the CLI too; exit 1 on a difference
    source_scanner_reference.py --fuzz CLI N SEED          N random token soups through both

Speed does not matter here; clarity does. Bytes are bytes: no decoding.
"""
import json
import os
import random
import subprocess
import sys
import tempfile

ASSERT_WORDS = {"assert", "_assert", "_asserte", "verify", "xassert", "xassertc", "nvassert",
                "nvassertc", "checknull", "checkptr", "checkcptr", "assert_valid", "assertvalid"}
EXCLUDED = {b"BEGIN_MESSAGE_MAP", b"IMPLEMENT_DYNCREATE", b"IMPLEMENT_DYNAMIC", b"DoDataExchange"}
WORD_BYTES = set(b"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_~")

(END, WORD, SCOPE, OPEN_PAREN, CLOSE_PAREN, OPEN_BRACE, CLOSE_BRACE, COLON, COMMA, NEWLINE,
 LINE_COMMENT, STRING, SEMICOLON, HASH, CHAR, OTHER) = range(16)
SINGLE = {ord("#"): HASH, ord("("): OPEN_PAREN, ord(")"): CLOSE_PAREN, ord(","): COMMA,
          ord(";"): SEMICOLON, ord("{"): OPEN_BRACE, ord("}"): CLOSE_BRACE}


class Tokens:
    def __init__(self, data):
        self.d = data
        self.n = len(data)
        self.pos = 0
        self.word = b""
        self.separator = False
        self.block_comment_lines = 0

    def at(self, i):
        return self.d[i] if 0 <= i < self.n else None

    def line_end(self, i):
        while i < self.n and self.d[i] not in (10, 13):
            i += 1
        return i

    def comment_text(self):
        end = self.line_end(self.pos)
        text = self.d[self.pos:end]
        self.separator = all(b == text[0] for b in text) if text else True
        self.pos = end

    def literal(self, quote):
        i = self.pos + 1
        while i < self.n:
            if self.d[i] == quote and not (self.d[i - 1] == 92 and self.d[i - 2] != 92):
                self.pos = i + 1
                return
            i += 1
        self.pos = self.n

    def next(self):
        while True:
            while self.pos < self.n and self.d[self.pos] in (32, 9):
                self.pos += 1
            if self.pos >= self.n:
                return END
            c = self.d[self.pos]
            nxt = self.at(self.pos + 1)
            if c == 10:
                self.pos += 1
                return NEWLINE
            if c == 13:
                self.pos += 2 if nxt == 10 else 1
                return NEWLINE
            if c == 34:
                self.literal(34)
                return STRING
            if c == 39:
                self.literal(39)
                return CHAR
            if c in SINGLE:
                self.pos += 1
                return SINGLE[c]
            if c == 47 and nxt == 47:
                self.pos += 2
                self.comment_text()
                return LINE_COMMENT
            if c == 47 and nxt == 42:
                i = self.pos + 2
                breaks = 0
                while i < self.n:
                    if self.d[i] == 42 and self.at(i + 1) == 47:
                        break
                    if self.d[i] == 10 or (self.d[i] == 13 and self.at(i + 1) != 10):
                        breaks += 1
                    i += 1
                if i >= self.n:
                    self.pos = self.n
                    return END
                self.block_comment_lines += max(breaks, 1)
                self.pos = i + 2
                continue
            if c == 58:
                if nxt == 58:
                    self.pos += 2
                    return SCOPE
                self.pos += 1
                return COLON
            if c in WORD_BYTES:
                start = self.pos
                while self.pos < self.n and self.d[self.pos] in WORD_BYTES:
                    self.pos += 1
                self.word = self.d[start:self.pos]
                return WORD
            self.pos += 1
            return OTHER

    def count_parameters(self):
        count, depth = 0, 1
        while True:
            t = self.next()
            if t == WORD and count == 0 and self.word != b"void":
                count = 1
            elif t == OPEN_PAREN:
                depth += 1
            elif t == COMMA:
                count += 1
            elif t == CLOSE_PAREN:
                depth -= 1
                if depth == 0:
                    return count
            elif t == END:
                return count

    def include_follows(self):
        return self.d[self.pos:self.pos + 7] == b"include"

    def skip_directive(self):
        cont = 0
        end = self.line_end(self.pos)
        while end < self.n and self.d[end - 1] == 92:
            cont += 1
            end += 2 if (self.d[end] == 13 and self.at(end + 1) == 10) else 1
            end = self.line_end(end)
        self.pos = end
        return cont


class File:
    def __init__(self, name, limit):
        self.name = name
        self.limit = limit
        self.f = dict(lines=0, emptyLines=0, commentLines=0, asserts=0, blockCommentLines=0,
                      includes=0, constructors=0, methodElocSum=0, maxMethodEloc=0,
                      elocWithinLimit=0, elocOverLimit=0)
        self.classes = []
        self.methods = []

    def add_method(self, cls, name, params):
        if cls and cls not in self.classes:
            self.classes.append(cls)
        if cls == name:
            self.f["constructors"] += 1
        self.methods.append(dict(className=cls, methodName=name, paramCount=params, eloc=0,
                                 commentLines=0, asserts=0, emptyLines=0))

    def finish_method(self, eloc, comments, asserts, empty):
        m = self.methods[-1]
        m.update(eloc=eloc, commentLines=comments, asserts=asserts, emptyLines=empty)
        self.f["methodElocSum"] += eloc
        self.f["maxMethodEloc"] = max(self.f["maxMethodEloc"], eloc)
        self.f["elocOverLimit" if asserts + eloc > self.limit else "elocWithinLimit"] += eloc


def scan_c(fs, t, java):
    f = fs.f
    line_blank, comment_only, in_method = True, False, False
    method_depth = 1 if java else 0
    paren = brace = 0
    class_candidate = b""
    pending = None
    colon_seen = False
    m_lines = m_comments = m_empty = m_asserts = trailing = header = 0
    last = END
    while True:
        tok = t.next()
        if tok == END:
            break
        last = tok
        if tok == LINE_COMMENT:
            if line_blank:
                comment_only = True
            line_blank = False
        elif tok not in (NEWLINE, OPEN_BRACE, CLOSE_BRACE):
            line_blank = False

        if tok == NEWLINE:
            f["lines"] += 1
            if line_blank:
                f["emptyLines"] += 1
                if in_method:
                    m_empty += 1
            elif in_method:
                if not comment_only:
                    m_lines += 1
                elif not t.separator:
                    m_comments += 1
                else:
                    f["emptyLines"] += 1
                    m_empty += 1
            elif comment_only:
                if not t.separator:
                    header += 1
                else:
                    f["emptyLines"] += 1
                    f["commentLines"] -= 1
            line_blank, comment_only = True, False
        elif tok == LINE_COMMENT:
            f["commentLines"] += 1
            if not comment_only:
                trailing += 1
        elif tok == HASH:
            if not java and t.include_follows():
                f["includes"] += 1
            cont = t.skip_directive()
            f["lines"] += cont
            if in_method:
                m_lines += cont
            else:
                header = 0
        elif tok == WORD:
            if java and t.word == b"import":
                f["includes"] += 1
        elif tok == SCOPE:
            class_candidate = t.word
        elif tok == OPEN_PAREN:
            if in_method:
                if t.word.lower().decode("latin-1") in ASSERT_WORDS:
                    f["asserts"] += 1
                    m_asserts += 1
                paren += 1
            else:
                if pending is not None and not colon_seen:
                    pending = None
                if paren == 0 and pending is None:
                    cls, name = class_candidate, t.word
                    pending = (cls, name, t.count_parameters())
                else:
                    paren += 1
        elif tok == CLOSE_PAREN:
            paren -= 1
        elif tok == COLON:
            colon_seen = True
        elif tok == SEMICOLON:
            class_candidate = b""
            pending = None
            colon_seen = False
            if not in_method:
                header = 0
        elif tok == OPEN_BRACE:
            colon_seen = False
            if pending is not None and brace == method_depth:
                cls, name, params = pending
                pending = None
                if name not in EXCLUDED:
                    in_method = True
                    fs.add_method(cls, name, params)
                    m_comments = m_empty = m_asserts = trailing = 0
                    m_lines = 0 if line_blank else -1
            brace += 1
        elif tok == CLOSE_BRACE:
            brace -= 1
            if brace == method_depth and in_method:
                in_method = False
                fs.finish_method(max(m_lines - m_asserts, 0), trailing + header + m_comments,
                                 m_asserts, m_empty)
                header = 0
    if last == NEWLINE:
        f["lines"] -= 1


def scan_asm(fs, t):
    f = fs.f
    line_blank, comment_only, in_proc = True, False, False
    code = comment_lines = empty = semi = header = 0
    last = END

    def finish():
        fs.finish_method(max(code, 0), semi + header + comment_lines, 0, empty)

    while True:
        tok = t.next()
        if tok == END:
            break
        last = tok
        if tok == LINE_COMMENT:
            if line_blank:
                comment_only = True
            line_blank = False
        elif tok != NEWLINE:
            line_blank = False

        if tok == NEWLINE:
            f["lines"] += 1
            if line_blank:
                f["emptyLines"] += 1
                if in_proc:
                    empty += 1
            elif in_proc:
                if not comment_only:
                    code += 1
                elif not t.separator:
                    comment_lines += 1
                else:
                    f["emptyLines"] += 1
                    empty += 1
            elif comment_only:
                if not t.separator:
                    header += 1
                else:
                    f["emptyLines"] += 1  # the "//" line was never counted as a comment
            line_blank, comment_only = True, False
        elif tok == SEMICOLON:
            t.comment_text()
            f["commentLines"] += 1
            if not comment_only:
                semi += 1
        elif tok == HASH:
            if t.include_follows():
                f["includes"] += 1
            if not in_proc:
                header = 0
        elif tok == COLON:
            if in_proc:
                finish()
                header = 0
            fs.add_method(fs.name, t.word, 0)
            in_proc = True
            code = comment_lines = empty = semi = 0
    if last == NEWLINE:
        f["lines"] -= 1
    if in_proc:
        finish()


def scan(data, path, limit):
    name = os.path.basename(os.fsencode(path))
    fs = File(name, limit)
    if data and data[0] != 0:
        fs.f["lines"] = 1
    t = Tokens(data)
    lower = path.lower()
    if lower.endswith(".asm"):
        scan_asm(fs, t)
    else:
        scan_c(fs, t, lower.endswith(".java"))
    fs.f["blockCommentLines"] = t.block_comment_lines
    fs.methods.sort(key=lambda m: -m["eloc"])
    return fs


def text(b):
    return b.decode("utf-8", errors="replace")


def to_json(path, fs, limit):
    out = {"path": path, "name": text(fs.name)}
    out.update(fs.f)
    out["methodLengthLimit"] = limit
    out["classes"] = [text(c) for c in fs.classes]
    out["methods"] = [dict(m, className=text(m["className"]), methodName=text(m["methodName"]))
                      for m in fs.methods]
    return out


def reference(paths, limit=25):
    files = []
    for p in paths:
        try:
            with open(p, "rb") as fh:
                data = fh.read()
        except OSError:
            files.append({"path": p, "error": 1})
            continue
        files.append(to_json(p, scan(data, p, limit), limit))
    return {"files": files}


def compare(cli, paths):
    ours = reference(paths)
    theirs = json.loads(subprocess.run([cli, "scan", *paths], capture_output=True).stdout)
    # This reference counts figures, not where methods stand: their lines
    # are checked by the scanner's own tests.
    for f in theirs["files"]:
        for m in f.get("methods", []):
            m.pop("line", None)
            m.pop("endLine", None)
    bad = 0
    for a, b in zip(ours["files"], theirs["files"]):
        if a != b:
            bad += 1
            keys = [k for k in a if a.get(k) != b.get(k)]
            print(f"DIFF {a['path']}: {keys}", file=sys.stderr)
            for k in keys[:3]:
                print(f"  reference {k} = {str(a.get(k))[:300]}", file=sys.stderr)
                print(f"  scanner   {k} = {str(b.get(k))[:300]}", file=sys.stderr)
    if len(ours["files"]) != len(theirs["files"]):
        bad += 1
    return bad


# Fragments chosen to hit the rules' corners: signatures, initialiser lists,
# excluded names, separators, directives with continuations, literals with
# backslashes, line ends of every kind, NULs, stray quotes and unbalanced groups.
PIECES = [b"void", b" ", b"  ", b"\t", b"Foo", b"::", b":", b"(", b")", b"{", b"}", b";", b",",
          b"\n", b"\r\n", b"\r", b"//", b"////", b"// c", b"/*", b"*/", b"/* x\ny */", b"\"",
          b"'", b"\\", b"\\\\", b"#include", b"#define X \\", b"#if", b"assert", b"ASSERT",
          b"Verify", b"import", b"int a", b"x = f(1, 2)", b"~Foo", b"operator", b"DoDataExchange",
          b"BEGIN_MESSAGE_MAP", b"\x00", b"\xff", b"label:", b"; asm", b"a::b::C::m", b"*", b"/",
          b"void f(int a, int b)\n{\n", b"}\n", b"\"s\\\"\"", b"'\\''", b"return 0;", b"::",
          b"namespace n {", b"class C {"]


def fuzz(cli, count, seed):
    rng = random.Random(seed)
    bad = 0
    with tempfile.TemporaryDirectory() as tmp:
        paths = []
        for i in range(count):
            ext = rng.choice([".cpp", ".java", ".asm", ".h"])
            data = b"".join(rng.choice(PIECES) for _ in range(rng.randint(0, 120)))
            p = os.path.join(tmp, f"f{i}{ext}")
            with open(p, "wb") as fh:
                fh.write(data)
            paths.append(p)
        bad = compare(cli, paths)
    return bad


def main(argv):
    if len(argv) >= 2 and argv[0] == "--compare":
        bad = compare(argv[1], argv[2:])
        print(f"{len(argv) - 2} files, {bad} differ")
        return 1 if bad else 0
    if len(argv) == 4 and argv[0] == "--fuzz":
        bad = fuzz(argv[1], int(argv[2]), int(argv[3]))
        print(f"{argv[2]} random files, {bad} differ")
        return 1 if bad else 0
    limit = 25
    if len(argv) >= 2 and argv[0] == "--linecount":
        limit = int(argv[1])
        argv = argv[2:]
    json.dump(reference(argv, limit), sys.stdout)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
