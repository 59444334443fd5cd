"""What the Python tests of apctl and of the Ansible collection share: apsim
on a pty of its own, a test case that stops it afterwards, a watch of
apctl's command lines and a terminal read up to a prompt."""
import os
import select
import subprocess
import tempfile
import threading
import unittest

BIN = os.environ.get("APCONFIG_BIN", os.path.join(os.path.dirname(__file__), "../../build/bin"))
# Paired devices in wire order; shown as bytes 4, 5, 3, 0, 1, 2.
DEVICES = ["da71137d001a", "8b12c4705cf3", "36e09fa52811"]
SHOWN = ["00:1A:7D:DA:71:13", "5C:F3:70:8B:12:C4", "28:11:A5:36:E0:9F"]


class Device:
    """apsim on a pty of its own, recording requests and its state."""

    def __init__(self, *options, devices=DEVICES):
        self.folder = tempfile.TemporaryDirectory(prefix="apctl-test.")
        self.record = os.path.join(self.folder.name, "record")
        self.state = os.path.join(self.folder.name, "state")
        args = [os.path.join(BIN, "apsim"), "--record", self.record, "--state", self.state]
        for address in devices:
            args += ["--device", address]
        self.process = subprocess.Popen(args + list(options), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        text=True)
        self.path = self.process.stdout.readline().strip()
        assert self.path.startswith("/dev/"), "apsim did not start: " + self.process.stderr.read()

    def requests(self):
        """The command names received, in order."""
        if not os.path.exists(self.record):
            return []
        with open(self.record) as lines:
            return [line.split()[0] for line in lines if line.strip()]

    def payloads(self, command):
        with open(self.record) as lines:
            return [line.split()[1] if len(line.split()) > 1 else "" for line in lines
                    if line.split() and line.split()[0] == command]

    def held(self, key):
        with open(self.state) as lines:
            return [line.split(None, 1)[1].strip() for line in lines if line.split(None, 1)[0] == key]

    def stop(self):
        self.process.terminate()
        self.process.wait(10)
        self.process.stdout.close()
        self.process.stderr.close()
        self.folder.cleanup()


# With APCONFIG_TEST_PORT_OVER=ser2net every device is reached over the
# network: its path is ser2net's RFC 2217 address in front of the pty. A pty
# hanging up then ends the connection, and the modem state ser2net reports
# for a pty is CTS off: a silent access point is one that never signalled it
# is ready.
OVER_NETWORK = os.environ.get("APCONFIG_TEST_PORT_OVER", "") == "ser2net"


def unanswered(words):
    """What a reply is said as that did not come, from a device that has sent
    nothing since the port was opened: over the network, ser2net reports CTS
    off for apsim's pty, and a device that never answered is taken at its
    word. Once a device has answered, it has shown itself ready."""
    return "never signalled that it is ready" if OVER_NETWORK else words


class DeviceTestCase(unittest.TestCase):

    def device(self, *options, devices=DEVICES):
        """A device stopped when the test ends."""
        device = Device(*options, devices=devices)
        self.addCleanup(device.stop)
        if OVER_NETWORK:
            from ser2net_front import Ser2netFront
            front = Ser2netFront(device.path)
            self.addCleanup(front.stop)
            device.pty, device.path = device.path, front.address
        return device


class CommandLineWatch:
    """The command lines of apctl processes, read from /proc until stopped."""

    def __init__(self):
        self.seen = set()
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self.watch)
        self.thread.start()

    def watch(self):
        while not self.stopping.is_set():
            for pid in os.listdir("/proc"):
                try:
                    with open("/proc/%s/cmdline" % pid, "rb") as cmdline:
                        words = cmdline.read().split(b"\0")
                except OSError:
                    continue
                if words and os.path.basename(words[0]) == b"apctl":
                    self.seen.add(b" ".join(words))

    def stop(self):
        self.stopping.set()
        self.thread.join()
        return self.seen


def read_until(master, wanted=None, limit=30):
    """What the terminal shows up to and with wanted (bytes), or all of it
    (wanted None: up to its end)."""
    seen = b""
    while wanted is None or wanted not in seen:
        ready, _, _ = select.select([master], [], [], limit)
        if not ready:
            break
        try:
            chunk = os.read(master, 4096)
        except OSError:
            break
        if not chunk:
            break
        seen += chunk
    return seen
