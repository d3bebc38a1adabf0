#!/usr/bin/env python3
"""What a screen reader is told: the real program on a private accessibility bus.

Starts the real executable under Xvfb with a session bus of its own and the
AT-SPI bus launcher, and reads the windows as a screen reader does, through
AT-SPI. Every shown control must have a name, and every figure the main and
the mini window show must be readable: the six value lines (heading and
value in the name, each heading heard only with its value), the mini
window's six lines, the progress bar's value, and the lungs and ducks by
what they show; a changed value is announced with a change of value, the
event Orca acts on. The figures are held against what the core computes for
the same record at the same minute. The text boxes tell their whole text as
one run, and their hints.

    accessibility_test.py PATH/TO/kemless PATH/TO/accessibility_figures

Needs at-spi2-core, gir1.2-atspi-2.0, python3-gi, dbus and xvfb (Debian).
"""
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

# The helpers shared by the desktop tests; no compiled copy is left in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from kemless_support import end_process, wait_for  # noqa: E402
from kemless_records import record  # noqa: E402

INNER = "KEMLESS_ACCESSIBILITY_INNER"
# Debian's own interpreter: the gi bindings are installed for it only.
SYSTEM_PYTHON = "/usr/bin/python3"
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

PROGRAM = FIGURES = None
Atspi = GLib = None

HEADINGS = ["卒煙からの日数", "延びた寿命", "節約できた金額", "ステータス", "吸わなかった煙草", "今日の一言"]
# Roles a user operates or reads; each must say what it is.
NAMED_ROLES = {
    "push button", "radio button", "check box", "text", "entry", "combo box", "spin button",
    "label", "image", "progress bar", "list", "list item", "menu item", "scroll bar", "slider",
}


def reexec_on_private_buses():
    """Runs this script again inside Xvfb and a session bus of its own."""
    missing = [p for p in (SYSTEM_PYTHON, BUS_LAUNCHER) if not os.path.exists(p)]
    missing += [p for p in ("xvfb-run", "dbus-run-session") if shutil.which(p) is None]
    if missing:
        sys.exit("accessibility test needs: " + ", ".join(missing))
    env = dict(os.environ, **{INNER: "1"})
    cmd = ["xvfb-run", "-a", "-s", "-screen 0 1366x768x24", "dbus-run-session", "--",
           SYSTEM_PYTHON, os.path.abspath(__file__)] + sys.argv[1:]
    sys.exit(subprocess.run(cmd, env=env, stdin=subprocess.DEVNULL).returncode)


def expect(what, probe, timeout=60.0):
    """What `probe` returns once it is something true; fails, naming `what`,
    after `timeout`."""
    def tolerant():
        try:
            return probe()
        except Exception:  # the tree may change while it is read
            return None
    found = wait_for(tolerant, timeout, step=0.2)
    if not found:
        raise AssertionError(f"timed out waiting for {what}")
    return found


def record_of(quit_moment, window_mode):
    q = quit_moment
    return record(f"{q.year},{q.month},{q.day},{q.hour},{q.minute}", window_mode=window_mode,
                  main_corner=(1500, 1500), mini_corner=(1500, 1500))


class Node:
    """One accessible object and what a screen reader reads of it."""

    def __init__(self, obj):
        self.obj = obj
        self.role = obj.get_role_name()
        self.name = obj.get_name() or ""
        self.description = obj.get_description() or ""
        states = obj.get_state_set()
        self.showing = states.contains(Atspi.StateType.SHOWING)
        self.value = None
        if "Value" in obj.get_interfaces():
            self.value = obj.get_current_value()
        self.text = None
        if "Text" in obj.get_interfaces():
            self.text = obj.get_text(0, obj.get_character_count())

    def __repr__(self):
        return f"{self.role} {self.name!r} {self.description!r}"


