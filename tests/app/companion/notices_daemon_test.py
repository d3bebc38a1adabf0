#!/usr/bin/env python3
"""--notify of the real program with a real notification daemon (dunst) on a
private session bus and a private X server, across runs at clocks set by
libfaketime: what was crossed while the program was off arrives once, at
the next start, and never again, not after a restart nor a clock set back.
What dunst received is read back from its history (dunstctl history, JSON).

Exits 77 (skipped) when a tool is missing: Xvfb, dbus-daemon, dbus-send,
dunst, dunstctl, libfaketime.

    notices_daemon_test.py PATH/TO/kemless
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

# The helpers shared by the desktop tests; no compiled copy is left in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from kemless_support import (  # noqa: E402
    end_process, end_process_groups, has_claimed, start_session_bus, start_xvfb, wait_for)
from kemless_records import RECORD_INITIAL, RECORD_OPTION  # noqa: E402

PROGRAM = None
FAKETIME_LIBS = ["/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1", "/usr/lib/faketime/libfaketime.so.1"]
# The record of kemless_records quits on 2026-11-01 at 09:00, 25 a day of the
# 100 mm size, the soldier theme. What is crossed between 2026-11-20 10:00
# and 2026-12-02 08:00: the title 大将 (30 days), the first full month (12-01 09:00), the duck of the first
# month, 70 m of cigarettes (28 days at 2.5 m a day) and the step of 回復のあゆみ
# a month brings, each named by the latest of its kind.
WHILE_AWAY = ("お休みのあいだに：ランクアップ『大将』、卒煙１ヶ月達成、アヒル隊長のお祝い、吸わなかったタバコが７０ｍ、"
              "回復のあゆみ「１〜９ヶ月後」",
              "ランクアップ！\nステータスが「大将」になりました。\n"
              "卒煙１ヶ月達成！\n卒煙して１ヶ月になりました。おめでとうございます。\n"
              "アヒルからのお知らせ\nアヒル隊長がお祝いに来ました。\n"
              "吸わなかったタバコが７０ｍに！\n並べると太陽の塔に匹敵します。\n"
              "せきが改善し、スタミナが戻ってきます。")


class NoticesToARealDaemon(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="kemless-dunst-")
        self.processes = []
        run = os.path.join(self.tmp, "run")
        os.makedirs(run, mode=0o700)
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS",
                                 "LD_PRELOAD", "FAKETIME")}
        self.env.update(HOME=self.tmp, XDG_RUNTIME_DIR=run, XDG_CONFIG_HOME=os.path.join(self.tmp, "config"),
                        LANG="C.UTF-8")
        start_xvfb(self.env, self.processes)
        start_session_bus(self.env, self.processes)
        self.spawn(["dunst"])
        # Asked before dunst holds its name, the bus would start another one.
        self.assertTrue(wait_for(self.daemon_is_up), "dunst did not take the notification service")
        self.base = os.path.join(self.tmp, "base")
        self.journal = os.path.join(self.base, "kemlessdata", "journal.txt")
        os.makedirs(os.path.dirname(self.journal))
        for name, content in (("initial.ini", RECORD_INITIAL), ("option.ini", RECORD_OPTION)):
            with open(os.path.join(self.base, "kemlessdata", name), "wb") as f:
                f.write(content)

    def tearDown(self):
        end_process_groups(self.processes, grace=5)
        shutil.rmtree(self.tmp, ignore_errors=True)

    def spawn(self, command, pass_fds=()):
        p = subprocess.Popen(command, env=self.env, cwd=self.tmp, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, pass_fds=pass_fds, start_new_session=True)
        self.processes.append(p)
        return p

    def daemon_is_up(self):
        out = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/",
                              "org.freedesktop.DBus.NameHasOwner", "string:org.freedesktop.Notifications"],
                             env=self.env, capture_output=True, text=True).stdout
        return "boolean true" in out

    def received(self):
        """Every notice dunst was sent so far, oldest first: (app, summary, body)."""
        subprocess.run(["dunstctl", "close-all"], env=self.env, capture_output=True, timeout=10)
        time.sleep(0.2)
        out = subprocess.run(["dunstctl", "history"], env=self.env, capture_output=True, timeout=10).stdout
        history = json.loads(out)["data"][0]
        return [(n["appname"]["data"], n["summary"]["data"], n["body"]["data"]) for n in reversed(history)]

    def journal_lines(self):
        try:
            with open(self.journal, encoding="utf-8") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def run_at(self, clock, settle=3.0):
        """Starts the program with --notify at `clock` (then running on), lets
        its first refresh and anything it sends arrive, and ends it."""
        env = dict(self.env, QT_QPA_PLATFORM="offscreen", FAKETIME=f"@{clock}",
                   LD_PRELOAD=next(p for p in FAKETIME_LIBS if os.path.exists(p)),
                   # A sanitizer build must not mind the preloaded clock, nor
                   # count what it keeps as leaks of the program.
                   ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0:detect_leaks=0")
        before = len(self.journal_lines())
        said = tempfile.TemporaryFile(dir=self.tmp)
        self.addCleanup(said.close)
        p = subprocess.Popen([PROGRAM, "--notify", "--data-dir", self.base], env=env, cwd=self.tmp,
                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=said,
                             start_new_session=True)
        try:
            self.assertTrue(wait_for(lambda: has_claimed(self.env) or p.poll() is not None), clock)
            self.assertIsNone(p.poll(), f"{clock}: ended early")
            # The first refresh reads the journal and writes what it decided;
            # whatever was to be sent has been sent well within this.
            time.sleep(settle)
            added = self.journal_lines()[before:]
        finally:
            end_process(p, grace=10)
        said.seek(0)
        self.assertEqual(p.returncode, 0, said.read().decode())
        return added

    def test_crossed_while_off_arrives_once_at_the_next_start(self):
        # A started record with no journal yet: the first --notify run
        # starts one at "now" and says nothing old.
        added = self.run_at("2026-11-20 10:00:00")
        self.assertEqual([line.split(" ")[2] for line in added], ["seen"] * 5, added)
        # Five steps of 回復のあゆみ are behind it, and none is said.
        self.assertEqual(added[4].split(" ")[2:5], ["seen", "health", "5"])
        self.assertEqual(self.received(), [])

        # The next morning after the crossings, one notice names them all.
        added = self.run_at("2026-12-02 08:00:00")
        self.assertEqual(self.received(), [("ケムレス", *WHILE_AWAY)])
        self.assertEqual([line.split(" ")[2:4] for line in added],
                         [["notice", "title"], ["notice", "month"], ["notice", "duck"], ["notice", "length"],
                          ["notice", "health"]])

        # A restart, the clock set back a week, and forward again: silence,
        # and nothing more written.
        for clock in ("2026-12-02 08:05:00", "2026-11-25 12:00:00", "2026-12-02 09:00:00"):
            with self.subTest(clock=clock):
                self.assertEqual(self.run_at(clock), [])
                self.assertEqual(len(self.received()), 1)

        # The next milestone still arrives, once: 80 m, 32 days after the quit.
        self.run_at("2026-12-03 18:00:00")
        received = self.received()
        self.assertEqual(len(received), 2, received)
        self.assertEqual(received[1][1], "お休みのあいだに：吸わなかったタバコが８０ｍ")
        self.run_at("2026-12-03 18:01:00")
        self.assertEqual(len(self.received()), 2)


def missing_tools():
    missing = [t for t in ("Xvfb", "dbus-daemon", "dbus-send", "dunst", "dunstctl") if shutil.which(t) is None]
    if not any(os.path.exists(p) for p in FAKETIME_LIBS):
        missing.append("libfaketime")
    return missing


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    if missing_tools():
        print("skipped: missing " + ", ".join(missing_tools()))
        sys.exit(77)
    unittest.main(verbosity=2)
