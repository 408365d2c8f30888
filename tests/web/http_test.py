#!/usr/bin/python3
"""HTTP tests of the web administration's listener under Wine, from the Linux side: sessions,
CSRF, lockout, the size, connection and idle bounds, and a flood of malformed requests.
Usage: http_test.py <wine-exec> <web_test_host.exe>"""
import random
import re
import socket
import sys
import threading
import time

from webhost import PASSWORD, Checks, Host, expect


def raw_exchange(port, data, timeout=15, half_close=False):
    """Sends bytes on a fresh connection and reads one answer (or until the server closes).
    With half_close the client closes its side once it has sent: the listener then parses the
    request but, finding nobody to answer, closes the connection without a word."""
    with socket.create_connection(("127.0.0.1", port), timeout=timeout) as sock:
        try:
            sock.sendall(data)
        except OSError:
            pass  # refused midway: what it answered is still read below
        if half_close:
            sock.shutdown(socket.SHUT_WR)
        answer = b""
        try:
            while chunk := sock.recv(65536):
                answer += chunk
                head, _, body = answer.partition(b"\r\n\r\n")
                length = re.search(rb"(?i)content-length: *(\d+)", head)
                if _ and length and len(body) >= int(length.group(1)):
                    break
        except (ConnectionResetError, socket.timeout):
            pass
        return answer


def status_of(answer):
    parts = answer.split(b" ", 2)
    return int(parts[1]) if len(parts) > 1 and parts[0].startswith(b"HTTP/1.1") else None


def check_page_and_headers(host):
    status, response, page = host.request("GET", "/")
    expect(status == 200, status)
    policy = response.getheader("Content-Security-Policy")
    expect("script-src 'self'" in policy and "unsafe-inline" not in policy, policy)
    expect(response.getheader("X-Content-Type-Options") == "nosniff", "nosniff")
    expect(response.getheader("X-Frame-Options") == "DENY", "DENY")
    scripts = page.count("<script")
    expect(scripts == page.count('<script src="/app.js"'), "an inline script in the page")


def check_sessions_and_csrf(host):
    status, _, body = host.request("GET", "/api/status")
    expect(status == 401 and "error" in body, (status, body))
    expect(host.login("wrong-password") == 401, "a wrong password was accepted")
    session = host.login()
    expect(isinstance(session, dict), session)
    _, response, _ = host.request("POST", "/api/login", {"password": PASSWORD})
    cookie = response.getheader("Set-Cookie")
    expect("HttpOnly" in cookie and "SameSite=Strict" in cookie, cookie)

    status, _, body = host.request("GET", "/api/status", headers={"Cookie": session["Cookie"]})
    expect(status == 200 and body["max_players"] == 16, (status, body))
    command = {"command": "say from the web"}
    status, _, _ = host.request("POST", "/api/command", command, {"Cookie": session["Cookie"]})
    expect(status == 403, f"no CSRF token: {status}")
    wrong = dict(session, **{"X-CSRF-Token": "0" * 32})
    expect(host.request("POST", "/api/command", command, wrong)[0] == 403, "wrong CSRF token")
    expect(host.request("POST", "/api/command", command, session)[0] == 200, "command")
    _, _, console = host.request("GET", "/api/console?after=0", headers=session)
    expect("say from the web" in [line["text"] for line in console["lines"]], console)

    _, _, players = host.request("GET", "/api/players", headers=session)
    names = [player["name"] for player in players["players"]]
    expect("<script>alert(1)</script>" in names, names)
    expect(host.request("POST", "/api/logout", None, session)[0] == 200, "logout")
    expect(host.request("GET", "/api/status", headers=session)[0] == 401, "a session after logout")


def check_size_bounds(host):
    big_header = b"GET / HTTP/1.1\r\nHost: x\r\nX-Big: " + b"a" * 9000 + b"\r\n\r\n"
    expect(status_of(raw_exchange(host.port, big_header)) == 431, "9 KB of headers")
    many = b"GET / HTTP/1.1\r\n" + b"".join(b"X-%d: %s\r\n" % (i, b"b" * 1000) for i in range(200))
    expect(status_of(raw_exchange(host.port, many + b"\r\n")) == 431, "200 KB of headers")
    long_line = b"GET /" + b"c" * 100000 + b" HTTP/1.1\r\n\r\n"
    expect(status_of(raw_exchange(host.port, long_line)) in (414, 431), "a 100 KB request line")

    declared = b"POST /api/login HTTP/1.1\r\nHost: x\r\nContent-Length: 20000\r\n\r\n"
    expect(status_of(raw_exchange(host.port, declared, half_close=False)) == 413,
           "a 20 KB body announced")
    status, _, _ = host.request("POST", "/api/login", '{"password": "' + "d" * 17000 + '"}')
    expect(status == 413, f"a 17 KB body: {status}")
    no_length = b"POST /api/login HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n"
    expect(status_of(raw_exchange(host.port, no_length)) == 411, "a body without its length")
    expect(host.request("GET", "/")[0] == 200, "the page after the big requests")


