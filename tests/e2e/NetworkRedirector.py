"""pyserial's RFC 2217 port manager serving one serial device on 127.0.0.1, a client at a time.

    python3 NetworkRedirector.py DEVICE PORT

The same server as pyserial's example redirector, a peer that offers the COM port option
itself, with these differences for the tests: the line starts at 1200 bit/s with two stop bits
and DTR and RTS low, so that a client's settings show on it (a pseudo-terminal refuses other
data bits than 8 and parity, so those show only in the log); the modem lines, which a
pseudo-terminal does not have (the example fails on one with ENOTTY), are logged instead of
set; the settings it applies are logged on stderr; and, as ser2net does, the device is opened
for each client and what it sent before is kept, since the simulator starts a calculator that
needs no handshake when its line is opened.
"""
import logging
import socket
import sys
import threading

try:
    import serial
    import serial.rfc2217
except ImportError:
    sys.exit("python3-serial is missing: scripts/deps.sh installs it")


class LineWithoutModemLines(serial.Serial):
    def _update_dtr_state(self):
        logging.info("DTR %s", "on" if self._dtr_state else "off")

    def _update_rts_state(self):
        logging.info("RTS %s", "on" if self._rts_state else "off")

    cts = dsr = ri = cd = property(lambda self: False)

    # open() flushes through the private one: a calculator that starts as the line opens would
    # lose what it sent in that moment, still on its way through the kernel or already queued.
    def _reset_input_buffer(self):
        pass

    def reset_input_buffer(self):
        pass


class Connection:
    def __init__(self, sock):
        self.sock = sock
        self.lock = threading.Lock()

    def write(self, data):
        with self.lock:
            self.sock.sendall(data)


def serve(line, sock):
    connection = Connection(sock)
    manager = serial.rfc2217.PortManager(line, connection, logging.getLogger("rfc2217"))
    alive = True

    def line_to_socket():
        while alive:
            try:
                data = line.read(line.in_waiting or 1)
                if data:
                    connection.write(b"".join(manager.escape(data)))
            except (OSError, serial.SerialException):
                break

    reader = threading.Thread(target=line_to_socket, daemon=True)
    reader.start()
    try:
        while True:
            data = sock.recv(1024)
            if not data:
                break
            line.write(b"".join(manager.filter(data)))
    except (OSError, serial.SerialException) as e:
        logging.info("disconnected: %s", e)
    alive = False
    reader.join()


def main():
    logging.basicConfig(level=logging.INFO, format="%(name)s: %(message)s", stream=sys.stderr)
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", int(sys.argv[2])))
    server.listen(1)
    while True:
        sock, _ = server.accept()
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        line = LineWithoutModemLines(None, 1200, serial.EIGHTBITS, serial.PARITY_NONE,
                                     serial.STOPBITS_TWO, timeout=0.2)
        line.port = sys.argv[1]
        line.dtr = False
        line.rts = False
        try:
            line.open()
            serve(line, sock)
        except (OSError, serial.SerialException) as e:
            logging.info("no line: %s", e)
        line.close()
        sock.close()


main()
