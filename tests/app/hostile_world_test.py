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
import grp
import itertools
import os
import pwd
import resource
import shutil
import signal
import socket
import stat
import subprocess
import sys
import tempfile
import time
import unittest

# The helpers shared by the desktop tests; no compiled copy is left in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from kemless_support import has_claimed, has_window_manager, wait_for  # noqa: E402
from kemless_records import record  # noqa: E402

PROGRAM = None
ROOT = os.geteuid() == 0
TEST_USER = "kemless-hostile-test"
# A second local user, in a group the two share, for the rows where another
# user acts; and the lock that lets runs at the same time share both users.
OTHER_USER = "kemless-hostile-other"
SHARE_GROUP = "kemless-hostile-share"
USERS_LOCK = "/run/kemless-hostile-test.lock"
KEEP_MESSAGE = "このままでも使えますが"
# A started record whose main corner is off the screen: the start moves it,
# so a save at the end writes different bytes and shows that it happened.
RECORD_INITIAL, RECORD_OPTION = record(main_corner=(-300, -300))


def user_ids():
    """The uid and gid the program runs as."""
    if not ROOT:
        return os.getuid(), os.getgid()
    entry = pwd.getpwnam(TEST_USER)
    return entry.pw_uid, entry.pw_gid


def other_ids():
    entry = pwd.getpwnam(OTHER_USER)
    return entry.pw_uid, grp.getgrnam(SHARE_GROUP).gr_gid


def as_other(*command):
    """Runs a command as the other user, with the shared group."""
    uid, share = other_ids()
    subprocess.run(["setpriv", f"--reuid={uid}", f"--regid={share}", f"--groups={share}", "--"] + list(command),
                   check=True, env={"PATH": "/usr/bin:/bin"})


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
        # Under the sanitizers, their options (and the suppressions of leaks
        # that are not ours) reach the program too.
        # The suppressions are copied where the test user can surely read them.
        for name in ("ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"):
            if name not in os.environ:
                continue
            options = []
            for option in os.environ[name].split(":"):
                if option.startswith("suppressions="):
                    copy = os.path.join(self.dir, name.lower() + ".supp")
                    shutil.copy(option.split("=", 1)[1], copy)
                    os.chmod(copy, 0o644)
                    option = "suppressions=" + copy
                options.append(option)
            self.env[name] = ":".join(options)
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

    def command(self, args, shared=False):
        cmd = []
        if ROOT:
            groups = f"--groups={grp.getgrnam(SHARE_GROUP).gr_gid}" if shared else "--clear-groups"
            cmd += ["setpriv", f"--reuid={self.uid}", f"--regid={self.gid}", groups, "--"]
        return cmd + [self.program] + list(args)

    def start(self, args=None, wrap=(), cwd=None, shared=False):
        args = ["--data-dir", self.base] if args is None else args
        # A file of its own for each start: a copy still running goes on
        # writing to the one before.
        self.stderr_path = os.path.join(self.dir, f"stderr-{len(self.streams)}")
        self.streams.append(open(self.stderr_path, "wb"))
        self.stderr = self.streams[-1]
        self.process = subprocess.Popen(list(wrap) + self.command(args, shared), env=self.env, cwd=cwd or self.home,
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

    def on_a_desktop(self):
        """A private X server with a window manager instead of offscreen."""
        read, write = os.pipe()
        # -noreset: a server resets when its last client leaves, and one that
        # connects then (openbox, while the wait for it polls) fails.
        self.desktop = [subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x700x24",
                                          "-nolisten", "tcp", "-noreset"],
                                         pass_fds=(write,), stderr=subprocess.DEVNULL)]
        os.close(write)
        with os.fdopen(read) as f:
            number = f.readline().strip()
        self.env["DISPLAY"] = f":{number}"
        del self.env["QT_QPA_PLATFORM"]
        self.desktop.append(subprocess.Popen(["openbox"], env=dict(self.env), stdout=subprocess.DEVNULL,
                                             stderr=subprocess.DEVNULL))
        if not wait_for(lambda: has_window_manager(self.env)):
            raise AssertionError("openbox did not start")

    def keys(self, *args):
        subprocess.run(["xdotool"] + list(args), env=dict(self.env), check=False, capture_output=True, timeout=15)

    def close(self):
        if self.process is not None and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        for server in reversed(getattr(self, "desktop", [])):
            server.terminate()
            server.wait()
        for stream in self.streams:
            stream.close()
        subprocess.run(["chmod", "-R", "u+rwX", self.dir], check=False)
        with contextlib.suppress(Exception):
            subprocess.run(["umount", "-l", self.base], check=False, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.dir, ignore_errors=True)


