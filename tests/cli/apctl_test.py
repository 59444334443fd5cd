#!/usr/bin/python3
"""apctl against apsim: every command, with the device's faults, as a script
sees it: what it prints (JSON read with a real parser), its exit status, and
what the access point received and holds afterwards.

Run by CTest with the folder holding apctl and apsim as APCONFIG_BIN; one
test class per CTest test (python3 apctl_test.py ClassName)."""
import ctypes
import json
import os
import pty
import re
import struct
import subprocess
import sys
import time
import unittest

from apsim_device import (BIN, DEVICES, OVER_NETWORK, SHOWN, CommandLineWatch, DeviceTestCase, read_until,
                          unanswered)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "lib"))
import po_catalog  # noqa: E402

DONE, REFUSED, NO_ANSWER, PORT, USAGE = 0, 1, 2, 3, 64
# How a port that hung up is said.
GONE = "was lost" if OVER_NETWORK else ": gone. It was unplugged or removed after it was chosen."


class OpenCounter:
    """Counts the opens of a device node (inotify's IN_OPEN), from now on."""

    IN_OPEN, IN_NONBLOCK = 0x20, 0o4000

    def __init__(self, path):
        self.libc = ctypes.CDLL(None, use_errno=True)
        self.fd = self.libc.inotify_init1(self.IN_NONBLOCK)
        assert self.fd >= 0, os.strerror(ctypes.get_errno())
        assert self.libc.inotify_add_watch(self.fd, os.fsencode(path), self.IN_OPEN) >= 0

    def count(self):
        events = 0
        while True:
            try:
                data = os.read(self.fd, 4096)
            except BlockingIOError:
                return events
            at = 0
            while at < len(data):
                events += 1
                at += 16 + struct.unpack_from("iIII", data, at)[3]

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        os.close(self.fd)


def apctl(*args, timeout=60, env=None):
    started = time.monotonic()
    # Never the terminal of whoever runs the tests: pin would ask on it.
    run = subprocess.run([os.path.join(BIN, "apctl")] + list(args), capture_output=True, text=True,
                         timeout=timeout, stdin=subprocess.DEVNULL, env=env)
    run.seconds = time.monotonic() - started
    return run


class ApctlTestCase(DeviceTestCase):
    def assertOneLineError(self, run, *words):
        self.assertEqual(run.stdout, "")
        self.assertTrue(run.stderr.startswith("apctl: "), run.stderr)
        self.assertEqual(run.stderr.count("\n"), 1, "one line: " + run.stderr)
        for word in words:
            self.assertIn(word, run.stderr)

    def assertFailsWithin(self, run, status, seconds, why, *words):
        """Failed with status in one line, sooner than seconds."""
        self.assertEqual(run.returncode, status)
        self.assertOneLineError(run, *words)
        self.assertLess(run.seconds, seconds, why)


class Identify(ApctlTestCase):
    def test_an_access_point_answers(self):
        device = self.device()
        run = apctl("--port", device.path, "identify")
        self.assertEqual(run.returncode, DONE, run.stderr)
        self.assertIn(device.path, run.stdout)
        self.assertEqual(device.requests(), ["IDENTIFY", "EXIT"])

    def test_a_wrong_answer_is_no_access_point_and_nothing_follows_it(self):
        device = self.device("--wrong-ack", "--fault-on", "IDENTIFY")
        run = apctl("--port", device.path, "list")
        self.assertEqual(run.returncode, NO_ANSWER)
        self.assertOneLineError(run, "no access point answered")
        self.assertEqual(device.requests(), ["IDENTIFY"])

    @unittest.skipIf(OVER_NETWORK, "a device node's opens")
    def test_the_port_is_opened_once(self):
        device = self.device()
        with OpenCounter(device.path) as opens:
            run = apctl("--port", device.path, "identify")
            self.assertEqual(run.returncode, DONE, run.stderr)
            self.assertEqual(opens.count(), 1, "each close drops DTR and RTS, which resets some boards")

    def test_silence_ends_after_the_reply_time(self):
        device = self.device("--silent")
        run = apctl("--port", device.path, "identify")
        self.assertFailsWithin(run, NO_ANSWER, 15, "one byte awaited for ten seconds",
                               unanswered("no access point answered"))
        self.assertEqual(device.requests(), ["IDENTIFY"])

    def test_a_line_that_hangs_up_during_the_identification_is_the_port_gone(self):
        device = self.device("--hangup-after", "1", "--fault-on", "IDENTIFY")
        run = apctl("--port", device.path, "identify")
        self.assertFailsWithin(run, PORT, 9, "no byte awaited for its ten seconds", GONE)
        self.assertEqual(device.requests(), ["IDENTIFY"])


