"""ser2net (Debian's 4.x) serving a pty as an RFC 2217 port on 127.0.0.1,
for tests that reach apsim over the network."""
import os
import socket
import subprocess
import tempfile
import time


def free_port():
    with socket.create_server(("127.0.0.1", 0)) as probe:
        return probe.getsockname()[1]


def serves(port):
    """ser2net serves once it opens the telnet negotiation on a connection."""
    try:
        with socket.create_connection(("127.0.0.1", port), 1) as probe:
            probe.settimeout(2)
            return probe.recv(1) == b"\xff"
    except OSError:
        return False


class Ser2netFront:
    """ser2net in front of pty_path; raises RuntimeError with its log when
    it does not serve within 20 s."""

    def __init__(self, pty_path):
        self.port = free_port()
        self.folder = tempfile.TemporaryDirectory(prefix="ser2net-test.")
        config = os.path.join(self.folder.name, "ser2net.yaml")
        with open(config, "w") as out:
            # kickolduser: a client that comes while the last one's close is
            # still on its way is let in at once.
            out.write("connection: &ap\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%d\n"
                      "  connector: serialdev,%s,115200e81,local\n  options:\n    kickolduser: true\n"
                      % (self.port, os.path.realpath(pty_path)))
        self.log = open(os.path.join(self.folder.name, "ser2net.log"), "w+")
        self.process = subprocess.Popen(
            ["ser2net", "-n", "-u", "-c", config, "-P", os.path.join(self.folder.name, "pid")],
            stdout=self.log, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 20
        while not serves(self.port):
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.log.seek(0)
                problem = self.log.read()
                self.stop()
                raise RuntimeError("ser2net does not serve port %d: %s" % (self.port, problem))
            time.sleep(0.2)
        # ser2net lets the next client in once it has seen the probe go.
        time.sleep(0.5)
        self.address = "rfc2217://127.0.0.1:%d" % self.port

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.log.close()
        self.folder.cleanup()
