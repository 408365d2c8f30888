#!/usr/bin/python3
"""HTTP tests of the real program's web administration under Wine, from the Linux side:
sessions, CSRF, lockout, commands, kick and change map reaching the engine, the size,
connection and idle bounds (slow clients, floods, ranges, pipelining), a flood of malformed
requests, and a clean end.
Usage: http_test.py <wine-exec> <korvane-server.exe in the demo installation>"""
import contextlib
import random
import re
import select
import socket
import sys
import threading
import time

from webhost import PASSWORD, Checks, Host, expect, poll


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
    expect(scripts == page.count('<script src="/'), "an inline script in the page")


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
    expect(status == 200 and body["max_players"] == 16 and body["version"] == "1.0.5",
           (status, body))
    command = {"command": "say from the web"}
    status, _, _ = host.request("POST", "/api/command", command, {"Cookie": session["Cookie"]})
    expect(status == 403, f"no CSRF token: {status}")
    wrong = dict(session, **{"X-CSRF-Token": "0" * 32})
    expect(host.request("POST", "/api/command", command, wrong)[0] == 403, "wrong CSRF token")
    expect(host.request("POST", "/api/command", command, session)[0] == 200, "command")
    # The echo first, then the engine's answer, as the window shows a typed command.
    lines = poll(lambda: (lambda c: "[Server] from the web" in c and c)(host.console(session)),
                 "the engine's answer in the console")
    expect(lines.index("say from the web") < lines.index("[Server] from the web"), lines)

    expect(host.request("POST", "/api/logout", None, session)[0] == 200, "logout")
    expect(host.request("GET", "/api/status", headers=session)[0] == 401, "a session after logout")


def check_engine_names_kick_and_change_map(host):
    session = host.login()
    for name in ("<script>alert(1)</script>", "KickMe"):
        expect(host.command("addbot " + name, session) == 200, "addbot")
    players = poll(lambda: (lambda p: {"KickMe", "<script>alert(1)</script>"} <= p.keys() and p)(
        host.players(session)), "the added players' names")
    target = players["KickMe"]["id"]
    expect(players["KickMe"]["team"] and players["KickMe"]["ping_ms"] >= 0, players["KickMe"])
    # The audit line names the connection's own address, whatever a header claims.
    status, _, _ = host.request("POST", "/api/kick", {"id": target},
                                dict(session, **{"X-Forwarded-For": "203.0.113.9"}))
    expect(status == 200, f"kick: {status}")
    poll(lambda: "KickMe" not in host.players(session), "the kicked player to go")
    poll(lambda: "Player KickMe was kicked" in host.console(session), "the kick in the console")
    audit = f"[web 127.0.0.1] kick {target} (KickMe)"
    lines = poll(lambda: (lambda c: audit in c and c)(host.console(session)), "the kick's audit line")
    expect(not any("203.0.113.9" in line for line in lines), lines)

    _, _, rotation = host.request("GET", "/api/rotation", headers=session)
    second = rotation["maps"][1]
    status, _, _ = host.request("POST", "/api/changemap", {"index": second["index"]}, session)
    expect(status == 200, f"change map: {status}")
    poll(lambda: "Switching to map " + second["map"] in host.console(session), "the map change")
    status, _, _ = host.request("POST", "/api/changemap", {"index": 999}, session)
    expect(status == 400, f"an index the rotation lacks: {status}")


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
        while time.monotonic() < deadline and status != 200:
            request = b"GET / HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n\r\n" % host.port
            status = status_of(raw_exchange(host.port, request, 5))
        expect(status == 200, f"a 33rd connection got {status}")
        # The newcomer took the place of the connection idle the longest: that one was closed.
        expect(select.select(idle, [], [], 5)[0], "no idle connection was closed for the 33rd")
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


def trickle(port, stop, seconds):
    """Sends a request line, then a header byte a second: the seconds until the server cut the
    connection, or None when `stop` was set or `seconds` passed first."""
    start = time.monotonic()
    with socket.create_connection(("127.0.0.1", port), timeout=5) as sock:
        sock.sendall(b"GET / HTTP/1.1\r\n")
        while not stop.is_set() and time.monotonic() - start < seconds:
            if select.select([sock], [], [], 1)[0]:
                return time.monotonic() - start
            try:
                sock.sendall(b"X")
            except OSError:
                return time.monotonic() - start
    return None