class List(ApctlTestCase):
    def test_a_line_that_hangs_up_mid_listing_is_the_port_gone_at_once(self):
        device = self.device("--hangup-after", "30", "--fault-on", "LINKREAD")
        run = apctl("--port", device.path, "list", "--json")
        self.assertFailsWithin(run, PORT, 9, "no byte awaited for its ten seconds", GONE)
        self.assertEqual(device.requests(), ["IDENTIFY", "LINKREAD"])

    def test_text_and_json(self):
        device = self.device()
        text = apctl("--port", device.path, "list")
        self.assertEqual(text.returncode, DONE, text.stderr)
        self.assertEqual([line.split()[0] for line in text.stdout.splitlines()], SHOWN)
        self.assertEqual(text.stderr, "", "no progress line off a terminal")
        listed = apctl("--port", device.path, "list", "--json")
        self.assertEqual(listed.returncode, DONE)
        devices = json.loads(listed.stdout)
        self.assertEqual([entry["address"] for entry in devices], SHOWN)
        for entry in devices:
            self.assertEqual(sorted(entry), ["address", "manufacturer"])
            self.assertTrue(entry["manufacturer"] is None or isinstance(entry["manufacturer"], str))
        self.assertEqual(device.requests(), ["IDENTIFY", "LINKREAD", "EXIT"] * 2)

    def test_an_empty_list_is_an_empty_array(self):
        device = self.device(devices=[])
        run = apctl("--port", device.path, "list", "--json")
        self.assertEqual(run.returncode, DONE)
        self.assertEqual(json.loads(run.stdout), [])
        self.assertEqual(apctl("--port", device.path, "list").stdout, "")

    def test_a_refused_listing_exits_1_and_still_ends_the_conversation(self):
        device = self.device("--wrong-ack", "--fault-on", "LINKREAD")
        run = apctl("--port", device.path, "list", "--json")
        self.assertEqual(run.returncode, REFUSED)
        self.assertOneLineError(run, "refused")
        self.assertEqual(device.requests(), ["IDENTIFY", "LINKREAD", "EXIT"])

    def test_a_cut_listing_exits_2_with_nothing_on_stdout(self):
        device = self.device("--cut-after", "30", "--fault-on", "LINKREAD")
        run = apctl("--port", device.path, "list", "--json")
        self.assertEqual(run.returncode, NO_ANSWER)
        self.assertOneLineError(run, "late or cut short")
        self.assertEqual(device.requests(), ["IDENTIFY", "LINKREAD", "EXIT"])


class Progress(ApctlTestCase):
    def test_a_terminal_sees_the_progress_line_and_a_pipe_does_not(self):
        device = self.device("--devices", "400", "--throttle")
        master, slave = pty.openpty()
        process = subprocess.Popen([os.path.join(BIN, "apctl"), "--port", device.path, "list"],
                                   stdout=subprocess.PIPE, stderr=slave, text=True)
        os.close(slave)
        seen = read_until(master)
        output = process.stdout.read()
        self.assertEqual(process.wait(30), DONE)
        os.close(master)
        terminal = seen.decode()
        self.assertIn("of 403", terminal)
        self.assertIn(" left", terminal)
        self.assertTrue(terminal.endswith("\r\x1b[K"), "the line is wiped at the end: %r" % terminal[-40:])
        self.assertEqual(len(output.splitlines()), 403)

        piped = apctl("--port", device.path, "list")
        self.assertEqual(piped.returncode, DONE)
        self.assertEqual(piped.stderr, "")


