#!/usr/bin/env python3
"""Plants every candidate fault of the files given (mutate.py's own rules, not a sample) and runs
only the suites that cover each file, fastest first, stopping at the first failure. Several workers
share the list, each in a copy of its own; a mutant that does not build is stillborn.

    scripts/mutate-every.py --mutate ../shared/tools/mutate.py --files exchange/unit_exchange.cpp ... \
        [--lines ui/panel_dlg.cpp:150-400 ui/panel_dlg.cpp:420-440] [--workers 2] [--work /tmp/q42-every]

Prints one line a mutant and, last, the survivors; figures, never a verdict on the tree.
"""
import argparse
import os
import re
import runpy
import shutil
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

# Which suites cover a file, as ctest name patterns, fastest first; the system's rules have a suite
# of their own, which needs only its own program rebuilt.
BUILD_ONLY = [(r"^findings/",
               "system_findings_test")]
SUITES = [
    (r"^system/", r"^(KernelViews|AdapterRules|DeviceRules|Explaining|Q42ctl|PanelBoxes|PanelLine)\."),
    (r"^findings/", r"^(KernelViews|AdapterRules|DeviceRules|Explaining|FindingKinds|AliasPatterns|"
                    r"WindowsDevices)\."),
    (r"^cli/commission/", r"^(Commission|Q42ctl)\."),
    (r"^(cli|exchange|values)/", r"^(UnitValues|CommandLine|Ports|Trace|CtlTable|ShellWords|UnitExchange|Q42ctl|Acceptance|Commission|BackupFile)\."),
    (r"^ui/", r"^(PanelBoxes|PanelWindow|PanelLine)\."),
    (r"^serial/receive", r"^(ReceiveAccumulator|RestingTick|UnitExchange|PanelLine)\."),
    (r"^serial/", r"^(LineEnd|PortNames|OpenErrors|LineSettings|UnitExchange|Q42ctl|PanelWindow|PanelLine)\."),
    (r"^protocol/", r"^(ParseAnswer|InterpretAnswer|ExtractFrame|DecodeHexPairs|Payloads|TextNumber|ReceiveAccumulator)\."),
]


def sh(cmd, cwd, timeout=900):
    try:
        return subprocess.run(cmd, cwd=cwd, shell=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return 124


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--mutate", required=True, help="mutate.py, whose candidates() this uses")
    ap.add_argument("--src", default=".")
    ap.add_argument("--files", nargs="*", default=[])
    ap.add_argument("--lines", nargs="*", default=[], help="FILE:FROM-TO, only these lines of FILE")
    ap.add_argument("--workers", type=int, default=2)
    ap.add_argument("--work", default="/tmp/q42-every")
    args = ap.parse_args()

    candidates = runpy.run_path(args.mutate)["candidates"]
    src = os.path.abspath(args.src)
    ranges = {f: [(1, 10**9)] for f in args.files}
    for item in args.lines:  # a file may be given several times, a span each
        f, span = item.rsplit(":", 1)
        lo, hi = span.split("-")
        ranges.setdefault(f, []).append((int(lo), int(hi)))
    cands = [c for f, spans in ranges.items() for c in candidates(os.path.join(src, f), f)
             if any(lo <= c[1] + 1 <= hi for lo, hi in spans)]
    print(f"{len(cands)} mutants", flush=True)

    trees = []
    for w in range(args.workers):
        tree = os.path.join(args.work, f"tree{w}")
        shutil.rmtree(tree, ignore_errors=True)
        shutil.copytree(src, tree, ignore=shutil.ignore_patterns("build*", ".git"), symlinks=True)
        trees.append(tree)
    configure = "cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQ42_BUILD_BENCH=OFF >/dev/null"
    with ThreadPoolExecutor(args.workers) as pool:
        if any(pool.map(lambda t: sh(f"{configure} && cmake --build build -j1", t, 3600), trees)):
            print("baseline build failed")
            return 2

    def judge(job):
        index, (rel, no, name, old, new) = job
        tree = trees[index % args.workers]
        path = os.path.join(tree, rel)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        lines = text.split("\n")
        lines[no] = new
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
        try:
            target = next((t for r, t in BUILD_ONLY if re.search(r, rel)), None)
            if sh("cmake --build build -j1" + (f" --target {target}" if target else ""), tree) != 0:
                return "stillborn", rel, no, name, old, new
            pattern = next(p for r, p in SUITES if re.search(r, rel))
            rc = sh(f"QT_QPA_PLATFORM=offscreen ctest --test-dir build --stop-on-failure -R '{pattern}'", tree)
            return ("SURVIVED" if rc == 0 else "killed"), rel, no, name, old, new
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)

    results = []
    # One mutant a worker at a time: each tree takes its own jobs in turn.
    with ThreadPoolExecutor(args.workers) as pool:
        queues = [[(i, c) for i, c in enumerate(cands) if i % args.workers == w] for w in range(args.workers)]
        for part in pool.map(lambda q: [print(*(r := judge(j))[:4], flush=True) or r for j in q], queues):
            results += part
    survivors = [r for r in results if r[0] == "SURVIVED"]
    counted = [r for r in results if r[0] != "stillborn"]
    print(f"{len(counted) - len(survivors)}/{len(counted)} killed, {len(results) - len(counted)} stillborn")
    for _, rel, no, name, old, new in survivors:
        print(f"SURVIVED {rel}:{no + 1} {name}: {old.strip()}  ->  {new.strip()}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
