"""Ending what a test started: the real program, and the desktops the tests
make of their own (X servers, buses, window managers, Orca)."""
import os
import signal
import subprocess


def end_process(process, grace=10.0):
    """SIGTERM (the program saves and ends on it), SIGKILL after `grace`
    seconds."""
    if process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def end_process_groups(processes, grace=10.0):
    """Each was started in a session of its own: the whole group goes, with
    whatever it started (a bus daemon, a service), the newest first."""
    for p in reversed(processes):
        try:
            os.killpg(p.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            p.wait(grace)
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, signal.SIGKILL)
            p.wait()
