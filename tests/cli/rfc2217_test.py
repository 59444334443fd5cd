#!/usr/bin/python3
"""apctl over network ports: to a server of the tests' own, scripted for
faults, and to ser2net, each in front of apsim's pty.

Run by CTest with the folder holding apctl and apsim as APCONFIG_BIN; one
test class per CTest test (python3 rfc2217_test.py ClassName)."""
import json
import os
import shutil
import tempfile
import time
import unittest

from apctl_test import DONE, PORT, REFUSED, USAGE, apctl, ApctlTestCase, German
from rfc2217_server import Rfc2217Server
from ser2net_front import Ser2netFront, free_port

# A device whose address and link key hold 0xFF, Telnet's IAC, both ways.
IAC_DEVICE = "ff12ffff0001:" + "ff" * 8 + "00" * 8
IAC_SHOWN = "00:01:FF:FF:12:FF"


class OwnServer(ApctlTestCase):
    def server(self, device, **script):
        server = Rfc2217Server(device.path, **script)
        self.addCleanup(server.stop)
        return server

    def test_iac_bytes_in_a_listing_and_a_deletion(self):
        device = self.device(devices=[IAC_DEVICE, "da71137d001a"])
        server = self.server(device)
        listed = apctl("--port", server.address(), "list")
        self.assertEqual(listed.returncode, DONE, listed.stderr)
        self.assertEqual([line.split()[0] for line in listed.stdout.splitlines()], [IAC_SHOWN, "00:1A:7D:DA:71:13"])
        deleted = apctl("--port", server.address(), "delete", IAC_SHOWN)
        self.assertEqual(deleted.returncode, DONE, deleted.stderr)
        self.assertEqual(device.payloads("LINKDEL"), ["0100" + IAC_DEVICE.split(":")[0]])

    def test_a_connection_dropped_mid_listing_is_a_port_fault_naming_host_and_port(self):
        device = self.device(devices=["%012x" % n for n in range(1, 200)])
        server = self.server(device, drop_on=b"LINKREAD", drop_after=40)
        run = apctl("--port", server.address(), "list")
        self.assertFailsWithin(run, PORT, 9, "no byte awaited for its ten seconds", "host 127.0.0.1",
                               "port %d" % server.port, "was lost")

    def test_a_server_that_never_answers_the_flow_control_still_serves_within_the_bound(self):
        device = self.device()
        server = self.server(device, answer_control=False)
        run = apctl("--port", server.address(), "identify")
        self.assertEqual(run.returncode, DONE, run.stderr)
        self.assertLess(run.seconds, 3, "each unanswered setting waited for a short while only")
        self.assertIn((5, bytes([3])), server.commands, "hardware flow control asked for")

    def test_cts_off_then_on_holds_the_request_until_it_comes_on(self):
        device = self.device()
        server = self.server(device, answer_control=False, cts_on_after=1.0)
        run = apctl("--port", server.address(), "identify")
        self.assertEqual(run.returncode, DONE, run.stderr)
        self.assertGreaterEqual(server.first_data_at, server.cts_on_at, "nothing sent while CTS was off")

    def test_no_server_is_a_port_fault_at_once(self):
        port = free_port()
        run = apctl("--port", "rfc2217://127.0.0.1:%d" % port, "identify")
        self.assertFailsWithin(run, PORT, 5, "refused at once", "cannot connect", "port %d" % port)

    def test_network_faults_are_said_in_the_users_language(self):
        port = free_port()
        address = "rfc2217://127.0.0.1:%d" % port
        run = apctl("--port", address, "identify", env=German.ENV)
        self.assertEqual(run.returncode, PORT, run.stderr)
        # The cause is the system's words, in whatever language it has.
        before, after = German.said(57473, address, "127.0.0.1", str(port), "\0").split("\0")
        self.assertTrue(run.stderr.startswith("apctl: " + before) and run.stderr.endswith(after + "\n"), run.stderr)


@unittest.skipUnless(shutil.which("ser2net"), "ser2net is not installed")
class Ser2net(ApctlTestCase):
    def setUp(self):
        self.dev = self.device("--pin", "2468", "--name", "Lobby AP")
        try:
            front = Ser2netFront(self.dev.path)
        except RuntimeError as problem:
            self.fail(str(problem))
        self.addCleanup(front.stop)
        self.address = front.address

    def run_apctl(self, *args):
        run = apctl("--port", self.address, *args)
        self.assertEqual(run.returncode, DONE, run.stderr)
        time.sleep(0.2)
        return run

    def test_list_name_pin_and_delete(self):
        listed = self.run_apctl("list")
        self.assertEqual(len(listed.stdout.splitlines()), 3)
        self.assertEqual(self.run_apctl("name").stdout, "Lobby AP\n")
        self.run_apctl("name", "Front Desk")
        self.assertEqual(self.dev.held("name"), ["Front Desk"])
        self.run_apctl("pin", "--current", "2468", "--new", "1111")
        self.assertEqual(self.dev.held("pin"), ["1111"])
        shown = listed.stdout.splitlines()[0].split()[0]
        self.run_apctl("delete", shown)
        self.assertEqual(len(self.dev.held("device")), 2)


