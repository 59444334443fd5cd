#!/usr/bin/python3
"""apctl.exe under Wine against apsim's pty served as COM5, beside the Linux
build's apctl: the same JSON, byte for byte, in every language, the devices
apsim holds, Windows' own port list, and the exit status of a port that is not
there.

apctl_under_wine.py <apsim> <linux apctl> <apctl.exe> <lidany.dll> <build's l10n folder>"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cli"))
from ser2net_front import Ser2netFront, free_port  # noqa: E402

APSIM, LINUX_APCTL, APCTL_EXE, LIDANY, L10N = sys.argv[1:6]
ANSWERS_ON = 57500
PORT, NO_SUCH_PORT, USAGE = 3, 3, 64


def shown(wire):
    """A wire-order address as apctl shows it: bytes 4, 5, 3, 0, 1, 2."""
    b = [wire[i:i + 2].upper() for i in range(0, 12, 2)]
    return ":".join([b[4], b[5], b[3], b[0], b[1], b[2]])


class ApctlUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="apctl-wine.")
        cls.env = dict(os.environ, WINEPREFIX=os.path.join(cls.folder, "prefix"), WINEDEBUG="-all")
        subprocess.run(["wine", "wineboot", "--init"], env=cls.env, capture_output=True)
        subprocess.run(["wineserver", "-w"], env=cls.env)
        cls.state = os.path.join(cls.folder, "state")
        dosdevices = os.path.join(cls.env["WINEPREFIX"], "dosdevices")
        cls.sim = subprocess.Popen([APSIM, "--folder", dosdevices, "--com", "5", "--devices", "3",
                                    "--state", cls.state],
                                   stdout=subprocess.PIPE, text=True)
        cls.sim.stdout.readline()
        cls.pty = os.readlink(os.path.join(dosdevices, "com5"))
        # Wine lists a port in SERIALCOMM when its own port table names it;
        # it reads the table when it starts.
        subprocess.run(["wine", "reg", "add", r"HKLM\Software\Wine\Ports", "/v", "COM5", "/d", cls.pty, "/f"],
                       env=cls.env, capture_output=True, check=True)
        subprocess.run(["wineserver", "-k"], env=cls.env)
        # The program's folder as the installer lays it out: the resource
        # library and the registry's lists beside it.
        cls.program = os.path.join(cls.folder, "program")
        os.mkdir(cls.program)
        for file in (APCTL_EXE, LIDANY):
            shutil.copy(file, cls.program)
        cls.registry = os.path.exists("/usr/share/ieee-data/oui.csv")
        for name in ("oui.csv", "mam.csv", "oui36.csv", "iab.csv"):
            if os.path.exists("/usr/share/ieee-data/" + name):
                shutil.copy("/usr/share/ieee-data/" + name, cls.program)

    @classmethod
    def tearDownClass(cls):
        cls.sim.terminate()
        cls.sim.wait(10)
        subprocess.run(["wineserver", "-k"], env=cls.env)
        shutil.rmtree(cls.folder, ignore_errors=True)

    def apctl_exe(self, *args, locale=None):
        env = dict(self.env, LANG=locale, LC_ALL=locale) if locale else self.env
        return subprocess.run(["wine", os.path.join(self.program, "apctl.exe")] + list(args), env=env,
                              capture_output=True, timeout=120)

    def held_devices(self):
        with open(self.state) as lines:
            return [line.split()[1] for line in lines if line.startswith("device ")]

    def test_list_json_is_the_linux_builds_and_apsims_devices(self):
        run = self.apctl_exe("--port", "COM5", "list", "--json")
        self.assertEqual(run.returncode, 0, run.stderr)
        listed = json.loads(run.stdout.decode("utf-8"))
        self.assertEqual([device["address"] for device in listed], [shown(d) for d in self.held_devices()])
        if self.registry:
            self.assertEqual(listed[0]["manufacturer"], "XEROX CORPORATION",
                             "the lists beside the program name the maker")
        linux = subprocess.run([LINUX_APCTL, "--port", self.pty, "list", "--json"], capture_output=True,
                               env=dict(os.environ, XDG_STATE_HOME=self.folder))
        self.assertEqual(linux.returncode, 0, linux.stderr)
        self.assertEqual(run.stdout, linux.stdout, "the same bytes from both builds")

    def test_status_and_name_answer_as_on_linux(self):
        for command in (["status", "--json"], ["name", "--json"], ["identify"]):
            run = self.apctl_exe("--port", "com5", *command)
            linux = subprocess.run([LINUX_APCTL, "--port", self.pty] + command, capture_output=True,
                                   env=dict(os.environ, XDG_STATE_HOME=self.folder))
            self.assertEqual(run.returncode, 0, run.stderr)
            if command[0] == "name":
                self.assertEqual(run.stdout, linux.stdout)
        status = json.loads(self.apctl_exe("--port", "COM5", "status", "--json").stdout)
        self.assertEqual(status["port"], "COM5")
        self.assertEqual(status["name"], "apsim")
        self.assertEqual(len(status["paired"]), 3)

    def test_json_is_the_same_in_every_language(self):
        for command in (["status", "--json"], ["list", "--json"]):
            english = self.apctl_exe("--port", "COM5", *command, locale="en_US.UTF-8")
            self.assertEqual(english.returncode, 0, english.stderr)
            for locale in ("de_DE.UTF-8", "ja_JP.UTF-8"):
                run = self.apctl_exe("--port", "COM5", *command, locale=locale)
                self.assertEqual((run.returncode, run.stdout), (0, english.stdout), locale)

    def test_a_result_line_in_german(self):
        with open(os.path.join(L10N, "de", "strings.ini"), encoding="utf-8") as lines:
            text = next(line.split("=", 1)[1].rstrip("\n") for line in lines if line.startswith("%d=" % ANSWERS_ON))
        run = self.apctl_exe("--port", "COM5", "identify", locale="de_DE.UTF-8")
        self.assertEqual(run.returncode, 0, run.stderr)
        # Redirected, in the code page of German Windows.
        self.assertEqual(run.stdout, (text.replace("%1", "COM5") + "\n").encode("cp1252"))

    def test_list_ports_shows_windows_own_list(self):
        run = self.apctl_exe("list-ports", "--json")
        self.assertEqual(run.returncode, 0, run.stderr)
        ports = {port["name"]: port for port in json.loads(run.stdout)}
        self.assertIn("COM5", ports)
        self.assertEqual(ports["COM5"]["number"], 5)
        self.assertEqual(ports["COM5"]["device"], "\\\\.\\COM5")
        self.assertTrue(ports["COM5"]["key"].startswith("\\Device\\"), ports["COM5"])
        self.assertTrue(ports["COM5"]["present"])
        numbers = [port["number"] for port in json.loads(run.stdout)]
        self.assertEqual(numbers, sorted(numbers))
        text = self.apctl_exe("list-ports").stdout.decode()
        self.assertIn("COM5  \\\\.\\COM5", text)

    def test_a_network_port_through_ser2net(self):
        state = os.path.join(self.folder, "network-state")
        sim = subprocess.Popen([APSIM, "--devices", "3", "--state", state], stdout=subprocess.PIPE, text=True)
        self.addCleanup(sim.stdout.close)
        self.addCleanup(sim.wait, 10)
        self.addCleanup(sim.terminate)
        front = Ser2netFront(sim.stdout.readline().strip())
        self.addCleanup(front.stop)
        run = self.apctl_exe("--port", front.address, "list", "--json")
        self.assertEqual(run.returncode, 0, run.stderr)
        linux = subprocess.run([LINUX_APCTL, "--port", front.address, "list", "--json"], capture_output=True)
        self.assertEqual((run.stdout, len(json.loads(run.stdout))), (linux.stdout, 3), "the same bytes from both builds")
        renamed = self.apctl_exe("--port", front.address, "name", "Hall 2")
        self.assertEqual(renamed.returncode, 0, renamed.stderr)
        with open(state) as lines:
            self.assertIn("name Hall 2\n", lines.read())
        unserved = "rfc2217://127.0.0.1:%d" % free_port()
        run = self.apctl_exe("--port", unserved, "identify")
        self.assertEqual((run.returncode, run.stdout), (PORT, b""))
        self.assertIn(unserved.encode(), run.stderr)

    def test_a_port_that_is_not_there_and_a_usage_error(self):
        for port in ("COM7", "COM200", "/dev/ttyUSB0"):
            run = self.apctl_exe("--port", port, "list", "--json")
            self.assertEqual(run.returncode, NO_SUCH_PORT, port)
            self.assertEqual(run.stdout, b"")
            self.assertIn(b"no such port", run.stderr)
        # Malformed COM names are usage errors, as on Linux.
        self.assertEqual(self.apctl_exe("--port", "COM05", "list").returncode, USAGE)
        run = self.apctl_exe("--port", "COM5", "frobnicate")
        self.assertEqual(run.returncode, USAGE)
        self.assertIn(b"unknown command 'frobnicate'", run.stderr)
        run = self.apctl_exe("delete", "not-an-address")
        self.assertEqual(run.returncode, USAGE)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[6:])
