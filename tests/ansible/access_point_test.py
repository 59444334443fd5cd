#!/usr/bin/python3
"""The collection's access_point module against apsim: built and installed as
an admin would, run by ansible-playbook on localhost, judged by what the
playbook reports and by what the access point received and holds.

Run by CTest with APCONFIG_BIN set; one test class per CTest test. Exits 77
(skipped) when ansible-core is not installed."""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

import yaml

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cli"))
from apsim_device import (BIN, DEVICES, SHOWN, CommandLineWatch, Device, DeviceTestCase,  # noqa: E402
                          unanswered)

COLLECTION = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "ansible")
MODULE = "apconfig.access_point.access_point"
READS = ["IDENTIFY", "LINKREAD", "LNAMREAD", "EXIT"]
ENV = {}


def setUpModule():
    # Ansible keeps everything it writes under these, never in ~/.ansible.
    home = tempfile.mkdtemp(prefix="ansible-test.")
    config = os.path.join(home, "ansible.cfg")
    open(config, "w").close()
    ENV.update(os.environ, ANSIBLE_HOME=home, ANSIBLE_CONFIG=config, ANSIBLE_LOCAL_TEMP=os.path.join(home, "tmp"),
               ANSIBLE_REMOTE_TEMP=os.path.join(home, "remote"), ANSIBLE_COLLECTIONS_PATH=os.path.join(home, "col"),
               ANSIBLE_COLLECTIONS_SCAN_SYS_PATH="false", ANSIBLE_NOCOLOR="1", ANSIBLE_RETRY_FILES_ENABLED="0",
               ANSIBLE_CALLBACK_RESULT_FORMAT="json", ANSIBLE_DEPRECATION_WARNINGS="0",
               # apctl takes a name in the locale's character set.
               LC_ALL="C.UTF-8")
    galaxy = lambda *args: subprocess.run(["ansible-galaxy", "collection"] + list(args), env=ENV, check=True,
                                          capture_output=True, text=True)
    galaxy("build", COLLECTION, "--output-path", home)
    galaxy("install", os.path.join(home, "apconfig-access_point-0.1.0.tar.gz"), "-p", ENV["ANSIBLE_COLLECTIONS_PATH"])
    with open(os.path.join(home, "hosts"), "w") as hosts:
        hosts.write("localhost ansible_connection=local ansible_python_interpreter=%s\n" % sys.executable)


def tearDownModule():
    shutil.rmtree(ENV["ANSIBLE_HOME"], ignore_errors=True)


class Play:
    """One run of a one-task playbook: the task's result, the recap's counts
    and the whole output."""

    def __init__(self, device, options, *flags, task=None, play_vars=None):
        """task: the whole task instead of the module given options on the device's port."""
        if task is None:
            task = {MODULE: dict({"port": device.path, "apctl_path": os.path.join(BIN, "apctl")}, **options)}
        path = os.path.join(device.folder.name, "play.yml")
        with open(path, "w") as play:
            # JSON is YAML too.
            json.dump([{"hosts": "localhost", "gather_facts": False, "vars": play_vars or {}, "tasks": [task]}], play)
        run = subprocess.run(["ansible-playbook", "-v", "-i", os.path.join(ENV["ANSIBLE_HOME"], "hosts"), path]
                             + list(flags), env=ENV, capture_output=True, text=True, timeout=120)
        self.output = run.stdout + run.stderr
        match = re.search(r"^(ok|changed|fatal): \[localhost\](?:: FAILED!)? => ", run.stdout, re.M)
        assert match, "no task result in:\n" + self.output
        self.result = json.JSONDecoder().raw_decode(run.stdout, match.end())[0]
        self.recap = {key: int(count) for key, count in
                      re.findall(r"(ok|changed|failed)=(\d+)", run.stdout.rsplit("PLAY RECAP", 1)[-1])}

    def steps(self):
        """Each action the task reported, and whether it was carried out."""
        return [(action["action"], action["done"]) for action in self.result["actions"]]


class AccessPointTestCase(DeviceTestCase):
    def play(self, device, options, *flags):
        return Play(device, options, *flags)

    def assertDeviceHolds(self, device, name, wire_addresses):
        self.assertEqual(device.held("name"), [name])
        self.assertEqual([line.split()[0] for line in device.held("device")], wire_addresses)