class Delete(ApctlTestCase):
    def test_deletes_the_named_devices_sending_their_addresses_as_received(self):
        device = self.device()
        run = apctl("--port", device.path, "delete", SHOWN[2], SHOWN[0].lower())
        self.assertEqual(run.returncode, DONE, run.stderr)
        self.assertEqual(device.requests(), ["IDENTIFY", "LINKREAD", "LINKDEL", "EXIT"])
        # Count 2, then the wire bytes of the devices in list order.
        self.assertEqual(device.payloads("LINKDEL"), ["0200" + DEVICES[0] + DEVICES[2]])
        self.assertEqual([line.split()[0] for line in device.held("device")], [DEVICES[1]])

    def test_an_address_it_does_not_hold_deletes_nothing(self):
        device = self.device()
        run = apctl("--port", device.path, "delete", SHOWN[0], "11:22:33:44:55:66")
        self.assertEqual(run.returncode, REFUSED)
        self.assertOneLineError(run, "11:22:33:44:55:66", "nothing was deleted")
        self.assertEqual(device.requests(), ["IDENTIFY", "LINKREAD", "EXIT"])
        self.assertEqual(len(device.held("device")), 3)

    def test_a_malformed_address_is_a_usage_error_before_any_exchange(self):
        device = self.device()
        for bad in ("00:1A:7D", "00-1A-7D-DA-71-13", "zz:1A:7D:DA:71:13"):
            run = apctl("--port", device.path, "delete", bad)
            self.assertEqual(run.returncode, USAGE, bad)
            self.assertOneLineError(run, bad)
        self.assertEqual(device.requests(), [])

    def test_a_refused_or_unanswered_deletion(self):
        refusing = self.device("--wrong-ack", "--fault-on", "LINKDEL")
        run = apctl("--port", refusing.path, "delete", SHOWN[1])
        self.assertEqual(run.returncode, REFUSED)
        self.assertOneLineError(run, "refused")
        self.assertEqual(refusing.requests(), ["IDENTIFY", "LINKREAD", "LINKDEL", "EXIT"])
        silent = self.device("--silent", "--fault-on", "LINKDEL")
        run = apctl("--port", silent.path, "delete", SHOWN[1])
        self.assertEqual(run.returncode, NO_ANSWER)
        self.assertOneLineError(run, "in time")


