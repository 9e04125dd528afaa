#!/usr/bin/env python3
"""Start-up benchmark of the vendrix executable.

Starts the client repeatedly (headless: offscreen platform, software scene
graph, or a real X server with --xvfb), takes the time from process start to
the first frame the scene graph reports, and the peak resident memory at that
moment (VmHWM), then ends the process. Prints median, minimum and maximum.

    benchmarks/startup/run.py [--binary build/native/vendrix] [--runs 10] [--xvfb]
"""
import argparse
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

FRAME_MARK = b"Frame rendered"


def peak_memory_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def one_run(binary, env, workdir, timeout_s):
    start = time.monotonic()
    process = subprocess.Popen([binary], cwd=workdir, env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    buffer = b""
    first_frame = None
    memory = None
    try:
        while time.monotonic() - start < timeout_s:
            ready, _, _ = select.select([process.stderr], [], [], 0.05)
            if not ready:
                if process.poll() is not None:
                    break
                continue
            chunk = os.read(process.stderr.fileno(), 65536)
            if not chunk:
                break
            buffer += chunk
            if FRAME_MARK in buffer:
                first_frame = time.monotonic() - start
                memory = peak_memory_kib(process.pid)
                break
    finally:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
    if first_frame is None:
        sys.stderr.write(buffer.decode(errors="replace")[-2000:])
        raise RuntimeError("no frame was rendered")
    return first_frame, memory


def describe(label, values, unit, scale=1.0):
    values = [v * scale for v in values]
    print(f"{label}: median {statistics.median(values):.1f} {unit}, "
          f"min {min(values):.1f} {unit}, max {max(values):.1f} {unit} ({len(values)} runs)")


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--binary", default=os.path.join(root, "build", "native", "vendrix"))
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--timeout", type=float, default=30.0)
    parser.add_argument("--xvfb", action="store_true", help="render on an Xvfb display instead of offscreen")
    args = parser.parse_args()

    env = dict(os.environ)
    env["QT_LOGGING_RULES"] = "qt.scenegraph.time.renderloop=true"
    env.setdefault("XDG_RUNTIME_DIR", tempfile.mkdtemp(prefix="vendrix-xdg-"))
    os.chmod(env["XDG_RUNTIME_DIR"], 0o700)
    xvfb = None
    if args.xvfb:
        if not shutil.which("Xvfb"):
            sys.exit("Xvfb is not installed")
        display = ":97"
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1.0)
        env["DISPLAY"] = display
        env["QT_QPA_PLATFORM"] = "xcb"
    else:
        env["QT_QPA_PLATFORM"] = "offscreen"
        env["QT_QUICK_BACKEND"] = "software"

    # an empty working directory: the compiled resources are loaded, not a tree on disk
    workdir = tempfile.mkdtemp(prefix="vendrix-bench-")
    times, memories = [], []
    try:
        one_run(args.binary, env, workdir, args.timeout)  # warm the file cache
        for _ in range(args.runs):
            elapsed, memory = one_run(args.binary, env, workdir, args.timeout)
            times.append(elapsed)
            if memory is not None:
                memories.append(memory)
    finally:
        if xvfb:
            xvfb.terminate()
            xvfb.wait()
        shutil.rmtree(workdir, ignore_errors=True)

    print(f"vendrix start-up, {'Xvfb' if args.xvfb else 'offscreen/software'}: {args.binary}")
    describe("time to first frame", times, "ms", 1000.0)
    if memories:
        describe("peak resident memory", memories, "MiB", 1 / 1024)


if __name__ == "__main__":
    main()
