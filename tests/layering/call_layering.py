#!/usr/bin/env python3
"""Layering of calls: reads the symbol tables of the folders' object files and fails on any call
from a folder to one it may not see (a higher folder) that the calling folder's up-headers do not
declare.

The folder list comes from the build (tests/layering/CMakeLists.txt writes it), one line a folder:
    folder|<name>|<folders it sees>|<its up-headers>|<its object files>
the last three ;-separated.  The allow-list of a folder is the function names its up-headers
declare (at file level, comments and bodies left out), with those of the up-headers of other
folders that its up-headers include (graphics' vykdom.h includes core's vykup.h for DOM_decode);
nothing else lists them.  A name a folder's own up-headers declare but the folder never calls
upward fails too, so that the up-headers name exactly the calls that cross.

Usage: call_layering.py FOLDERS_FILE [--nm NM] [--cxxfilt CXXFILT] [--measure]
  --measure  also prints the upward names, the count of them, and the largest loop of calls through
             files of different folders (a strongly connected component of the file call graph
             that holds files of more than one folder): its size in files and its folders.
Exit status: 0 when the upward calls are exactly those declared, 1 when not, 2 when the input is
wrong.
"""

import argparse
import os
import re
import subprocess
import sys
from collections import defaultdict

# nm kinds of a symbol defined in the object for good (weak and local ones are not owned).
STRONG_KINDS = set("TDBRCGSiu")
# Words that stand before '(' in a header without naming a declared function.
NOT_NAMES = {"sizeof", "alignof", "decltype", "if", "while", "for", "switch", "return",
             "defined", "operator", "static_assert", "noexcept"}


class Folder:
    def __init__(self, name, sees, headers, objects):
        self.name = name
        self.sees = set(sees)
        self.headers = headers
        self.objects = objects


def split_list(text):
    return [item for item in text.split(";") if item]


def read_folders(path):
    folders = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line:
                continue
            parts = line.split("|")
            if len(parts) != 5 or parts[0] != "folder":
                raise ValueError(f"{path}: not a folder line: {line}")
            folders.append(Folder(parts[1], split_list(parts[2]), split_list(parts[3]),
                                  split_list(parts[4])))
    return folders


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    text = re.sub(r"//[^\n]*", " ", text)
    return re.sub(r"^\s*#[^\n]*", " ", text, flags=re.M)


def declared_names(header):
    """The function names a header declares at file level (its own text, not what it includes)."""
    with open(header, encoding="utf-8") as f:
        text = strip_comments(f.read())
    # Bodies of records and inline functions are left out: only what stands at depth 0 counts.
    flat, depth = [], 0
    for ch in text:
        if ch == "{":
            depth += 1
        elif ch == "}":
            depth -= 1
        elif depth == 0:
            flat.append(ch)
    names = set()
    for statement in "".join(flat).split(";"):
        match = re.search(r"([A-Za-z_]\w*)\s*\(", statement)
        if match and match.group(1) not in NOT_NAMES:
            names.add(match.group(1))
    return names


def included_up_headers(header, up_headers):
    """The up-headers (of any folder) that header includes by name."""
    with open(header, encoding="utf-8") as f:
        text = strip_comments_keep_includes(f.read())
    included = re.findall(r'^\s*#\s*include\s+"([^"]+)"', text, flags=re.M)
    return [up_headers[name] for name in included if name in up_headers]


def strip_comments_keep_includes(text):
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    return re.sub(r"//[^\n]*", " ", text)


def allowed_names(folders):
    """Folder -> (names its own up-headers declare, names it may call upward): the second adds
    what the up-headers of lower folders declare when its own up-headers include them."""
    up_headers = {}
    for folder in folders:
        for header in folder.headers:
            up_headers[os.path.basename(header)] = header
    own, allowed = {}, {}
    for folder in folders:
        own[folder.name] = set()
        for header in folder.headers:
            own[folder.name] |= declared_names(header)
        seen, todo = set(), list(folder.headers)
        while todo:
            header = todo.pop()
            if header in seen:
                continue
            seen.add(header)
            todo.extend(included_up_headers(header, up_headers))
        allowed[folder.name] = set().union(*(declared_names(h) for h in seen))
    return own, allowed


def symbol_table(nm, obj):
    """(defined strong symbols, undefined symbols) of one object file, by mangled name."""
    out = subprocess.run([nm, "-P", obj], check=True, capture_output=True, text=True).stdout
    defined, undefined = set(), set()
    for line in out.splitlines():
        fields = line.split()
        if len(fields) < 2:
            continue
        name, kind = fields[0], fields[1]
        if kind == "U":
            undefined.add(name)
        elif kind in STRONG_KINDS:
            defined.add(name)
    return defined, undefined