class PinAndName(ApctlTestCase):
    def test_pin_change_accepted_refused_and_unanswered(self):
        device = self.device("--pin", "2468")
        wrong = apctl("--port", device.path, "pin", "--current", "0000", "--new", "1111")
        self.assertEqual(wrong.returncode, REFUSED)
        self.assertOneLineError(wrong, "refused")
        right = apctl("--port", device.path, "pin", "--current", "2468", "--new", "1111")
        self.assertEqual(right.returncode, DONE, right.stderr)
        self.assertEqual(device.held("pin"), ["1111"])
        silent = self.device("--silent", "--fault-on", "PINUPDAT")
        self.assertEqual(apctl("--port", silent.path, "pin", "--current", "0000", "--new", "1").returncode, NO_ANSWER)
        self.assertEqual(silent.requests(), ["IDENTIFY", "PINUPDAT", "EXIT"])

    def test_pin_usage(self):
        self.assertEqual(apctl("pin", "--current", "0000").returncode, USAGE)
        self.assertEqual(apctl("pin", "--current", "0000", "--new", "1" * 17).returncode, USAGE)

    def test_name_read_as_text_and_json_and_changed(self):
        device = self.device("--name", "Lobby AP")
        self.assertEqual(apctl("--port", device.path, "name").stdout, "Lobby AP\n")
        self.assertEqual(json.loads(apctl("--port", device.path, "name", "--json").stdout), {"name": "Lobby AP"})
        changed = apctl("--port", device.path, "name", "Front Desk")
        self.assertEqual(changed.returncode, DONE, changed.stderr)
        self.assertEqual(device.held("name"), ["Front Desk"])
        self.assertEqual(device.payloads("LNAMUPDAT"), [("Front Desk\n").encode().hex()])

    def test_names_the_entry_dialog_refuses_are_refused_before_any_exchange(self):
        device = self.device()
        for bad in ("", "x" * 21):
            run = apctl("--port", device.path, "name", bad)
            self.assertEqual(run.returncode, USAGE, repr(bad))
            self.assertOneLineError(run)
        self.assertEqual(device.requests(), [])

    def test_a_name_that_is_not_text_or_a_refusal(self):
        # A continuation byte cannot begin a character.
        broken = self.device("--raw-name", "80410a")
        run = apctl("--port", broken.path, "name", "--json")
        self.assertEqual(run.returncode, NO_ANSWER)
        self.assertOneLineError(run, "name")
        refusing = self.device("--wrong-ack", "--fault-on", "LNAMREAD")
        self.assertEqual(apctl("--port", refusing.path, "name").returncode, REFUSED)
        refusing_change = self.device("--wrong-ack", "--fault-on", "LNAMUPDAT")
        self.assertEqual(apctl("--port", refusing_change.path, "name", "New").returncode, REFUSED)


class Status(ApctlTestCase):
    def test_name_and_paired_devices_in_one_conversation(self):
        device = self.device("--name", "Lobby AP")
        run = apctl("--port", device.path, "status", "--json")
        self.assertEqual(run.returncode, DONE, run.stderr)
        status = json.loads(run.stdout)
        self.assertEqual(sorted(status), ["name", "paired", "port", "port_name", "port_path"])
        self.assertEqual(status["name"], "Lobby AP")
        self.assertIn(device.path, status["port"])
        # What a script gives back as --port, apart from the display text.
        self.assertEqual(status["port_path"], device.path)
        self.assertRegex(status["port_name"], "^" + re.escape(device.path) + "$" if OVER_NETWORK
                         else r"^COM[1-9][0-9]{0,2}$")
        self.assertEqual([entry["address"] for entry in status["paired"]], SHOWN)
        listed = json.loads(apctl("--port", device.path, "list", "--json").stdout)
        self.assertEqual(status["paired"], listed, "the same entries as list gives")
        text = apctl("--port", device.path, "status")
        self.assertEqual(text.returncode, DONE)
        lines = text.stdout.splitlines()
        self.assertEqual(lines[1:3], ["Name: Lobby AP", "Paired devices: 3"])
        self.assertEqual([line.split()[0] for line in lines[3:]], SHOWN)
        self.assertEqual(device.requests(), ["IDENTIFY", "LINKREAD", "LNAMREAD", "EXIT"] + ["IDENTIFY", "LINKREAD",
                                             "EXIT"] + ["IDENTIFY", "LINKREAD", "LNAMREAD", "EXIT"])

    def test_control_characters_of_a_name_are_escaped_in_text(self):
        device = self.device("--raw-name", "411b5b324a420a")
        self.assertEqual(apctl("--port", device.path, "status").stdout.splitlines()[1], "Name: A\\x1b[2JB")
        self.assertEqual(json.loads(apctl("--port", device.path, "status", "--json").stdout)["name"], "A\x1b[2JB")

    def test_either_reading_failing_prints_nothing(self):
        for fault, code, words in ((("--wrong-ack", "--fault-on", "LINKREAD"), REFUSED, "refused to list"),
                                   (("--silent", "--fault-on", "LNAMREAD"), NO_ANSWER, "name came late"),
                                   (("--wrong-ack", "--fault-on", "LNAMREAD"), REFUSED, "refused to give")):
            device = self.device(*fault)
            run = apctl("--port", device.path, "status", "--json")
            self.assertEqual(run.returncode, code, fault)
            self.assertOneLineError(run, words)
            self.assertEqual(device.requests()[-1], "EXIT", "the conversation is still ended")

    def test_usage(self):
        for args in (["status", "extra"], ["status", "--current", "1"]):
            run = apctl(*args)
            self.assertEqual(run.returncode, USAGE, args)
            self.assertOneLineError(run)
