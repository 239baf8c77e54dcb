#!/usr/bin/python3
"""Real-window tests: the built program on a private X display and D-Bus session, read
through the accessibility tree and driven with the keyboard and mouse.

    /usr/bin/python3 tests/e2e/run_e2e.py --program build/kelvane [--only TEXT]
    /usr/bin/python3 tests/e2e/run_e2e.py --program build/kelvane --wayland

Needs the system Python (pyatspi, python3-gi), Xvfb, dbus-run-session, at-spi2-core,
xdotool, ImageMagick and trayer; with --wayland, weston and Qt's Wayland plugin instead of
the X tools: the cases in wayland_*.py run on weston's headless backend, the program as a
native Wayland client. Ends with the line "N passed, M failed" and a non-zero status when a
case failed. Every process it starts is stopped, passed or failed.
"""

import argparse
import glob
import importlib
import json
import os
import signal
import subprocess
import sys
import tempfile
import time
import traceback

from processes import kill_group

HERE = os.path.dirname(os.path.abspath(__file__))
# Keep the source tree clean: no __pycache__ next to the cases.
sys.dont_write_bytecode = True
# Every case, the program's start-ups and the one-minute game together stay well below this;
# the Wayland smoke run below the other.
SUITE_LIMIT = 280
WAYLAND_LIMIT = 100


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--program", required=True, help="the built kelvane executable")
    p.add_argument("--only", default="", help="run only the cases whose title contains this")
    p.add_argument("--wayland", action="store_true",
                   help="run the Wayland cases on a headless weston instead of the X ones")
    p.add_argument("--screenshots", default=os.path.join(os.getcwd(), "e2e-screenshots"),
                   help="folder for the screenshots of the windows")
    p.add_argument("--inner", metavar="RESULTS", help=argparse.SUPPRESS)
    return p.parse_args()


