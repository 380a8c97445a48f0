#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz harnesses from the project's own test data.

    make_seeds.py SOURCE_DIR OUT_DIR [CLI]

OUT_DIR/<harness>/ receives one file per seed, named by its hash, so running it
again adds nothing twice. The inputs are the string literals of the readers'
unit tests, the sources of the repository itself (for the scanner), and, when
the command-line tool is given, statistics files it builds from copies of a few
source folders.
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile

MAX_SEED = 64 * 1024

LITERAL = re.compile(r'R"([^(\s]*)\((.*?)\)\1"|"((?:[^"\\\n]|\\.)*)"', re.S)
ESCAPES = {'n': '\n', 'r': '\r', 't': '\t', '0': '\0', '\\': '\\', '"': '"', "'": "'",
           'a': '\a', 'b': '\b', 'f': '\f', 'v': '\v', '?': '?'}


def unescape(body):
    out, i = bytearray(), 0
    while i < len(body):
        c = body[i]
        if c != '\\':
            out += c.encode()
            i += 1
            continue
        n = body[i + 1]
        if n == 'x':
            m = re.match(r'[0-9a-fA-F]+', body[i + 2:])
            out.append(int(m.group(0), 16) & 0xFF)
            i += 2 + len(m.group(0))
        elif n in '01234567':
            m = re.match(r'[0-7]{1,3}', body[i + 1:])
            out.append(int(m.group(0), 8) & 0xFF)
            i += 1 + len(m.group(0))
        else:
            out += ESCAPES.get(n, n).encode()
            i += 2
    return bytes(out)


def literals(path):
    """The string literals of a C++ file, adjacent ones joined as the compiler does."""
    text = open(path, encoding='utf-8', errors='replace').read()
    text = re.sub(r'//[^\n]*', lambda m: '' if '"' not in m.group(0) else m.group(0), text)
    result, current, last_end = [], None, -1
    for m in LITERAL.finditer(text):
        value = m.group(2).encode() if m.group(2) is not None else unescape(m.group(3))
        if current is not None and text[last_end:m.start()].strip() == '':
            current += value
        else:
            if current is not None:
                result.append(current)
            current = value
        last_end = m.end()
    if current is not None:
        result.append(current)
    return result


def put(out, harness, data):
    if len(data) > MAX_SEED:
        data = data[:MAX_SEED]
    folder = os.path.join(out, harness)
    os.makedirs(folder, exist_ok=True)
    name = hashlib.sha1(data).hexdigest()
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


def tests_of(src, *names):
    for name in names:
        path = os.path.join(src, name)
        if os.path.exists(path):
            yield path


# Stand-ins for what the tests compute at run time (paths of scratch files).
RUNNERS = {'RunCli': [], 'Scan': ['scan'], 'Snapshot': ['snapshot'], 'Run': ['workspace']}
CALL = re.compile(r'\b(RunCli|Scan|Snapshot|Run)\(\{(.*?)\}\s*[,)]', re.S)
# The option lists the scan tests loop over.
SCAN_LIST = re.compile(r'\{("--[^{}]*)\}')


def split_arguments(text):
    """The elements of a braced list, commas inside literals and calls left alone."""
    parts, depth, current, i = [], 0, '', 0
    while i < len(text):
        m = LITERAL.match(text, i)
        if m:
            current += m.group(0)
            i = m.end()
            continue
        c = text[i]
        depth += c in '([{'
        depth -= c in ')]}'
        if c == ',' and depth == 0:
            parts.append(current)
            current = ''
        else:
            current += c
        i += 1
    return parts + [current] if current.strip() else parts


def argument(element):
    found = [m.group(2).encode() if m.group(2) is not None else unescape(m.group(3))
             for m in LITERAL.finditer(element)]
    return b''.join(found) if found else b'src/a.cpp'


def test_command_lines(path):
    """The argument vectors the command-line tests pass to the tool."""
    text = open(path, encoding='utf-8', errors='replace').read()
    for m in CALL.finditer(text):
        yield [a.encode() for a in RUNNERS[m.group(1)]] + \
            [argument(e) for e in split_arguments(m.group(2))]
    if path.endswith('cmd_scan_test.cpp'):
        for m in SCAN_LIST.finditer(text):
            yield [b'scan'] + [argument(e) for e in split_arguments(m.group(1))]


# The usage synopsis of the README, every option with a value of its kind.
EXAMPLES = {'FILE': 'a.cpp', 'FILE...': 'a.cpp', 'DIR': 'src', 'NAME': 'core', 'LIST': 'cpp,h',
            'N': '25', 'P': '60', 'FILE.cbb': 'src/src.cbb', 'FILE.cbw': 'w.cbw',
            'OUT.jpg': 'city.jpg', 'WxH': '640x480', '0..3': '2', 'TEXT': '10,20,30,-15,45',
            'Q': '90', 'keep|drop|ask': 'drop'}


