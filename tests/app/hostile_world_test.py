#!/usr/bin/env python3
"""The real program in a hostile world, started as a plain user would start it.

Every row puts something in the program's way (a record it may not read, a
FIFO, a planted link, another user's lock folder, a full or read-only disk, a
signal while a message is up), starts the real executable, ends it with a
signal and checks that it ended promptly and left the user's record byte for
byte as it stood wherever it could not read or write it.

Run as root (as CI does), where permissions mean nothing, the program runs
as a test user this script makes and removes; the rows that need another
owner or a mount use root for the set-up only.

    hostile_world_test.py PATH/TO/kemless
"""
import contextlib
import fcntl
import os
import pwd
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from kemless_support import has_claimed, wait_for  # noqa: E402

PROGRAM = None
ROOT = os.geteuid() == 0
TEST_USER = "kemless-hostile-test"
KEEP_MESSAGE = "このままでも使えますが"
RECORD_INITIAL = b"2026,11,1,9,0,25,480,100\r\n"
# A started record whose main corner is off the screen: the start moves it,
# so a save at the end writes different bytes and shows that it happened.
RECORD_OPTION = ('1,58,5,0,5,1,-300,-300,9241372,16777215,"kemless.example.jp/",0,0,0,"ソルジャー"\r\n'
                 .encode("shift_jis"))


def user_ids():
    """The uid and gid the program runs as."""
    if not ROOT:
        return os.getuid(), os.getgid()
    entry = pwd.getpwnam(TEST_USER)
    return entry.pw_uid, entry.pw_gid


def snapshot(path):
    """What stands at a path, precisely enough to see any change."""
    try:
        st = os.lstat(path)
    except FileNotFoundError:
        return None
    kind = stat.S_IFMT(st.st_mode)
    if stat.S_ISLNK(st.st_mode):
        return ("link", os.readlink(path), st.st_uid)
    if stat.S_ISREG(st.st_mode):
        with open(path, "rb") as f:
            return ("file", f.read(), st.st_ino, st.st_mode, st.st_uid)
    return ("other", kind, st.st_ino, st.st_mode, st.st_uid)


