"""A serial device server of the tests' own, written from RFC 2217, in front
of apsim's pty and scripted for faults: settings it never answers, a modem
state it reports, a connection it drops."""
import os
import socket
import threading
import time
import tty

IAC, DONT, DO, WONT, WILL, SB, SE = 255, 254, 253, 252, 251, 250, 240
COM_PORT_OPTION, SET_CONTROL, NOTIFY_MODEMSTATE = 44, 5, 7
CTS = 0x10


class Rfc2217Server:
    """Serves connections on 127.0.0.1:port one after the other, relaying
    data to and from the pty.

    answer_control: answer SET-CONTROL as asked (else never);
    cts_on_after: report the modem state 0, then CTS on after that many
    seconds (None: never report it); drop_on, drop_after: close the
    connection once that many bytes went back after the client sent drop_on."""

    def __init__(self, pty_path, answer_control=True, cts_on_after=None, drop_on=None, drop_after=0):
        self.pty = os.open(pty_path, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(self.pty)
        self.answer_control = answer_control
        self.cts_on_after = cts_on_after
        self.drop_on, self.drop_after = drop_on, drop_after
        self.commands = []        # (command, value) as received
        self.first_data_at = None
        self.cts_on_at = None
        self.from_client = b""
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.port = self.listener.getsockname()[1]
        self.lock = threading.Lock()
        self.conn = None
        self.stopped = threading.Event()
        threading.Thread(target=self._serve, daemon=True).start()

    def address(self):
        return "rfc2217://127.0.0.1:%d" % self.port

    def stop(self):
        self.stopped.set()
        self.listener.close()
        if self.conn:
            self.conn.close()
        os.close(self.pty)

    def _send(self, data):
        with self.lock:
            try:
                self.conn.sendall(data)
            except OSError:
                pass  # the client has gone; the next one gets what follows

    def _answer(self, command, value):
        self._send(bytes([IAC, SB, COM_PORT_OPTION, command + 100]) + value.replace(b"\xff", b"\xff\xff") +
                   bytes([IAC, SE]))

    def _serve(self):
        threading.Thread(target=self._to_client, daemon=True).start()
        while not self.stopped.is_set():
            try:
                conn, _ = self.listener.accept()
            except OSError:
                return
            with self.lock:
                self.conn = conn
            if self.cts_on_after is not None:
                threading.Thread(target=self._modem_lines, daemon=True).start()
            self._from_client()

    def _from_client(self):
        state, sub = "data", b""
        while not self.stopped.is_set():
            try:
                chunk = self.conn.recv(4096)
            except OSError:
                return
            if not chunk:
                return
            data = b""
            for byte in chunk:
                if state == "data":
                    state = "iac" if byte == IAC else state
                    data += b"" if byte == IAC else bytes([byte])
                elif state == "iac":
                    state = {IAC: "data", SB: "sub"}.get(byte, "option" if byte in (WILL, WONT, DO, DONT) else "data")
                    data += bytes([IAC]) if byte == IAC else b""
                    sub = b""
                elif state == "option":
                    state = "data"
                elif state == "sub":
                    state = "subiac" if byte == IAC else state
                    sub += b"" if byte == IAC else bytes([byte])
                elif state == "subiac":
                    if byte == IAC:
                        sub, state = sub + bytes([IAC]), "sub"
                    else:
                        state = "data"
                        self._command(sub)
            if data:
                if self.first_data_at is None:
                    self.first_data_at = time.monotonic()
                self.from_client += data
                os.write(self.pty, data)

    def _command(self, sub):
        if len(sub) < 2 or sub[0] != COM_PORT_OPTION:
            return
        command, value = sub[1], sub[2:]
        self.commands.append((command, value))
        if command == SET_CONTROL and not self.answer_control:
            return
        if command != NOTIFY_MODEMSTATE:
            self._answer(command, value)

    def _modem_lines(self):
        self._answer(NOTIFY_MODEMSTATE, bytes([0]))
        time.sleep(self.cts_on_after)
        self.cts_on_at = time.monotonic()
        self._answer(NOTIFY_MODEMSTATE, bytes([CTS]))

    def _to_client(self):
        sent_since = None
        while not self.stopped.is_set():
            try:
                data = os.read(self.pty, 4096)
            except OSError:
                return
            if self.conn is None:
                continue
            if self.drop_on and sent_since is None and self.drop_on in self.from_client:
                sent_since = 0
            if sent_since is not None and sent_since + len(data) >= self.drop_after:
                self._send(data[:self.drop_after - sent_since].replace(b"\xff", b"\xff\xff"))
                self.conn.shutdown(socket.SHUT_RDWR)
                return
            if sent_since is not None:
                sent_since += len(data)
            self._send(data.replace(b"\xff", b"\xff\xff"))
