"""Starts the real program (korvane-server.exe on the demo installation, under Wine) with web
administration switched on by its command-line switches, and speaks HTTP to it; shared by the
HTTP and the browser tests."""
import http.client
import json
import os
import socket
import subprocess
import sys
import tempfile
import time

PASSWORD = "right-password-1"


def free_port():
    with socket.socket() as sock:
        sock.bind(("127.0.0.1", 0))
        return sock.getsockname()[1]


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Host:
    """The program as a headless operator starts it:
    korvane-server.exe -s --webadmin 127.0.0.1:<port> --webadmin-password-file pw.txt
    with the password file named relative to the folder it is started in. stop() ends it
    through the engine's closehost command, which is also a check that it ends cleanly."""

    def __init__(self, wine_exec, exe, password=PASSWORD):
        self.wine_exec = wine_exec
        install = os.path.dirname(os.path.abspath(exe))
        subprocess.run([wine_exec, "reg", "add", r"HKLM\Software\Tarnwick\Korvane", "/v",
                        "Install Dir", "/t", "REG_SZ", "/d", windows_path(install), "/f",
                        "/reg:32"], check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        self.folder = tempfile.TemporaryDirectory()
        with open(os.path.join(self.folder.name, "pw.txt"), "w", encoding="utf-8") as file:
            file.write(password + "\n")
        self.port = free_port()
        self.url = f"http://127.0.0.1:{self.port}/"
        self.proc = subprocess.Popen(
            [wine_exec, exe, "-s", "--webadmin", f"127.0.0.1:{self.port}",
             "--webadmin-password-file", "pw.txt"], cwd=self.folder.name,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
        deadline = time.monotonic() + 60
        while not self.answers():
            if self.proc.poll() is not None or time.monotonic() > deadline:
                self.kill()
                raise RuntimeError("the program did not start listening")
            time.sleep(0.2)
        # Kept for the end, which must work even after the lockout check.
        self.admin = self.login(password)
        self.exit_code = None

    def answers(self):
        try:
            return self.request("GET", "/", timeout=2)[0] == 200
        except OSError:
            return False

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait()
        self.folder.cleanup()

    def stop(self):
        """Ends the program with the engine's closehost; returns its exit code."""
        try:
            self.command("closehost", self.admin)
            self.exit_code = self.proc.wait(timeout=30)
        except (OSError, subprocess.TimeoutExpired):
            pass
        self.kill()
        return self.exit_code

    def request(self, method, path, body=None, headers=None, timeout=15, source=None):
        """(status, headers, decoded JSON or text) of one request on a connection of its own,
        from the local address `source` when given."""
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout,
                                                source_address=source and (source, 0))
        data = json.dumps(body) if isinstance(body, (dict, list)) else body
        all_headers = dict(headers or {})
        if data is not None:
            all_headers.setdefault("Content-Type", "application/json")
        connection.request(method, path, body=data, headers=all_headers)
        response = connection.getresponse()
        raw = response.read()
        connection.close()
        text = raw.decode("utf-8", "replace")
        if response.getheader("Content-Type", "").startswith("application/json"):
            return response.status, response, json.loads(text)
        return response.status, response, text

    def login(self, password=PASSWORD):
        """Session headers for the API (cookie and CSRF token), or the failed status."""
        status, response, body = self.request("POST", "/api/login", {"password": password})
        if status != 200:
            return status
        cookie = response.getheader("Set-Cookie").split(";")[0]
        return {"Cookie": cookie, "X-CSRF-Token": body["csrf"]}

    def command(self, text, session):
        return self.request("POST", "/api/command", {"command": text}, session)[0]

    def players(self, session):
        return {p["name"]: p for p in self.request("GET", "/api/players", headers=session)[2]["players"]}

    def console(self, session):
        return [line["text"] for line in
                self.request("GET", "/api/console?after=0", headers=session)[2]["lines"]]


def poll(condition, what, seconds=15):
    """Waits until condition() is true, asking again every tenth of a second."""
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"waited {seconds} s for {what}")
        time.sleep(0.1)


class Checks:
    """A tiny runner: each check is a function; the closing line is 'N passed, N failed'."""

    def __init__(self):
        self.passed = 0
        self.failed = 0

    def run(self, name, check, *args):
        try:
            check(*args)
            self.passed += 1
            print(f"ok   {name}", flush=True)
        except Exception as error:  # a failed check must not stop the others
            self.failed += 1
            print(f"FAIL {name}: {error!r}", flush=True)

    def finish(self):
        print(f"{self.passed} passed, {self.failed} failed")
        sys.exit(1 if self.failed else 0)


def expect(condition, message):
    if not condition:
        raise AssertionError(message)