class Converge(AccessPointTestCase):
    def test_first_run_changes_and_the_second_changes_nothing(self):
        device = self.device()
        wanted = {"name": "Café ~$HOME", "paired_only": [SHOWN[1].lower()]}
        first = self.play(device, wanted)
        self.assertEqual(first.recap["changed"], 1, first.output)
        self.assertEqual(first.result["name"], "Café ~$HOME")
        self.assertEqual([entry["address"] for entry in first.result["paired"]], [SHOWN[1]])
        self.assertEqual(first.steps(), [("name", True), ("delete", True)])
        self.assertDeviceHolds(device, "Café ~$HOME", [DEVICES[1]])
        self.assertEqual(device.requests(), READS + ["IDENTIFY", "LNAMUPDAT", "EXIT"]
                         + ["IDENTIFY", "LINKREAD", "LINKDEL", "EXIT"])

        second = self.play(device, wanted)
        self.assertEqual((second.recap["changed"], second.recap["ok"]), (0, 1), second.output)
        self.assertEqual(second.result["actions"], [])
        self.assertEqual(device.requests()[-4:], READS, "one reading conversation, nothing else")
        self.assertEqual(len(device.requests()), 15)

    def test_paired_only_and_paired_absent_remove_exactly_what_they_say(self):
        # Wire payload: the count, then the addresses as received, in list order.
        for options, payload, kept in (
                ({"paired_only": [SHOWN[1], "11:22:33:44:55:66"]}, "0200" + DEVICES[0] + DEVICES[2], [DEVICES[1]]),
                ({"paired_only": []}, "0300" + "".join(DEVICES), []),
                ({"paired_absent": [SHOWN[2].lower(), "11:22:33:44:55:66", SHOWN[2]]}, "0100" + DEVICES[2],
                 DEVICES[:2])):
            device = self.device()
            run = self.play(device, options)
            self.assertEqual(run.recap["changed"], 1, run.output)
            self.assertEqual(device.payloads("LINKDEL"), [payload], options)
            self.assertDeviceHolds(device, "apsim", kept)

    def test_a_pin_change_is_never_idempotent_and_never_shown(self):
        device = self.device("--pin", "2468")
        for update, pin_now in (("always", "13579"), ("never", "13579")):
            run = self.play(device, {"pin_current": "2468", "pin": "13579", "update_pin": update})
            self.assertEqual(run.recap["changed"], 1 if update == "always" else 0, run.output)
            self.assertEqual(device.held("pin"), [pin_now])
            self.assertNotIn("13579", run.output)
            self.assertNotIn("2468", run.output)
        self.assertEqual(device.payloads("PINUPDAT"), [b"2468\n13579\n".hex()])


class CheckAndDiff(AccessPointTestCase):
    def test_check_mode_only_reads_and_diff_shows_before_and_after(self):
        device = self.device()
        run = self.play(device, {"name": "Bay 3", "paired_absent": [SHOWN[0]]}, "--check", "--diff")
        self.assertEqual(run.recap["changed"], 1, run.output)
        self.assertEqual(device.requests(), READS)
        self.assertDeviceHolds(device, "apsim", DEVICES)
        self.assertEqual(run.steps(), [("name", False), ("delete", False)])
        self.assertEqual([entry["address"] for entry in run.result["paired"]], SHOWN[1:])
        for line in ("-name: apsim", "+name: Bay 3", "-  - " + SHOWN[0]):
            self.assertIn("\n" + line + "\n", run.output)
        self.assertNotIn("+  - " + SHOWN[0], run.output)


class Failures(AccessPointTestCase):
    def test_a_silent_device_fails_with_apctls_message(self):
        device = self.device("--silent")
        run = self.play(device, {"name": "Bay 3"})
        self.assertEqual(run.recap["failed"], 1, run.output)
        self.assertTrue(run.result["msg"].startswith("apctl: "), run.result["msg"])
        self.assertIn(unanswered("no access point answered"), run.result["msg"])
        self.assertIn(device.path, run.result["msg"])
        self.assertEqual(run.result["rc"], 2)
        self.assertEqual(device.requests(), ["IDENTIFY"])

    def test_a_refusal_midway_says_what_was_already_done(self):
        device = self.device("--wrong-ack", "--fault-on", "LINKDEL")
        run = self.play(device, {"name": "Bay 3", "paired_absent": [SHOWN[0]]})
        self.assertEqual(run.recap["failed"], 1, run.output)
        self.assertEqual(run.result["msg"], "apctl: the access point refused the deletion")
        self.assertEqual(run.result["rc"], 1)
        self.assertTrue(run.result["changed"])
        self.assertEqual(run.steps(), [("name", True), ("delete", False)])
        self.assertEqual(device.held("name"), ["Bay 3"])
        self.assertEqual(device.requests()[-4:], ["IDENTIFY", "LINKREAD", "LINKDEL", "EXIT"], "no PIN change after it")

    def test_bad_options_fail_before_the_access_point_is_reached(self):
        device = self.device()
        for options, words in (({"paired_absent": ["00-1A-7D-DA-71-13"]}, "00-1A-7D-DA-71-13"),
                               ({"paired_only": ["00:1A:7D:DA:71:1"]}, "00:1A:7D:DA:71:1"),
                               ({"paired_only": [], "paired_absent": []}, "mutually exclusive"),
                               ({"pin": "1"}, "pin_current"),
                               ({"apctl_path": "/nonexistent/apctl"}, "/nonexistent/apctl")):
            run = self.play(device, options)
            self.assertEqual(run.recap["failed"], 1, run.output)
            self.assertIn(words, run.result["msg"])
        self.assertEqual(device.requests(), [])


