#!/usr/bin/env python3
"""Checks that every folder includes only its own headers and those of the
folders below it, so the layers stay apart even where the link would let a
stray include through (header-only types, tests that link everything).

    scripts/check_layers.py [SOURCE_DIR]

Prints the folder graph's upward includes and cycles and exits 1 when there
is any, or when a folder with sources is missing from LAYERS.
"""
import os
import re
import sys

# Bottom to top. Folders on one line are siblings: neither may include the other.
LAYERS = [
    ["platform"],
    ["scoring"],
    ["records"],
    ["analysis"],
    ["city"],
    ["city/render"],
    ["pipeline"],
    ["workspace"],
    ["ci"],
    ["report"],
    ["gui"],
    ["ide"],
    ["views"],
    ["app", "cli", "installer"],
    ["bench", "fuzz"],
]

SKIP = {"resources", "scripts", "cmake"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def rank_of():
    ranks = {}
    for level, folders in enumerate(LAYERS):
        for folder in folders:
            ranks[folder] = level
    return ranks


def source_files(root):
    for directory, subdirs, files in os.walk(root):
        rel = os.path.relpath(directory, root)
        top = rel.split(os.sep)[0]
        if rel == ".":
            subdirs[:] = [d for d in subdirs if not d.startswith((".", "build")) and d not in SKIP]
            continue
        if top.startswith(".") or top.startswith("build") or top in SKIP:
            subdirs[:] = []
            continue
        for name in files:
            if name.endswith((".h", ".cpp")):
                yield rel.replace(os.sep, "/"), os.path.join(directory, name)


def folder_graph(root):
    """Returns {(from, to): [file: include, ...]} for includes between folders."""
    edges = {}
    for folder, path in source_files(root):
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        for include in INCLUDE.findall(text):
            if "/" not in include:
                continue  # a sibling header or a generated .moc
            target = include.rsplit("/", 1)[0]
            if target != folder and os.path.isdir(os.path.join(root, target)):
                rel = os.path.relpath(path, root).replace(os.sep, "/")
                edges.setdefault((folder, target), []).append(f"{rel}: {include}")
    return edges


def cycles(edges):
    """Strongly connected components of more than one folder (Tarjan)."""
    graph = {}
    for a, b in edges:
        graph.setdefault(a, set()).add(b)
        graph.setdefault(b, set())
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(graph[node]):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            component = []
            while True:
                top = stack.pop()
                on_stack.discard(top)
                component.append(top)
                if top == node:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    ranks = rank_of()
    edges = folder_graph(root)
    folders = {folder for folder, _ in source_files(root)}
    unplaced = sorted(f for f in folders if f != "." and f not in ranks)
    upward = []
    for (a, b), where in sorted(edges.items()):
        if a in ranks and b in ranks and ranks[b] >= ranks[a]:
            upward.extend(f"{a} -> {b}  ({w})" for w in where)
    loops = cycles(edges)

    for folder in unplaced:
        print(f"folder not placed in a layer: {folder}")
    for line in upward:
        print(f"upward include: {line}")
    for loop in loops:
        print(f"folder cycle: {' <-> '.join(loop)}")
    print(f"{len(folders)} folders, {len(edges)} folder dependencies, "
          f"{len(loops)} cycles, {len(upward)} upward includes")
    return 1 if unplaced or upward or loops else 0


if __name__ == "__main__":
    sys.exit(main())
