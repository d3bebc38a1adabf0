"""What the scripts that start the real program share: waiting for a
condition instead of sleeping, knowing when a started copy has claimed
its place as the one running copy (its lock and socket are there), when
a window manager has taken an X screen; starting an X server of a test's
own; and ending what a test started, the program and the desktops the
tests make of their own (X servers, buses, window managers, Orca)."""
import os
import signal
import subprocess
import time


def wait_for(check, timeout=20.0, step=0.05):
    """Calls `check` until it returns something true; that value, or None
    once `timeout` seconds have passed."""
    deadline = time.monotonic() + timeout
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(step)


def instance_folder(env):
    """Where a copy started with `env` keeps its lock and socket: the runtime
    folder when that is the user's alone, else ~/.cache/kemless."""
    runtime = env.get("XDG_RUNTIME_DIR")
    if runtime:
        try:
            st = os.lstat(runtime)
            if st.st_uid == os.geteuid() and st.st_mode & 0o077 == 0:
                return runtime
        except OSError:
            pass
    cache = env.get("XDG_CACHE_HOME") or os.path.join(env.get("HOME", ""), ".cache")
    return os.path.join(cache, "kemless")


def has_claimed(env):
    """True once a copy started with `env` listens as the running copy."""
    return os.path.exists(os.path.join(instance_folder(env), "kemless.socket"))


def has_window_manager(env):
    """True once a window manager has finished starting on the X display of
    `env`, so a window mapped from then on is its to frame. Openbox names its
    check window well before it takes new windows; the list of the windows it
    manages comes last."""
    out = subprocess.run(["xprop", "-root", "_NET_CLIENT_LIST"], env=dict(env), capture_output=True).stdout
    return b"_NET_CLIENT_LIST(WINDOW)" in out


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
        for stream in (p.stdout, p.stderr):
            if stream:
                stream.close()


def _start_reporting(argv_with_fd, env, processes, what):
    """Starts a daemon that writes one line (its display or address) to a
    pipe whose descriptor `argv_with_fd` puts on its command line; adds it to
    `processes` and returns (process, line)."""
    read_end, write_end = os.pipe()
    process = subprocess.Popen(argv_with_fd(write_end), env=env, pass_fds=(write_end,), stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    processes.append(process)
    os.close(write_end)
    with os.fdopen(read_end) as f:
        line = f.readline().strip()
    if not line:
        raise RuntimeError(f"{what} gave nothing")
    return process, line


def start_xvfb(env, processes, size="1024x768x24"):
    """A private X server on a display number it picks itself (-displayfd),
    added to `processes`; sets DISPLAY in `env`. -noreset: a server resets
    when its last client leaves, and a client that connects then fails."""
    xvfb, number = _start_reporting(
        lambda fd: ["Xvfb", "-displayfd", str(fd), "-screen", "0", size, "-nolisten", "tcp", "-noreset"], env,
        processes, "Xvfb")
    env["DISPLAY"] = f":{number}"
    return xvfb


def start_session_bus(env, processes):
    """A private session bus (dbus-daemon), added to `processes`; sets
    DBUS_SESSION_BUS_ADDRESS in `env`."""
    bus, address = _start_reporting(lambda fd: ["dbus-daemon", "--session", "--nofork", f"--print-address={fd}"],
                                    env, processes, "dbus-daemon")
    env["DBUS_SESSION_BUS_ADDRESS"] = address
    return bus