def cpu_seconds(pid):
    """User and system CPU time of a process so far."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


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

    def test_a_journal_it_cannot_use_is_said_and_never_written(self):
        w = self.world
        journal_said = "お知らせの記録（日誌）が使えません"
        rows = [
            # name, what to put at journal.txt, the reason said, run as root only
            ("a FIFO", lambda: os.mkfifo(w.path("journal.txt")), "普通のファイルではありません", False),
            ("a link to /dev/zero", lambda: os.symlink("/dev/zero", w.path("journal.txt")),
             "普通のファイルではありません", False),
            ("a link another user planted", lambda: os.symlink(os.path.join(w.home, "notes.txt"),
                                                                w.path("journal.txt")),
             "別のユーザーが作ったリンク", True),
            ("another user's file, mode 0600",
             lambda: as_root_owned(w.path("journal.txt"),
                                   b"2026-11-02 09:00 seen month 0 quit=2026-11-01T09:00\n"), "権限", True),
        ]
        # Read for the notices (--notify) or for the record of urges and
        # slips (--record): either way said once, and nothing written there.
        for (name, make, reason, root_only), use in itertools.product(rows, ("--notify", "--record")):
            with self.subTest(name, use=use):
                if root_only and not ROOT:
                    continue  # nobody else to own it; the core tests cover the rule
                self.world.close()
                w = self.world = World()
                w.put_record()
                notes = os.path.join(w.home, "notes.txt")
                with open(notes, "wb") as f:
                    f.write(b"the user's own notes\n")
                w.give(w.home)
                make()  # root's where root makes it: another user's
                if not root_only:
                    w.give(w.home)
                watched = ("initial.ini", "option.ini", "journal.txt")
                before = {f: snapshot(w.path(f)) for f in watched}
                notes_before = snapshot(notes)
                w.start(args=[use, "--data-dir", w.base])
                w.wait_until_up(said=journal_said)
                said = w.said()
                self.assertIn(w.path("journal.txt"), said)
                self.assertIn(reason, said)
                self.assertEqual(said.count(journal_said), 1, said)
                self.assertEqual(w.end(), 0)
                # The exit save writes option.ini; nothing else changes.
                after = {f: snapshot(w.path(f)) for f in watched}
                self.assertEqual(after["initial.ini"], before["initial.ini"])
                self.assertEqual(after["journal.txt"], before["journal.txt"])
                self.assertEqual(snapshot(notes), notes_before)
                self.assertEqual(sorted(os.listdir(w.data)), sorted(watched))

    def test_a_plan_it_cannot_use_is_said_once_and_never_written(self):
        plan_said = "「わたしの卒煙プラン」のファイルが使えません"
        rows = [
            # name, what to put at plan.ini, the reason said, run as root only
            ("a FIFO", lambda w: os.mkfifo(w.path("plan.ini")), "普通のファイルではありません", False),
            ("a link to /dev/zero", lambda w: os.symlink("/dev/zero", w.path("plan.ini")),
             "普通のファイルではありません", False),
            ("a link another user planted",
             lambda w: os.symlink(os.path.join(w.home, "notes.txt"), w.path("plan.ini")),
             "別のユーザーが作ったリンク", True),
            ("another user's file, mode 0600",
             lambda w: as_root_owned(w.path("plan.ini"), b"reason=\xe4\xbb\x96\xe4\xba\xba\n"), "権限", True),
        ]
        for name, make, reason, root_only in rows:
            with self.subTest(name):
                if root_only and not ROOT:
                    continue  # nobody else to own it; the core tests cover the rule
                self.world.close()
                w = self.world = World()
                w.put_record()
                notes = os.path.join(w.home, "notes.txt")
                with open(notes, "wb") as f:
                    f.write(b"the user's own notes\n")
                w.give(w.home)
                make(w)  # root's where root makes it: another user's
                if not root_only:
                    w.give(w.home)
                before = snapshot(w.path("plan.ini"))
                notes_before = snapshot(notes)
                # The window opens on an empty plan, and the file is said once.
                w.start(args=["--plan", "--data-dir", w.base])
                w.wait_until_up(said=plan_said)
                said = w.said()
                self.assertIn(w.path("plan.ini"), said)
                self.assertIn(reason, said)
                self.assertEqual(said.count(plan_said), 1, said)
                self.assertEqual(w.end(), 0)
                self.assertEqual(snapshot(w.path("plan.ini")), before)
                self.assertEqual(snapshot(notes), notes_before)
                self.assertEqual(sorted(os.listdir(w.data)), ["initial.ini", "option.ini", "plan.ini"])

    def test_a_folder_without_a_journal_gets_a_private_one(self):
        w = self.world
        w.put_record()
        w.start(args=["--notify", "--data-dir", w.base])
        w.wait_until_up()
        self.assertTrue(wait_for(lambda: os.path.exists(w.path("journal.txt"))), w.said())
        self.assertEqual(w.end(), 0)
        st = os.lstat(w.path("journal.txt"))
        self.assertTrue(stat.S_ISREG(st.st_mode))
        self.assertEqual(stat.S_IMODE(st.st_mode), 0o600)
        self.assertEqual(st.st_uid, w.uid)
        with open(w.path("initial.ini"), "rb") as f:
            self.assertEqual(f.read(), RECORD_INITIAL)
        with open(w.path("journal.txt"), "rb") as f:
            lines = f.read().decode("utf-8").splitlines()
        self.assertTrue(lines, "the first run starts the journal")
        self.assertTrue(all(line.split(" ")[2] == "seen" for line in lines), lines)
        self.assertNotIn("日誌", w.said())

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

    def test_the_data_folder_swapped_for_a_link_while_running_redirects_nothing(self):
        if not ROOT:
            self.skipTest("needs root to act as the other user")
        w = self.world
        share = grp.getgrnam(SHARE_GROUP).gr_gid
        # The user's private record, and a folder shared with a group the
        # other user is in too, which holds the record the program runs on.
        private = os.path.join(w.home, ".local", "share", "kemless", "kemlessdata")
        os.makedirs(private)
        for name, data in (("initial.ini", b"2020,1,2,3,4,10,500,50\r\n"), ("option.ini", RECORD_OPTION)):
            with open(os.path.join(private, name), "wb") as f:
                f.write(data)
        w.give(w.home)
        shared = os.path.join(w.dir, "shared")
        os.mkdir(shared)
        os.chown(shared, 0, share)
        os.chmod(shared, 0o2775)
        os.mkdir(os.path.join(shared, "kemlessdata"))
        for name, data in (("initial.ini", RECORD_INITIAL), ("option.ini", RECORD_OPTION)):
            with open(os.path.join(shared, "kemlessdata", name), "wb") as f:
                f.write(data)
        w.give(os.path.join(shared, "kemlessdata"))
        before = {name: snapshot(os.path.join(private, name)) for name in ("initial.ini", "option.ini")}
        w.start(args=["--data-dir", shared], shared=True)
        w.wait_until_up()
        # The other user moves the folder away and puts a link to the private one in its place.
        as_other("sh", "-c", 'mv "$1/kemlessdata" "$1/moved" && ln -s "$2" "$1/kemlessdata"', "sh", shared, private)
        self.assertEqual(w.end(), 0)
        self.assertEqual({name: snapshot(os.path.join(private, name)) for name in before}, before)
        self.assertEqual(sorted(os.listdir(private)), ["initial.ini", "option.ini"])
        # The exit save went to the folder the program held, whatever its name now.
        with open(os.path.join(shared, "moved", "option.ini"), "rb") as f:
            self.assertTrue(f.read().startswith(b"1,58,5,0,5,1,0,0,"))

    def test_a_kemlessdata_link_planted_in_a_folder_open_to_all_is_not_followed(self):
        if not ROOT:
            self.skipTest("needs root to act as the other user")
        w = self.world
        documents = os.path.join(w.home, "Documents")
        os.makedirs(documents)
        w.give(w.home)
        public = os.path.join(w.dir, "public")
        os.mkdir(public)
        os.chmod(public, 0o1777)
        as_other("ln", "-s", documents, os.path.join(public, "kemlessdata"))
        w.start(args=["--data-dir", public])
        w.wait_until_up(said=KEEP_MESSAGE)
        self.assertIn("別のユーザーが作ったリンク", w.said())
        self.assertEqual(w.end(), 0)
        self.assertEqual(os.listdir(documents), [])
        self.assertEqual(os.readlink(os.path.join(public, "kemlessdata")), documents)

    def test_autostart_entries_no_runner_can_misread(self):
        w = self.world
        entry = os.path.join(w.home, ".config", "autostart", "kemless.desktop")
        pwned = os.path.join(w.home, "PWNED")
        refused = [
            ("a carriage return and a second Exec", os.path.join(w.home, f"kj\rExec=touch {pwned} #")),
            ("a command substitution", os.path.join(w.home, f"a$(touch {pwned})")),
            ("backticks", os.path.join(w.home, f"a`touch {pwned}`")),
            ("a name that is not UTF-8", os.fsencode(w.home) + b"/caf\xe9"),
        ]
        for name, folder in refused:
            with self.subTest(name):
                r = subprocess.run(w.command(["--autostart", "on", "--data-dir", folder]), env=w.env,
                                   capture_output=True, timeout=20)
                self.assertEqual(r.returncode, 1, r.stdout)
                self.assertEqual(r.stdout, b"")
                lines = r.stderr.decode().splitlines()
                self.assertEqual(len(lines), 1, lines)
                self.assertIn("登録できません", lines[0])
                self.assertFalse(os.path.lexists(entry))
        # What is written passes the validator and means the same to GLib
        # and to a runner that hands the line to sh -c.
        safe = os.path.join(w.home, "it's (odd) & <reserved>; a|b #~*? 記録 [x]")
        # `on` names only a folder that holds a started record.
        os.makedirs(os.path.join(safe, "kemlessdata"))
        for name, data in (("initial.ini", RECORD_INITIAL), ("option.ini", RECORD_OPTION)):
            with open(os.path.join(safe, "kemlessdata", name), "wb") as f:
                f.write(data)
        w.give(w.home)
        r = subprocess.run(w.command(["--autostart", "on", "--data-dir", safe]), env=w.env, capture_output=True,
                           timeout=20)
        self.assertEqual(r.returncode, 0, r.stderr)
        if shutil.which("desktop-file-validate"):
            v = subprocess.run(["desktop-file-validate", entry], capture_output=True)
            self.assertEqual(v.returncode, 0, v.stdout + v.stderr)
        expected = [os.path.realpath(w.program), "--hidden", "--notify", "--data-dir", safe]
        with open(entry, encoding="utf-8") as f:
            [line] = [l for l in f.read().splitlines() if l.startswith("Exec=")]
        exec_value = line[len("Exec="):].replace("\\\\", "\\")
        shell = subprocess.run(["sh", "-c", 'set -- ' + exec_value + '; printf "%s\\0" "$@"'], capture_output=True,
                               cwd=w.home)
        self.assertEqual(shell.stdout.decode().split("\0")[:-1], expected)
        try:
            from gi.repository import GLib
        except ImportError:
            GLib = None
        if GLib is not None:
            keys = GLib.KeyFile()
            keys.load_from_file(entry, GLib.KeyFileFlags.NONE)
            ok, argv = GLib.shell_parse_argv(keys.get_string("Desktop Entry", "Exec"))
            self.assertEqual(argv, expected)
        self.assertFalse(os.path.exists(pwned))

    def test_a_socket_flood_neither_hangs_it_nor_loses_the_exit_save(self):
        w = self.world
        w.put_record()
        w.start(wrap=["prlimit", "--nofile=200:200", "--"])
        w.wait_until_up()
        path = os.path.join(w.home, ".cache", "kemless", "kemless.socket")
        soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
        resource.setrlimit(resource.RLIMIT_NOFILE, (min(4096, hard), hard))
        flood = []
        try:
            # Connections that never send a line, as many as will go in.
            deadline = time.monotonic() + 3
            while len(flood) < 1000 and time.monotonic() < deadline:
                peer = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                peer.setblocking(False)
                try:
                    peer.connect(path)
                    flood.append(peer)
                except OSError:
                    peer.close()
                    time.sleep(0.002)
            self.assertTrue(flood, "nothing could connect")
            pid = w.program_pid()
            before = cpu_seconds(pid)
            time.sleep(2)
            self.assertLess(cpu_seconds(pid) - before, 1.0, "busy while the peers stay silent")
            started = time.monotonic()
            self.assertEqual(w.end(), 0)
            self.assertLess(time.monotonic() - started, 5)
        finally:
            for peer in flood:
                peer.close()
            resource.setrlimit(resource.RLIMIT_NOFILE, (soft, hard))
        with open(w.path("option.ini"), "rb") as f:
            self.assertTrue(f.read().startswith(b"1,58,5,0,5,1,0,0,"), "the exit save was lost")

    def test_unparseable_records_survive_the_start_that_replaces_them(self):
        bom = b"\xef\xbb\xbf"
        rows = [
            ("a byte-order mark", bom + RECORD_INITIAL, bom + RECORD_OPTION),
            ("NUL bytes", b"\0" * 30, b"\0" * 90),
            ("a NUL in a number", b"2026,11,1\0,9,0,25,480,100\r\n", RECORD_OPTION.replace(b"58,", b"5\0,", 1)),
        ]
        if not shutil.which("xdotool") or not shutil.which("openbox"):
            self.skipTest("xdotool and openbox drive the setup")
        for name, initial, option in rows:
            with self.subTest(name):
                self.world.close()
                w = self.world = World()
                w.on_a_desktop()
                for file, data in (("initial.ini", initial), ("option.ini", option)):
                    with open(w.path(file), "wb") as f:
                        f.write(data)
                w.give(w.home)
                w.start()
                w.wait_until_up()
                # The setup opens (option.ini does not read): the two figures,
                # then the ceremony's start, which writes both files.
                w.keys("search", "--sync", "--onlyvisible", "--name", "初期設定", "windowactivate", "--sync")
                time.sleep(0.3)
                w.keys("type", "20")
                w.keys("key", "Tab")
                w.keys("type", "300")
                w.keys("key", "Return")
                wait_for(lambda: not subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "初期設定"],
                                                    env=dict(w.env), capture_output=True).stdout.strip(), 10)
                w.keys("search", "--sync", "--onlyvisible", "--name", "lunapo", "windowactivate", "--sync")
                time.sleep(0.3)
                w.keys("key", "Return")
                wait_for(lambda: len(os.listdir(w.data)) >= 4, 10)
                self.assertEqual(w.end(), 0)
                kept = {f.split(".unreadable-")[0]: f for f in os.listdir(w.data) if ".unreadable-" in f}
                self.assertEqual(sorted(kept), ["initial.ini", "option.ini"], os.listdir(w.data))
                for file, data in (("initial.ini", initial), ("option.ini", option)):
                    with open(w.path(kept[file]), "rb") as f:
                        self.assertEqual(f.read(), data, file)
                    self.assertIn(w.path(kept[file]), w.said())
                with open(w.path("option.ini"), "rb") as f:
                    self.assertTrue(f.read().startswith(b"1,"), "the start was made")

    def test_a_folder_name_that_is_not_utf8_is_used_byte_for_byte(self):
        w = self.world
        base = os.fsencode(w.home) + b"/caf\xe9"
        w.start(args=[b"--data-dir", base])
        w.wait_until_up()
        self.assertEqual(w.end(), 0)
        self.assertIn(b"caf\xe9", os.listdir(os.fsencode(w.home)))
        self.assertNotIn("caf\ufffd".encode(), os.listdir(os.fsencode(w.home)))
        self.assertEqual(sorted(os.listdir(base + b"/kemlessdata")), [b"initial.ini", b"option.ini"])

    def shared_world(self, folder_mode):
        """A world whose data folder is the test user's but one others may
        write in: sticky for all (1777), or for a group the other user is in
        too (3775)."""
        self.world.close()
        w = self.world = World()
        w.put_record()
        if folder_mode & stat.S_ISGID:
            os.chown(w.data, w.uid, grp.getgrnam(SHARE_GROUP).gr_gid)
        os.chmod(w.data, folder_mode)
        return w

    def plant(self, path, data, mode):
        """A file of the other user's, as they would leave it in a shared folder."""
        uid, share = other_ids()
        with open(path, "wb") as f:
            f.write(data)
        os.chown(path, uid, share)
        os.chmod(path, mode)

    def test_another_users_record_in_a_shared_folder_is_never_the_users(self):
        if not ROOT:
            self.skipTest("needs root to act as the other user")
        # Figures nobody would take for the user's: 99 a day at 9,999 yen since 2019.
        planted = b"2019,11,1,9,0,99,9999,20\r\n"
        owner_said = f"別のユーザー（{OTHER_USER}）のファイルです"
        for folder_mode, mode in itertools.product((0o1777, 0o3775), (0o666, 0o660)):
            with self.subTest(folder=oct(folder_mode), mode=oct(mode)):
                w = self.shared_world(folder_mode)
                os.unlink(w.path("initial.ini"))
                self.plant(w.path("initial.ini"), planted, mode)
                before = snapshot(w.path("initial.ini"))
                # In the shared group, the test user could read the file: only
                # its owner keeps it from being taken as the user's.
                for args in (["--days"], ["--summary"], ["--json"]):
                    r = subprocess.run(w.command(args + ["--data-dir", w.base], shared=True), env=w.env,
                                       capture_output=True, timeout=20)
                    self.assertEqual(r.returncode, 1, r.stdout.decode())
                    self.assertEqual(r.stdout, b"", args)
                    self.assertIn(w.path("initial.ini"), r.stderr.decode())
                    self.assertIn(owner_said, r.stderr.decode())
                # The start says it once and goes on without it; nothing is written there.
                w.start(shared=True)
                w.wait_until_up(said=KEEP_MESSAGE)
                said = w.said()
                self.assertIn(w.path("initial.ini"), said)
                self.assertIn(owner_said, said)
                self.assertEqual(w.end(), 0)
                self.assertEqual(snapshot(w.path("initial.ini")), before)
                self.assertEqual(sorted(os.listdir(w.data)), ["initial.ini", "option.ini"])

    def test_another_users_journal_in_a_shared_folder_is_never_the_users(self):
        if not ROOT:
            self.skipTest("needs root to act as the other user")
        journal_said = "お知らせの記録（日誌）が使えません"
        owner_said = f"別のユーザー（{OTHER_USER}）のファイルです"
        # Urges and slips the user never had, and notices that would silence theirs.
        planted = b"".join(b"2026-11-%02d 10:00 urge\n" % day for day in range(2, 20)) + \
            b"2026-11-05 12:00 slip\n" + b"2026-11-02 09:00 notice metres 99\n"
        for (folder_mode, mode), use in itertools.product(
                itertools.product((0o1777, 0o3775), (0o666, 0o660)), ("--notify", "--record")):
            row = f"folder {folder_mode:o}, journal {mode:o}, {use}"
            w = self.shared_world(folder_mode)
            self.plant(w.path("journal.txt"), planted, mode)
            before = snapshot(w.path("journal.txt"))
            w.start(args=[use, "--data-dir", w.base], shared=True)
            self.refused_once_and_left(w, row, "journal.txt", journal_said, owner_said, before)

    def refused_once_and_left(self, w, row, name, file_said, owner_said, before):
        """Another user's `name` in a shared folder: said once, with its
        owner, and left byte for byte; nothing else made beside the record."""
        # The first row that fails ends the test: each would wait its full time.
        try:
            w.wait_until_up(said=file_said, timeout=10)
        except AssertionError as e:
            raise AssertionError(f"{row}: {e}") from None
        said = w.said()
        self.assertIn(w.path(name), said, row)
        self.assertIn(owner_said, said, row)
        self.assertEqual(said.count(file_said), 1, said)
        self.assertEqual(w.end(), 0, row)
        self.assertEqual(snapshot(w.path(name)), before, row)
        self.assertEqual(sorted(os.listdir(w.data)), sorted(["initial.ini", "option.ini", name]), row)

    def test_another_users_plan_in_a_shared_folder_is_never_the_users(self):
        if not ROOT:
            self.skipTest("needs root to act as the other user")
        plan_said = "「わたしの卒煙プラン」のファイルが使えません"
        owner_said = f"別のユーザー（{OTHER_USER}）のファイルです"
        # Reasons and a reward the user never wrote, and an alarm that would
        # speak for them.
        planted = "reason=他人の理由\nreward=他人のごほうび 100\nalarm=21:30 日月火水木金土 \\e on\n".encode()
        for folder_mode, mode in itertools.product((0o1777, 0o3775), (0o666, 0o660)):
            row = f"folder {folder_mode:o}, plan {mode:o}"
            w = self.shared_world(folder_mode)
            self.plant(w.path("plan.ini"), planted, mode)
            before = snapshot(w.path("plan.ini"))
            # --json shows no reward from it.
            r = subprocess.run(w.command(["--json", "--data-dir", w.base], shared=True), env=w.env,
                               capture_output=True, timeout=20)
            self.assertEqual(r.returncode, 0, row)
            self.assertNotIn("他人のごほうび", r.stdout.decode(), row)
            w.start(args=["--plan", "--data-dir", w.base], shared=True)
            self.refused_once_and_left(w, row, "plan.ini", plan_said, owner_said, before)

    def test_the_users_own_file_open_to_others_in_a_shared_folder_is_not_used(self):
        w = self.shared_world(0o1777)
        os.chmod(w.path("initial.ini"), 0o666)  # anybody could have written the figures
        before = snapshot(w.path("initial.ini"))
        r = subprocess.run(w.command(["--days", "--data-dir", w.base]), env=w.env, capture_output=True, timeout=20)
        self.assertEqual(r.returncode, 1, r.stdout.decode())
        self.assertIn("ほかのユーザーも書き換えられるファイルです", r.stderr.decode())
        w.start()
        w.wait_until_up(said=KEEP_MESSAGE)
        self.assertEqual(w.end(), 0)
        self.assertEqual(snapshot(w.path("initial.ini")), before)

    def test_what_a_first_start_makes_is_private(self):
        w = self.world
        shutil.rmtree(w.base)
        # Under the umask most systems give a user, which would leave 0644 and 0755.
        w.start(wrap=["sh", "-c", 'umask 022 && exec "$@"', "sh"])
        w.wait_until_up()
        self.assertEqual(w.end(), 0)
        for folder in (w.base, w.data):
            st = os.lstat(folder)
            self.assertEqual((st.st_uid, stat.S_IMODE(st.st_mode)), (w.uid, 0o700), folder)
        self.assertIn("initial.ini", os.listdir(w.data))
        for name in os.listdir(w.data):
            st = os.lstat(w.path(name))
            self.assertEqual((st.st_uid, stat.S_IMODE(st.st_mode)), (w.uid, 0o600), name)

    def test_a_private_record_stays_private_after_a_save(self):
        w = self.world
        w.put_record()
        for name in ("initial.ini", "option.ini"):
            os.chmod(w.path(name), 0o600)
        w.start()
        w.wait_until_up()
        self.assertEqual(w.end(), 0)
        with open(w.path("option.ini"), "rb") as f:
            self.assertTrue(f.read().startswith(b"1,58,5,0,5,1,0,0,"), "saved at the end")
        for name in ("initial.ini", "option.ini"):
            self.assertEqual(stat.S_IMODE(os.lstat(w.path(name)).st_mode), 0o600, name)

    def test_another_users_record_in_the_working_folder_is_not_adopted(self):
        if not ROOT:
            self.skipTest("needs root to act as the other user")
        w = self.world
        workdir = os.path.join(w.dir, "their-work")
        os.makedirs(os.path.join(workdir, "kemlessdata"))
        theirs = RECORD_OPTION.replace(b"kemless.example.jp/", b"theirs.example/")
        for name, data in (("initial.ini", b"2019,5,6,7,8,30,600,100\r\n"), ("option.ini", theirs)):
            with open(os.path.join(workdir, "kemlessdata", name), "wb") as f:
                f.write(data)
        uid, share = other_ids()
        for folder, dirs, files in os.walk(workdir):
            os.chown(folder, uid, share)
            for name in files:
                os.chown(os.path.join(folder, name), uid, share)
        w.start(args=[], cwd=workdir)
        w.wait_until_up()
        self.assertEqual(w.end(), 0)
        own = os.path.join(w.home, ".local", "share", "kemless", "kemlessdata")
        for name in ("initial.ini", "option.ini"):
            with open(os.path.join(own, name), "rb") as f:
                data = f.read()
            self.assertNotIn(b"theirs.example", data)
            self.assertNotEqual(data, b"2019,5,6,7,8,30,600,100\r\n")

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
        with self.subTest("a stale DISPLAY and no runtime folder"):
            # A display nobody serves, as a terminal left over from a session has.
            number = next(n for n in range(900, 1000) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
            env = dict(w.env, DISPLAY=f":{number}")
            del env["QT_QPA_PLATFORM"]
            env.pop("XDG_RUNTIME_DIR", None)
            result = subprocess.run(w.command(["--data-dir", w.base]), env=env, capture_output=True, timeout=20)
            self.assertEqual(result.returncode, 1, result.stderr.decode())
            lines = result.stderr.decode().splitlines()
            self.assertEqual(len(lines), 1, lines)
            self.assertTrue(lines[0].startswith("kemless: "), lines)


def make_users():
    """The test users and their shared group, made once for every run that
    needs them; the runs hold the lock shared while they use them."""
    lock = open(USERS_LOCK, "a")
    fcntl.flock(lock, fcntl.LOCK_EX)
    subprocess.run(["groupadd", "--system", SHARE_GROUP], stderr=subprocess.DEVNULL)
    for user in (TEST_USER, OTHER_USER):
        subprocess.run(["useradd", "--system", "--no-create-home", "--home-dir", "/nonexistent",
                        "--shell", "/usr/sbin/nologin", "--groups", SHARE_GROUP, user], stderr=subprocess.DEVNULL)
        subprocess.run(["usermod", "--append", "--groups", SHARE_GROUP, user], check=True)
    fcntl.flock(lock, fcntl.LOCK_SH)
    return lock


def remove_users(lock):
    """Removes them when no other run holds the lock any more."""
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except BlockingIOError:
        return
    for user in (TEST_USER, OTHER_USER):
        subprocess.run(["userdel", user], check=False, stderr=subprocess.DEVNULL)
    subprocess.run(["groupdel", SHARE_GROUP], check=False, stderr=subprocess.DEVNULL)
    lock.close()


def main():
    global PROGRAM
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    lock = make_users() if ROOT else None
    try:
        result = unittest.main(exit=False, verbosity=2).result
    finally:
        if lock is not None:
            remove_users(lock)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
