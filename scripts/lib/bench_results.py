#!/usr/bin/env python3
"""One line per benchmark run of a Google Benchmark JSON report, tab-separated:
program, name, family, size, iterations, seconds per iteration, items/s, bytes/s, counters,
error. A repeated benchmark is given by the median of its repetitions under its own name; its
single repetitions are left out. The family is the name without its sizes, its arguments
written name:value and its timing suffix; the size is the first number after the family's
first part, or else a "records" or "rows" counter.

    bench_results.py PROGRAM REPORT.json
"""
import json
import re
import sys

STANDARD = set(
    "name family_index per_family_instance_index run_name run_type repetitions repetition_index "
    "threads iterations real_time cpu_time time_unit items_per_second bytes_per_second label "
    "error_occurred error_message aggregate_name aggregate_unit".split()
)
TO_SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def family(name):
    parts = [p for p in name.split("/")
             if not re.fullmatch(r"[0-9]+", p) and ":" not in p
             and not re.fullmatch(r"(real|manual|process)_time", p)]
    return "/".join(parts)


def size(name):
    for part in name.split("/")[1:]:
        if re.fullmatch(r"[0-9]+", part):
            return part
    return ""


def text(value):
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, float):
        return "%.9g" % value
    return str(value)


def lines(program, report):
    for run in report.get("benchmarks", []):
        name = run["name"]
        iterations = text(run.get("iterations", ""))
        if run.get("run_type") == "aggregate":
            if run.get("aggregate_name") != "median":
                continue
            name = run["run_name"]
            iterations = "median of %s" % run.get("repetitions", "")
        elif int(run.get("repetitions", 1) or 1) > 1:
            continue
        counters = [(k, v) for k, v in run.items() if k not in STANDARD]
        n = size(name)
        if n == "":
            for key, value in counters:
                if key in ("records", "rows"):
                    n = "%d" % float(value)
                    break
        seconds = float(run.get("real_time", 0)) * TO_SECONDS.get(run.get("time_unit", "ns"), 1e-9)
        error = ""
        if run.get("error_occurred"):
            error = run.get("error_message") or "error"
        yield [program, name, family(name), n, iterations, "%.9g" % seconds,
               text(run.get("items_per_second", "")), text(run.get("bytes_per_second", "")),
               " ".join("%s=%s" % (k, text(v)) for k, v in counters), error]


def main():
    program, path = sys.argv[1], sys.argv[2]
    with open(path, encoding="utf-8") as f:
        report = json.load(f)
    rows = list(lines(program, report))
    # By family and size, not by run order.
    rows.sort(key=lambda r: (r[2], int(r[3]) if r[3] else -1))
    for row in rows:
        print("\t".join(row))


if __name__ == "__main__":
    main()
