#!/usr/bin/env python3
"""Runs the benchmark programs and prints every budgeted figure against its budget.

usage: benchtable.py BENCH_DIR
"""
import json
import subprocess
import sys
from pathlib import Path


def run(bench_dir, program, *args):
    out = subprocess.run([str(Path(bench_dir) / program), "--benchmark_format=json", *args],
                         check=True, capture_output=True, text=True).stdout
    return json.loads(out)["benchmarks"]


def pick(results, name, aggregate=None):
    for r in results:
        if r["name"].startswith(name) and (aggregate is None or r.get("aggregate_name") == aggregate):
            return r
    raise KeyError(name)


def us(r):
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[r["time_unit"]]
    return r["real_time"] * scale


def main():
    d = sys.argv[1]
    rows = []
    rep = ["--benchmark_repetitions=5", "--benchmark_report_aggregates_only=true"]

    dec = run(d, "bench_core_decoder", *rep)
    fps = pick(dec, "BM_DecodeFrame", "median")["frames_per_second"]
    rows.append(("decoder, frames per second on one core", ">= 10 M", f"{fps / 1e6:.1f} M", fps >= 10e6))

    win = run(d, "bench_window")
    handler = us(pick(win, "BM_FrameHandlerPath", "median"))
    repaint = us(pick(win, "BM_RepaintAfterFrame", "median"))
    small = us(pick(win, "BM_FrameAndRepaintAtRows/1000/", "median"))
    big = us(pick(win, "BM_FrameAndRepaintAtRows/10000000/", "median"))
    rows.append(("one frame through the window, no repaint (median)", "<= 100 us", f"{handler:.1f} us", handler <= 100))
    rows.append(("one repaint after a frame (median)", "<= 3 ms", f"{repaint / 1e3:.2f} ms", repaint <= 3000))
    rows.append(("frame + row + point + repaint, 10 M rows vs 1,000", "<= 1.5x",
                 f"{big / small:.2f}x ({big:.0f} vs {small:.0f} us)", big / small <= 1.5))

    table = run(d, "bench_core_logtable")
    for n in ("1000000", "10000000"):
        b = pick(table, f"BM_BytesPerRow/{n}/")["bytes_per_row"]
        rows.append((f"log table bytes per row at {int(n):,} rows", "<= 32", f"{b:.1f}", b <= 32))

    grid = run(d, "bench_grid", *rep)
    g_small = us(pick(grid, "BM_AppendRowAndRepaint/1000/", "median"))
    g_big = us(pick(grid, "BM_AppendRowAndRepaint/10000000/", "median"))
    rows.append(("grid append + repaint, 10 M rows vs 1,000", "<= 1.5x", f"{g_big / g_small:.2f}x", g_big / g_small <= 1.5))

    files = run(d, "bench_core_logfiles")
    for name in ("SaveText", "LoadText", "SaveXml", "LoadXml", "SaveCsv", "LoadCsv"):
        mbs = pick(files, name)["bytes_per_second"] / 1e6
        rows.append((f"{name}, 1 M rows", ">= 100 MB/s", f"{mbs:.0f} MB/s", mbs >= 100))

    store = run(d, "bench_store_writer", *rep)
    handover = us(pick(store, "BM_LogRowToRecoveryWriter", "median"))
    # No budget of its own: it is a part of the frame through the window above.
    rows.append(("a logged row stamped and handed to the recovery writer (median)", "-",
                 f"{handover:.2f} us", None))

    live = run(d, "bench_live")
    start = us(pick(live, "BM_StartupToWindowShown")) / 1e3
    cpu = pick(live, "BM_CpuWhileStreamingAtLineRate")["core_percent"]
    idle = pick(live, "BM_CpuWhileIdle")["core_percent"]
    rows.append(("start-up to window shown", "<= 150 ms", f"{start:.0f} ms", start <= 150))
    rows.append(("CPU at line rate, offscreen (no X server)", "<= 10 %", f"{cpu:.1f} %", cpu <= 10))
    rows.append(("CPU idle with every timer running, offscreen", "<= 0.5 %", f"{idle:.2f} %", idle <= 0.5))

    print("| figure | budget | measured | within |")
    print("|---|---|---|---|")
    for name, budget, value, ok in rows:
        within = "-" if ok is None else "yes" if ok else "NO"
        print(f"| {name} | {budget} | {value} | {within} |")


if __name__ == "__main__":
    main()