def readme_command_lines(path):
    if not os.path.exists(path):
        return
    text = open(path, encoding='utf-8').read()
    lines = re.findall(r'^codeburg-cli (.*(?:\n {10,}.*)*)', text, re.M)
    for line in lines:
        words = re.sub(r'[\[\]()]', ' ', line).split()
        command, options = words[0], []
        for previous, word in zip(words, words[1:]):
            if word in ('|', '...', '--project') or previous == '--project' or \
                    not word.startswith('--') and word not in EXAMPLES:
                continue
            options.append(EXAMPLES.get(word, word))
        if command == 'workspace':
            for sub in (['init'], ['add', 'src', '--name', 'core', '--folder', 'Libs'], ['build'],
                        ['rebuild'], ['show', '--json']):
                yield ['workspace', 'w.cbw', '--missing', 'drop'] + sub
        elif command == 'snapshot':
            yield ['snapshot', 'src', 'city.jpg'] + [o for o in options if o not in
                                                     ('src', 'src/src.cbb', 'w.cbw', 'city.jpg')]
            yield ['snapshot', 'w.cbw', '--project', 'core', 'city.jpg', '--map']
        else:
            yield [command] + options


def command_lines(src):
    for path in tests_of(src, 'cli/cli_build_test.cpp', 'cli/cmd_scan_test.cpp',
                         'cli/cmd_workspace_test.cpp', 'cli/cmd_snapshot_test.cpp'):
        yield from test_command_lines(path)
    for args in readme_command_lines(os.path.join(src, 'README.md')):
        yield [a.encode() for a in args]


def main():
    src, out = sys.argv[1], sys.argv[2]
    cli = os.path.abspath(sys.argv[3]) if len(sys.argv) > 3 else None

    for path in tests_of(src, 'platform/ini_file_test.cpp', 'scoring/scoring_settings_test.cpp',
                         'scoring/scoring_topic_test.cpp'):
        for lit in literals(path):
            if b'=' in lit or b'[' in lit:
                put(out, 'ini_file_fuzzer', lit)
                put(out, 'ini_file_fuzzer', b'SCORING\nLINECOUNT\n30\0' + lit)

    # The scanner harness takes the language from the first byte (0 C, 1 Java, 2 assembler).
    scanner_tests = list(tests_of(src, 'analysis/source_scanner_test.cpp',
                                  'analysis/source_tokenizer_test.cpp'))
    for path in scanner_tests:
        for lit in literals(path):
            if b'\n' in lit or b';' in lit or b'{' in lit:
                for language in range(3):
                    put(out, 'source_scanner_fuzzer', bytes([language]) + lit)
    for folder in ('analysis', 'records', 'pipeline', 'platform', 'scoring', 'city', 'workspace',
                   'cli'):
        for root, _, files in os.walk(os.path.join(src, folder)):
            for name in sorted(files):
                if name.endswith(('.cpp', '.h')) and os.path.getsize(os.path.join(root, name)) < 8192:
                    data = open(os.path.join(root, name), 'rb').read()
                    put(out, 'source_scanner_fuzzer', b'\0' + data)
                    put(out, 'source_scanner_fuzzer', b'\1' + data)

    for path in tests_of(src, 'workspace/workspace_test.cpp', 'workspace/markup_parser_test.cpp',
                         'workspace/workspace_repair_test.cpp', 'workspace/folder_test.cpp',
                         'cli/cmd_workspace_test.cpp'):
        for lit in literals(path):
            if b'<' in lit:
                put(out, 'workspace_fuzzer', lit)

    for path in tests_of(src, 'city/viewpoint_test.cpp'):
        for lit in literals(path):
            if b',' in lit or lit[:1].isdigit():
                put(out, 'viewpoint_fuzzer', lit)

    for args in command_lines(src):
        put(out, 'cli_args_fuzzer', b'\0'.join(args))

    if cli and os.path.exists(cli):
        with tempfile.TemporaryDirectory() as tmp:
            # One by the modern method rule, so that a seed holds a trailer:
            # a small one, since seeds are cut at MAX_SEED and it ends the file.
            for folder, rule in (('platform', 'classic'), ('scoring', 'modern'),
                                 ('city', 'classic')):
                copy = os.path.join(tmp, folder)
                shutil.copytree(os.path.join(src, folder), copy,
                                ignore=shutil.ignore_patterns('*_test.cpp', 'testdata'))
                subprocess.run([cli, 'build', copy, '--name', folder, '--methods', rule], cwd=tmp,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                cbb = os.path.join(copy, folder + '.cbb')
                if os.path.exists(cbb):
                    put(out, 'statistics_file_fuzzer', open(cbb, 'rb').read())


if __name__ == '__main__':
    main()
