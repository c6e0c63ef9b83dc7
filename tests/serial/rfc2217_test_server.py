#!/usr/bin/env python3
"""A small serial device server after RFC 2217, serving a pseudo-terminal.

It takes one connection at a time. For each it opens the device, agrees BINARY and
SUPPRESS-GO-AHEAD both ways and the client's COM-PORT-OPTION, sets the device's line as the
client asks (baud rate, data size, parity, stop size, flow control) and answers with what it
set, purges where asked, tells a modem state, and carries data both ways with 0xFF escaped.
Modem-control requests (DTR, RTS, BREAK) are answered as asked without touching the device, so
that a pseudo-terminal, which has no modem lines, can be served.

Faults on demand, for what real servers do now and then:
  --refuse-baud RATE   sets and answers RATE whatever baud rate is asked for
  --no-com-port        refuses COM-PORT-OPTION (DONT 44)
  --mute-settings      never answers a setting (a server that stopped answering)

Usage: rfc2217_test_server.py --device PATH --listen ADDRESS:PORT [--port-file FILE] [faults]
"""
import argparse
import os
import select
import signal
import socket
import struct
import sys
import termios

IAC, DONT, DO, WONT, WILL, SB, SE = 255, 254, 253, 252, 251, 250, 240
BINARY, ECHO, SGA, COM_PORT = 0, 1, 3, 44
SERVER = 100

SPEEDS = {rate: getattr(termios, "B%d" % rate) for rate in
          (300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400)}
SIZES = {5: termios.CS5, 6: termios.CS6, 7: termios.CS7, 8: termios.CS8}


def escape(data):
    return data.replace(b"\xff", b"\xff\xff")


def subnegotiation(command, value):
    return bytes([IAC, SB, COM_PORT, command]) + escape(value) + bytes([IAC, SE])


class Session:
    def __init__(self, client, device_path, args):
        self.client = client
        self.args = args
        self.device = os.open(device_path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        self.state = "data"
        self.sub = bytearray()
        self.answered = set()

    def close(self):
        os.close(self.device)
        self.client.close()

    def send(self, data):
        self.client.sendall(data)

    def option(self, verb, option):
        if (verb, option) in self.answered:
            return  # agreed already: never answered twice
        self.answered.add((verb, option))
        if verb == WILL:
            agree = option in (BINARY, SGA) or (option == COM_PORT and not self.args.no_com_port)
            self.send(bytes([IAC, DO if agree else DONT, option]))
        elif verb == DO:
            self.send(bytes([IAC, WILL if option in (BINARY, SGA) else WONT, option]))

    def apply(self, change):
        attributes = termios.tcgetattr(self.device)
        change(attributes)
        termios.tcsetattr(self.device, termios.TCSANOW, attributes)

    def com_port(self, command, value):
        if self.args.mute_settings and 1 <= command <= 5:
            return
        answer = value
        if command == 1 and len(value) == 4:
            rate = struct.unpack(">I", value)[0]
            if self.args.refuse_baud:
                rate = self.args.refuse_baud
                answer = struct.pack(">I", rate)
            if rate in SPEEDS:
                def speed(a):
                    a[4] = a[5] = SPEEDS[rate]
                self.apply(speed)
        elif command == 2 and value and value[0] in SIZES:
            def size(a):
                a[2] = (a[2] & ~termios.CSIZE) | SIZES[value[0]]
            self.apply(size)
        elif command == 3 and value and 1 <= value[0] <= 3:
            def parity(a):
                a[2] &= ~(termios.PARENB | termios.PARODD)
                a[2] |= {1: 0, 2: termios.PARENB | termios.PARODD, 3: termios.PARENB}[value[0]]
            self.apply(parity)
        elif command == 4 and value and value[0] in (1, 2):
            def stop(a):
                a[2] = (a[2] | termios.CSTOPB) if value[0] == 2 else (a[2] & ~termios.CSTOPB)
            self.apply(stop)
        elif command == 5 and value and value[0] in (1, 2, 3):
            def flow(a):
                a[2] = (a[2] | termios.CRTSCTS) if value[0] == 3 else (a[2] & ~termios.CRTSCTS)
                a[0] = (a[0] | termios.IXON) if value[0] == 2 else (a[0] & ~termios.IXON)
            self.apply(flow)
        elif command == 12 and value:
            termios.tcflush(self.device, {1: termios.TCIFLUSH, 2: termios.TCOFLUSH}.get(
                value[0], termios.TCIOFLUSH))
        self.send(subnegotiation(command + SERVER, answer))
        if command == 5:
            self.send(subnegotiation(7 + SERVER, bytes([0x30])))  # CTS and DSR up

    def from_client(self, data):
        out = bytearray()
        for b in data:
            if self.state == "data":
                if b == IAC:
                    self.state = "iac"
                else:
                    out.append(b)
            elif self.state == "iac":
                if b == IAC:
                    out.append(b)
                    self.state = "data"
                elif b in (WILL, WONT, DO, DONT):
                    self.verb = b
                    self.state = "verb"
                elif b == SB:
                    self.sub = bytearray()
                    self.state = "sub"
                else:
                    self.state = "data"
            elif self.state == "verb":
                self.option(self.verb, b)
                self.state = "data"
            elif self.state == "sub":
                if b == IAC:
                    self.state = "subiac"
                else:
                    self.sub.append(b)
            elif self.state == "subiac":
                if b == SE:
                    if len(self.sub) >= 2 and self.sub[0] == COM_PORT:
                        self.com_port(self.sub[1], bytes(self.sub[2:]))
                    self.state = "data"
                else:
                    self.sub.append(b)
                    self.state = "sub"
        if out:
            os.write(self.device, bytes(out))

    def run(self):
        # As ser2net does: the server offers its own options too, ECHO among them, which a
        # serial client refuses.
        self.send(bytes([IAC, WILL, ECHO]))
        while True:
            ready, _, _ = select.select([self.client, self.device], [], [])
            if self.client in ready:
                data = self.client.recv(65536)
                if not data:
                    return
                self.from_client(data)
            if self.device in ready:
                try:
                    data = os.read(self.device, 65536)
                except BlockingIOError:
                    continue
                except OSError:
                    return  # the device went away: the connection ends with it
                self.send(escape(data))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--device", required=True)
    parser.add_argument("--listen", required=True)
    parser.add_argument("--port-file")
    parser.add_argument("--refuse-baud", type=int, default=0)
    parser.add_argument("--no-com-port", action="store_true")
    parser.add_argument("--mute-settings", action="store_true")
    args = parser.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    host, _, port = args.listen.rpartition(":")
    family = socket.AF_INET6 if ":" in host else socket.AF_INET
    listener = socket.socket(family, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((host.strip("[]"), int(port)))
    listener.listen(1)
    if args.port_file:
        with open(args.port_file + ".new", "w") as f:
            f.write("%d\n" % listener.getsockname()[1])
        os.rename(args.port_file + ".new", args.port_file)
    while True:
        client, _ = listener.accept()
        client.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        try:
            session = Session(client, args.device, args)
        except OSError:
            client.close()
            continue
        try:
            session.run()
        except (OSError, termios.error):
            pass
        finally:
            session.close()


if __name__ == "__main__":
    main()
