#!/usr/bin/env python3
"""How often the real program wakes up while nothing happens, per mode.

    scripts/wakeup-bench.py [--minutes M] [--program PATH] [MODE...]

Each mode runs the program on a private virtual display of its own (Xvfb
-displayfd) with openbox, a private session bus (dbus-daemon) with a real
notification service (dunst), and, where the mode says so, a notification
area (trayer). After the program has settled (15 s) it counts, over M
minutes (default 2), the voluntary context switches of every thread of the
process (/proc/PID/task/*/status): each time a thread goes to sleep again
after something woke it, whatever woke it (a timer, the display, the bus).
Then, for as long again, the waits that ended because a timer ran out
(strace: a poll that returns 0, or a timed wait that runs out). It prints,
a minute: timer wake-ups, context switches of all threads and of the main
thread alone; the share of one core the process used during the first
count; and the resident memory at the start and the end of the first count.

Modes (default: all of them):
    plain            shown, no options
    plain-in-area    shown, then hidden in the notification area by a double-click
    hidden           --hidden, in the notification area
    hidden-no-area   --hidden without a notification area (minimised)
    notify           --notify, shown
    hidden-notify    --hidden --notify, in the notification area (the login start)
    craving          --craving: the craving helper open over the main window,
                     its breathing guide moving (counted within its five
                     minutes: each count at most two minutes)

Nothing here is a test: the figures go in the README ("Performance").
"""
import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
from kemless_support import (  # noqa: E402
    end_process_groups, has_claimed, has_window_manager, start_session_bus, start_xvfb, wait_for)

MODES = {
    # name: (program options, notification area, double-click into the area)
    "plain": ([], True, False),
    "plain-in-area": ([], True, True),
    "hidden": (["--hidden"], True, False),
    "hidden-no-area": (["--hidden"], False, False),
    "notify": (["--notify"], True, False),
    "hidden-notify": (["--hidden", "--notify"], True, False),
    "craving": (["--craving"], True, False),
}
# The craving helper stops moving after five minutes: both counts and the
# settling fit in them.
CRAVING_MINUTES = 2
RECORD_INITIAL = b"2026,11,1,9,0,25,480,100\r\n"
RECORD_OPTION = ('1,58,5,0,5,1,300,300,9241372,16777215,"kemless.example.jp/",0,0,0,"ソルジャー"\r\n'
                 .encode("shift_jis"))
SETTLE_SECONDS = 15


def thread_switches(pid):
    """Voluntary context switches so far of each thread of `pid`, by thread id."""
    counts = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches:"):
                        counts[int(task)] = int(line.split()[1])
        except FileNotFoundError:
            pass  # a thread that ended meanwhile
    return counts