class Pins(AccessPointTestCase):
    def test_pins_reach_the_device_without_a_command_line_showing_them(self):
        # Each acknowledgement byte of the change comes late: the change is
        # open long enough to be seen in the process list.
        device = self.device("--pin", "2468", "--delay-ms", "400", "--fault-on", "PINUPDAT")
        watcher = CommandLineWatch()
        try:
            run = self.play(device, {"pin_current": "2468", "pin": "S3cretPIN"})
        finally:
            seen = watcher.stop()
        self.assertEqual(run.recap["changed"], 1, run.output)
        self.assertEqual(device.held("pin"), ["S3cretPIN"])
        self.assertEqual(device.payloads("PINUPDAT"), [b"2468\nS3cretPIN\n".hex()])
        self.assertTrue(any(b" pin " in line + b" " for line in seen), "the PIN change was watched: %r" % seen)
        for line in seen:
            self.assertNotIn(b"S3cretPIN", line)
            self.assertNotIn(b"2468", line)

    def test_check_mode_judges_the_pins_as_a_real_run_and_changes_nothing(self):
        device = self.device("--pin", "2468")
        for pin, failed in (("13579", 0), ("1" * 17, 1), ("12\n34", 1)):
            run = self.play(device, {"pin_current": "2468", "pin": pin}, "--check")
            self.assertEqual((run.recap["failed"], run.recap.get("changed", 0)), (failed, 1 - failed), run.output)
        self.assertEqual(device.held("pin"), ["2468"])
        self.assertEqual(set(device.requests()), set(READS), "readings only")


def module_examples():
    """The tasks of the module's EXAMPLES, as its documentation gives them."""
    run = subprocess.run(["ansible-doc", "--json", MODULE], env=ENV, capture_output=True, text=True, check=True)
    return yaml.safe_load(json.loads(run.stdout)[MODULE]["examples"])


def readme_fleet():
    """The README's inventory of device servers and its play for them."""
    with open(os.path.join(COLLECTION, "..", "README.md"), encoding="utf-8") as readme:
        section = readme.read().split("### From one control machine, over the network", 1)[1].split("\n## ", 1)[0]
    inventory, play = re.findall(r"```yaml\n(.*?)```", section, re.S)[:2]
    return yaml.safe_load(inventory), yaml.safe_load(play)


class Fleet(AccessPointTestCase):
    """The README's play over device servers, run from the control machine
    with forks, each server's access point being apsim (behind ser2net when
    the devices are reached over the network)."""

    def run_play(self, folder, forks):
        run = subprocess.run(["ansible-playbook", "-i", os.path.join(folder, "servers.yml"),
                              os.path.join(folder, "servers_play.yml"), "-f", str(forks)],
                             env=ENV, capture_output=True, text=True, timeout=300)
        recap = run.stdout.rsplit("PLAY RECAP", 1)[-1]
        counts = {host: {key: int(n) for key, n in re.findall(r"(ok|changed|failed|unreachable)=(\d+)", rest)}
                  for host, rest in re.findall(r"^(\S+)\s+:\s+(.*)$", recap, re.M)}
        return counts, run.stdout + run.stderr

    def test_the_readmes_play_converges_every_server_side_by_side(self):
        inventory, play = readme_fleet()
        hosts = inventory["access_points"]["hosts"]
        self.assertGreaterEqual(len(hosts), 2)
        devices = {}
        for host, values in hosts.items():
            devices[host] = self.device()
            values["ap_port"] = devices[host].path
        task = play[0]["tasks"][0]
        self.assertEqual(task["delegate_to"], "localhost")
        task[MODULE]["apctl_path"] = os.path.join(BIN, "apctl")
        folder = tempfile.mkdtemp(prefix="fleet-test.")
        self.addCleanup(shutil.rmtree, folder, True)
        for name, content in (("servers.yml", inventory), ("servers_play.yml", play)):
            with open(os.path.join(folder, name), "w") as out:
                json.dump(content, out)

        first, output = self.run_play(folder, len(hosts))
        self.assertEqual(sorted(first), sorted(hosts), output)
        for host, values in hosts.items():
            self.assertEqual((first[host]["changed"], first[host]["failed"]), (1, 0), output)
            self.assertDeviceHolds(devices[host], values["ap_name"], DEVICES[:2])
        second, output = self.run_play(folder, len(hosts))
        self.assertEqual({host: counts["changed"] for host, counts in second.items()}, dict.fromkeys(hosts, 0), output)