# The controls a typed text may not hold; NUL cannot stand in an argument.
CONTROLS = {"LF": "\n", "CR": "\r", "ESC": "\x1b", "DEL": "\x7f"}


class ControlCharacters(ApctlTestCase):
    def test_refused_in_every_text_before_any_exchange(self):
        device = self.device()
        for label, control in CONTROLS.items():
            for args in (["pin", "--current", "0000" + control + "1111", "--new", "2222"],
                         ["pin", "--current", "0000", "--new", control + "2222"],
                         ["name", "ab" + control + "LINKDEL"]):
                run = apctl("--port", device.path, *args)
                self.assertEqual(run.returncode, USAGE, (label, args))
                self.assertOneLineError(run, "control character")
        self.assertEqual(device.requests(), [])
        self.assertEqual(device.held("pin"), ["0000"])

    def test_device_text_is_shown_escaped_and_json_stays_json(self):
        # "A", ESC "[2J", "\", CR, DEL, "B", then the name's line feed.
        device = self.device("--raw-name", "411b5b324a5c0d7f420a")
        run = apctl("--port", device.path, "name")
        self.assertEqual(run.returncode, DONE, run.stderr)
        self.assertEqual(run.stdout, "A\\x1b[2J\\\\\\r\\x7fB\n")
        listed = apctl("--port", device.path, "name", "--json")
        self.assertEqual(json.loads(listed.stdout), {"name": "A\x1b[2J\\\r\x7fB"})

    def test_c1_and_bidirectional_controls_are_escaped_in_text_and_json_alike(self):
        # "A", CSI (U+009B, a terminal's ESC [), "B", RIGHT-TO-LEFT OVERRIDE, "C".
        device = self.device("--raw-name", "41c29b42e280ae430a")
        env = dict(os.environ, LC_ALL="C.UTF-8")
        text = subprocess.run([os.path.join(BIN, "apctl"), "--port", device.path, "name"], capture_output=True,
                              text=True, timeout=60, env=env)
        self.assertEqual(text.returncode, DONE, text.stderr)
        self.assertEqual(text.stdout, "A\\u009bB\\u202eC\n")
        listed = subprocess.run([os.path.join(BIN, "apctl"), "--port", device.path, "name", "--json"],
                                capture_output=True, timeout=60, env=env)
        self.assertEqual(listed.returncode, DONE, listed.stderr)
        self.assertNotIn(b"\xc2\x9b", listed.stdout)
        self.assertNotIn(b"\xe2\x80\xae", listed.stdout)
        self.assertIn(b"\\u009b", listed.stdout)
        self.assertEqual(json.loads(listed.stdout), {"name": "A\u009bB\u202eC"})

    def test_a_rename_with_json_answers_the_name_sent(self):
        device = self.device()
        run = apctl("--port", device.path, "name", "--json", "Front Desk")
        self.assertEqual(run.returncode, DONE, run.stderr)
        self.assertEqual(json.loads(run.stdout), {"name": "Front Desk"})
        self.assertEqual(device.held("name"), ["Front Desk"])


