#!/usr/bin/env python3
"""CPU the real window costs in an X11 session: per decoded frame while a meter streams, and idle.

Starts a private Xvfb, the program and the meter simulator (demo scenario, over a
pseudo-terminal named by VIREO_COM1), clicks "COM Connect" with xdotool and reads the
program's own CPU time (the scheduler's run time of its threads, from /proc) over a measuring window after a warm-up.
Frames are counted by the simulator (SIGUSR1), so the figure is CPU per frame the program
took in. The machine may be busy with other work: only the program's CPU time counts, never
wall time, and every figure is given as the range over the repeats. The floor cases run a bare
Qt window instead (bench/repaint_floor): what the toolkit alone costs on the same X server.

usage: xvfb_cpu.py BUILD_DIR [--repeat N] [--warmup S] [--seconds S] [--cases LIST]
       [--json FILE] [--perf-record DIR] [--perf-frequency HZ]
"""
import argparse
import json
import os
import pty
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

TITLE = "Vireo Interface Program"
# Centre of "COM Connect" in the window's client area.
CONNECT_AT = (68 + 47, 4 + 12)
TICKS = os.sysconf("SC_CLK_TCK")

# name, simulator pace (None: no meter), whether the link is opened
CASES = {
    "4": (["--rate", "4"], True),
    "10": (["--rate", "10"], True),
    "line": (["--line-rate"], True),
    "idle": (None, False),
    "idle-open": (None, True),
}
# The toolkit alone (bench/repaint_floor): the same X server's cost of one small repaint ten
# times a second, and of a ten-per-second timer that does nothing.
FLOORS = {"floor-repaint": "repaint", "floor-tick": "tick"}
FLOOR_RATE = 10
GOALS = {
    "10": ("ms_per_frame", 0.40),
    "line": ("ms_per_frame", 0.25),
    "idle": ("cpu_percent", 0.1),
    "idle-open": ("cpu_percent", 0.1),
}
LABELS = {
    "4": "4 frames/s (a real meter)",
    "10": "10 frames/s",
    "line": "line rate (about 174 frames/s)",
    "idle": "idle, no link, every timer running",
    "idle-open": "idle, link open, meter silent",
    "floor-repaint": "toolkit floor: bare Qt window, a 20 x 20 repaint 10 times/s",
    "floor-tick": "toolkit floor: bare Qt window, a 10/s timer doing nothing",
}


def cpu_ms(pid):
    """The program's CPU time so far, in ms: (whole process in clock ticks, live threads in ns).

    The clock-tick figure counts threads that have ended too but only in steps of 10 ms, too
    coarse for an idle window; the scheduler's own nanosecond sums cover only live threads."""
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    # utime and stime are fields 14 and 15 of the whole line, 12 and 13 after the name.
    coarse = (int(fields[11]) + int(fields[12])) * 1000.0 / TICKS
    fine = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            fine += int((task / "schedstat").read_text().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass  # the thread ended between the listing and the read
    return coarse, fine / 1e6


def wakeups(pid):
    """Times the program's threads went to sleep to wait, and so were woken, so far (live
    threads). Being preempted by other work on the machine does not count."""
    count = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            status = (task / "status").read_text()
        except (FileNotFoundError, ProcessLookupError):
            continue  # the thread ended between the listing and the read
        count += sum(int(line.split()[1]) for line in status.splitlines()
                     if line.startswith("voluntary_ctxt_switches"))
    return count


def cpu_spent(before, after):
    coarse, fine = after[0] - before[0], after[1] - before[1]
    # A thread that ended in the window takes its time out of the fine sum: then only the
    # coarse figure is whole.
    return coarse if coarse - fine > 2 * 1000.0 / TICKS else fine


class Xvfb:
    def __enter__(self):
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten",
             "tcp", "-noreset"], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        return self

    def __exit__(self, *exc):
        self.proc.terminate()
        self.proc.wait()