@unittest.skipUnless(os.geteuid() == 0, "the only port of the host is a /dev/comN link, which only root makes")
class Examples(AccessPointTestCase):
    """The documentation's own examples, without their port: apsim is the
    host's only port that can be opened (as COM17)."""

    PINS = {"vault_ap_pin_old": "0000", "vault_ap_pin": "S3cretPIN"}

    def example_play(self, device, task, *flags):
        task = dict(task)
        options = dict(task.pop(MODULE))
        options.pop("port", None)
        options["apctl_path"] = os.path.join(BIN, "apctl")
        task.pop("become", None)
        task[MODULE] = options
        return Play(device, {}, *flags, task=task, play_vars=self.PINS)

    def test_each_example_converges_and_check_mode_tells_what_a_run_does(self):
        examples = module_examples()
        self.assertGreaterEqual(len(examples), 4)
        for task in examples:
            # One device at a time holds the link.
            device = Device("--com", "17", devices=DEVICES)
            try:
                self.converges(device, task)
            finally:
                device.stop()

    def converges(self, device, task):
        with self.subTest(task["name"]):
            held = (device.held("name"), device.held("device"), device.held("pin"))
            check = self.example_play(device, task, "--check")
            self.assertEqual(check.recap.get("failed", 0), 0, check.output)
            self.assertEqual((device.held("name"), device.held("device"), device.held("pin")), held)
            self.assertEqual(device.requests(), READS, "check mode only reads")

            first = self.example_play(device, task)
            self.assertEqual(first.recap.get("failed", 0), 0, first.output)
            self.assertEqual(first.recap["changed"], check.recap["changed"], first.output)
            self.assertEqual([step for step, _ in first.steps()], [step for step, _ in check.steps()])
            self.assertTrue(all(done for _, done in first.steps()))
            self.assertEqual(first.result["port_path"], "/dev/com17")
            if "pin" in task[MODULE]:
                self.assertEqual(device.held("pin"), ["S3cretPIN"])
                self.assertEqual(first.steps(), [("pin", True)])
                return  # A PIN change is reported on every run, as its name says.
            second = self.example_play(device, task)
            self.assertEqual((second.recap["changed"], second.recap.get("failed", 0)), (0, 0), second.output)
            again = self.example_play(device, task, "--check")
            self.assertEqual(again.recap["changed"], 0, again.output)


class Documentation(unittest.TestCase):
    def test_ansible_doc_shows_every_option_example_and_return_value(self):
        run = subprocess.run(["ansible-doc", "--json", MODULE], env=ENV, capture_output=True, text=True, check=True)
        doc = json.loads(run.stdout)[MODULE]
        self.assertEqual(sorted(doc["doc"]["options"]), ["apctl_path", "name", "paired_absent", "paired_only",
                                                         "pin", "pin_current", "port", "update_pin"])
        self.assertEqual(sorted(doc["return"]), ["actions", "name", "paired", "port", "port_path", "rc"])
        self.assertIn(MODULE + ":", doc["examples"])
        self.assertEqual(doc["doc"]["attributes"]["check_mode"]["support"], "full")
        text = subprocess.run(["ansible-doc", MODULE], env=ENV, capture_output=True, text=True, check=True).stdout
        self.assertIn("paired_only", text)


if __name__ == "__main__":
    if not shutil.which("ansible-playbook"):
        print("skipped: ansible-playbook is not installed (scripts/install-deps installs ansible-core)")
        sys.exit(77)
    unittest.main()