def descendants(obj):
    out = []
    for i in range(obj.get_child_count()):
        child = obj.get_child_at_index(i)
        if child is None:
            continue
        out.append(Node(child))
        out += descendants(child)
    return out


class ProgramOnTheBus:
    """The real program with a record in a folder of its own."""

    def __init__(self, record=None, args=(), journal=None):
        self.dir = tempfile.mkdtemp(prefix="kemless-a11y-")
        self.base = os.path.join(self.dir, "base")
        self.data = os.path.join(self.base, "kemlessdata")
        os.makedirs(self.data)
        if record is not None:
            for name, data in zip(("initial.ini", "option.ini"), record):
                with open(os.path.join(self.data, name), "wb") as f:
                    f.write(data)
        if journal is not None:
            with open(os.path.join(self.data, "journal.txt"), "wb") as f:
                f.write(journal)
        env = dict(os.environ, HOME=self.dir, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LANG="C.UTF-8",
                   XDG_RUNTIME_DIR=os.path.join(self.dir, "run"))
        env.pop("QT_QPA_PLATFORM", None)
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        self.process = subprocess.Popen([PROGRAM, "--data-dir", self.base, *args], env=env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)

    def close(self):
        end_process(self.process)
        shutil.rmtree(self.dir, ignore_errors=True)

    def application(self):
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    def window(self, name):
        """The shown top-level window with this accessible name (what the
        window is, not its caption), once its controls are there."""
        def probe():
            app = self.application()
            if app is None:
                return None
            for i in range(app.get_child_count()):
                w = app.get_child_at_index(i)
                if w is not None and w.get_name() == name and \
                        w.get_state_set().contains(Atspi.StateType.SHOWING) and w.get_child_count() > 0:
                    return w
            return None
        return expect(f"the window {name!r}", probe)


