#!/usr/bin/env python3
"""--hidden of the real program on real desktops: X11 (Xvfb) with a window
manager (openbox) and a notification area (trayer), the same without the
notification area, and native Wayland (weston, headless). Each desktop is
skipped when its programs are missing."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

# The helpers shared by the desktop tests; no compiled copy is left in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from kemless_support import end_process_groups, has_claimed, has_window_manager, start_xvfb, wait_for  # noqa: E402
from kemless_records import RECORD_INITIAL, RECORD_OPTION  # noqa: E402

PROGRAM = None


class Desktop(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="kemless-hidden-")
        self.processes = []
        run = os.path.join(self.tmp, "run")
        os.makedirs(run, mode=0o700)
        self.base = os.path.join(self.tmp, "base")
        os.makedirs(os.path.join(self.base, "kemlessdata"))
        for name, content in (("initial.ini", RECORD_INITIAL), ("option.ini", RECORD_OPTION)):
            with open(os.path.join(self.base, "kemlessdata", name), "wb") as f:
                f.write(content)
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS")}
        self.env.update(HOME=self.tmp, XDG_RUNTIME_DIR=run, XDG_CONFIG_HOME=os.path.join(self.tmp, "config"),
                        LANG="C.UTF-8")

    def tearDown(self):
        end_process_groups(self.processes, grace=5)
        shutil.rmtree(self.tmp, ignore_errors=True)

    def spawn(self, *args):
        p = subprocess.Popen(list(args), env=self.env, cwd=self.tmp, stdin=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        self.processes.append(p)
        return p

    # X11

    def start_x(self, with_tray):
        for tool in ("Xvfb", "openbox", "xwininfo", "xprop") + (("trayer",) if with_tray else ()):
            if not shutil.which(tool):
                self.skipTest(f"{tool} is not installed")
        start_xvfb(self.env, self.processes)
        self.assertTrue(wait_for(lambda: subprocess.run(["xwininfo", "-root"], env=self.env,
                                                        capture_output=True).returncode == 0))
        self.spawn("openbox")
        # A window mapped while the window manager is still starting would
        # be nobody's to minimise or frame.
        self.assertTrue(wait_for(lambda: has_window_manager(self.env)), "openbox did not start")
        tray = None
        if with_tray:
            tray = self.spawn("trayer", "--edge", "top", "--align", "right")
            self.assertTrue(wait_for(lambda: '"panel"' in self.tree()))
        return tray

    def tree(self):
        return subprocess.run(["xwininfo", "-root", "-tree"], env=self.env, capture_output=True,
                              text=True).stdout

    def main_window_state(self):
        """The WM_STATE of the main window ("Normal", "Iconic"), None while it has none."""
        for line in self.tree().splitlines():
            if "ケムレス - " in line:
                wid = line.split()[0]
                out = subprocess.run(["xprop", "-id", wid, "WM_STATE"], env=self.env, capture_output=True,
                                     text=True).stdout
                for part in out.splitlines():
                    if "window state:" in part:
                        return part.split(":")[1].strip()
        return None

    def in_tray(self):
        return '"kemless": ("kemless" "kemless")' in self.tree()

    def second_start(self):
        """Starts another copy; it brings the first forward and says so in a box."""
        self.spawn(PROGRAM, "--data-dir", self.base)

    def test_x11_hidden_in_the_notification_area_and_back(self):
        tray = self.start_x(with_tray=True)
        self.spawn(PROGRAM, "--hidden", "--data-dir", self.base)
        # In the area means the start is over: a window it mapped would be mapped now.
        self.assertTrue(wait_for(self.in_tray), self.tree())
        self.assertIsNone(self.main_window_state(), "no main window mapped")
        # The notification area goes away: the window comes back.
        tray.terminate()
        tray.wait(5)
        self.assertTrue(wait_for(lambda: self.main_window_state() == "Normal"), self.tree())

    def test_x11_a_second_start_brings_it_out_of_the_area(self):
        self.start_x(with_tray=True)
        self.spawn(PROGRAM, "--hidden", "--data-dir", self.base)
        self.assertTrue(wait_for(self.in_tray))
        self.second_start()
        self.assertTrue(wait_for(lambda: self.main_window_state() == "Normal"), self.tree())

    def test_x11_without_a_notification_area_minimised(self):
        self.start_x(with_tray=False)
        self.spawn(PROGRAM, "--hidden", "--data-dir", self.base)
        self.assertTrue(wait_for(lambda: self.main_window_state() == "Iconic"), self.tree())
        self.second_start()
        self.assertTrue(wait_for(lambda: self.main_window_state() == "Normal"), self.tree())

    def test_x11_plain_start_is_shown(self):
        self.start_x(with_tray=True)
        self.spawn(PROGRAM, "--data-dir", self.base)
        self.assertTrue(wait_for(lambda: self.main_window_state() == "Normal"), self.tree())
        self.assertFalse(self.in_tray())

    def test_x11_an_area_that_comes_after_a_hidden_start_takes_the_window(self):
        # The login race: the program starts before the panel's area exists.
        self.start_x(with_tray=False)
        self.spawn(PROGRAM, "--hidden", "--notify", "--data-dir", self.base)
        self.assertTrue(wait_for(lambda: self.main_window_state() == "Iconic"), self.tree())
        self.spawn("trayer", "--edge", "top", "--align", "right")
        self.assertTrue(wait_for(self.in_tray), self.tree())
        self.assertTrue(wait_for(lambda: self.main_window_state() in (None, "Withdrawn")), self.tree())

    def test_x11_plain_mode_a_window_hidden_in_the_area_comes_back_when_it_goes(self):
        if not shutil.which("xdotool"):
            self.skipTest("xdotool is not installed")
        tray = self.start_x(with_tray=True)
        self.spawn(PROGRAM, "--data-dir", self.base)
        self.assertTrue(wait_for(lambda: self.main_window_state() == "Normal"), self.tree())
        # A double-click on the window's edge hides it in the area.
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "ケムレス", "windowactivate", "--sync",
                        "mousemove", "--window", "%1", "3", "218", "click", "--repeat", "2", "--delay", "80", "1"],
                       env=self.env, capture_output=True, timeout=20)
        self.assertTrue(wait_for(lambda: self.in_tray() and self.main_window_state() != "Normal"), self.tree())
        tray.terminate()
        tray.wait(5)
        self.assertTrue(wait_for(lambda: self.main_window_state() == "Normal"), self.tree())

    def test_x11_notify_runs_hidden_and_says_nothing_at_start(self):
        # The login start as the autostart entry runs it, on a session bus
        # with a notification service that writes down what it is sent.
        if not shutil.which("dbus-run-session") or not os.path.exists("/usr/bin/python3"):
            self.skipTest("dbus-run-session is not installed")
        self.start_x(with_tray=True)
        fake = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fake_notifications.py")
        log = os.path.join(self.tmp, "notices.jsonl")
        # The program starts once the service holds its name on the bus.
        self.spawn("dbus-run-session", "--", "sh", "-c",
                   '/usr/bin/python3 "$0" "$1" & '
                   'until dbus-send --session --print-reply --dest=org.freedesktop.DBus / '
                   'org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications '
                   '| grep -q "boolean true"; do sleep 0.05; done; '
                   'exec "$2" --hidden --notify --data-dir "$3"',
                   fake, log, PROGRAM, self.base)
        self.assertTrue(wait_for(self.in_tray), self.tree())
        self.assertIsNone(self.main_window_state())
        self.assertFalse(os.path.exists(log) and os.path.getsize(log) > 0, "no notice at start")

    # Wayland

    def screenshot(self):
        """The weston output below its panel, as a PNG file; None without the tools."""
        shots = os.path.join(self.tmp, "shots")
        os.makedirs(shots, exist_ok=True)
        before = set(os.listdir(shots))
        subprocess.run(["weston-screenshooter"], env=self.env, cwd=shots, capture_output=True, timeout=20)
        taken = sorted(set(os.listdir(shots)) - before)
        if not taken:
            return None
        cropped = os.path.join(shots, f"crop-{len(before)}.png")
        subprocess.run(["convert", os.path.join(shots, taken[-1]), "-crop", "800x560+0+40", "+repage", cropped],
                       check=True, capture_output=True)
        return cropped

    def test_wayland_without_a_notification_area_it_is_shown(self):
        if not shutil.which("weston"):
            self.skipTest("weston is not installed")
        socket = f"kemless-test-{os.getpid()}"
        # Pixman drawing and the debug extension let the screenshooter see the output.
        self.spawn("weston", "--backend=headless-backend.so", "--use-pixman", "--debug", f"--socket={socket}",
                   "--idle-time=0", "--width=800", "--height=600")
        self.assertTrue(wait_for(lambda: os.path.exists(os.path.join(self.env["XDG_RUNTIME_DIR"], socket))))
        self.env["WAYLAND_DISPLAY"] = socket
        self.env["QT_QPA_PLATFORM"] = "wayland"
        # In a sanitizer build, the full unwinder, so the known leaks of Qt's
        # Wayland plugin are told apart by function (ignored otherwise).
        self.env["ASAN_OPTIONS"] = ":".join(filter(None, (os.environ.get("ASAN_OPTIONS"),
                                                          "fast_unwind_on_malloc=0")))
        can_look = all(shutil.which(t) for t in ("weston-screenshooter", "convert", "compare"))
        empty = self.screenshot() if can_look else None
        log = os.path.join(self.tmp, "kemless.log")
        with open(log, "wb") as err:
            p = subprocess.Popen([PROGRAM, "--hidden", "--data-dir", self.base], env=self.env, cwd=self.tmp,
                                 stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err,
                                 start_new_session=True)
        self.processes.append(p)
        # Up once it listens as the one running copy; then still running.
        self.assertTrue(wait_for(lambda: has_claimed(self.env) or p.poll() is not None))
        with open(log, encoding="utf-8", errors="replace") as f:
            said = f.read()
        self.assertIsNone(p.poll(), said)
        if empty is not None:
            # A program cannot bring itself back from minimised here, so the
            # window is on the screen: tens of thousands of pixels changed.
            # On a loaded machine the first frame may come late: look again.
            def changed_pixels():
                shown = self.screenshot()
                if shown is None:
                    return 0.0
                diff = subprocess.run(["compare", "-metric", "AE", empty, shown, "null:"], capture_output=True,
                                      text=True)
                return float(diff.stderr.split()[0])
            self.assertTrue(wait_for(lambda: changed_pixels() > 20000), "the window never showed on weston")
        p.send_signal(signal.SIGTERM)
        self.assertEqual(p.wait(10), 0)

if __name__ == "__main__":
    PROGRAM = sys.argv.pop(1)
    unittest.main(verbosity=2)