class NumberedPorts(ApctlTestCase):
    """apctl ports add / remove: a network port under a COM number, in a
    state folder of the test's own."""

    def setUp(self):
        state = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, state)
        self.env = dict(os.environ, XDG_STATE_HOME=state)

    def run_apctl(self, *args):
        return apctl(*args, env=self.env)

    def free_numbers(self):
        """COM numbers this machine's ports leave free, lowest first."""
        listed = self.run_apctl("list-ports", "--json")
        self.assertEqual(listed.returncode, DONE, listed.stderr)
        taken = {port["number"] for port in json.loads(listed.stdout)}
        return [n for n in range(4, 21) if n not in taken]

    def test_a_port_added_is_listed_reached_by_its_number_and_removed(self):
        device = self.device("--name", "Hall AP")
        server = Rfc2217Server(device.path)
        self.addCleanup(server.stop)
        number, other = self.free_numbers()[:2]
        name, address = "COM%d" % number, server.address()

        added = self.run_apctl("ports", "add", name.lower(), address)
        self.assertEqual((added.returncode, added.stdout), (DONE, "%s is now the network port %s\n" % (name, address)),
                         added.stderr)
        again = self.run_apctl("ports", "add", name, address)
        self.assertEqual((again.returncode, again.stdout), (DONE, "%s is the network port %s already\n" % (name, address)))

        listed = json.loads(self.run_apctl("list-ports", "--json").stdout)
        entry = [port for port in listed if port["name"] == name]
        self.assertEqual(len(entry), 1, listed)
        self.assertEqual((entry[0]["device"], entry[0]["description"], entry[0]["present"]), (address, address, True))

        status = self.run_apctl("--port", name, "status", "--json")
        self.assertEqual(status.returncode, DONE, status.stderr)
        answer = json.loads(status.stdout)
        self.assertEqual(answer["name"], "Hall AP")
        self.assertIn(address, status.stdout, "the address it was reached at")

        for args, words in [(("ports", "add", name, "rfc2217://127.0.0.1:1"), ("is already the network port", address)),
                            (("ports", "add", "COM%d" % other, address), (address, "already has the number", name))]:
            refused = self.run_apctl(*args)
            self.assertEqual(refused.returncode, REFUSED, args)
            self.assertOneLineError(refused, *words)

        removed = self.run_apctl("ports", "remove", name)
        self.assertEqual((removed.returncode, removed.stdout), (DONE, "%s is no longer a network port\n" % name))
        gone = self.run_apctl("ports", "remove", name)
        self.assertEqual(gone.returncode, REFUSED)
        self.assertOneLineError(gone, name, "is not a network port")
        self.assertEqual(self.run_apctl("--port", name, "identify").returncode, PORT)

    def test_usage_errors_change_nothing(self):
        address = "rfc2217://127.0.0.1:2001"
        cases = [
            (("ports",), "ports takes add"),
            (("ports", "add", "COM7"), "ports takes add"),
            (("ports", "rename", "COM7", address), "ports takes add"),
            (("ports", "remove", "COM7", address), "ports takes add"),
            (("ports", "add", "COM3", address), "from COM4 to COM20"),
            (("ports", "add", "COM21", address), "from COM4 to COM20"),
            (("ports", "add", "/dev/ttyS0", address), "from COM4 to COM20"),
            (("ports", "add", "COM7", "tcp://127.0.0.1:2001"), "is named rfc2217://host:port"),
            (("ports", "add", "COM7", "rfc2217://127.0.0.1:70000"), "is named rfc2217://host:port"),
            (("--port", "COM7", "ports", "remove", "COM7"), "takes no --port"),
        ]
        for args, words in cases:
            run = self.run_apctl(*args)
            self.assertEqual(run.returncode, USAGE, args)
            self.assertOneLineError(run, words)
        checked = self.run_apctl("--check", "ports", "add", "COM7", address)
        self.assertEqual(checked.returncode, DONE, checked.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.env["XDG_STATE_HOME"], "apconfig", "com-numbers")),
                         "nothing was kept")


if __name__ == "__main__":
    unittest.main()
