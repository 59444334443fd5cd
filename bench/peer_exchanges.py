#!/usr/bin/python3
"""The pyserial peer of bench_exchanges.

Carries out the same exchanges as apconfig, byte for byte, on the same
simulated access point, the way a plain pyserial program would: the request
in one write, the reply read with read() and read_until(). It takes the port
path as its argument and then one command a line on standard input:

    run LNAMREAD|PINUPDAT|LINKREAD <count>
        opens the port, does one untimed exchange and <count> timed ones,
        closes the port, and answers
        "ok <fnv1a-64 hex of the reply after OK> <round trip ns>..." or
        "error <why>"
    cpu
        answers "cpu <ns>": the CPU time the peer has used so far
    quit

The port is open only during a batch, so the benchmark can take turns with
it on the same line. Use Debian's interpreter (/usr/bin/python3), which has
python3-serial.
"""

import sys
import termios
import time

import serial

REPLY_TIMEOUT_S = 10  # per read, like the program's per-byte time-out
MAX_NAME_BYTES = 247
RECORD_BYTES = 22
PIN = b"0000"


class ExchangeError(Exception):
    pass


def expect(port, wanted):
    got = port.read(len(wanted))
    if got != wanted:
        raise ExchangeError("expected %r, got %r" % (wanted, got))


def read_exactly(port, size):
    got = port.read(size)
    if len(got) != size:
        raise ExchangeError("reply cut short: %d of %d bytes" % (len(got), size))
    return got


def read_name(port):
    port.write(b"LNAMREAD\n")
    expect(port, b"OK\n")
    name = port.read_until(b"\n", MAX_NAME_BYTES)
    if not name.endswith(b"\n"):
        raise ExchangeError("name without its line feed: %r" % name)
    return name


def change_pin(port):
    port.write(b"PINUPDAT\n" + PIN + b"\n" + PIN + b"\n")
    expect(port, b"OK\n")
    return b""


def list_devices(port):
    port.write(b"LINKREAD\n")
    expect(port, b"OK\n")
    count = read_exactly(port, 2)
    records = read_exactly(port, (count[0] | count[1] << 8) * RECORD_BYTES)
    return count + records


EXCHANGES = {"LNAMREAD": read_name, "PINUPDAT": change_pin, "LINKREAD": list_devices}


def fnv1a64(data):
    digest = 0xCBF29CE484222325
    for byte in data:
        digest = ((digest ^ byte) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return digest


def open_port(path):
    # The program asks for even parity, which a pty refuses (EINVAL) and the
    # program's driver then leaves as it was; a pty carries bytes without
    # parity either way, so the peer asks for none and moves the same bytes.
    return serial.Serial(path, baudrate=115200, bytesize=serial.EIGHTBITS, parity=serial.PARITY_NONE,
                         stopbits=serial.STOPBITS_ONE, rtscts=True, timeout=REPLY_TIMEOUT_S,
                         write_timeout=REPLY_TIMEOUT_S)


def run_batch(path, exchange, count):
    times = []
    with open_port(path) as port:
        first = exchange(port)
        for _ in range(count):
            start = time.perf_counter_ns()
            reply = exchange(port)
            times.append(time.perf_counter_ns() - start)
            if reply != first:
                raise ExchangeError("replies differ within the batch")
    return "ok %x %s" % (fnv1a64(first), " ".join(str(t) for t in times))


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: peer_exchanges.py PORT\n")
        return 2
    path = sys.argv[1]
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        if words[0] == "quit":
            break
        if words == ["cpu"]:
            print("cpu %d" % time.process_time_ns(), flush=True)
            continue
        try:
            if words[0] != "run" or len(words) != 3 or words[1] not in EXCHANGES:
                raise ExchangeError("unknown command: %s" % line.strip())
            answer = run_batch(path, EXCHANGES[words[1]], int(words[2]))
        except (ExchangeError, serial.SerialException, termios.error, OSError, ValueError) as failure:
            answer = "error %s" % failure
        print(answer, flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