def demangle_all(cxxfilt, symbols):
    symbols = sorted(symbols)
    if not symbols:
        return {}
    out = subprocess.run([cxxfilt], input="\n".join(symbols) + "\n", check=True,
                         capture_output=True, text=True).stdout.splitlines()
    if len(out) != len(symbols):
        raise RuntimeError("c++filt gave back a different number of names")
    return dict(zip(symbols, out))


def base_name(demangled):
    """The function's name without its parameter list (the whole text when it is no function)."""
    match = re.match(r"([A-Za-z_][\w:]*)\(", demangled)
    return match.group(1) if match else demangled


def display_file(obj):
    """<folder>/<source> of an object file, for messages."""
    path = obj.replace(os.sep, "/")
    name = re.sub(r"\.(o|obj)$", "", os.path.basename(path))
    return f"{os.path.basename(os.path.dirname(path))}/{name}"


def build_calls(folders, nm, cxxfilt):
    """Every call between two object files: (caller object, callee object, mangled symbol)."""
    folder_of, owner, needs = {}, {}, {}
    for folder in folders:
        for obj in folder.objects:
            folder_of[obj] = folder.name
            defined, undefined = symbol_table(nm, obj)
            needs[obj] = undefined
            for sym in defined:
                owner.setdefault(sym, obj)
    calls = []
    for obj, undefined in needs.items():
        for sym in undefined:
            if sym in owner and owner[sym] != obj:
                calls.append((obj, owner[sym], sym))
    names = demangle_all(cxxfilt, {sym for _, _, sym in calls})
    return folder_of, calls, names


def strongly_connected(nodes, edges):
    """Tarjan's components of a graph (iterative)."""
    index, low, on_stack, stack, comps = {}, {}, set(), [], []
    counter = 0
    for root in nodes:
        if root in index:
            continue
        work = [(root, iter(sorted(edges.get(root, ()))))]
        index[root] = low[root] = counter
        counter += 1
        stack.append(root)
        on_stack.add(root)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(edges.get(child, ())))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                comp = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    comp.append(member)
                    if member == node:
                        break
                comps.append(comp)
    return comps


def largest_loop(folder_of, calls):
    edges = defaultdict(set)
    for caller, callee, _ in calls:
        edges[caller].add(callee)
    comps = [c for c in strongly_connected(sorted(folder_of), edges)
             if len({folder_of[f] for f in c}) > 1]
    if not comps:
        return []
    return max(comps, key=len)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("folders_file")
    parser.add_argument("--nm", default="nm")
    parser.add_argument("--cxxfilt", default="c++filt")
    parser.add_argument("--measure", action="store_true")
    args = parser.parse_args()

    try:
        folders = read_folders(args.folders_file)
        for folder in folders:
            if not folder.objects:
                raise ValueError(f"folder {folder.name} has no object files")
        own, allowed = allowed_names(folders)
        folder_of, calls, names = build_calls(folders, args.nm, args.cxxfilt)
    except (OSError, ValueError, RuntimeError, subprocess.CalledProcessError) as err:
        print(f"call_layering: {err}", file=sys.stderr)
        return 2

    sees = {folder.name: folder.sees for folder in folders}
    upward = defaultdict(set)      # (caller folder, callee folder) -> names
    wrong = defaultdict(set)       # name -> "caller -> callee" sites
    for caller, callee, sym in calls:
        low, high = folder_of[caller], folder_of[callee]
        if low == high or high in sees[low]:
            continue
        name = base_name(names[sym])
        upward[(low, high)].add(name)
        if name not in allowed[low]:
            wrong[name].add(f"{display_file(caller)} -> {display_file(callee)}")

    used = defaultdict(set)
    for (low, _), found in upward.items():
        used[low] |= found
    stale = {folder.name: own[folder.name] - used[folder.name] for folder in folders}

    if args.measure:
        for (low, high), found in sorted(upward.items()):
            print(f"{low} -> {high} ({len(found)}): {' '.join(sorted(found))}")
        pairs = sum(len(found) for found in upward.values())
        distinct = len(set().union(*upward.values())) if upward else 0
        print(f"upward names: {pairs} ({distinct} different functions)")
        loop = largest_loop(folder_of, calls)
        loop_folders = sorted({folder_of[f] for f in loop})
        print(f"largest cross-folder call loop: {len(loop)} files in {len(loop_folders)} "
              f"folders ({' '.join(loop_folders)})")
        for obj in sorted(loop, key=display_file):
            print(f"  {display_file(obj)}")

    for name in sorted(wrong):
        print(f"undeclared upward call: {name} ({', '.join(sorted(wrong[name]))}); declare it in "
              f"the calling folder's up-header or move it down", file=sys.stderr)
    for folder in folders:
        for name in sorted(stale[folder.name]):
            print(f"up-header of {folder.name} declares {name}, which {folder.name} does not call "
                  f"upward: drop it from the up-header", file=sys.stderr)
    return 1 if wrong or any(stale.values()) else 0


if __name__ == "__main__":
    sys.exit(main())
