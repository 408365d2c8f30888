"""Starts the web administration's test host under Wine and speaks HTTP to it (shared by the
HTTP and the browser tests)."""
import http.client
import json
import re
import subprocess
import sys

PASSWORD = "right-password-1"


class Host:
    """The host program on a free loopback port; stop() closes its input, which ends it."""

    def __init__(self, wine_exec, exe):
        self.proc = subprocess.Popen([wine_exec, exe, "0", PASSWORD], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, text=True)
        line = self.proc.stdout.readline()
        found = re.search(r"http://127\.0\.0\.1:(\d+)/", line)
        if not found:
            self.stop()
            raise RuntimeError(f"the host did not start: {line!r}")
        self.port = int(found.group(1))
        self.url = f"http://127.0.0.1:{self.port}/"

    def stop(self):
        try:
            self.proc.stdin.close()
            self.proc.wait(timeout=30)
        except (subprocess.TimeoutExpired, OSError):
            self.proc.kill()
            self.proc.wait()

    def request(self, method, path, body=None, headers=None, timeout=15):
        """(status, headers, decoded JSON or text) of one request on a connection of its own."""
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
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
