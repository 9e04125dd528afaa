#!/usr/bin/env python3
"""Start-up benchmark: the vendrix client against a bare Qt Quick window.

Starts each executable in turn, round after round (interleaved, so a change of
machine load hits all of them alike), on the offscreen platform with the
software scene graph and/or on an Xvfb display, and takes per run:

  first frame   process start until the scene graph reports the first frame
                it really rendered ("Frame rendered" lines; the threaded loop
                also writes one, all zeros, for a frame it skips while the
                window is not exposed yet: that one does not count)
  grow start    process start until the login panel starts growing (its
                "login panel opens" line; "-" for a build without the line)
  CPU           user + system CPU of the process at its first frame
  peak RSS      the process's peak resident memory (VmHWM) at its first frame

Prints the medians and, for every executable but the first, the ratio of its
median to the first one's (the bare window by default).

    benchmarks/startup/run.py [--runs 15] [--offscreen] [--xvfb]
        [--binary NAME=PATH ...]   (default: bare=build/benchmarks/startup/vendrix_bare_window
                                    and vendrix=build/native/vendrix)
"""
import argparse
import os
import re
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

FRAME_LINE = re.compile(rb"Frame rendered[^\n]*\n")
GROW_MARK = b"login panel opens"
TICKS = os.sysconf("SC_CLK_TCK")


def is_real_frame(line):
    """False for the line of a frame the render loop skipped: every time in it is 0."""
    numbers = re.findall(rb"(?:in |=)(\d+)", line)
    return any(int(n) > 0 for n in numbers)


def peak_memory_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def cpu_seconds(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICKS
    except (OSError, IndexError, ValueError):
        return None


def one_run(binary, env, workdir, timeout_s):
    """(first frame s, grow start s or None, CPU s, peak RSS KiB) of one start."""
    start = time.monotonic()
    process = subprocess.Popen([binary], cwd=workdir, env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    buffer = b""
    first_frame = grow = cpu = memory = None
    try:
        while time.monotonic() - start < timeout_s and first_frame is None:
            ready, _, _ = select.select([process.stderr], [], [], 0.02)
            if not ready:
                if process.poll() is not None:
                    break
                continue
            chunk = os.read(process.stderr.fileno(), 65536)
            if not chunk:
                break
            now = time.monotonic() - start
            buffer += chunk
            if grow is None and GROW_MARK in buffer:
                grow = now
            for match in FRAME_LINE.finditer(buffer):
                if is_real_frame(match.group(0)):
                    first_frame = now
                    cpu = cpu_seconds(process.pid)
                    memory = peak_memory_kib(process.pid)
                    break
        # the grow line may come just after the frame
        deadline = time.monotonic() + 0.3
        while grow is None and first_frame is not None and time.monotonic() < deadline:
            ready, _, _ = select.select([process.stderr], [], [], 0.02)
            if ready:
                chunk = os.read(process.stderr.fileno(), 65536)
                if not chunk:
                    break
                buffer += chunk
                if GROW_MARK in buffer:
                    grow = time.monotonic() - start
    finally:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
    if first_frame is None:
        sys.stderr.write(buffer.decode(errors="replace")[-2000:])
        raise RuntimeError(f"{binary}: no frame was rendered")
    return first_frame, grow, cpu, memory


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def measure(binaries, env, runs, timeout):
    workdir = tempfile.mkdtemp(prefix="vendrix-bench-")
    results = {name: [] for name, _ in binaries}
    try:
        for name, path in binaries:  # warm the file cache
            one_run(path, env, workdir, timeout)
        for _ in range(runs):
            for name, path in binaries:
                results[name].append(one_run(path, env, workdir, timeout))
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
    return results


def report(label, binaries, results):
    print(f"\n{label}, medians of {len(next(iter(results.values())))} interleaved runs")
    figures = [("first frame", 0, 1000.0, "ms"), ("grow start", 1, 1000.0, "ms"),
               ("CPU to first frame", 2, 1000.0, "ms"), ("peak RSS at first frame", 3, 1 / 1024, "MiB")]
    base = binaries[0][0]
    header = f"{'figure':26}" + "".join(f"{name:>14}" for name, _ in binaries) \
        + "".join(f"{name + '/' + base:>18}" for name, _ in binaries[1:])
    print(header)
    for title, index, scale, unit in figures:
        medians = {name: median([r[index] for r in results[name]]) for name, _ in binaries}
        row = f"{title + ' (' + unit + ')':26}"
        for name, _ in binaries:
            row += f"{medians[name] * scale:14.1f}" if medians[name] is not None else f"{'-':>14}"
        for name, _ in binaries[1:]:
            if medians[name] is not None and medians[base]:
                row += f"{medians[name] / medians[base]:17.2f}x"
            else:
                row += f"{'-':>18}"
        print(row)


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--binary", action="append", default=[], metavar="NAME=PATH",
                        help="an executable to measure; the first is the yardstick of the ratios")
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--timeout", type=float, default=30.0)
    parser.add_argument("--offscreen", action="store_true", help="measure offscreen (the default without --xvfb)")
    parser.add_argument("--xvfb", action="store_true", help="measure on an Xvfb display")
    args = parser.parse_args()

    binaries = [(n, os.path.abspath(p)) for n, p in (b.split("=", 1) for b in args.binary)] or [
        ("bare", os.path.join(root, "build", "benchmarks", "startup", "vendrix_bare_window")),
        ("vendrix", os.path.join(root, "build", "native", "vendrix"))]
    for name, path in binaries:
        if not os.access(path, os.X_OK):
            sys.exit(f"{name}: {path} is not an executable (build it first)")

    env = dict(os.environ)
    env["QT_LOGGING_RULES"] = "qt.scenegraph.time.renderloop=true"
    env.setdefault("XDG_RUNTIME_DIR", tempfile.mkdtemp(prefix="vendrix-xdg-"))
    os.chmod(env["XDG_RUNTIME_DIR"], 0o700)
    print(f"load average at start: {os.getloadavg()[0]:.2f}")

    if args.offscreen or not args.xvfb:
        offscreen = dict(env, QT_QPA_PLATFORM="offscreen", QT_QUICK_BACKEND="software")
        report("offscreen, software scene graph", binaries, measure(binaries, offscreen, args.runs, args.timeout))
    if args.xvfb:
        if not shutil.which("Xvfb"):
            sys.exit("Xvfb is not installed")
        display = f":{90 + os.getpid() % 900}"
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            time.sleep(1.0)
            onx = dict(env, DISPLAY=display, QT_QPA_PLATFORM="xcb")
            onx.pop("QT_QUICK_BACKEND", None)
            report("Xvfb, OpenGL scene graph", binaries, measure(binaries, onx, args.runs, args.timeout))
        finally:
            xvfb.terminate()
            xvfb.wait()
    print(f"load average at end: {os.getloadavg()[0]:.2f}")


if __name__ == "__main__":
    main()