def in_threads(count, target, judge):
    """Runs `target(stop)` in `count` threads while judge() runs, then stops and joins them."""
    stop = threading.Event()
    threads = [threading.Thread(target=target, args=(stop,)) for _ in range(count)]
    for thread in threads:
        thread.start()
    try:
        return judge()
    finally:
        stop.set()
        for thread in threads:
            thread.join()


def check_slow_clients_leave_room(host):
    session = host.login()
    started = []

    def attacker(stop):  # reconnects whenever it is cut
        while not stop.is_set():
            started.append(1)
            with contextlib.suppress(OSError):
                trickle(host.port, stop, 30)

    def operator():
        poll(lambda: len(started) >= 36, "36 slow clients connected")
        statuses = []
        for _ in range(20):  # ten seconds of the page's polling
            statuses.append(host.request("GET", "/api/status", headers=session, timeout=10)[0])
            time.sleep(0.5)
        return statuses

    statuses = in_threads(36, attacker, operator)
    expect(statuses == [200] * 20, f"the operator among slow clients got {statuses}")


def check_deadline_during_flood(host):
    opened = []

    def flood(stop):  # open, half-close, wait for the server's close: hundreds a second
        while not stop.is_set():
            with contextlib.suppress(OSError), socket.create_connection(
                    ("127.0.0.1", host.port), timeout=2) as sock:
                sock.shutdown(socket.SHUT_WR)
                opened.append(sock.recv(1))

    lived = in_threads(12, flood, lambda: trickle(host.port, threading.Event(), 25))
    print(f"     {len(opened) / (lived or 25):.0f} connections a second")
    expect(lived is not None and lived <= 14, f"a trickling request lived {lived} s in a flood")


def check_ranges(host):
    whole = host.request("GET", "/app.js")[2]
    for ranges in ("bytes=" + ",".join(["0-"] * 2600), "bytes=0-9"):
        status, _, body = host.request("GET", "/app.js", headers={"Range": ranges})
        expect(status == 200 and body == whole, f"{ranges[:12]}: {status}, {len(body)} characters")
    status, _, body = host.request("GET", "/app.js", headers={"Range": "bytes=0-1,5-2"})
    expect(status == 416 and "error" in body, f"an unreadable range: {status} {body!r}")


def check_pipelined_requests(host):
    request = b"GET /api/status HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n\r\n" % host.port
    answers = b""
    with socket.create_connection(("127.0.0.1", host.port), timeout=5) as sock:
        sock.sendall(request * 10)
        try:
            while answers.count(b"HTTP/1.1 401") < 10 and (chunk := sock.recv(65536)):
                answers += chunk
        except socket.timeout:
            pass
    expect(answers.count(b"HTTP/1.1 401") == 10, f"{answers.count(b'HTTP/1.1')} answers of 10")


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
    # The update rate is measured over the last 64 ticks: once the flood is over it must be
    # back at the rate, which shows the flood never stopped the server thread for good.
    status, _, body = host.request("GET", "/api/status", headers=session)
    expect(status == 200, f"status after the flood: {status}")
    rate = poll(lambda: (lambda r: r >= 29.5 and r)(
        host.request("GET", "/api/status", headers=session)[2]["update_rate"]),
        "the update rate to be back at 30 per second", seconds=15)
    print(f"     update rate after the flood: {rate:.2f}")


def check_lockout(host):
    session = host.login()
    for attempt in range(5):
        status = host.login("wrong-password")
        expect(status == 401, f"failure {attempt + 1} answered {status}")
    status, response, body = host.request("POST", "/api/login", {"password": PASSWORD})
    expect(status == 429, f"the right password while locked out: {status}")
    expect(55 <= int(response.getheader("Retry-After")) <= 60, response.getheader("Retry-After"))
    # The console line reaches the ring with the window's next refresh.
    poll(lambda: any("failed logins from 127.0.0.1" in line for line in host.console(session)),
         "the lockout in the console", seconds=5)


def check_non_latin_password(wine_exec, exe):
    """A password file in UTF-8 without a byte-order mark, in a script the code page lacks."""
    host = Host(wine_exec, exe, password="пароль-секрет")
    try:
        expect(isinstance(host.admin, dict), f"the file's password: {host.admin}")
        for other in ("??????-??????", "αβγδεζ-ηθικλμ"):
            expect(host.login(other) == 401, f"{other} logged in")
    finally:
        host.stop() if isinstance(host.admin, dict) else host.kill()


