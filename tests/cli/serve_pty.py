#!/usr/bin/python3
"""serve_pty.py network|ser2net PTY: serves the pty as an RFC 2217 port on
127.0.0.1 (through the tests' own server, or ser2net) until stopped, its
address on the first line of standard output."""
import signal
import sys

from rfc2217_server import Rfc2217Server
from ser2net_front import Ser2netFront

if __name__ == "__main__":
    stops = {signal.SIGTERM, signal.SIGINT}
    signal.pthread_sigmask(signal.SIG_BLOCK, stops)
    if sys.argv[1] == "ser2net":
        server = Ser2netFront(sys.argv[2])
        print(server.address, flush=True)
    else:
        server = Rfc2217Server(sys.argv[2])
        print(server.address(), flush=True)
    signal.sigwait(stops)
    server.stop()
