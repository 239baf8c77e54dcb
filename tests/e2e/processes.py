"""Stopping what the suite started."""

import os
import signal
import subprocess


def kill_group(proc, grace=3.0):
    """Stops a process started with its own session and everything in that session."""
    if proc is None:
        return
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(proc.pid, sig)
        except ProcessLookupError:
            break
        try:
            proc.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            continue
        if sig == signal.SIGTERM:
            # The leader is gone; make sure nothing else of its group lingers.
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        break