def check_rotating_long_passwords(host):
    """Long wrong passwords from ever new loopback addresses never keep the operator out."""
    stop, sent, statuses = threading.Event(), [], []

    def attacker(n):  # twenty a second each: a hash is what would cost, not the requests
        while not stop.wait(0.05):
            sent.append(n := n % 250 + 2)
            try:
                statuses.append(host.request("POST", "/api/login", {"password": "x" * 1024},
                                             source=f"127.0.0.{n}")[0])
            except OSError:
                pass

    start = time.monotonic()
    host.login()
    alone = time.monotonic() - start  # the hash alone, on a machine that may be busy
    threads = [threading.Thread(target=attacker, args=(i * 61,)) for i in range(4)]
    for thread in threads: thread.start()
    try:
        poll(lambda: len(sent) >= 8, "the attack to be under way")
        start = time.monotonic()
        session = host.login()
        took = time.monotonic() - start
    finally:
        stop.set()
        for thread in threads: thread.join()
    expect(isinstance(session, dict) and took <= max(2, alone + 1),
           f"the operator: {session} after {took:.1f} s ({alone:.1f} s alone)")
    expect(set(statuses) == {400}, f"the long passwords got {set(statuses)}")
    print(f"     {len(statuses)} long passwords refused; the operator got in in {took:.2f} s "
          f"({alone:.2f} s without them)")


def check_cross_site_login_burst(host):
    """A page of another origin (or a form's text/plain) cannot spend the operator's tries."""
    foreign = {"Origin": f"http://127.0.0.1:{host.port + 1}", "Content-Type": "text/plain"}
    body = '{"password": "guess-guess-1"}'
    for _ in range(6):
        expect(host.request("POST", "/api/login", body, foreign)[0] == 403, "a foreign origin")
        expect(host.request("POST", "/api/login", body, {"Content-Type": "text/plain"})[0] == 415,
               "a login that is not JSON")
    session = host.login()
    expect(isinstance(session, dict), f"the operator's login after the burst: {session}")
    command = dict(session, Origin=foreign["Origin"])
    expect(host.request("POST", "/api/command", {"command": "say x"}, command)[0] == 403,
           "a command from a foreign origin")


def check_foreign_host(host):
    for name in ("rebind.example", f"rebind.example:{host.port}", "127.0.0.1.nip.io"):
        status = host.request("GET", "/", headers={"Host": name})[0]
        expect(status == 421, f"Host {name}: {status}")
    expect(host.request("GET", "/", headers={"Host": f"localhost:{host.port}"})[0] == 200,
           "Host localhost")


def check_clean_end(host):
    expect(host.stop() == 0, f"the program ended with {host.exit_code}")


def main():
    wine_exec, exe = sys.argv[1], sys.argv[2]
    checks = Checks()
    host = Host(wine_exec, exe)
    try:
        checks.run("page and security headers", check_page_and_headers, host)
        checks.run("sessions, cookie, CSRF token and command echo", check_sessions_and_csrf, host)
        checks.run("engine names, kick and change map", check_engine_names_kick_and_change_map,
                   host)
        checks.run("header and body bounds", check_size_bounds, host)
        checks.run("32 connections at most, a newcomer in the longest idle's place",
                   check_connection_limit, host)
        checks.run("idle and slow clients", check_idle_and_slow_clients, host)
        checks.run("slow clients leave the operator room", check_slow_clients_leave_room, host)
        checks.run("the request deadline holds in a flood", check_deadline_during_flood, host)
        checks.run("many ranges get the whole resource", check_ranges, host)
        checks.run("pipelined requests all answered", check_pipelined_requests, host)
        checks.run("malformed flood", check_malformed_flood, host)
        checks.run("rotating addresses with long passwords", check_rotating_long_passwords, host)
        checks.run("cross-site login burst", check_cross_site_login_burst, host)
        checks.run("foreign Host header", check_foreign_host, host)
        checks.run("lockout after five failures", check_lockout, host)  # it locks us out
        checks.run("closehost ends the program with code 0", check_clean_end, host)
    finally:
        host.kill()
    checks.run("a non-Latin password from a file", check_non_latin_password, wine_exec, exe)
    checks.finish()


if __name__ == "__main__":
    main()
