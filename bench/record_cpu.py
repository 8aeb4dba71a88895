#!/usr/bin/env python3
"""What vireo-record costs: CPU at 10 frames/s and at line rate, and memory over a long run.

Runs the recorder as a service runs it (--quiet, a CSV file that is synced every second) on the
meter simulator's demo scenario over a pseudo-terminal, without any display. CPU is the
recorder's own run time (every thread, from /proc) over a measuring window after a warm-up, as
a share of one core. Memory is the resident set and the heap (the anonymous memory) of the
recorder at line rate after a minute and at the end of the run: a recorder left for days must
not grow with its run.

usage: record_cpu.py BUILD_DIR [--warmup S] [--seconds S] [--memory-seconds S] [--hour]
       [--json FILE]
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from xvfb_cpu import Simulator, cpu_ms, cpu_spent  # noqa: E402

CPU_GOALS = {"10": 1.0, "line": 3.0}
PACES = {"10": ["--rate", "10"], "line": ["--line-rate"]}
LABELS = {"10": "vireo-record CPU at 10 frames/s", "line": "vireo-record CPU at line rate"}
GROWTH_GOAL_MB = 5.0


def memory_kb(pid):
    """Resident set and anonymous memory (the heap and the threads' stacks), in kB."""
    rollup = Path(f"/proc/{pid}/smaps_rollup").read_text()
    fields = {line.split(":")[0]: int(line.split()[1]) for line in rollup.splitlines()[1:]}
    return fields["Rss"], fields["Anonymous"]


class Run:
    """The recorder on a fresh simulator, writing into a temporary folder."""

    def __init__(self, build, pace, folder):
        self.sim = Simulator(build / "tools/vireo-meter-sim/vireo-meter-sim", pace)
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env["LC_ALL"] = "C.UTF-8"
        self.proc = subprocess.Popen(
            [str(build / "src/record/vireo-record"), "--port", self.sim.path, "--out",
             str(Path(folder) / "run.csv"), "--quiet"],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop(self):
        self.proc.terminate()
        code = self.proc.wait()
        self.sim.stop()
        if code != 0:
            raise RuntimeError(f"vireo-record ended with {code}")


def cpu_case(build, case, warmup, seconds):
    with tempfile.TemporaryDirectory() as folder:
        run = Run(build, PACES[case], folder)
        try:
            time.sleep(warmup)
            cpu0, frames0, t0 = cpu_ms(run.proc.pid), run.sim.frames_sent(), time.monotonic()
            time.sleep(seconds)
            cpu1, frames1, t1 = cpu_ms(run.proc.pid), run.sim.frames_sent(), time.monotonic()
        finally:
            run.stop()
    spent = cpu_spent(cpu0, cpu1)
    wall = (t1 - t0) * 1000.0
    return {"cpu_percent": 100.0 * spent / wall, "frames_per_second": (frames1 - frames0) / wall
            * 1000.0}


def memory_case(build, total_seconds):
    with tempfile.TemporaryDirectory() as folder:
        run = Run(build, PACES["line"], folder)
        try:
            time.sleep(60)
            minute = memory_kb(run.proc.pid)
            time.sleep(max(0, total_seconds - 60))
            end = memory_kb(run.proc.pid)
            rows = sum(1 for _ in open(Path(folder) / "run.csv", "rb")) - 1
        finally:
            run.stop()
    return {"seconds": total_seconds, "rows": rows, "rss_minute_kb": minute[0],
            "rss_end_kb": end[0], "heap_minute_kb": minute[1], "heap_end_kb": end[1]}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", type=Path)
    parser.add_argument("--warmup", type=float, default=3)
    parser.add_argument("--seconds", type=float, default=30)
    parser.add_argument("--memory-seconds", type=float, default=300,
                        help="length of the memory run (at least 60)")
    parser.add_argument("--hour", action="store_true", help="a memory run of one hour")
    parser.add_argument("--json", type=Path)
    args = parser.parse_args()
    total = 3600 if args.hour else max(60.0, args.memory_seconds)

    results = {case: cpu_case(args.build, case, args.warmup, args.seconds) for case in CPU_GOALS}
    results["memory"] = memory_case(args.build, total)

    print(f"| figure | budget | measured | within |\n|---|---|---|---|")
    for case, goal in CPU_GOALS.items():
        r = results[case]
        pace = f" ({r['frames_per_second']:.0f} frames/s)" if case == "line" else ""
        print(f"| {LABELS[case]}{pace} | <= {goal:g} % | "
              f"{r['cpu_percent']:.2f} % | {'yes' if r['cpu_percent'] <= goal else 'no'} |")
    m = results["memory"]
    growth = (m["rss_end_kb"] - m["rss_minute_kb"]) / 1024.0
    heap_growth = (m["heap_end_kb"] - m["heap_minute_kb"]) / 1024.0
    length = {60: "a minute", 3600: "an hour"}.get(total, f"{total / 60:g} minutes")
    print(f"| vireo-record memory at line rate, after {length} ({m['rows']:,} rows) against "
          f"after a minute | <= {GROWTH_GOAL_MB:g} MB more | RSS {m['rss_minute_kb'] / 1024:.1f} "
          f"-> {m['rss_end_kb'] / 1024:.1f} MB ({growth:+.2f}), heap "
          f"{m['heap_minute_kb'] / 1024:.1f} -> {m['heap_end_kb'] / 1024:.1f} MB "
          f"({heap_growth:+.2f}) | {'yes' if growth <= GROWTH_GOAL_MB else 'no'} |")
    if args.json:
        args.json.write_text(json.dumps(results, indent=2))


if __name__ == "__main__":
    main()