def cpu_seconds(pid):
    """User and system time of the whole process so far, all threads."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def count_wakeups(pid, seconds):
    """Wake-ups of the whole process and of its main thread over `seconds`.
    Threads come and go (Qt's thread pool ends idle threads), so the count
    is looked at every second and a thread's last count is kept."""
    first = thread_switches(pid)
    last = dict(first)
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        time.sleep(min(1.0, max(0.0, deadline - time.monotonic())))
        last.update(thread_switches(pid))
    total = sum(count - first.get(tid, 0) for tid, count in last.items())
    return total, last.get(pid, 0) - first.get(pid, 0)


def is_timeout(line):
    """A wait that ended because its time was up: a poll that returns 0; the
    wait strace interrupted to attach, restarted and then timed out (it
    shows as restart_syscall returning 0); a timed futex wait of another
    thread (a thread pool's idle expiry, say)."""
    line = line.rstrip()
    return (line.endswith("= 0 (Timeout)") or ("restart_syscall" in line and line.endswith(") = 0"))
            or line.endswith("ETIMEDOUT (Connection timed out)"))


def count_timeouts(pid, seconds):
    """Waits of the process that ended because their time was up, not
    because something happened: a timer's wake-up. Counted after the
    context switches, since tracing adds some."""
    out = tempfile.NamedTemporaryFile(prefix="kemless-strace-", delete=False)
    out.close()
    tracer = subprocess.Popen(["strace", "-f", "-qq", "-e",
                               "trace=poll,ppoll,select,pselect6,epoll_wait,epoll_pwait,futex,restart_syscall",
                               "-o", out.name, "-p", str(pid)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(seconds)
    tracer.send_signal(signal.SIGINT)
    tracer.wait(10)
    with open(out.name, errors="replace") as f:
        timeouts = sum(1 for line in f if is_timeout(line))
    os.unlink(out.name)
    return timeouts


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


class Desktop:
    """Xvfb, openbox, a session bus with dunst, and trayer when asked."""

    def __init__(self, with_area):
        self.tmp = tempfile.mkdtemp(prefix="kemless-wakeups-")
        self.processes = []
        runtime = os.path.join(self.tmp, "run")
        os.makedirs(runtime, mode=0o700)
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS")}
        self.env.update(HOME=self.tmp, XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=os.path.join(self.tmp, "config"),
                        LANG="C.UTF-8")
        start_xvfb(self.env, self.processes, "1280x800x24")
        start_session_bus(self.env, self.processes)
        self.spawn(["openbox"])
        if not wait_for(lambda: has_window_manager(self.env)):
            raise SystemExit("openbox did not start")
        self.spawn(["dunst"])
        if with_area:
            self.spawn(["trayer", "--edge", "top", "--align", "right"])
            if not wait_for(lambda: '"panel"' in self.tree()):
                raise SystemExit("trayer did not start")
        self.base = os.path.join(self.tmp, "base")
        os.makedirs(os.path.join(self.base, "kemlessdata"))
        for name, content in (("initial.ini", RECORD_INITIAL), ("option.ini", RECORD_OPTION)):
            with open(os.path.join(self.base, "kemlessdata", name), "wb") as f:
                f.write(content)

    def spawn(self, command, pass_fds=()):
        p = subprocess.Popen(command, env=self.env, cwd=self.tmp, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, pass_fds=pass_fds, start_new_session=True)
        self.processes.append(p)
        return p

    def tree(self):
        return subprocess.run(["xwininfo", "-root", "-tree"], env=self.env, capture_output=True, text=True).stdout

    def close(self):
        end_process_groups(self.processes, grace=5)
        shutil.rmtree(self.tmp, ignore_errors=True)


def measure(program, mode, minutes):
    options, with_area, double_click = MODES[mode]
    desktop = Desktop(with_area)
    try:
        p = desktop.spawn([program, *options, "--data-dir", desktop.base])
        if not wait_for(lambda: has_claimed(desktop.env) or p.poll() is not None):
            raise SystemExit(f"{mode}: the program did not come up")
        if p.poll() is not None:
            raise SystemExit(f"{mode}: the program ended with {p.returncode}")
        if double_click:
            subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "ケムレス", "windowactivate",
                            "--sync", "mousemove", "--window", "%1", "3", "218", "click", "--repeat", "2", "--delay", "80", "1"],
                           env=desktop.env, capture_output=True, timeout=20)
            if not wait_for(lambda: re.search(r'"kemless": \("[^"]*" "kemless"\)', desktop.tree())):
                raise SystemExit(f"{mode}: the double-click did not hide the window in the notification area")
        if mode == "craving":
            minutes = min(minutes, CRAVING_MINUTES)
        time.sleep(SETTLE_SECONDS)
        rss_first = resident_kib(p.pid)
        cpu_first = cpu_seconds(p.pid)
        total, main_thread = count_wakeups(p.pid, minutes * 60)
        cpu = (cpu_seconds(p.pid) - cpu_first) / (minutes * 60) * 100
        rss_last = resident_kib(p.pid)
        timeouts = count_timeouts(p.pid, minutes * 60) if shutil.which("strace") else float("nan")
        if p.poll() is not None:
            raise SystemExit(f"{mode}: the program ended during the count")
        return timeouts / minutes, total / minutes, main_thread / minutes, cpu, rss_first, rss_last
    finally:
        desktop.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--minutes", type=float, default=2)
    parser.add_argument("--program", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build",
                                                          "kemless"))
    parser.add_argument("modes", nargs="*", default=list(MODES))
    args = parser.parse_args()
    for tool in ("Xvfb", "openbox", "trayer", "dunst", "dbus-daemon", "xwininfo", "xprop", "xdotool", "strace"):
        if not shutil.which(tool):
            raise SystemExit(f"{tool} is not installed (./test installs it)")
    program = os.path.abspath(args.program)
    print(f"{program}, {args.minutes:g} min a mode")
    print(f"{'mode':<16} {'timers/min':>10} {'switches/min':>12} {'main thread':>11} {'CPU %':>6} {'RSS start':>10} "
          f"{'RSS end':>10}")
    for mode in args.modes:
        timers, rate, main_rate, cpu, rss_first, rss_last = measure(program, mode, args.minutes)
        print(f"{mode:<16} {timers:>10.1f} {rate:>12.1f} {main_rate:>11.1f} {cpu:>6.2f} {rss_first:>6} KiB "
              f"{rss_last:>6} KiB", flush=True)


if __name__ == "__main__":
    main()
