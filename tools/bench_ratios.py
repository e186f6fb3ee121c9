#!/usr/bin/env python3
"""Prints each benchmark's CPU time as a ratio of its baseline from the same run.

Usage: bench_ratios.py RESULT.json
A baseline is a benchmark whose name starts with "BM_Baseline_". Every other benchmark is
compared with the baselines that share its argument suffix ("/100000"), or with every
baseline when none shares it.
"""
import json
import sys


UNITS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def seconds(bench):
    return bench["cpu_time"] * UNITS.get(bench.get("time_unit", "ns"), 1e-9)


def suffix(name):
    parts = name.split("/", 1)
    return parts[1] if len(parts) > 1 else ""


def main():
    with open(sys.argv[1]) as f:
        runs = [b for b in json.load(f)["benchmarks"] if b.get("run_type", "iteration") == "iteration"]
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