class AccessibilityTest(unittest.TestCase):
    def start(self, record=None, args=(), journal=None):
        program = ProgramOnTheBus(record, args, journal)
        self.addCleanup(program.close)
        return program

    def assertEveryShownControlIsNamed(self, window):
        unnamed = [n for n in descendants(window) if n.showing and n.role in NAMED_ROLES and not n.name.strip()]
        self.assertEqual(unnamed, [], "shown controls without a name")

    def figures(self, program):
        # In a sanitizer build a leak report of the helper is no finding here.
        env = dict(os.environ, ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0")
        out = subprocess.run([FIGURES, os.path.join(program.data, "initial.ini"),
                              os.path.join(program.data, "option.ini")],
                             capture_output=True, text=True, check=True, env=env).stdout.split("\n")
        return {"minute": out[0], "captions": out[1:7], "progress": int(out[7]),
                "mini": out[8].replace("\\n", "\n"), "toggled": out[9], "won": out[10:13],
                "health": out[13], "steps": out[14:24]}

    def read_at_one_minute(self, program, read, matches):
        """What `read` sees and the figures of the same minute. The window
        shows the minute of its last refresh, up to 30 seconds old: read
        again until what is seen `matches` the figures, for longer than one
        refresh; the last reading is returned either way, for the caller's
        checks to say what differs."""
        deadline = time.monotonic() + 45
        while True:
            before = self.figures(program)
            seen = read()
            after = self.figures(program)
            if before == after and matches(seen, before) or time.monotonic() > deadline:
                return seen, before
            time.sleep(1)

    def test_main_window_tells_every_figure(self):
        # Twenty days ago: the bar is visible, the vice-captain has come, the
        # lungs are red, and the message of the day draws no lots.
        quit_moment = datetime.datetime.now() - datetime.timedelta(days=20, hours=3)
        program = self.start(record_of(quit_moment, 0))
        window = program.window("ケムレス")
        self.assertEveryShownControlIsNamed(window)

        def read():
            nodes = [n for n in descendants(window) if n.showing]
            lines = {n.name.split("　")[0]: n for n in nodes if n.role == "label"}
            return nodes, lines
        def matches(seen, expected):
            lines = seen[1]
            return all(heading in lines and lines[heading].name == heading + "　" + caption
                       for heading, caption in zip(HEADINGS, expected["captions"]))
        (nodes, lines), expected = self.read_at_one_minute(program, read, matches)
        for heading, caption in zip(HEADINGS, expected["captions"]):
            with self.subTest(heading=heading):
                self.assertIn(heading, lines)
                self.assertEqual(lines[heading].name, heading + "　" + caption)
        # Each heading is heard once, with its value: no shown label says it alone.
        self.assertEqual([(n.role, n.name, n.obj.get_state_set().get_states()) for n in nodes if n.name in HEADINGS + ["肺の状態"]], [])
        bars = [n for n in nodes if n.role == "progress bar"]
        self.assertEqual(len(bars), 1)
        self.assertEqual(bars[0].name, "次のアヒルまで")
        self.assertEqual(bars[0].value, expected["progress"])
        names = [n.name for n in nodes]
        self.assertIn(("image", "肺の状態　赤"), [(n.role, n.name) for n in nodes])
        self.assertIn("アヒル副隊長　お祝いに来ました", names)
        # Hidden ducks are not shown to the reader either.
        self.assertNotIn("アヒル隊長　お祝いに来ました", names)

    def test_a_changed_value_is_announced(self):
        # A click switches the elapsed-time line to its total-days form; a
        # reader sitting on the line is told of the change by a change of
        # value (Qt 6.4 sends name changes without the new name), and reads
        # the new name.
        quit_moment = datetime.datetime.now() - datetime.timedelta(days=20, hours=3)
        program = self.start(record_of(quit_moment, 0))
        window = program.window("ケムレス")
        heard = []

        def listen(event):
            try:
                heard.append((event.type, event.source.get_name(), event.source.get_current_value()))
            except Exception:  # a source gone meanwhile
                pass
        listener = Atspi.EventListener.new(listen)
        kind = "object:property-change:accessible-value"
        listener.register(kind)
        self.addCleanup(listener.deregister, kind)

        context = GLib.MainContext.default()

        def announced(value):
            context.iteration(False)
            return any(h[1] == HEADINGS[0] + "　" + value for h in heard)
        # Tried again when the minute turns, the window still shows the
        # minute of its last refresh (up to 30 seconds old), or the refresh
        # puts the calendar form back between the figures and the click.
        deadline = time.monotonic() + 45
        while time.monotonic() < deadline:
            toggled = self.figures(program)["toggled"]
            line = next(n for n in descendants(window) if n.showing and n.name.startswith(HEADINGS[0] + "　"))
            box = line.obj.get_extents(Atspi.CoordType.SCREEN)
            if line.name == HEADINGS[0] + "　" + toggled:  # already switched: switch back first
                Atspi.generate_mouse_event(box.x + 20, box.y + box.height // 2, "b1c")
                time.sleep(0.5)
            heard.clear()
            Atspi.generate_mouse_event(box.x + 20, box.y + box.height // 2, "b1c")
            try:
                expect(f"the announcement of {toggled!r}", lambda: announced(toggled), timeout=5)
                return
            except AssertionError:
                continue
        self.fail(f"the new value was never announced; heard {heard}")

    def test_mini_window_tells_its_six_lines(self):
        quit_moment = datetime.datetime.now() - datetime.timedelta(days=800, hours=5)
        program = self.start(record_of(quit_moment, 1))
        window = program.window("ケムレス　ミニサイズ")
        self.assertEveryShownControlIsNamed(window)

        def read():
            return [n for n in descendants(window) if n.showing and n.role == "label"]
        labels, expected = self.read_at_one_minute(
            program, read, lambda seen, expected: [n.name for n in seen] == ["卒煙の記録　" + expected["mini"]])
        self.assertEqual([n.name for n in labels], ["卒煙の記録　" + expected["mini"]])
        self.assertEqual(len(expected["mini"].split("\n")), 6)

    def test_the_craving_helper_tells_its_countdown_and_figures(self):
        quit_moment = datetime.datetime.now() - datetime.timedelta(days=20, hours=3)
        program = self.start(record_of(quit_moment, 0), ["--craving"])
        window = program.window("吸いたくなったら")
        # It asks how the craving ended, and says what it is for as it comes up.
        self.assertEqual(window.get_role_name(), "dialog")
        self.assertTrue(window.get_description().startswith("吸いたい気持ちの波は"), window.get_description())
        self.assertEveryShownControlIsNamed(window)

        def read():
            return [n for n in descendants(window) if n.showing and n.role == "label"]
        labels, expected = self.read_at_one_minute(
            program, read, lambda seen, expected: all(w in [n.name for n in seen] for w in expected["won"]))
        names = [n.name for n in labels]
        for line in expected["won"]:
            self.assertIn(line, names)
        self.assertTrue(any(n.startswith("あと") and ("分" in n or "秒" in n) for n in names), names)
        buttons = [n.name for n in descendants(window) if n.showing and n.role == "push button"]
        self.assertEqual(buttons, ["乗り越えた", "吸ってしまった", "閉じる"])
        self.assertTrue(any(n.name.startswith("呼吸のガイド") for n in descendants(window)))

    def test_the_health_timeline_tells_every_step(self):
        quit_moment = datetime.datetime.now() - datetime.timedelta(days=20, hours=3)
        program = self.start(record_of(quit_moment, 0), ["--health"])
        window = program.window("回復のあゆみ")
        self.assertEveryShownControlIsNamed(window)

        def read():
            return [n.name for n in descendants(window) if n.role == "label"]
        names, expected = self.read_at_one_minute(
            program, read, lambda seen, expected: expected["health"] in seen and all(s in seen for s in expected["steps"]))
        self.assertIn(expected["health"], names)
        for step in expected["steps"]:
            self.assertIn(step, names)
        self.assertIn("出典: 厚生労働省 e-ヘルスネット「禁煙の効果」", names)
        bars = [n for n in descendants(window) if n.role == "progress bar"]
        self.assertEqual([b.name for b in bars], ["「１〜９ヶ月後」までの道のり"])

    def test_the_record_tells_its_chart_in_words(self):
        quit_moment = datetime.datetime.now() - datetime.timedelta(days=20, hours=3)
        program = self.start(record_of(quit_moment, 0), ["--record"])
        window = program.window("これまでの記録")
        self.assertEveryShownControlIsNamed(window)
        names = [n.name for n in descendants(window) if n.showing]
        self.assertIn("今回の卒煙で乗り越えた吸いたい気持ち　０回", names)
        self.assertTrue(any(n.startswith("この２８日間に乗り越えた回数　この２８日間（") for n in names), names)

    def test_answers_are_kept_in_the_journal_and_read_by_the_next_run(self):
        # One run passes an urge, the next slips, a third shows the record:
        # each starts where the one before left its journal.
        quit_moment = datetime.datetime.now() - datetime.timedelta(days=20, hours=3)
        record, journal = record_of(quit_moment, 0), None
        for answer, kind in (("乗り越えた", "urge"), ("吸ってしまった", "slip")):
            program = self.start(record, ["--craving"], journal)
            window = program.window("吸いたくなったら")
            button = next(n for n in descendants(window) if n.role == "push button" and n.name == answer)
            button.obj.do_action(0)
            path = os.path.join(program.data, "journal.txt")
            def ends_with_it():
                if not os.path.exists(path):
                    return False
                with open(path, "rb") as f:
                    return f.read().decode().endswith(f" {kind}\n")
            expect(f"a {kind} line", ends_with_it)
            with open(path, "rb") as f:
                journal = f.read()
            program.close()
        self.assertEqual([line.split(" ")[2] for line in journal.decode().splitlines()], ["urge", "slip"])
        program = self.start(record, ["--record"], journal)
        window = program.window("これまでの記録")
        names = [n.name for n in descendants(window) if n.showing]
        for line in ("今回の卒煙で乗り越えた吸いたい気持ち　１回", "今回の卒煙で吸ってしまった　１回",
                     "これまでに乗り越えた吸いたい気持ち　１回"):
            self.assertIn(line, names)
        # Kept for good: no word that it lasts only the run.
        self.assertFalse(any("終了するまで" in n for n in names), names)

    def test_settings_dialog_names_every_control(self):
        quit_moment = datetime.datetime.now() - datetime.timedelta(days=400)
        program = self.start(record_of(quit_moment, 0))
        window = program.window("ケムレス")
        button = next(n for n in descendants(window) if n.role == "push button" and n.name == "設定")
        button.obj.do_action(0)
        dialog = program.window("設定ウィンドウ")
        self.assertEqual(dialog.get_role_name(), "dialog")
        self.assertEqual(dialog.get_description(), "全て半角で記入してください")
        self.assertEveryShownControlIsNamed(dialog)
        nodes = [n for n in descendants(dialog) if n.showing]
        # Every box says its whole text, in one run of attributes (a screen
        # reader joins the runs), and what it takes.
        boxes = {n.name: n for n in nodes if n.role == "text"}
        self.assertEqual(boxes["一箱（２０本）の金額"].text, "480")
        self.assertEqual(boxes["一箱（２０本）の金額"].description, "（１から２０００までの半角数字で記入）")
        for box in boxes.values():
            with self.subTest(box=box.name):
                count = box.obj.get_character_count()
                if count:
                    _, start, end = box.obj.get_attribute_run(0, False)
                    self.assertEqual((start, end), (0, count))
                self.assertTrue(box.description.startswith("（"))
        # The list says what is chosen; the option buttons their group.
        self.assertEqual([n.text for n in nodes if n.role == "combo box"], ["ソルジャー"])
        self.assertIn("サイズ　ロング", [n.name for n in nodes if n.role == "radio button"])

    def test_first_run_setup_and_ceremony_name_every_control(self):
        program = self.start()
        setup = program.window("ケムレス初期設定")
        self.assertEveryShownControlIsNamed(setup)
        nodes = descendants(setup)
        boxes = [n for n in nodes if n.showing and n.role in ("text", "entry")]
        self.assertEqual([(n.name, n.description) for n in boxes],
                         [("一日あたりに吸っているタバコの本数", "（１から２００までの半角数字で記入）"),
                          ("一箱（２０本）あたりのタバコの金額", "（１から２０００の半角数字で記入）")])
        for box, value in zip(boxes, ("20", "450")):
            box.obj.set_text_contents(value)
        next(n for n in nodes if n.role == "push button" and n.name == "設定する").obj.do_action(0)
        ceremony = program.window("卒煙の開始")
        self.assertEqual(ceremony.get_role_name(), "dialog")
        self.assertEqual(ceremony.get_description(), "ようこそケムレスへ これでタバコとは、永遠のサヨナラとなります。 "
                                                     "今から卒煙を開始しますか？ どうしますか？")
        self.assertEveryShownControlIsNamed(ceremony)


def main():
    global PROGRAM, FIGURES, Atspi, GLib
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    if not os.environ.get(INNER):
        reexec_on_private_buses()
    PROGRAM, FIGURES = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        # A program started before the bus answers never joins it.
        expect("the accessibility bus", lambda: subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
             "org.a11y.Bus.GetAddress"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0)
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi as atspi
        from gi.repository import GLib as glib
        Atspi, GLib = atspi, glib
        expect("the accessibility registry", lambda: Atspi.get_desktop(0).get_child_count() >= 0)
        unittest.main(argv=sys.argv[:1], verbosity=2)
    finally:
        launcher.terminate()
        launcher.wait()


if __name__ == "__main__":
    main()