def kill_recorded(path):
    """The programs the cases started run in process groups of their own; the cases note
    each one, so that none outlives the suite even when it is cut short."""
    try:
        with open(path) as f:
            pids = [int(line) for line in f if line.strip()]
    except OSError:
        return
    for pid in pids:
        try:
            os.killpg(pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass


def start_xvfb(runtime):
    """Xvfb on a display it picks itself, so parallel runs never collide."""
    wanted = os.environ.get("KELVANE_E2E_DISPLAY")
    if wanted and os.path.exists("/tmp/.X%s-lock" % wanted.lstrip(":")):
        raise RuntimeError("display %s is already taken" % wanted)
    read_fd, write_fd = os.pipe()
    args = ["Xvfb", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset", "-s", "0"]
    args += [wanted] if wanted else ["-displayfd", str(write_fd)]
    log = open(os.path.join(runtime, "xvfb.log"), "wb")
    xvfb = subprocess.Popen(args, pass_fds=(write_fd,), stdin=subprocess.DEVNULL,
                            stdout=log, stderr=log, start_new_session=True)
    os.close(write_fd)
    if wanted:
        os.close(read_fd)
        display = wanted
        socket = "/tmp/.X11-unix/X" + wanted.lstrip(":")
        deadline = time.monotonic() + 20
        while not os.path.exists(socket):
            if xvfb.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("Xvfb did not start on " + wanted)
            time.sleep(0.05)
    else:
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        display = ":" + number
    return xvfb, display


WAYLAND_SOCKET = "wayland-kelvane"


def start_weston(runtime):
    """weston's headless backend, with its socket in the private runtime folder."""
    weston = subprocess.Popen(
        ["weston", "--backend=headless-backend.so", "--socket=" + WAYLAND_SOCKET,
         "--idle-time=0", "--no-config", "--width=1280", "--height=800",
         "--log=" + os.path.join(runtime, "weston.log")],
        env=dict(os.environ, XDG_RUNTIME_DIR=runtime), stdin=subprocess.DEVNULL,
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    socket = os.path.join(runtime, WAYLAND_SOCKET)
    deadline = time.monotonic() + 20
    while not os.path.exists(socket):
        if weston.poll() is not None or time.monotonic() > deadline:
            raise RuntimeError("weston did not start")
        time.sleep(0.05)
    return weston


def outer(args):
    """Sets up the display and the session bus, runs the cases inside, cleans up."""
    runtime = tempfile.mkdtemp(prefix="kelvane-e2e-runtime-")
    os.chmod(runtime, 0o700)
    results = os.path.join(runtime, "results.json")
    limit = WAYLAND_LIMIT if args.wayland else SUITE_LIMIT
    server = inner = None
    timed_out = False
    setup_error = None
    try:
        env = dict(os.environ)
        for leftover in ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY",
                         "DISPLAY", "XAUTHORITY", "QT_QPA_PLATFORM", "QT_ACCESSIBILITY",
                         "SESSION_MANAGER"):
            env.pop(leftover, None)
        # A home of the suite's own: what the session bus starts on demand (ibus-daemon asks
        # it for ibus-portal, which writes ~/.config/ibus) stays out of the user's home.
        home = os.path.join(runtime, "home")
        os.mkdir(home)
        for leftover in ("XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"):
            env.pop(leftover, None)
        env.update(XDG_RUNTIME_DIR=runtime, LC_ALL="C.UTF-8", HOME=home,
                   KELVANE_E2E_PIDS=os.path.join(runtime, "pids"))
        if args.wayland:
            server = start_weston(runtime)
            env.update(WAYLAND_DISPLAY=WAYLAND_SOCKET, QT_QPA_PLATFORM="wayland")
            print("real-window tests on weston (headless), socket %s" % WAYLAND_SOCKET,
                  flush=True)
        else:
            server, display = start_xvfb(runtime)
            env.update(DISPLAY=display)
            print("real-window tests on display %s" % display, flush=True)
        # The buses' chatter goes to a log, shown only when something went wrong.
        bus_log = open(os.path.join(runtime, "session.log"), "wb")
        inner = subprocess.Popen(
            ["dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
             "--program", os.path.abspath(args.program), "--only", args.only,
             "--screenshots", os.path.abspath(args.screenshots), "--inner", results]
            + (["--wayland"] if args.wayland else []),
            env=env, stdin=subprocess.DEVNULL, stderr=bus_log, start_new_session=True)
        bus_log.close()
        try:
            inner.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            timed_out = True
    except Exception as e:  # no display or no session: report it like a failed case
        setup_error = e
    except SystemExit:  # stopped from outside
        timed_out = True
    finally:
        kill_group(inner)
        kill_recorded(os.path.join(runtime, "pids"))
        kill_group(server)

    try:
        with open(results) as f:
            outcome = json.load(f)
    except (OSError, ValueError):
        outcome = {"passed": 0, "failed": 0, "done": False}
    failed = outcome["failed"]
    if setup_error is not None:
        print("FAIL  setting up the display and the session: %s" % setup_error)
        failed += 1
    elif timed_out:
        print("FAIL  the suite was stopped or ran out of its %d seconds" % limit)
        failed += 1
    elif not outcome.get("done"):
        print("FAIL  the suite stopped before its end (status %s)" %
              (inner.returncode if inner else "not started"))
        failed += 1
    if failed:
        for log in ("xvfb.log", "weston.log", "session.log"):
            try:
                with open(os.path.join(runtime, log), "rb") as f:
                    chatter = f.read().decode("utf-8", "replace").strip()
            except OSError:
                continue
            if chatter:
                print("%s:\n%s" % (log, chatter))
    subprocess.run(["rm", "-rf", runtime], check=False)
    print("%d passed, %d failed" % (outcome["passed"], failed), flush=True)
    return 1 if failed or outcome["passed"] == 0 else 0


def start_accessibility_bus():
    """The accessibility bus of this session. Qt finds it through org.a11y.Bus."""
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 20
    while True:
        probe = subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
             "org.a11y.Bus.GetAddress"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        if probe.returncode == 0 and b"unix:" in probe.stdout:
            return launcher
        if time.monotonic() > deadline:
            raise RuntimeError("the accessibility bus did not come up")
        time.sleep(0.1)


def write_results(path, passed, failed, done):
    with open(path + ".new", "w") as f:
        json.dump({"passed": passed, "failed": failed, "done": done}, f)
    os.replace(path + ".new", path)


def run_cases(args):
    """Runs every case, each in a folder of its own; returns (passed, failed)."""
    sys.path.insert(0, HERE)
    import harness  # after the bus is up: pyatspi connects on import
    pattern = "wayland_*.py" if args.wayland else "case_*.py"
    for path in sorted(glob.glob(os.path.join(HERE, pattern))):
        importlib.import_module(os.path.splitext(os.path.basename(path))[0])

    passed = failed = 0
    for title, fn in harness.CASES:
        if args.only and args.only not in title:
            continue
        run = harness.Run(args.program, args.screenshots)
        started = time.monotonic()
        try:
            fn(run)
        except Exception as e:
            failed += 1
            kind = "" if isinstance(e, harness.Failure) else type(e).__name__ + ": "
            print("FAIL  %s: %s%s" % (title, kind, e), flush=True)
            if not isinstance(e, harness.Failure):
                traceback.print_exc(file=sys.stdout)
            for p in run.programs:
                tail = p.log_tail()
                if tail.strip():
                    print("      program output:\n      " + tail.replace("\n", "\n      "))
        else:
            passed += 1
            print("PASS  %s (%.1fs)" % (title, time.monotonic() - started), flush=True)
        finally:
            run.finish()
            # Kept up to date, so a suite cut short still reports what it got through.
            write_results(args.inner, passed, failed, False)
    return passed, failed


def inner(args):
    launcher = None
    passed = failed = 0
    done = False
    try:
        launcher = start_accessibility_bus()
        passed, failed = run_cases(args)
        done = True
    except Exception:
        traceback.print_exc(file=sys.stdout)
    finally:
        if launcher is not None:
            launcher.terminate()
            try:
                launcher.wait(timeout=5)
            except subprocess.TimeoutExpired:
                launcher.kill()
        if done:
            write_results(args.inner, passed, failed, True)
    return 0 if done and not failed else 1


def main():
    # CTest stops a test that overruns with SIGTERM: clean up as on any other way out.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    args = parse_args()
    if args.inner:
        return inner(args)
    return outer(args)


if __name__ == "__main__":
    sys.exit(main())
