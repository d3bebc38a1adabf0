#!/usr/bin/env python3
"""The companion's command-line options of the real program: --autostart on|off
with a temporary XDG_CONFIG_HOME, and --summary / --short without a display,
beside a running copy, never writing."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import re
import time
import unicodedata
import unittest

# The helpers shared by the desktop tests; no compiled copy is left in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from kemless_support import has_claimed, wait_for  # noqa: E402
from kemless_records import RECORD_INITIAL, RECORD_OPTION  # noqa: E402

PROGRAM = None


def snapshot(folder):
    """Every file under `folder` with its bytes and modification time."""
    found = {}
    for root, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                found[path] = (f.read(), os.stat(path).st_mtime_ns)
    return found


class CompanionCommandLine(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="kemless-cli-")
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        self.env.update(HOME=os.path.join(self.tmp, "home"), XDG_CONFIG_HOME=os.path.join(self.tmp, "config"),
                        XDG_DATA_HOME=os.path.join(self.tmp, "data"), XDG_RUNTIME_DIR=os.path.join(self.tmp, "run"),
                        LANG="C.UTF-8")
        for d in ("home", "run"):
            os.makedirs(os.path.join(self.tmp, d), mode=0o700)
        self.entry = os.path.join(self.tmp, "config", "autostart", "kemless.desktop")

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def run_program(self, *args, env=None):
        return subprocess.run([PROGRAM, *args], env=env or self.env, cwd=self.env["HOME"], capture_output=True,
                              timeout=30, stdin=subprocess.DEVNULL)

    def put_record(self, base):
        data = os.path.join(base, "kemlessdata")
        os.makedirs(data, exist_ok=True)
        for name, content in (("initial.ini", RECORD_INITIAL), ("option.ini", RECORD_OPTION)):
            with open(os.path.join(data, name), "wb") as f:
                f.write(content)

    def exec_line(self):
        with open(self.entry, encoding="utf-8") as f:
            return [line for line in f.read().splitlines() if line.startswith("Exec=")]

    # --autostart

    def entry_keys(self, path=None):
        with open(path or self.entry, encoding="utf-8") as f:
            return dict(line.split("=", 1) for line in f.read().splitlines() if "=" in line)

    def assert_build_folder_warning(self, stderr):
        # The program under test runs from its build folder, so `on` says the
        # entry will break when that folder goes; installed, it says nothing.
        lines = stderr.decode().splitlines()
        self.assertEqual(len(lines), 1, lines)
        self.assertTrue(lines[0].startswith("kemless: 注意: ビルドしたフォルダのプログラム "), lines[0])

    def test_on_writes_a_valid_entry_and_off_removes_it_each_twice(self):
        r = self.run_program("--autostart", "on")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout.decode().count("\n"), 1)
        self.assertIn(self.entry, r.stdout.decode())
        self.assert_build_folder_warning(r.stderr)
        if shutil.which("desktop-file-validate"):
            v = subprocess.run(["desktop-file-validate", self.entry], capture_output=True)
            self.assertEqual(v.returncode, 0, v.stdout + v.stderr)
        self.assertEqual(self.exec_line(), [f"Exec={os.path.realpath(PROGRAM)} --hidden --notify"])
        keys = self.entry_keys()
        self.assertEqual(keys["TryExec"], os.path.realpath(PROGRAM))
        self.assertEqual(keys["X-GNOME-Autostart-enabled"], "true")
        self.assertLessEqual(int(keys["X-GNOME-Autostart-Delay"]), 10)
        self.assertEqual(keys["X-KDE-autostart-after"], "panel")
        self.assertEqual(keys["X-LXQt-Need-Tray"], "true")
        self.assertNotIn("Hidden", keys)
        status = self.run_program("--autostart", "status")
        self.assertEqual(status.returncode, 0, status.stderr)
        self.assertEqual(status.stdout.decode().splitlines(),
                         [f"kemless: ログイン時の起動はオンです: {self.entry}",
                          f"kemless: 起動するコマンド: {os.path.realpath(PROGRAM)} --hidden --notify"])
        self.assertEqual(status.stderr, b"")
        before = snapshot(os.path.join(self.tmp, "config"))
        again = self.run_program("--autostart", "on")
        self.assertEqual(again.returncode, 0)
        self.assertIn("登録済み", again.stdout.decode())
        self.assertEqual(snapshot(os.path.join(self.tmp, "config")), before)
        # No record, no data folder, no lock: only the entry.
        self.assertFalse(os.path.exists(os.path.join(self.tmp, "data")))
        self.assertEqual(os.listdir(os.path.join(self.tmp, "run")), [])

        off = self.run_program("--autostart", "off")
        self.assertEqual(off.returncode, 0, off.stderr)
        self.assertIn("取り消しました", off.stdout.decode())
        self.assertFalse(os.path.exists(self.entry))
        off_again = self.run_program("--autostart", "off")
        self.assertEqual(off_again.returncode, 0)
        self.assertIn("登録されていません", off_again.stdout.decode())
        self.assertFalse(os.path.exists(self.entry))
        self.assertIn("オフです", self.run_program("--autostart", "status").stdout.decode())

    def test_keys_the_user_added_stay_when_on_rewrites_the_entry(self):
        self.assertEqual(self.run_program("--autostart", "on").returncode, 0)
        with open(self.entry, "a", encoding="utf-8") as f:
            f.write("X-Mine=keep me\nName[de]=Kemless\n")
        base = os.path.join(self.tmp, "records")
        self.put_record(base)
        r = self.run_program("--autostart", "on", "--data-dir", base)
        self.assertEqual(r.returncode, 0, r.stderr)
        keys = self.entry_keys()
        self.assertEqual((keys["X-Mine"], keys["Name[de]"]), ("keep me", "Kemless"))
        self.assertEqual(keys["Exec"], f"{os.path.realpath(PROGRAM)} --hidden --notify --data-dir {base}")

    def test_a_system_wide_entry_is_switched_off_by_a_hidden_user_entry(self):
        system = os.path.join(self.tmp, "xdg")
        os.makedirs(os.path.join(system, "autostart"))
        system_entry = os.path.join(system, "autostart", "kemless.desktop")
        with open(system_entry, "w", encoding="utf-8") as f:
            f.write("[Desktop Entry]\nType=Application\nName=ケムレス\nExec=/usr/bin/kemless --hidden --notify\n"
                    "TryExec=/usr/bin/kemless\n")
        env = dict(self.env, XDG_CONFIG_DIRS=f"relative/ignored:{system}")
        status = self.run_program("--autostart", "status", env=env)
        self.assertEqual(status.returncode, 0)
        if os.access("/usr/bin/kemless", os.X_OK):
            self.assertIn(f"ログイン時の起動はオンです: {system_entry}", status.stdout.decode())
        else:
            # Its TryExec leads nowhere: a session skips it.
            self.assertIn(f"ログイン時の起動はオフです（{system_entry} の TryExec の /usr/bin/kemless が",
                          status.stdout.decode())
        off = self.run_program("--autostart", "off", env=env)
        self.assertEqual(off.returncode, 0, off.stderr)
        self.assertIn("止めました", off.stdout.decode())
        keys = self.entry_keys()
        self.assertEqual(keys["Hidden"], "true")
        with open(system_entry, encoding="utf-8") as f:
            self.assertIn("Exec=/usr/bin/kemless", f.read(), "the system's entry is left alone")
        if shutil.which("desktop-file-validate"):
            v = subprocess.run(["desktop-file-validate", self.entry], capture_output=True)
            self.assertEqual(v.returncode, 0, v.stdout + v.stderr)
        self.assertIn("オフです", self.run_program("--autostart", "status", env=env).stdout.decode())
        # On again: ours is written over the Hidden one, and starts.
        self.assertEqual(self.run_program("--autostart", "on", env=env).returncode, 0)
        self.assertNotIn("Hidden", self.entry_keys())
        self.assertIn("オンです", self.run_program("--autostart", "status", env=env).stdout.decode())

    def test_status_warns_when_the_command_is_gone_or_cannot_run(self):
        moved = os.path.join(self.tmp, "moved")
        os.makedirs(moved)
        not_executable = os.path.join(moved, "kemless")
        with open(not_executable, "w") as f:
            f.write("#!/bin/sh\n")
        os.chmod(not_executable, 0o644)
        no_record = os.path.join(self.tmp, "no record")
        rows = (
            # (Exec, TryExec or None, words the warning must hold)
            (f"{moved}/gone --hidden", None, f"{moved}/gone がありません"),
            (f"{not_executable} --hidden", None, f"{not_executable} は実行できません"),
            (f"kemless-surely-not-on-path --hidden", None, "kemless-surely-not-on-path がありません"),
            (f'{os.path.realpath(PROGRAM)} --hidden --notify --data-dir "{no_record}"', os.path.realpath(PROGRAM),
             f"{no_record}/kemlessdata に卒煙を始めた記録がありません"),
        )
        os.makedirs(os.path.dirname(self.entry))
        for exec_line, try_exec, words in rows:
            with self.subTest(exec_line=exec_line):
                with open(self.entry, "w", encoding="utf-8") as f:
                    f.write("[Desktop Entry]\nType=Application\nName=ケムレス\n"
                            f"Exec={exec_line}\n" + (f"TryExec={try_exec}\n" if try_exec else ""))
                r = self.run_program("--autostart", "status")
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertTrue(r.stdout.decode().startswith("kemless: ログイン時の起動はオンです: "))
                [warning] = r.stderr.decode().splitlines()
                self.assertTrue(warning.startswith("kemless: 注意: "), warning)
                self.assertIn(words, warning)

    def write_entry(self, content):
        os.makedirs(os.path.dirname(self.entry), exist_ok=True)
        with open(self.entry, "wb") as f:
            f.write(content)

    def test_status_reports_an_entry_a_session_skips_as_off_with_the_reason(self):
        gone = os.path.join(self.tmp, "gone")
        rows = (
            # (entry, words of the reason)
            (b"Type=Application\nExec=/bin/true\n", "[Desktop Entry] のグループがありません"),
            (b"[Other]\nType=Application\nExec=/bin/true\n", "[Desktop Entry] のグループがありません"),
            (b"[Desktop Entry]\nType=Application\nExec=/bin/true\x00\n", "NUL バイトが入っています"),
            (b"[Desktop Entry]\nType=Application\nExec=\n", "Exec= が空です"),
            (b"[Desktop Entry]\nType=Application\nExec=  \n", "Exec= が空です"),
            (b"[Desktop Entry]\nType=Application\nName=x\n", "Exec= が空です"),
            (b"[Desktop Entry]\nName=x\nExec=/bin/true\n", "Type=Application ではありません"),
            (b"[Desktop Entry]\nType=Application\nExec=\"/bin/true\n", "引用符が閉じていません"),
            (b"[Desktop Entry]\nType=Application\nExec=/bin/tr\xffue\n", "Exec= が UTF-8 ではありません"),
            (b"[Desktop Entry]\nType=Application\nExec=/bin/true\nnot a key \x1b[2J\n",
             "4 行目が、グループでもキーでもコメントでもありません（not a key \\x1b[2J）"),
            (b"[Desktop Entry\nType=Application\nExec=/bin/true\n", "1 行目が"),
            (f"[Desktop Entry]\nType=Application\nExec=/bin/true\nTryExec={gone}\n".encode(),
             f"TryExec の {gone} が見つからないか実行できないため"),
            (f"[Desktop Entry]\nType=Application\nExec=/bin/true\nTryExec={os.path.abspath(__file__)}\n".encode(),
             "が見つからないか実行できないため"),
        )
        for content, words in rows:
            with self.subTest(entry=content):
                self.write_entry(content)
                r = self.run_program("--autostart", "status")
                self.assertEqual(r.returncode, 0, r.stderr)
                [line] = r.stdout.decode().splitlines()
                self.assertTrue(line.startswith("kemless: ログイン時の起動はオフです（"), line)
                self.assertIn(words, line)
                self.assertNotIn("\x1b", line)
                self.assertEqual(r.stderr, b"")

    def test_status_prints_what_it_read_safely_and_briefly(self):
        # Controls shown escaped, bytes that are not UTF-8 replaced: nothing
        # from the file acts on the terminal.
        self.write_entry(b"[Desktop Entry]\nType=Application\nExec=/bin/true \x1b]0;owned\x07 \xc2\x9b2J\n")
        r = self.run_program("--autostart", "status")
        self.assertEqual(r.returncode, 0, r.stderr)
        out = r.stdout.decode()
        self.assertIn("kemless: 起動するコマンド: /bin/true \\x1b]0;owned\\x07 \\x9b2J\n", out)
        for byte in (b"\x1b", b"\x07", b"\xc2\x9b"):
            self.assertNotIn(byte, r.stdout + r.stderr)
        # A 60 MiB line: read only in part, and shown as one line of a
        # reasonable length.
        with open(self.entry, "wb") as f:
            f.write(b"[Desktop Entry]\nType=Application\nExec=/bin/true ")
            chunk = b"a" * (1 << 20)
            for _ in range(60):
                f.write(chunk)
        start = time.monotonic()
        r = self.run_program("--autostart", "status")
        self.assertLess(time.monotonic() - start, 5)
        self.assertEqual(r.returncode, 0, r.stderr)
        lines = r.stdout.decode().splitlines()
        self.assertEqual(len(lines), 2, lines[:1])
        self.assertLess(len(r.stdout), 2000)
        self.assertTrue(lines[1].endswith("a…"), lines[1][-20:])

    def test_on_over_an_entry_a_session_skips_writes_a_fresh_one_and_keeps_the_old(self):
        broken = b"[Desktop Entry]\nType=Application\nExec=/bin/true\x00\nX-Mine=1\n"
        self.write_entry(broken)
        r = self.run_program("--autostart", "on")
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(self.entry + ".unreadable", "rb") as f:
            self.assertEqual(f.read(), broken)
        self.assertEqual(self.exec_line(), [f"Exec={os.path.realpath(PROGRAM)} --hidden --notify"])
        self.assertIn("オンです", self.run_program("--autostart", "status").stdout.decode())

    def test_on_refuses_a_data_dir_without_a_started_record(self):
        for name, make in (("missing", lambda d: None), ("empty", os.makedirs),
                           ("unstarted", lambda d: os.makedirs(os.path.join(d, "kemlessdata")))):
            with self.subTest(name=name):
                folder = os.path.join(self.tmp, name)
                make(folder)
                r = self.run_program("--autostart", "on", "--data-dir", folder)
                self.assertEqual(r.returncode, 1)
                self.assertEqual(r.stdout, b"")
                [line] = r.stderr.decode().splitlines()
                self.assertIn(f"{folder}/kemlessdata に卒煙を始めた記録がありません", line)
                self.assertFalse(os.path.exists(self.entry))

    def test_a_data_dir_with_spaces_and_reserved_characters_is_quoted(self):
        for given in ("my kemless data", "it's (odd) & <reserved>; a|b #~*? 記録 [x]"):
            with self.subTest(given=given):
                base = os.path.join(self.tmp, given)
                self.put_record(base)
                r = self.run_program("--autostart", "on", "--data-dir", base)
                self.assertEqual(r.returncode, 0, r.stderr)
                if shutil.which("desktop-file-validate"):
                    v = subprocess.run(["desktop-file-validate", self.entry], capture_output=True)
                    self.assertEqual(v.returncode, 0, v.stdout + v.stderr)
                [line] = self.exec_line()
                # Undo the string escapes, then the quoting, as a launcher does.
                value = line[len("Exec="):].replace("\\\\", "\\").replace("%%", "%")
                args, arg, quoted, i = [], "", False, 0
                while i < len(value):
                    c = value[i]
                    if quoted and c == "\\":
                        i += 1
                        arg += value[i]
                    elif c == '"':
                        quoted = not quoted
                    elif c == " " and not quoted:
                        args.append(arg)
                        arg = ""
                    else:
                        arg += c
                    i += 1
                args.append(arg)
                self.assertEqual(args, [os.path.realpath(PROGRAM), "--hidden", "--notify", "--data-dir", base])
        # A relative folder is named absolutely: login starts from elsewhere.
        self.put_record(os.path.join(self.env["HOME"], "rel folder"))
        r = self.run_program("--autostart", "on", "--data-dir", "rel folder")
        self.assertEqual(r.returncode, 0)
        self.assertIn(f'--data-dir "{self.env["HOME"]}/rel folder"', self.exec_line()[0])

    def test_a_folder_that_cannot_be_written_is_an_error(self):
        blocker = os.path.join(self.tmp, "a file")
        with open(blocker, "w") as f:
            f.write("not a folder")
        env = dict(self.env, XDG_CONFIG_HOME=os.path.join(blocker, "config"))
        r = self.run_program("--autostart", "on", env=env)
        self.assertEqual(r.returncode, 1)
        self.assertEqual(r.stdout, b"")
        self.assertEqual(r.stderr.decode().count("\n"), 1)
        self.assertIn("登録できません", r.stderr.decode())

    def test_a_wrong_value_is_a_command_line_error(self):
        r = self.run_program("--autostart", "yes")
        self.assertEqual(r.returncode, 2)
        self.assertTrue(r.stderr.decode().startswith("kemless: --autostart には on、off、status のどれかを指定してください\n"))
        self.assertFalse(os.path.exists(self.entry))

    # --summary and --short

    def test_summary_and_short_need_no_display_and_write_nothing(self):
        base = os.path.join(self.tmp, "data", "kemless")
        self.put_record(base)
        before = snapshot(self.tmp)
        for option, lines in (("--summary", 6), ("--short", 1)):
            with self.subTest(option=option):
                r = self.run_program(option)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual(r.stderr, b"")
                text = r.stdout.decode("utf-8")
                self.assertNotIn("\r", text)
                self.assertEqual(text.count("\n"), lines)
                self.assertTrue(text.endswith("\n"))
        summary = self.run_program("--summary").stdout.decode()
        self.assertTrue(summary.startswith("ステータス： "))
        self.assertIn("卒煙日： 2026年 11月 1日\n", summary)
        self.assertTrue(self.run_program("--short").stdout.decode().startswith("２０２６年１１月１日に卒煙。"))
        self.assertEqual(snapshot(self.tmp), before)

    def test_export_csv_needs_no_display_and_writes_only_the_csv(self):
        base = os.path.join(self.tmp, "data", "kemless")
        self.put_record(base)
        with open(os.path.join(base, "kemlessdata", "journal.txt"), "wb") as f:
            f.write("2026-11-02 08:00 urge trigger=食後,\\s\"一服\"\n"
                    "2026-11-02 08:30 notice title 3 quit=2026-11-01T09:00\n"
                    "2026-11-03 09:00 slip\n".encode())
        before = snapshot(self.tmp)
        r = self.run_program("--export", "csv")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stderr, b"")
        self.assertEqual(r.stdout.decode("utf-8"),
                         "日時,種類,きっかけ,卒煙開始日時\r\n"
                         "2026-11-02 08:00,乗り越えた,\"食後, \"\"一服\"\"\",\r\n"
                         "2026-11-03 09:00,吸ってしまった,,\r\n")
        self.assertEqual(snapshot(self.tmp), before)
        # Another folder that was never used: the header alone, and no folder made.
        r = self.run_program("--export", "csv", "--data-dir", os.path.join(self.tmp, "nowhere"))
        self.assertEqual((r.returncode, r.stdout.decode()), (0, "日時,種類,きっかけ,卒煙開始日時\r\n"))
        self.assertFalse(os.path.exists(os.path.join(self.tmp, "nowhere")))

    def test_a_missing_record_is_one_line_and_exit_1(self):
        for option in ("--summary", "--short"):
            r = self.run_program(option, "--data-dir", os.path.join(self.tmp, "nowhere"))
            self.assertEqual(r.returncode, 1)
            self.assertEqual(r.stdout, b"")
            self.assertEqual(r.stderr.decode().count("\n"), 1)
            self.assertIn("記録がありません", r.stderr.decode())
            self.assertFalse(os.path.exists(os.path.join(self.tmp, "nowhere")))

    def test_a_running_copy_does_not_stop_them(self):
        base = os.path.join(self.tmp, "shared")
        self.put_record(base)
        env = dict(self.env, QT_QPA_PLATFORM="offscreen")
        running = subprocess.Popen([PROGRAM, "--data-dir", base], env=env, cwd=self.env["HOME"],
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   start_new_session=True)
        try:
            # Up once it listens as the one running copy.
            self.assertTrue(wait_for(lambda: has_claimed(env) or running.poll() is not None))
            self.assertIsNone(running.poll())
            for option in ("--summary", "--short"):
                r = self.run_program(option, "--data-dir", base)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertNotIn("既に起動", r.stdout.decode() + r.stderr.decode())
            self.assertIsNone(running.poll(), "the running copy goes on")
        finally:
            running.send_signal(signal.SIGTERM)
            running.wait(10)

    # --help

    def test_help_is_aligned_and_names_what_the_manual_page_names(self):
        r = self.run_program("--help")
        self.assertEqual(r.returncode, 0, r.stderr)
        usage = r.stdout.decode()
        lines = usage.split("オプション:\n", 1)[1].split("\n\n", 1)[0].splitlines()

        def cells(text):
            return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)

        # Every option's words start in the same column, counted in cells as a
        # terminal shows them (full-width characters take two).
        columns = set()
        for line in lines:
            option = re.match(r"^(  -\S.*?)(\s{2,})\S", line)
            if line.startswith("  -") and option:
                columns.add(cells(option.group(1) + option.group(2)))
            elif not line.startswith("  -"):
                columns.add(len(line) - len(line.lstrip(" ")))
        self.assertEqual(len(columns), 1, "\n".join(lines))

        # The same options in both, each way round.
        page_path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "resources", "man",
                                 "kemless.1")
        with open(page_path, encoding="utf-8") as f:
            page = f.read().replace("\\-", "-")
        page_options = set(re.findall(r"(?<![\w-])--?[a-z][a-z-]*", page.split(".SH OPTIONS", 1)[1]
                                      .split(".SH FILES", 1)[0]))
        help_options = set(re.findall(r"(?<![\w-])--?[a-z][a-z-]*", "\n".join(lines)))
        self.assertEqual(help_options - page_options, set())
        self.assertEqual(page_options - help_options, set())

        # The user manual's table of options: one row for each, none of its own.
        manual_path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "docs",
                                   "manual.md")
        with open(manual_path, encoding="utf-8") as f:
            table = f.read().split("<!-- options:", 1)[1].split("<!-- end of options -->", 1)[0]
        rows = [row.split("|")[1] for row in table.splitlines() if row.startswith("| `")]
        manual_options = set(re.findall(r"(?<![\w-])--?[a-z][a-z-]*", "\n".join(rows)))
        self.assertEqual(help_options - manual_options, set())
        self.assertEqual(manual_options - help_options, set())

        # What the help says of the journal and of --notify is so.
        self.assertNotIn("--notify では journal.txt", usage)
        self.assertIn("journal.txt", usage.split("記録の場所:", 1)[1])
        notify = [i for i, x in enumerate(lines) if x.startswith("  --notify")][0]
        notify_end = next(i for i in range(notify + 1, len(lines)) if lines[i].startswith("  -"))
        self.assertIn("回復のあゆみ", "".join(lines[notify:notify_end]))

    def test_a_later_start_says_when_the_running_copy_does_not_answer(self):
        base = os.path.join(self.tmp, "shared")
        self.put_record(base)
        env = dict(self.env, QT_QPA_PLATFORM="offscreen")
        running = subprocess.Popen([PROGRAM, "--data-dir", base], env=env, cwd=self.env["HOME"],
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   start_new_session=True)
        try:
            self.assertTrue(wait_for(lambda: has_claimed(env) or running.poll() is not None))
            self.assertIsNone(running.poll())
            # Answered: the window opens there, and this start says so.
            r = subprocess.run([PROGRAM, "--record"], env=env, cwd=self.env["HOME"], capture_output=True,
                               timeout=30, stdin=subprocess.DEVNULL)
            self.assertEqual(r.returncode, 0, r.stderr)
            self.assertEqual(r.stderr.decode(), "kemless: 起動中のケムレスで「これまでの記録」を開きました\n")
            # Stuck (stopped): the request waits unanswered on its socket.
            running.send_signal(signal.SIGSTOP)
            later = subprocess.Popen([PROGRAM, "--record"], env=env, cwd=self.env["HOME"], stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, start_new_session=True)
            try:
                # Said on standard error before the box, which nobody clicks here.
                line = later.stderr.readline().decode()
                self.assertEqual(line, "kemless: 起動中のケムレスが応えないため、「これまでの記録」を開けませんでした。"
                                       "しばらくしてから、もう一度お試しください\n")
            finally:
                os.killpg(later.pid, signal.SIGKILL)
                later.wait(10)
                later.stderr.close()
            running.send_signal(signal.SIGCONT)
        finally:
            running.send_signal(signal.SIGCONT)
            running.send_signal(signal.SIGTERM)
            running.wait(10)

    def test_they_are_quick(self):
        # A panel runs it every few seconds: far below a window start.
        self.put_record(os.path.join(self.tmp, "data", "kemless"))
        start = time.monotonic()
        for _ in range(5):
            self.assertEqual(self.run_program("--summary").returncode, 0)
        self.assertLess((time.monotonic() - start) / 5, 1.0)


if __name__ == "__main__":
    PROGRAM = sys.argv.pop(1)
    unittest.main(verbosity=2)
