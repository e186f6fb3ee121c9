#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Seedwhirl developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints each benchmark's CPU time as a ratio of its baseline from the same run.

Usage: bench_ratios.py RESULT.json
A baseline is a benchmark whose name starts with "BM_Baseline_". Every other benchmark is
compared with the baselines that share its argument suffix ("/100000"), or with every
baseline when none shares it.

For the decode benchmarks it also prints, per size, the three times a (bare simdjson parse),
b (QJsonDocument) and c (SyncData decode with every Torrent built) and the ratios c/a and b/c
against their targets (c/a at most 3, b/c at least 4).
"""
import json
import sys


UNITS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def seconds(bench):
    return bench["cpu_time"] * UNITS.get(bench.get("time_unit", "ns"), 1e-9)


def suffix(name):
    parts = name.split("/", 1)
    return parts[1] if len(parts) > 1 else ""


DECODE = {
    "a": "BM_Baseline_SimdjsonParse_Warm",
    "b": "BM_Baseline_QJsonDocument",
    "c": "BM_SyncData_WithTorrents_Warm",
}


def decode_summary(runs):
    by_name = {b["name"]: b for b in runs}
    sizes = sorted({suffix(b["name"]) for b in runs if b["name"].startswith(DECODE["c"] + "/")}, key=int)
    rows = []
    for size in sizes:
        found = {k: by_name.get(f"{name}/{size}") for k, name in DECODE.items()}
        if all(found.values()):
            rows.append((size, {k: seconds(v) for k, v in found.items()}))
    if not rows:
        return
    print("decode of a full sync answer (CPU time, ms):")
    print(f"  {'torrents':>9} {'a simdjson':>11} {'b QJsonDoc':>11} {'c decode':>9} {'c/a':>6} {'b/c':>6}")
    for size, t in rows:
        ca, bc = t["c"] / t["a"], t["b"] / t["c"]
        verdict = "meets c/a <= 3, b/c >= 4" if ca <= 3 and bc >= 4 else "misses c/a <= 3 or b/c >= 4"
        print(f"  {size:>9} {t['a'] * 1e3:11.2f} {t['b'] * 1e3:11.2f} {t['c'] * 1e3:9.2f} {ca:6.2f} {bc:6.2f}  {verdict}")


def main():
    with open(sys.argv[1]) as f:
        runs = [b for b in json.load(f)["benchmarks"] if b.get("run_type", "iteration") == "iteration"]
    decode_summary(runs)
    baselines = [b for b in runs if b["name"].startswith("BM_Baseline_")]
    if not baselines:
        return
    print("ratios to the baselines of this run (CPU time):")
    for bench in runs:
        if bench in baselines:
            continue
        same = [b for b in baselines if suffix(b["name"]) == suffix(bench["name"])] or baselines
        for base in same:
            ratio = seconds(bench) / seconds(base) if seconds(base) else float("inf")
            print(f"  {bench['name']:<56} {ratio:9.2f} x {base['name']}")


if __name__ == "__main__":
    main()