class Output(ApctlTestCase):
    """Output that cannot be written: exit 1 in one line, and the access
    point still hears EXIT."""

    def run_into(self, device, stdout, *args):
        run = subprocess.run([os.path.join(BIN, "apctl"), "--port", device.path] + list(args), stdout=stdout,
                             stderr=subprocess.PIPE, text=True, timeout=60)
        self.assertEqual(run.returncode, REFUSED, run.stderr)
        self.assertTrue(run.stderr.startswith("apctl: cannot write the output: "), run.stderr)
        self.assertEqual(run.stderr.count("\n"), 1, run.stderr)
        self.assertEqual(device.requests()[-1], "EXIT")
        return run

    def test_closed_stdout_full_disk_and_a_pipe_already_closed(self):
        device = self.device()
        # The shell's ">&-": nothing on descriptor 1, which the port must not take.
        run = subprocess.run("exec %s --port %s identify >&-" % (os.path.join(BIN, "apctl"), device.path),
                             shell=True, stderr=subprocess.PIPE, text=True, timeout=60)
        self.assertEqual(run.returncode, REFUSED, run.stderr)
        self.assertIn("Bad file descriptor", run.stderr)
        self.assertEqual(device.requests(), ["IDENTIFY", "EXIT"])
        with open("/dev/full", "w") as full:
            self.assertIn("No space left", self.run_into(device, full, "list").stderr)
        reader, writer = os.pipe()
        os.close(reader)
        try:
            # The child gets SIGPIPE's default back, as from a shell.
            self.assertIn("Broken pipe", self.run_into(device, writer, "list", "--json").stderr)
        finally:
            os.close(writer)
        self.assertEqual(device.requests(), ["IDENTIFY", "EXIT"] + ["IDENTIFY", "LINKREAD", "EXIT"] * 2)

    def test_a_reader_that_stops_early_does_not_kill_it(self):
        device = self.device("--devices", "600")
        head = subprocess.Popen(["head", "-c10"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        run = subprocess.run([os.path.join(BIN, "apctl"), "--port", device.path, "list"], stdout=head.stdin,
                             stderr=subprocess.PIPE, text=True, timeout=60)
        head.stdin.close()
        self.assertEqual(len(head.stdout.read()), 10)
        head.wait(10)
        # Whether head was gone before the last write is a race: done, or an
        # output error, but never a signal.
        self.assertIn(run.returncode, (DONE, REFUSED), run.stderr)
        self.assertEqual(device.requests(), ["IDENTIFY", "LINKREAD", "EXIT"])


class Usage(ApctlTestCase):
    def test_usage_errors_exit_64_in_one_line(self):
        for args in ([], ["frob"], ["list", "--frob"], ["identify", "extra"], ["delete"], ["pin"],
                     ["identify", "--json"], ["--port"], ["--port", "COM0000005", "list"], ["--port=", "list"],
                     ["-xy", "list"], ["name", "--json", "a", "b"]):
            run = apctl(*args)
            self.assertEqual(run.returncode, USAGE, args)
            self.assertOneLineError(run)

    def test_help(self):
        run = apctl("--help")
        self.assertEqual(run.returncode, DONE)
        self.assertIn("apctl [--port PORT] list [--json]", run.stdout)

    def test_a_port_that_is_not_there(self):
        run = apctl("--port", "/dev/apctl-no-such-port", "list")
        self.assertEqual(run.returncode, PORT)
        self.assertOneLineError(run, "/dev/apctl-no-such-port")
        run = apctl("--port", "COM19", "list")
        self.assertEqual(run.returncode, PORT)
        self.assertOneLineError(run, "COM19")


class Pins(ApctlTestCase):
    def test_pins_from_standard_input_never_show_on_a_command_line(self):
        for typed in (b"2468\nS3cretPIN\n", b"2468\r\nS3cretPIN\r\n", b"2468\nS3cretPIN"):
            # Each acknowledgement byte comes late: the change stays open
            # long enough to be seen in the process list.
            device = self.device("--pin", "2468", "--delay-ms", "300", "--fault-on", "PINUPDAT")
            watch = CommandLineWatch()
            try:
                run = subprocess.run([os.path.join(BIN, "apctl"), "--port", device.path, "pin", "--pins-from-stdin"],
                                     input=typed, capture_output=True, timeout=60)
            finally:
                seen = watch.stop()
            self.assertEqual(run.returncode, DONE, run.stderr)
            self.assertEqual(device.held("pin"), ["S3cretPIN"], typed)
            self.assertEqual(device.payloads("PINUPDAT"), [b"2468\nS3cretPIN\n".hex()])
            self.assertTrue(any(b"--pins-from-stdin" in line for line in seen), "watched: %r" % seen)
            self.assertFalse([line for line in seen if b"S3cret" in line or b"2468" in line])

    def test_input_without_both_pins_is_a_usage_error_before_any_exchange(self):
        device = self.device()
        for typed in (b"", b"0000\n", b"0000"):
            run = subprocess.run([os.path.join(BIN, "apctl"), "--port", device.path, "pin", "--pins-from-stdin"],
                                 input=typed, capture_output=True, text=False, timeout=60)
            self.assertEqual(run.returncode, USAGE, typed)
            self.assertIn(b"--pins-from-stdin", run.stderr)
        self.assertEqual(device.requests(), [])
        self.assertEqual(device.held("pin"), ["0000"])

    def test_a_terminal_is_asked_without_echo_and_the_new_pin_twice(self):
        for again, status, held in (("S3cretPIN", DONE, "S3cretPIN"), ("S3cretPIM", USAGE, "0000")):
            device = self.device()
            master, slave = pty.openpty()
            process = subprocess.Popen([os.path.join(BIN, "apctl"), "--port", device.path, "pin"],
                                       stdin=slave, stderr=slave, stdout=subprocess.PIPE)
            os.close(slave)
            shown = b""
            for prompt, answer in ((b"Current PIN: ", "0000"), (b"New PIN: ", "S3cretPIN"),
                                   (b"New PIN again: ", again)):
                shown += read_until(master, prompt)
                self.assertTrue(shown.endswith(prompt), shown)
                os.write(master, answer.encode() + b"\n")
            shown += read_until(master, b"never comes")
            process.stdout.read()
            process.stdout.close()
            self.assertEqual(process.wait(30), status, shown)
            os.close(master)
            self.assertNotIn(b"S3cret", shown, "nothing typed is echoed")
            self.assertNotIn(b"0000", shown)
            self.assertEqual(device.held("pin"), [held])
            if status == USAGE:
                self.assertIn(b"differ", shown)
                self.assertNotIn("PINUPDAT", device.requests())

    def test_help_says_pins_on_the_command_line_are_visible_to_every_user(self):
        run = apctl("--help")
        self.assertEqual(run.returncode, DONE)
        self.assertIn("pin [--pins-from-stdin | --current PIN --new PIN]", run.stdout)
        self.assertIn("a command line is visible to\nevery user", run.stdout)
        self.assertIn("130 interrupted", run.stdout)

    def test_check_judges_without_opening_a_port(self):
        for args, status in ((["name", "Bay 3"], DONE), (["name", "x" * 21], USAGE),
                             (["pin", "--current", "0000", "--new", "1" * 17], USAGE),
                             (["delete", "00-1A-7D-DA-71-13"], USAGE), (["delete", SHOWN[0]], DONE)):
            run = apctl("--port", "/nonexistent/tty", "--check", *args)
            self.assertEqual(run.returncode, status, (args, run.stderr))
            self.assertEqual(run.stdout, "")


class Interrupt(ApctlTestCase):
    """A run stopped mid-listing ends the conversation, and the next run
    finds a quiet line."""

    def listing_interrupted_by(self, device, how, count=1003):
        master, slave = pty.openpty()
        process = subprocess.Popen([os.path.join(BIN, "apctl"), "--port", device.path, "list"],
                                   stdout=subprocess.PIPE, stderr=slave)
        os.close(slave)
        # The progress line says the listing is under way.
        seen = read_until(master, b" of %d" % count)
        self.assertIn(b" of %d" % count, seen)
        process.send_signal(how)
        output = process.stdout.read()
        process.stdout.close()
        status = process.wait(30)
        os.close(master)
        return status, output

    def test_sigint_and_sigterm_end_the_conversation_and_the_next_run_lists_it_all(self):
        import signal
        for how, status in ((signal.SIGINT, 130), (signal.SIGTERM, 143)):
            device = self.device("--devices", "1000", "--throttle")
            got, output = self.listing_interrupted_by(device, how)
            self.assertEqual((got, output), (status, b""), how)
            self.assertEqual(device.requests(), ["IDENTIFY", "LINKREAD", "EXIT"], "the closing command went out")
            after = apctl("--port", device.path, "list", "--json")
            self.assertEqual(after.returncode, DONE, after.stderr)
            self.assertEqual(len(json.loads(after.stdout)), 1003)

    def test_the_next_run_waits_out_the_rest_of_a_reply_nobody_reads(self):
        import signal
        # Killed: no closing command, the device goes on sending the listing
        # (600 records at the line rate: within the time the next run waits).
        device = self.device("--devices", "600", "--throttle")
        self.assertEqual(self.listing_interrupted_by(device, signal.SIGKILL, 603)[0], -signal.SIGKILL)
        after = apctl("--port", device.path, "list", "--json")
        self.assertEqual(after.returncode, DONE, after.stderr)
        self.assertEqual(len(json.loads(after.stdout)), 603)
        self.assertEqual(device.requests(), ["IDENTIFY", "LINKREAD", "IDENTIFY", "LINKREAD", "EXIT"])


class German(ApctlTestCase):
    """apctl in German: its words are the German catalogue's, its JSON and
    exit codes those of the English run."""

    ENV = {key: value for key, value in os.environ.items() if key not in ("LC_ALL", "LC_MESSAGES")}
    ENV.update(LANGUAGE="de", LANG="de_DE.UTF-8")

    @staticmethod
    def said(number, *args):
        """Text number of the German catalogue, %1... filled in."""
        catalogue = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "po", "de.po")
        text = {e.msgctxt: e.msgstr for e in po_catalog.read(catalogue)}[str(number)]
        return re.sub(r"%(\d)", lambda m: args[int(m.group(1)) - 1], text)

    def test_a_result_and_errors_are_german(self):
        device = self.device("--pin", "2468")
        changed = apctl("--port", device.path, "pin", "--current", "2468", "--new", "1111", env=self.ENV)
        self.assertEqual(changed.returncode, DONE, changed.stderr)
        self.assertEqual(changed.stdout, self.said(57503) + "\n")
        missing = apctl("--port", device.path, "delete", "11:22:33:44:55:66", env=self.ENV)
        self.assertEqual(missing.returncode, REFUSED)
        self.assertEqual(missing.stderr, "apctl: " + self.said(57568, "11:22:33:44:55:66") + "\n")
        # Said before the port is chosen, so before anything else is read.
        unknown = apctl("frob", env=self.ENV)
        self.assertEqual(unknown.returncode, USAGE)
        self.assertEqual(unknown.stderr, "apctl: " + self.said(57520, self.said(57522, "'frob'")) + "\n")

    def test_json_is_byte_for_byte_the_english_runs(self):
        device = self.device("--name", "Lobby AP")
        for args in (["status", "--json"], ["list", "--json"], ["name", "--json"]):
            english = apctl("--port", device.path, *args)
            german = apctl("--port", device.path, *args, env=self.ENV)
            self.assertEqual(english.returncode, DONE, english.stderr)
            self.assertEqual((german.returncode, german.stdout), (english.returncode, english.stdout), args)


if __name__ == "__main__":
    unittest.main()