class Simulator:
    def __init__(self, program, pace):
        self.proc = subprocess.Popen([str(program), "--scenario", "demo", *pace],
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.path = self.proc.stdout.readline().decode().strip()
        if not self.path:
            raise RuntimeError("the simulator did not start")
        os.set_blocking(self.proc.stderr.fileno(), False)
        self.buffer = ""

    def frames_sent(self):
        self.proc.send_signal(signal.SIGUSR1)
        deadline = time.monotonic() + 2.0
        while time.monotonic() < deadline:
            try:
                chunk = os.read(self.proc.stderr.fileno(), 4096)
            except BlockingIOError:
                chunk = b""
            if chunk:
                self.buffer += chunk.decode()
                found = re.findall(r"frames sent: (\d+)\n", self.buffer)
                if found:
                    self.buffer = ""
                    return int(found[-1])
            time.sleep(0.01)
        raise RuntimeError("the simulator did not report its count")

    def stop(self):
        self.proc.terminate()
        self.proc.wait()


class SilentLine:
    """A pseudo-terminal nobody writes to: the link opens, no frame ever comes."""

    def __init__(self):
        self.master, slave = pty.openpty()
        self.path = os.ttyname(slave)
        os.close(slave)

    def frames_sent(self):
        return 0

    def stop(self):
        os.close(self.master)


def run_case(build, display, case, warmup, seconds, perf_dir, perf_hz):
    pace, opens_link = CASES.get(case, (None, False))
    line = None
    if opens_link:
        line = Simulator(build / "tools/vireo-meter-sim/vireo-meter-sim", pace) if pace \
            else SilentLine()
    # Each run keeps its recovery file in a state folder of its own: a run ended by the bench
    # leaves unsaved rows, which the next run would otherwise offer back in a box.
    state = tempfile.TemporaryDirectory(prefix="xvfb_cpu-state-")
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8",
               XDG_STATE_HOME=state.name)
    env.pop("WAYLAND_DISPLAY", None)
    if line:
        env["VIREO_COM1"] = line.path
    floor = FLOORS.get(case)
    command = [str(build / "bench/repaint_floor"), floor] if floor else [str(build / "src/app/vireo")]
    program = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        xdo = ["xdotool"]
        title = "repaint floor" if floor else TITLE
        window = subprocess.run(xdo + ["search", "--sync", "--onlyvisible", "--name", title],
                                env=env, capture_output=True, text=True, timeout=20,
                                check=True).stdout.split()[0]
        if opens_link:
            subprocess.run(xdo + ["mousemove", "--window", window, *map(str, CONNECT_AT),
                                  "click", "1"], env=env, check=True, timeout=10)
        time.sleep(warmup)
        recorder = None
        if perf_dir:
            recorder = subprocess.Popen(
                # Qt is built without frame pointers: unwind from the stack copies instead.
                ["perf", "record", "-g", "--call-graph", "dwarf,32768", "-F", str(perf_hz), "-o", str(perf_dir / f"perf-{case}.data"), "-p",
                 str(program.pid), "--", "sleep", str(seconds)],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        cpu0, frames0, t0 = cpu_ms(program.pid), line.frames_sent() if line else 0, \
            time.monotonic()
        woken0 = wakeups(program.pid)
        time.sleep(seconds)
        woken1 = wakeups(program.pid)
        cpu1, frames1, t1 = cpu_ms(program.pid), line.frames_sent() if line else 0, \
            time.monotonic()
        if recorder:
            recorder.wait()
        if program.poll() is not None:
            raise RuntimeError("the program ended during the measurement")
        spent = cpu_spent(cpu0, cpu1)
        frames = frames1 - frames0
        if floor == "repaint":
            frames = round((t1 - t0) * FLOOR_RATE)
        if pace and frames == 0:
            raise RuntimeError(f"no frame reached the program in case {case}")
        return {
            "cpu_ms": spent,
            "frames": frames,
            "cpu_percent": spent / ((t1 - t0) * 1000.0) * 100.0,
            "ms_per_frame": spent / frames if frames else None,
            "wakeups_per_s": (woken1 - woken0) / (t1 - t0),
        }
    finally:
        program.terminate()
        try:
            program.wait(timeout=10)
        except subprocess.TimeoutExpired:
            program.kill()
            program.wait()
        if line:
            line.stop()
        state.cleanup()


def span(values, fmt):
    lo, hi = min(values), max(values)
    return fmt.format(lo) if fmt.format(lo) == fmt.format(hi) else \
        f"{fmt.format(lo)}–{fmt.format(hi)}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", type=Path)
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--warmup", type=float, default=3.0)
    parser.add_argument("--seconds", type=float, default=20.0)
    parser.add_argument("--cases",
                        default="10,line,idle,idle-open,floor-repaint,floor-tick")
    parser.add_argument("--json", type=Path)
    parser.add_argument("--perf-record", type=Path, metavar="DIR",
                        help="also record a call-graph profile of every case into DIR")
    parser.add_argument("--perf-frequency", type=int, default=400, metavar="HZ",
                        help="samples a second for --perf-record")
    args = parser.parse_args()
    cases = args.cases.split(",")
    for tool in ("Xvfb", "xdotool") + (("perf",) if args.perf_record else ()):
        if shutil.which(tool) is None:
            sys.exit(f"xvfb_cpu.py: {tool} is missing (scripts/setup.sh installs it)")
    if args.perf_record:
        args.perf_record.mkdir(parents=True, exist_ok=True)

    results = {c: [] for c in cases}
    with Xvfb() as x:
        for _ in range(args.repeat):
            for case in cases:
                results[case].append(run_case(args.build, x.display, case, args.warmup,
                                              args.seconds, args.perf_record,
                                              args.perf_frequency))
    if args.json:
        args.json.write_text(json.dumps(results, indent=1))

    print(f"Real X11 window (Xvfb), program CPU only, {args.seconds:g} s after a "
          f"{args.warmup:g} s warm-up, {args.repeat} runs (range):")
    print("| case | CPU % of a core | CPU per decoded frame | wake-ups/s | goal | within |")
    print("|---|---|---|---|---|---|")
    for case in cases:
        runs = results[case]
        percent = span([r["cpu_percent"] for r in runs], "{:.2f} %")
        per_frame = [r["ms_per_frame"] for r in runs if r["ms_per_frame"] is not None]
        frame_text = span(per_frame, "{:.3f} ms") if per_frame else "–"
        woken = span([r["wakeups_per_s"] for r in runs], "{:.0f}")
        goal_text, within = "", ""
        if case in GOALS:
            key, limit = GOALS[case]
            worst = max(r[key] for r in runs)
            goal_text = f"<= {limit:g} ms" if key == "ms_per_frame" else f"<= {limit:g} %"
            within = "yes" if worst <= limit else "NO"
        print(f"| {LABELS[case]} | {percent} | {frame_text} | {woken} | {goal_text} | {within} |")


if __name__ == "__main__":
    main()