class World:
    """A home for one start: the test user's, with a data folder in it."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="kemless-hostile-")
        os.chmod(self.dir, 0o755)
        self.home = os.path.join(self.dir, "home")
        self.base = os.path.join(self.home, "base")
        self.data = os.path.join(self.base, "kemlessdata")
        os.makedirs(self.data)
        self.uid, self.gid = user_ids()
        self.give(self.home)
        # The program, where the test user can surely run it.
        self.program = os.path.join(self.dir, "kemless")
        shutil.copy2(PROGRAM, self.program)
        os.chmod(self.program, 0o755)
        self.env = {
            "HOME": self.home,
            "PATH": "/usr/bin:/bin",
            "QT_QPA_PLATFORM": "offscreen",
            "LANG": "C.UTF-8",
        }
        self.process = None
        self.streams = []
        self.stderr_path = os.path.join(self.dir, "stderr")

    def give(self, path):
        """Makes everything below `path` the test user's."""
        for folder, dirs, files in os.walk(path):
            os.lchown(folder, self.uid, self.gid)
            for name in dirs + files:
                os.lchown(os.path.join(folder, name), self.uid, self.gid)

    def path(self, name):
        return os.path.join(self.data, name)

    def put_record(self):
        for name, data in (("initial.ini", RECORD_INITIAL), ("option.ini", RECORD_OPTION)):
            with open(self.path(name), "wb") as f:
                f.write(data)
        self.give(self.home)

    def command(self, args):
        cmd = []
        if ROOT:
            cmd += ["setpriv", f"--reuid={self.uid}", f"--regid={self.gid}", "--clear-groups", "--"]
        return cmd + [self.program] + list(args)

    def start(self, args=None, wrap=(), cwd=None):
        args = ["--data-dir", self.base] if args is None else args
        # A file of its own for each start: a copy still running goes on
        # writing to the one before.
        self.stderr_path = os.path.join(self.dir, f"stderr-{len(self.streams)}")
        self.streams.append(open(self.stderr_path, "wb"))
        self.stderr = self.streams[-1]
        self.process = subprocess.Popen(list(wrap) + self.command(args), env=self.env, cwd=cwd or self.home,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=self.stderr, start_new_session=True)

    def said(self):
        with open(self.stderr_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def program_pid(self):
        """The program's own pid (the wrapper's child where one runs first)."""
        pid = self.process.pid
        for _ in range(3):
            with open(f"/proc/{pid}/comm") as f:
                if f.read().strip() == "kemless":
                    return pid
            with open(f"/proc/{pid}/task/{pid}/children") as f:
                children = f.read().split()
            if not children:
                return pid
            pid = int(children[0])
        return pid

    def catches_terminate(self):
        try:
            with open(f"/proc/{self.program_pid()}/status") as f:
                for line in f:
                    if line.startswith("SigCgt:"):
                        return int(line.split()[1], 16) & (1 << (signal.SIGTERM - 1)) != 0
        except (FileNotFoundError, ProcessLookupError, ValueError):
            pass
        return False

    def wait_until_up(self, said=None, timeout=20):
        """Until the program catches the end signals and has claimed its place
        as the one running copy (or is showing `said`). A signal is read only
        on the event loop, so one sent from then on ends it once its start,
        message boxes included, has come that far."""
        def up():
            if self.process.poll() is not None:
                raise AssertionError(f"ended early with {self.process.returncode}: {self.said()}")
            if not self.catches_terminate():
                return False
            return said in self.said() if said is not None else has_claimed(self.env)
        if not wait_for(up, timeout):
            raise AssertionError(f"did not come up; it said: {self.said()!r}")

    def end(self, sig=signal.SIGTERM, timeout=10):
        """Sends `sig` and waits; the exit status, or fails on a hang."""
        os.kill(self.program_pid(), sig)
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise AssertionError(f"still running {timeout} s after signal {sig}")

    def close(self):
        if self.process is not None and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        for stream in self.streams:
            stream.close()
        subprocess.run(["chmod", "-R", "u+rwX", self.dir], check=False)
        with contextlib.suppress(Exception):
            subprocess.run(["umount", "-l", self.base], check=False, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.dir, ignore_errors=True)


def as_root_owned(path, data, mode=0o600):
    with open(path, "wb") as f:
        f.write(data)
    os.chmod(path, mode)


class HostileWorld(unittest.TestCase):
    def setUp(self):
        self.world = World()

    def tearDown(self):
        self.world.close()

    # Things standing at the record's names that the program must neither
    # read as a record, nor wait on, nor replace.
    def test_what_it_cannot_read_is_said_and_left_whole(self):
        w = self.world

        def not_mine(name, data):
            path = w.path(name)
            if ROOT:
                as_root_owned(path, data)  # what a run as root leaves behind
            else:
                with open(path, "wb") as f:
                    f.write(data)
                os.chmod(path, 0)

        rows = [
            # name, what to put there, which files it blocks, the reason said, run as root only
            ("both files another user's, mode 0600",
             lambda: (not_mine("initial.ini", RECORD_INITIAL), not_mine("option.ini", RECORD_OPTION)),
             ["initial.ini", "option.ini"], "権限", False),
            ("initial.ini a link another user made",
             lambda: os.symlink(os.path.join(w.home, "notes.txt"), w.path("initial.ini")),
             ["initial.ini"], "別のユーザーが作ったリンク", True),
            ("initial.ini a link to /dev/zero", lambda: os.symlink("/dev/zero", w.path("initial.ini")),
             ["initial.ini"], "普通のファイルではありません", False),
            ("initial.ini a link to itself", lambda: os.symlink("initial.ini", w.path("initial.ini")),
             ["initial.ini"], "循環", False),
            ("option.ini a link to /dev/urandom", lambda: os.symlink("/dev/urandom", w.path("option.ini")),
             ["option.ini"], "普通のファイルではありません", False),
            ("initial.ini a FIFO", lambda: os.mkfifo(w.path("initial.ini")), ["initial.ini"],
             "普通のファイルではありません", False),
            ("option.ini a FIFO", lambda: os.mkfifo(w.path("option.ini")), ["option.ini"],
             "普通のファイルではありません", False),
        ]
        for name, make, blocked, reason, root_only in rows:
            with self.subTest(name):
                if root_only and not ROOT:
                    continue  # nobody else to make the link; the core tests cover the rule
                self.world.close()
                w = self.world = World()
                w.put_record()
                with open(os.path.join(w.home, "notes.txt"), "wb") as f:
                    f.write(RECORD_INITIAL)
                for f in blocked:
                    os.unlink(w.path(f))
                if not (ROOT and (root_only or "another user's" in name)):
                    make()
                    w.give(w.home)
                else:
                    w.give(w.home)
                    make()  # stays root's: another user's
                before = {f: snapshot(w.path(f)) for f in ("initial.ini", "option.ini")}
                w.start()
                w.wait_until_up(said=KEEP_MESSAGE)
                said = w.said()
                for f in blocked:
                    self.assertIn(w.path(f), said)
                self.assertIn(reason, said)
                self.assertEqual(w.end(), 0)
                after = {f: snapshot(w.path(f)) for f in ("initial.ini", "option.ini")}
                for f in blocked:
                    self.assertEqual(after[f], before[f], f)
                self.assertEqual(sorted(os.listdir(w.data)), ["initial.ini", "option.ini"])

    def test_a_dotfiles_link_is_saved_through_and_stays(self):
        w = self.world
        w.put_record()
        dotfiles = os.path.join(w.home, "dotfiles")
        os.mkdir(dotfiles)
        os.rename(w.path("option.ini"), os.path.join(dotfiles, "option.ini"))
        os.symlink("../../dotfiles/option.ini", w.path("option.ini"))
        w.give(w.home)
        w.start()
        w.wait_until_up()
        self.assertEqual(w.end(), 0)
        self.assertNotIn(KEEP_MESSAGE, w.said())
        self.assertEqual(os.readlink(w.path("option.ini")), "../../dotfiles/option.ini")
        with open(os.path.join(dotfiles, "option.ini"), "rb") as f:
            saved = f.read()
        # The corner the start moved on the screen, saved at the end.
        self.assertTrue(saved.startswith(b"1,58,5,0,5,1,0,0,"), saved)
        self.assertEqual(sorted(os.listdir(dotfiles)), ["option.ini"])

    def test_a_planted_temporary_link_redirects_nothing(self):
        w = self.world
        w.put_record()
        notes = os.path.join(w.home, "notes.txt")
        with open(notes, "wb") as f:
            f.write(b"my notes\n")
        for name in ("option.ini.tmp", "initial.ini.tmp"):
            os.symlink(notes, w.path(name))
        w.give(w.home)
        os.chmod(w.data, 0o1777)  # a folder others may write in, as a shared one is
        w.start()
        w.wait_until_up()
        self.assertEqual(w.end(), 0)
        with open(notes, "rb") as f:
            self.assertEqual(f.read(), b"my notes\n")
        with open(w.path("option.ini"), "rb") as f:
            self.assertTrue(f.read().startswith(b"1,58,5,0,5,1,0,0,"))

    def test_another_users_lock_folder_locks_nobody_out(self):
        if not ROOT:
            self.skipTest("needs root to act as the other user")
        w = self.world
        w.put_record()
        # The other user makes the old shared name first, with a lock in it,
        # and offers a runtime folder of theirs.
        shared = f"/tmp/kemless-{w.uid}"
        shutil.rmtree(shared, ignore_errors=True)
        os.mkdir(shared)
        os.chmod(shared, 0o777)
        with open(os.path.join(shared, "kemless.lock"), "w") as f:
            f.write("1\nkemless\nhost\n")
        foreign_runtime = os.path.join(w.dir, "foreign-run")
        os.mkdir(foreign_runtime)
        os.chmod(foreign_runtime, 0o777)
        with open(os.path.join(foreign_runtime, "kemless.lock"), "w") as f:
            f.write("1\nkemless\nhost\n")
        try:
            for runtime in (None, foreign_runtime):
                with self.subTest(runtime=runtime):
                    if runtime:
                        w.env["XDG_RUNTIME_DIR"] = runtime
                    w.start()
                    w.wait_until_up()
                    self.assertNotIn("既に起動", w.said())
                    self.assertEqual(w.end(), 0)
                    lock_folder = os.path.join(w.home, ".cache", "kemless")
                    st = os.lstat(lock_folder)
                    self.assertEqual((st.st_uid, stat.S_IMODE(st.st_mode)), (w.uid, 0o700))
            # A cache folder that is not the user's own is never used either.
            shutil.rmtree(os.path.join(w.home, ".cache", "kemless"))
            os.mkdir(os.path.join(w.home, ".cache", "kemless"), 0o777)
            os.chmod(os.path.join(w.home, ".cache", "kemless"), 0o777)
            w.start()
            w.wait_until_up(said="二重起動を確かめる")
            self.assertEqual(os.listdir(os.path.join(w.home, ".cache", "kemless")), [])
            self.assertEqual(w.end(), 0)
        finally:
            shutil.rmtree(shared, ignore_errors=True)

    def test_a_full_or_read_only_disk_is_said_at_start(self):
        w = self.world
        if ROOT:
            wrap = ["unshare", "--mount", "--propagation", "private"]
        elif subprocess.run(["unshare", "-rm", "true"], stderr=subprocess.DEVNULL).returncode == 0:
            wrap = ["unshare", "-rm"]
        else:
            self.skipTest("no mount namespace for a small file system")
        staging = os.path.join(w.dir, "staging")
        os.makedirs(os.path.join(staging, "kemlessdata"))
        for name, data in (("initial.ini", RECORD_INITIAL), ("option.ini", RECORD_OPTION)):
            with open(os.path.join(staging, "kemlessdata", name), "wb") as f:
                f.write(data)
        for case, finish, reason in (
                ("full", "head -c 10M /dev/zero > \"$B/filler\" 2>/dev/null || true", "空き容量"),
                ("read-only", "mount -o remount,ro \"$B\"", "読み込み専用")):
            with self.subTest(case):
                # A small file system over the base folder, holding the record;
                # the program runs inside the same mount namespace, and the
                # shell checks the record's bytes once it has ended.
                setup = (
                    "set -e; B=$1; S=$2; shift 2; mount -t tmpfs -o size=256k,mode=0755 tmpfs \"$B\"; "
                    "cp -a \"$S/kemlessdata\" \"$B/\"; "
                    f"chown -R {w.uid}:{w.gid} \"$B\" 2>/dev/null || true; "
                    "(cd \"$B\" && sha256sum kemlessdata/*.ini) > \"$S/sums\"; "
                    f"{finish}; set +e; "
                    "\"$@\"; status=$?; "
                    "(cd \"$B\" && sha256sum -c --quiet \"$S/sums\") || status=99; "
                    "ls -A \"$B/kemlessdata\" > \"$S/left\"; exit $status")
                w.start(wrap=wrap + ["sh", "-c", setup, "sh", w.base, staging])
                w.wait_until_up(said=KEEP_MESSAGE)
                self.assertIn(reason, w.said())
                os.kill(w.program_pid(), signal.SIGTERM)
                self.assertEqual(w.process.wait(15), 0, w.said())
                with open(os.path.join(staging, "left")) as f:
                    self.assertEqual(f.read().split(), ["initial.ini", "option.ini"])

    def test_signals_end_it_while_a_start_message_is_up(self):
        w = self.world
        for sig in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
            with self.subTest(signal=sig.name):
                # A FIFO for a record: the start says it cannot be kept.
                w.close()
                w = self.world = World()
                w.put_record()
                os.unlink(w.path("option.ini"))
                os.mkfifo(w.path("option.ini"))
                w.give(w.home)
                w.start()
                w.wait_until_up(said=KEEP_MESSAGE)
                started = time.monotonic()
                self.assertEqual(w.end(sig), 0)
                self.assertLess(time.monotonic() - started, 5)
        with self.subTest("while the second copy says it is running"):
            w.close()
            w = self.world = World()
            w.put_record()
            w.start()
            w.wait_until_up()
            first = w.process
            w.start()
            w.wait_until_up(said="プログラムは既に起動されています。")
            self.assertIsNone(w.process.poll())
            self.assertEqual(w.end(signal.SIGTERM), 0)
            self.assertIsNone(first.poll(), "the first copy went away")
            w.process = first
            self.assertEqual(w.end(), 0)

    def test_an_old_record_never_comes_back_over_the_current_one(self):
        w = self.world
        # The current record in the per-user folder, option.ini removed to go
        # through the setup again; an older version's record where it starts.
        current = os.path.join(w.home, ".local", "share", "kemless", "kemlessdata")
        os.makedirs(current)
        with open(os.path.join(current, "initial.ini"), "wb") as f:
            f.write(b"2025,1,2,3,4,10,500,50\r\n")
        workdir = os.path.join(w.home, "old")
        os.makedirs(os.path.join(workdir, "kemlessdata"))
        for name, data in (("initial.ini", RECORD_INITIAL), ("option.ini", RECORD_OPTION)):
            with open(os.path.join(workdir, "kemlessdata", name), "wb") as f:
                f.write(data)
        w.give(w.home)
        w.start(args=[], cwd=workdir)
        w.wait_until_up()
        self.assertEqual(w.end(), 0)
        with open(os.path.join(current, "initial.ini"), "rb") as f:
            self.assertEqual(f.read(), b"2025,1,2,3,4,10,500,50\r\n")

    def test_the_command_line_and_no_display(self):
        w = self.world
        rows = [
            (["--bogus"], 2, "--bogus"),
            (["-x"], 2, "-x"),
            (["--data-dir"], 2, "--data-dir にはフォルダを指定してください"),
        ]
        for args, status, text in rows:
            with self.subTest(args=args):
                result = subprocess.run(w.command(args), env=w.env, capture_output=True, timeout=20)
                self.assertEqual(result.returncode, status)
                first = result.stderr.decode().splitlines()[0]
                self.assertIn(text, first)
                self.assertTrue(first.startswith("kemless: "), first)
                self.assertTrue(any("\u3040" <= ch <= "\u30ff" for ch in first), f"not Japanese: {first}")
        with self.subTest("no display"):
            env = dict(w.env)
            del env["QT_QPA_PLATFORM"]
            result = subprocess.run(w.command(["--data-dir", w.base]), env=env, capture_output=True, timeout=20)
            self.assertEqual(result.returncode, 1, result.stderr.decode())
            lines = result.stderr.decode().splitlines()
            self.assertEqual(len(lines), 1, lines)
            self.assertIn("DISPLAY", lines[0])


def main():
    global PROGRAM
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    made_user = False
    if ROOT:
        try:
            pwd.getpwnam(TEST_USER)
        except KeyError:
            subprocess.run(["useradd", "--system", "--no-create-home", "--home-dir", "/nonexistent",
                            "--shell", "/usr/sbin/nologin", TEST_USER], check=True)
            made_user = True
    try:
        result = unittest.main(exit=False, verbosity=2).result
    finally:
        if made_user:
            subprocess.run(["userdel", TEST_USER], check=False)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
