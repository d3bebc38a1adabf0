#!/usr/bin/env python3
"""--notify of the real program with a real notification daemon (dunst) on a
private session bus and a private X server, across runs at clocks set by
libfaketime: what was crossed while the program was off arrives once, at
the next start, and never again, not after a restart nor a clock set back;
an alarm of plan.ini is said once a day, and its 「吸いたくなったら」 action,
chosen in dunst's own menu, opens the helper.
What dunst received is read back from its history (dunstctl history, JSON).

Exits 77 (skipped) when a tool is missing: Xvfb, dbus-daemon, dbus-send,
dunst, dunstctl, xdotool, libfaketime.

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

# One trigger with its plan, and an alarm for it at 21:30 every day. The
# alarm's runs fall between the record's 90 m (12-07 09:00) and 100 m
# (12-11 09:00), where no milestone is crossed, so the alarm speaks alone.
PLAN = "trigger=お酒 炭酸水を飲む\nalarm=21:30 月火水木金土日 お酒 on\n"
# The alarm's notice: the hour and minute in full-width digits, then the
# trigger's if-then line.
ALARM_NOTICE = ("ケムレス", "つらい時間のお知らせ", "２１時３０分になりました。お酒に吸いたくなったら → 炭酸水を飲む")
CRAVING_CAPTION = "吸いたくなったら - ケムレス"

# dunst's context menu runs this in place of dmenu: it keeps the lines it was
# offered and chooses the one of the 「吸いたくなったら」 action.
MENU_SCRIPT = """#!/bin/sh
offered=$(cat)
printf '%s\\n' "$offered" > "$0.offered"
printf '%s\\n' "$offered" | grep -m 1 '吸いたくなったら'
"""


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
        # A configuration of the test's own: the context menu is the script,
        # and a notice stays until it is closed, so its actions can still be
        # chosen however slow the machine is.
        self.menu = os.path.join(self.tmp, "menu.sh")
        with open(self.menu, "w", encoding="utf-8") as f:
            f.write(MENU_SCRIPT)
        os.chmod(self.menu, 0o700)
        config = os.path.join(self.tmp, "dunstrc")
        with open(config, "w", encoding="utf-8") as f:
            f.write(f"[global]\ndmenu = {self.menu}\n\n[urgency_normal]\ntimeout = 0\n")
        self.spawn(["dunst", "-config", config])
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

    def window_named(self, name):
        """The X windows whose name is `name` exactly (none while there is none)."""
        out = subprocess.run(["xdotool", "search", "--name", f"^{name}$"], env=self.env, capture_output=True,
                             text=True, timeout=10).stdout
        return out.split()

    def offered(self):
        """The lines dunst's context menu was last offered."""
        try:
            with open(self.menu + ".offered", encoding="utf-8") as f:
                return f.read()
        except FileNotFoundError:
            return "(nothing)"

    def start_at(self, clock, display=False):
        """Starts the program with --notify at `clock` (then running on) and
        waits until it is the running copy: offscreen, or on the test's X
        server with `display`. Returns the process and its standard error."""
        env = dict(self.env, FAKETIME=f"@{clock}",
                   LD_PRELOAD=next(p for p in FAKETIME_LIBS if os.path.exists(p)),
                   # A sanitizer build must not mind the preloaded clock, nor
                   # count what it keeps as leaks of the program.
                   ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0:detect_leaks=0")
        if not display:
            env["QT_QPA_PLATFORM"] = "offscreen"
        said = tempfile.TemporaryFile(dir=self.tmp)
        self.addCleanup(said.close)
        p = subprocess.Popen([PROGRAM, "--notify", "--data-dir", self.base], env=env, cwd=self.tmp,
                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=said,
                             start_new_session=True)
        self.addCleanup(end_process, p, 10)
        self.assertTrue(wait_for(lambda: has_claimed(self.env) or p.poll() is not None), clock)
        self.assertIsNone(p.poll(), f"{clock}: ended early")
        return p, said

    def stop(self, p, said):
        end_process(p, grace=10)
        said.seek(0)
        self.assertEqual(p.returncode, 0, said.read().decode())

    def run_at(self, clock, settle=3.0):
        """Starts the program with --notify at `clock`, lets its first refresh
        and anything it sends arrive, and ends it. Returns the journal lines
        it added."""
        before = len(self.journal_lines())
        p, said = self.start_at(clock)
        try:
            # The first refresh reads the journal and writes what it decided;
            # whatever was to be sent has been sent well within this.
            time.sleep(settle)
            added = self.journal_lines()[before:]
        finally:
            self.stop(p, said)
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


    def test_an_alarm_is_said_once_a_day_and_its_action_opens_the_helper(self):
        with open(os.path.join(self.base, "kemlessdata", "plan.ini"), "w", encoding="utf-8") as f:
            f.write(PLAN)
        # Started three minutes after the alarm: it is said, once, and the
        # journal keeps the day said.
        added = self.run_at("2026-12-07 21:33:00")
        self.assertEqual(self.received(), [ALARM_NOTICE])
        alarm_lines = [line.split(" ") for line in added if line.split(" ")[2:4] == ["notice", "alarm"]]
        self.assertEqual(alarm_lines, [["2026-12-07", "21:33", "notice", "alarm", "slot=1", "day=2026-12-07"]],
                         added)

        # A restart ten minutes later, still within the hour: nothing more.
        self.assertEqual(self.run_at("2026-12-07 21:43:00"), [])
        self.assertEqual(self.received(), [ALARM_NOTICE])

        # The next evening, after its time: said again, once.
        added = self.run_at("2026-12-08 21:40:00")
        self.assertEqual(self.received(), [ALARM_NOTICE] * 2)
        self.assertEqual([line.split(" ")[2:] for line in added], [["notice", "alarm", "slot=1", "day=2026-12-08"]])

        # The day after, on the X server and left running: the notice's
        # 「吸いたくなったら」, chosen from dunst's context menu, opens the helper.
        self.assertEqual(self.window_named(CRAVING_CAPTION), [])
        p, said = self.start_at("2026-12-09 21:31:00", display=True)
        try:
            self.assertTrue(wait_for(lambda: subprocess.run(
                ["dunstctl", "count", "displayed"], env=self.env, capture_output=True, text=True,
                timeout=10).stdout.strip() == "1"), "the alarm's notice was not shown")
            subprocess.run(["dunstctl", "context"], env=self.env, capture_output=True, timeout=10, check=True)
            self.assertTrue(wait_for(lambda: self.window_named(CRAVING_CAPTION)),
                            "no helper window; the menu was offered: " + self.offered())
            self.assertIsNone(p.poll())
        finally:
            self.stop(p, said)
        self.assertEqual(self.received(), [ALARM_NOTICE] * 3)


def missing_tools():
    missing = [t for t in ("Xvfb", "dbus-daemon", "dbus-send", "dunst", "dunstctl", "xdotool")
               if shutil.which(t) is None]
    if not any(os.path.exists(p) for p in FAKETIME_LIBS):
        missing.append("libfaketime")
    return missing


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    if missing_tools():
        print("skipped: missing " + ", ".join(missing_tools()))
        sys.exit(77)
    unittest.main(verbosity=2)
