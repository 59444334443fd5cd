#!/usr/bin/python3
"""The COM number table over one state folder as several runs, a file system
without locks and another local user meet it: runs at once never give one
number twice nor leave a broken table; without locks nothing is written; a
link or FIFO another user plants never makes a run write through it or hang;
a folder that is not the user's own is said, with whose it is.

Needs COM_NUMBER_TOOL and FLOCK_ENOLCK (set by CTest). The parts where
another user plants things need root, to drop to nobody with setpriv."""
import os
import shutil
import stat
import subprocess
import tempfile
import unittest

TOOL = os.environ["COM_NUMBER_TOOL"]
ENOLCK = os.environ["FLOCK_ENOLCK"]
HEADER = "# apconfig COM numbers 1: number, key, last seen, device, description"
NOBODY = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"]


def table_rows(path):
    with open(path) as text:
        lines = text.read().splitlines()
    assert lines[0] == HEADER, lines
    return [line.split("\t") for line in lines[1:]]


class StateFolder(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="apconfig-numbers.")
        os.chmod(self.home, 0o755)
        self.folder = os.path.join(self.home, "apconfig")
        self.table = os.path.join(self.folder, "com-numbers")
        self.victim = os.path.join(self.home, "victim")
        with open(self.victim, "w") as victim:
            victim.write("precious\n")
        self.addCleanup(shutil.rmtree, self.home, True)

    def start(self, key, preload=None, user=None, env=None):
        env = dict(os.environ, XDG_STATE_HOME=self.home) | (env or {})
        if preload:
            env["LD_PRELOAD"] = preload
            # A sanitizer build's runtime must otherwise come first.
            env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0"
        return subprocess.Popen((user or []) + [TOOL, key], env=env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True)

    def run_all(self, keys, **how):
        runs = [self.start(key, **how) for key in keys]
        results = []
        for run in runs:
            out, err = run.communicate(timeout=60)
            self.assertEqual(run.returncode, 0, err)
            results.append((out.strip(), err))
        return results

    def temporaries(self):
        return [name for name in os.listdir(self.folder) if name.endswith(".new")]


class Runs(StateFolder):
    def test_sixteen_runs_at_once_give_sixteen_numbers(self):
        keys = ["k%d" % i for i in range(16)]
        results = self.run_all(keys)
        numbers = [int(out) for out, err in results]
        self.assertEqual(sorted(numbers), list(range(4, 20)), "each run its own number")
        self.assertEqual([err for out, err in results], [""] * 16)
        rows = table_rows(self.table)
        self.assertEqual(sorted(row[1] for row in rows), sorted(keys))
        self.assertEqual(sorted(int(row[0]) for row in rows), list(range(4, 20)))
        self.assertEqual(self.temporaries(), [])
        self.assertEqual(stat.S_IMODE(os.stat(self.folder).st_mode), 0o700)
        self.assertEqual(stat.S_IMODE(os.stat(self.table).st_mode), 0o600)

    def test_without_locks_nothing_is_written_and_the_table_still_holds(self):
        self.assertEqual(self.run_all(["first"]), [("4", "")])
        with open(self.table, "rb") as table:
            before = table.read()
        results = self.run_all(["first"] + ["k%d" % i for i in range(15)], preload=ENOLCK)
        self.assertEqual(results[0][0], "4", "the number given before holds for the run")
        for out, err in results:
            self.assertIn("cannot lock", err)
            self.assertIn("No locks available", err)
            self.assertIn("kept for this run only", err)
            self.assertEqual(err.count("\n"), 1, err)
        with open(self.table, "rb") as table:
            self.assertEqual(table.read(), before, "never written unlocked")
        self.assertEqual(self.temporaries(), [])


@unittest.skipUnless(os.geteuid() == 0 and shutil.which("setpriv"), "needs root to be attacked by nobody")
class AnotherUser(StateFolder):
    def as_nobody(self, *command):
        subprocess.run(NOBODY + list(command), check=True, timeout=30)

    def assert_untouched(self):
        with open(self.victim) as victim:
            self.assertEqual(victim.read(), "precious\n")

    def test_links_and_fifos_in_a_folder_others_may_write_are_never_used(self):
        os.makedirs(self.folder)
        os.chmod(self.folder, 0o1777)
        for name in ("com-numbers", "com-numbers.lock", "com-numbers.new"):
            self.as_nobody("ln", "-s", self.victim, os.path.join(self.folder, name))
        self.as_nobody("mkfifo", os.path.join(self.folder, "com-numbers.damaged"))
        ((out, err),) = self.run_all(["k"])
        self.assertEqual(out, "4", "numbers for the run")
        self.assertIn(self.folder + " may be changed by other users (mode 1777)", err)
        self.assertIn("kept for this run only", err)
        self.assert_untouched()
        self.assertTrue(os.path.islink(self.table), "nothing set aside or replaced")

    def test_root_with_a_users_home_leaves_the_users_folder_alone(self):
        # sudo -E: root's run finds the user's own folder, with a link in it.
        os.chown(self.home, 65534, 65534)
        self.as_nobody("mkdir", "-m", "700", self.folder)
        self.as_nobody("ln", "-s", self.victim, self.table)
        ((out, err),) = self.run_all(["k"])
        self.assertEqual(out, "4")
        self.assertIn("which belongs to user nobody", err)
        self.assert_untouched()
        self.assertEqual(sorted(os.listdir(self.folder)), ["com-numbers"])

    def test_root_makes_no_folder_in_a_users_home(self):
        # sudo -E in a home without ~/.local/state yet.
        os.chown(self.home, 65534, 65534)
        state = os.path.join(self.home, ".local", "state")
        ((out, err),) = self.run_all(["k"], env={"XDG_STATE_HOME": state})
        self.assertEqual(out, "4")
        self.assertIn("lies in " + self.home + ", which belongs to user nobody", err)
        self.assertFalse(os.path.exists(os.path.join(self.home, ".local")))

    def test_a_folder_root_made_is_said_to_the_user_not_silently_renumbered(self):
        self.assertEqual(self.run_all(["k"]), [("4", "")])
        os.chmod(self.home, 0o777)
        # The user's next run: the folder is root's.
        os.chown(self.home, 65534, 65534)
        ((out, err),) = self.run_all(["other"], user=NOBODY)
        self.assertEqual(out, "4")
        self.assertIn(self.folder + " belongs to user root", err)
        self.assertIn("kept for this run only", err)

    def test_a_lock_file_that_is_a_fifo_hangs_nobody(self):
        os.makedirs(self.folder, mode=0o700)
        os.mkfifo(os.path.join(self.folder, "com-numbers.lock"))
        ((out, err),) = self.run_all(["k"])
        self.assertEqual(out, "4")
        self.assertIn("com-numbers.lock (not a regular file)", err)
        self.assertFalse(os.path.exists(self.table))


if __name__ == "__main__":
    unittest.main()