def check_connection_limit(host):
    idle = [socket.create_connection(("127.0.0.1", host.port)) for _ in range(32)]
    try:
        deadline = time.monotonic() + 10
        status = None
        while time.monotonic() < deadline and status != 503:
            status = status_of(raw_exchange(host.port, b"GET / HTTP/1.1\r\nHost: x\r\n\r\n", 5))
        expect(status == 503, f"a 33rd connection got {status}")
    finally:
        for sock in idle:
            sock.close()
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline and host.request("GET", "/")[0] != 200:
        time.sleep(0.1)
    expect(host.request("GET", "/")[0] == 200, "no answer once the connections closed")


def check_idle_and_slow_clients(host):
    results = {}

    def silent():
        start = time.monotonic()
        with socket.create_connection(("127.0.0.1", host.port), timeout=30) as sock:
            results["silent"] = (sock.recv(100), time.monotonic() - start)

    def dripping():
        start = time.monotonic()
        with socket.create_connection(("127.0.0.1", host.port), timeout=30) as sock:
            sock.sendall(b"GET / HTTP/1.1\r\n")
            try:
                for _ in range(30):  # a header byte a second, never finishing
                    time.sleep(1)
                    sock.sendall(b"X")
            except OSError:
                pass
            results["dripping"] = time.monotonic() - start

    threads = [threading.Thread(target=silent), threading.Thread(target=dripping)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    data, elapsed = results["silent"]
    expect(data == b"" and 9 <= elapsed <= 14, f"a silent connection: {data!r} after {elapsed:.1f} s")
    expect(results["dripping"] <= 14, f"a dripping request held on for {results['dripping']:.1f} s")


def check_malformed_flood(host):
    session = host.login()
    rng = random.Random(13)
    junk = [
        lambda: bytes(rng.randrange(256) for _ in range(rng.randrange(1, 300))),
        lambda: b"GET\r\n\r\n",
        lambda: b"BREW /pot HTTP/1.1\r\n\r\n",
        lambda: b"GET / HTTP/9.9\r\nHost: \x00\xff\r\n\r\n",
        lambda: b"POST /api/login HTTP/1.1\r\nContent-Length: -5\r\n\r\n",
        lambda: b"POST /api/login HTTP/1.1\r\nContent-Length: 5\r\n\r\n{\"pa",
        lambda: b"GET /api/console?after=" + b"9" * 40 + b" HTTP/1.1\r\n\r\n",
        lambda: b"GET /%%%00 HTTP/1.1\r\nRange: bytes=--\r\n\r\n",
        lambda: b"POST /api/command HTTP/1.1\r\nCookie: korvane_session=;;;\r\nContent-Length: 2\r\n\r\n{}",
        lambda: b"\r\n" * 100,
    ]
    count = 3000
    errors = []

    def worker(share):
        for _ in range(share):
            try:
                raw_exchange(host.port, rng.choice(junk)(), timeout=15, half_close=True)
            except OSError as error:
                errors.append(error)

    threads = [threading.Thread(target=worker, args=(count // 10,)) for _ in range(10)]
    start = time.monotonic()
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    took = time.monotonic() - start
    print(f"     {count} malformed requests in {took:.1f} s, {len(errors)} refused connections")
    status, _, body = host.request("GET", "/api/status", headers=session)
    expect(status == 200, f"status after the flood: {status}")
    expect(body["update_rate"] >= 27, f"the ticking thread slowed to {body['update_rate']:.1f}")


def check_lockout(host):
    session = host.login()
    for attempt in range(5):
        status = host.login("wrong-password")
        expect(status == 401, f"failure {attempt + 1} answered {status}")
    status, response, body = host.request("POST", "/api/login", {"password": PASSWORD})
    expect(status == 429, f"the right password while locked out: {status}")
    expect(55 <= int(response.getheader("Retry-After")) <= 60, response.getheader("Retry-After"))
    _, _, console = host.request("GET", "/api/console?after=0", headers=session)
    expect(any("failed logins from 127.0.0.1" in line["text"] for line in console["lines"]), console)


def main():
    wine_exec, exe = sys.argv[1], sys.argv[2]
    checks = Checks()
    host = Host(wine_exec, exe)
    try:
        checks.run("page and security headers", check_page_and_headers, host)
        checks.run("sessions, cookie and CSRF token", check_sessions_and_csrf, host)
        checks.run("header and body bounds", check_size_bounds, host)
        checks.run("32 connections at most", check_connection_limit, host)
        checks.run("idle and slow clients", check_idle_and_slow_clients, host)
        checks.run("malformed flood", check_malformed_flood, host)
        checks.run("lockout after five failures", check_lockout, host)  # last: it locks us out
    finally:
        host.stop()
    checks.finish()


if __name__ == "__main__":
    main()
