#!/usr/bin/python3
"""Source RCON of the real console program under Wine, through Debian's python3-rcon (its
Client and its command-line client rconclt): login, a refused password, a command and its
answer with its audit lines, an answer longer than one packet arriving whole, a malformed and
an oversized packet (the connection closes, the server ticks on), the lockout, and a clean end
with a client still connected.
Usage: rcon_test.py <wine-exec> <korvane-console.exe in the demo installation>"""
import json
import os
import re
import select
import socket
import struct
import subprocess
import sys
import threading
import tempfile
import urllib.request

from rcon.exceptions import EmptyResponse, WrongPassword
from rcon.source import Client

from webhost import Checks, expect, free_port, poll, windows_path

PASSWORD = "rcon-pass-\u00e9\u00df1"  # exact UTF-8 bytes, past ASCII


class Program:
    """korvane-console.exe --rcon 127.0.0.1:<port> --rcon-password-file pw.txt, its output
    lines kept as they come."""

    def __init__(self, wine_exec, exe, folder):
        install = os.path.dirname(os.path.abspath(exe))
        subprocess.run([wine_exec, "reg", "add", r"HKLM\Software\Tarnwick\Korvane", "/v",
                        "Install Dir", "/t", "REG_SZ", "/d", windows_path(install), "/f",
                        "/reg:32"], check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        with open(os.path.join(folder, "pw.txt"), "w", encoding="utf-8") as file:
            file.write(PASSWORD + "\n")
        self.port, self.web_port = free_port(), free_port()
        self.lines = []
        # The web administration only tells the update rate (with the RCON password).
        self.proc = subprocess.Popen(
            [wine_exec, exe, "--rcon", f"127.0.0.1:{self.port}", "--rcon-password-file",
             "pw.txt", "--webadmin", f"127.0.0.1:{self.web_port}", "--webadmin-password-file",
             "pw.txt"], cwd=folder, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL)
        threading.Thread(target=self._read, daemon=True).start()
        poll(lambda: self.said("Korvane Server ready:"), "the ready line", 90)

    def _read(self):
        for raw in self.proc.stdout:
            self.lines.append(raw.decode("utf-8", "replace").rstrip("\r\n"))

    def said(self, text):
        return any(text in line for line in self.lines)

    def client(self, password=PASSWORD):
        """A client that connects and logs in as its `with` begins."""
        # Generous: each login is a slow hash on purpose, and other tests may load the machine.
        return Client("127.0.0.1", self.port, timeout=60, passwd=password)

    def update_rate(self):
        web = urllib.request.build_opener(urllib.request.HTTPCookieProcessor())
        login = urllib.request.Request(
            f"http://127.0.0.1:{self.web_port}/api/login",
            json.dumps({"password": PASSWORD}).encode(), {"Content-Type": "application/json"})
        web.open(login, timeout=15).read()
        status = web.open(f"http://127.0.0.1:{self.web_port}/api/status", timeout=15)
        return json.loads(status.read())["update_rate"]


def packet(request_id, kind, body=b""):
    data = struct.pack("<ii", request_id, kind) + body + b"\0\0"
    return struct.pack("<i", len(data)) + data


def closed_after(port, data):
    """Whether the server closes the connection after `data` without an answer."""
    with socket.create_connection(("127.0.0.1", port), timeout=15) as sock:
        sock.sendall(data)
        try:
            return sock.recv(4096) == b""
        except ConnectionResetError:
            return True


def check_login_and_command(program):
    with program.client() as client:
        answer = client.run("echo", "hello", "there")
    expect(answer == "hello there\n", repr(answer))
    poll(lambda: program.said("[rcon 127.0.0.1] login"), "the login's audit line")
    poll(lambda: program.said("[rcon 127.0.0.1] echo hello there"), "the command's audit line")


def check_wrong_password(program):
    try:
        with program.client("wrong-password-1"):
            raise AssertionError("a wrong password logged in")
    except WrongPassword:
        pass
    poll(lambda: program.said("[rcon 127.0.0.1] login refused (1st in a minute)"), "audit")
    expect(not program.said("wrong-password-1"), "the password reached the console")


def check_secret_command(program):
    with program.client() as client:
        client.run("serverpassword", "hunter2-secret")
    poll(lambda: program.said("[rcon 127.0.0.1] serverpassword ****"), "the hidden audit line")
    expect(not program.said("hunter2-secret"), "a password value reached the console")


def whole_players(answer):
    """The player list is whole: as many rows as its first line counts, each complete."""
    lines = answer.splitlines()
    count = int(re.fullmatch(r"Players: (\d+)/64", lines[0]).group(1))
    row = re.compile(r" +\d+  .{30}  .{10}  .{13}  +\d+  \d+/\d+/\d+")
    expect(len(lines) == count + 2 and all(row.fullmatch(line) for line in lines[2:]),
           f"{count} players, {len(lines)} lines")
    expect(len(answer.encode()) > 4096, f"only {len(answer)} bytes")


def check_long_answer(program):
    with program.client() as client:
        client.run("maxplayers", "64")
        for _ in range(64):
            client.run("addbot")
        whole_players(client.run("players"))
    # rconclt, Debian's command-line client, sends an empty probe after a full packet.
    rconclt = subprocess.run(
        ["/usr/bin/python3", "-c", "import sys; from rcon.rconclt import main; sys.exit(main())",
         f"{PASSWORD}@127.0.0.1:{program.port}", "players"], capture_output=True, timeout=60)
    expect(rconclt.returncode == 0, rconclt.stderr)
    whole_players(rconclt.stdout.decode("utf-8").rstrip("\n") + "\n")


def check_bad_packets(program):
    expect(closed_after(program.port, struct.pack("<i", 100000)), "an oversized size")
    expect(closed_after(program.port, struct.pack("<i", 5)), "an undersized size")
    expect(closed_after(program.port, struct.pack("<i", 12) + b"\1" * 12), "no terminating NULs")
    expect(closed_after(program.port, packet(7, 2, b"status")), "a command before the login")
    # The next good connection still works, and the server ticks on at its rate.
    check_login_and_command(program)
    rate = program.update_rate()
    expect(rate > 25, f"update rate {rate}")


def check_lockout(program):
    for _ in range(5):
        try:
            with program.client("wrong-password-1"):
                pass
        except WrongPassword:
            pass
    poll(lambda: program.said("[rcon 127.0.0.1] login refused (5th in a minute)"), "5th")
    poll(lambda: program.said("[rcon 127.0.0.1] locked out"), "the lockout's audit line")
    try:
        with program.client():
            raise AssertionError("the right password got in during the lockout")
    except (WrongPassword, EmptyResponse, ConnectionError):
        pass


def check_connection_bound(program):
    sockets = [socket.create_connection(("127.0.0.1", program.port), timeout=15)
               for _ in range(9)]
    readable, _, _ = select.select(sockets, [], [], 5)
    expect(any(sock.recv(16) == b"" for sock in readable), "a 9th connection was kept")
    for sock in sockets:
        sock.close()


def logged_in(program):
    """A client logged in and left waiting, once the connections above have gone."""
    def attempt():
        client = program.client()
        try:
            client.connect(login=True)
            return client
        except (EmptyResponse, OSError):
            client.close()
            return None
    return poll(attempt, "a free connection", 60)


def main():
    wine_exec, exe = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as folder:
        program = Program(wine_exec, exe, folder)
        checks = Checks()
        try:
            for check in (check_login_and_command, check_wrong_password, check_secret_command,
                          check_long_answer, check_bad_packets, check_connection_bound):
                checks.run(check.__name__, check, program)
            # A client stays logged in and waiting through the lockout and the program's end.
            idle = logged_in(program)
            checks.run("check_lockout", check_lockout, program)
            program.proc.stdin.write(b"closehost\n")
            program.proc.stdin.flush()
            checks.run("clean end", lambda: expect(program.proc.wait(60) == 0, "exit code"))
            idle.close()
        finally:
            if program.proc.poll() is None:
                try:
                    program.proc.stdin.write(b"closehost\n")
                    program.proc.stdin.flush()
                    program.proc.wait(30)
                except (OSError, subprocess.TimeoutExpired):
                    program.proc.kill()
            program.proc.wait()
        checks.finish()


if __name__ == "__main__":
    main()
