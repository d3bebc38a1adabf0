#!/usr/bin/env python3
"""The windows beside the display with the real program on Xvfb and openbox:
opened from the command line (--craving, --record, --health, --plan) and from the
launcher entry's actions, in a fresh start and beside a running copy, which
opens the window asked for while the later start ends with one line. Before
the quit has started the first-run setup comes first."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from kemless_support import end_process_groups, has_claimed, has_window_manager, start_xvfb, wait_for  # noqa: E402
from kemless_records import RECORD_INITIAL, RECORD_OPTION  # noqa: E402

PROGRAM = None
DESKTOP_ENTRY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "desktop",
                             "kemless.desktop")
MAIN = " ケムレス - lunapo"
SETUP = " ケムレス初期設定 - lunapo"
TITLES = {"craving": "吸いたくなったら - ケムレス", "record": "これまでの記録 - ケムレス",
          "health": "回復のあゆみ - ケムレス", "plan": "わたしの卒煙プラン - ケムレス"}


def desktop_actions():
    """{action: Exec line} of the launcher entry's [Desktop Action …] groups."""
    actions, group = {}, None
    with open(DESKTOP_ENTRY, encoding="utf-8") as f:
        for line in f.read().splitlines():
            if line.startswith("[Desktop Action "):
                group = line[len("[Desktop Action "):-1]
            elif line.startswith("["):
                group = None
            elif group and line.startswith("Exec="):
                actions[group] = line[len("Exec="):]
    return actions


class RecoveryWindows(unittest.TestCase):
    def setUp(self):
        for tool in ("Xvfb", "openbox", "xprop", "xwininfo"):
            if not shutil.which(tool):
                self.skipTest(f"{tool} is not installed")
        self.tmp = tempfile.mkdtemp(prefix="kemless-recovery-")
        self.processes = []
        run = os.path.join(self.tmp, "run")
        os.makedirs(run, mode=0o700)
        self.data = os.path.join(self.tmp, "data", "kemless", "kemlessdata")
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS")}
        self.env.update(HOME=self.tmp, XDG_RUNTIME_DIR=run, XDG_DATA_HOME=os.path.join(self.tmp, "data"),
                        XDG_CONFIG_HOME=os.path.join(self.tmp, "config"), LANG="C.UTF-8")
        start_xvfb(self.env, self.processes, "1366x768x24")
        self.assertTrue(wait_for(lambda: subprocess.run(["xwininfo", "-root"], env=self.env,
                                                        capture_output=True).returncode == 0), "Xvfb did not answer")
        self.spawn("openbox")
        self.assertTrue(wait_for(lambda: has_window_manager(self.env)), "openbox did not start")

    def tearDown(self):
        end_process_groups(self.processes)
        shutil.rmtree(self.tmp, ignore_errors=True)

    def spawn(self, *args, stderr=subprocess.DEVNULL):
        p = subprocess.Popen(list(args), env=self.env, cwd=self.tmp, stdin=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=stderr, start_new_session=True)
        self.processes.append(p)
        return p

    def put_record(self):
        os.makedirs(self.data)
        for name, content in (("initial.ini", RECORD_INITIAL), ("option.ini", RECORD_OPTION)):
            with open(os.path.join(self.data, name), "wb") as f:
                f.write(content)

    def record_bytes(self):
        return {name: open(os.path.join(self.data, name), "rb").read() for name in sorted(os.listdir(self.data))}

    def titles(self):
        """The titles of the windows openbox manages (mapped ones)."""
        out = subprocess.run(["xprop", "-root", "_NET_CLIENT_LIST"], env=self.env, capture_output=True,
                             text=True).stdout
        if "#" not in out:
            return set()
        found = set()
        for wid in out.split("#", 1)[1].replace(",", " ").split():
            name = subprocess.run(["xprop", "-id", wid, "_NET_WM_NAME"], env=self.env, capture_output=True,
                                  text=True).stdout
            if "=" in name:
                found.add(name.split("=", 1)[1].strip().strip('"'))
        return found

    def shows(self, *titles):
        return wait_for(lambda: set(titles) <= self.titles(), timeout=30)

    def later_start(self, *args):
        """A start beside the running copy: it ends by itself with one line."""
        r = subprocess.run([PROGRAM, *args], env=self.env, cwd=self.tmp, capture_output=True, timeout=30,
                           stdin=subprocess.DEVNULL)
        return r.returncode, r.stderr.decode()

    def test_each_option_opens_its_window_at_start(self):
        self.put_record()
        for window in ("craving", "record", "health", "plan"):
            with self.subTest(window=window):
                program = self.spawn(PROGRAM, f"--{window}")
                self.assertTrue(self.shows(MAIN, TITLES[window]), self.titles())
                os.killpg(program.pid, signal.SIGTERM)
                self.assertEqual(program.wait(10), 0)
                self.assertTrue(wait_for(lambda: not self.titles() & {MAIN, TITLES[window]}))

    def test_a_running_copy_opens_what_a_later_start_asks_for(self):
        self.put_record()
        self.spawn(PROGRAM)
        self.assertTrue(self.shows(MAIN))
        self.assertTrue(wait_for(lambda: has_claimed(self.env)))
        before = self.record_bytes()
        for window in ("health", "record", "craving", "plan"):
            with self.subTest(window=window):
                status, err = self.later_start(f"--{window}")
                self.assertEqual(status, 0, err)
                self.assertEqual(err.strip().splitlines(),
                                 [f"kemless: 起動中のケムレスで「{TITLES[window].split(' - ')[0]}」を開きました"])
                self.assertTrue(self.shows(TITLES[window]), self.titles())
        # Neither the later starts nor the windows wrote anything.
        self.assertEqual(self.record_bytes(), before)
        # A plain later start still brings the display forward, as always.
        self.assertIn(MAIN, self.titles())

    def test_the_launcher_actions_open_their_windows(self):
        actions = desktop_actions()
        self.assertEqual(sorted(actions), ["craving", "health", "plan", "record"])
        self.put_record()
        # The first action starts the program; the others reach it running.
        for i, (name, exec_line) in enumerate(sorted(actions.items())):
            with self.subTest(action=name):
                program, *args = exec_line.split()
                self.assertEqual(program, "kemless")
                if i == 0:
                    self.spawn(PROGRAM, *args)
                    self.assertTrue(wait_for(lambda: has_claimed(self.env)))
                else:
                    status, err = self.later_start(*args)
                    self.assertEqual(status, 0, err)
                self.assertTrue(self.shows(TITLES[name]), self.titles())
        self.assertIn(MAIN, self.titles())

    def test_before_the_quit_has_started_the_setup_comes_first(self):
        program = self.spawn(PROGRAM, "--craving", stderr=subprocess.PIPE)
        self.assertTrue(self.shows(SETUP), self.titles())
        self.assertNotIn(TITLES["craving"], self.titles())
        os.killpg(program.pid, signal.SIGTERM)
        program.wait(10)
        self.assertIn("「吸いたくなったら」は、卒煙を始めたあとで開きます", program.stderr.read().decode())


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main()
