"""GET /metrics of the real korvane-console.exe under Wine, as a monitoring system sees it: the
text passes promtool's check (with a server name full of quotes and backslashes), Debian's own
Prometheus scrapes it with the bearer token for over 30 s and answers queries on it, and every
query of the Grafana dashboard runs there. 404 without a token configured, 401 without the
right one, and refused tokens count toward the login lockout.

metrics_test.py <installation> <dashboard.json>; Wine's prefix comes from the environment."""
import json
import os
import re
import secrets
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from webhost import Checks, expect, free_port, poll  # noqa: E402

KEY = r"HKLM\Software\Tarnwick\Korvane"
NAME = 'Evil "quoted" \\ name\\n'
PASSWORD = "metrics-password-1"


def wine_tool(*command):
    """A Wine tool's output, through a file: Wine's services would hold a pipe open."""
    with tempfile.TemporaryFile() as output:
        subprocess.run(["wine", *command], stdin=subprocess.DEVNULL, stdout=output,
                       stderr=subprocess.DEVNULL)
        output.seek(0)
        return output.read().decode("latin-1")


def get(url, token=None, body=None, headers=None):
    """(status, headers, text) of a GET, or of a POST of `body` as JSON."""
    headers = dict(headers or {}, **({"Authorization": "Bearer " + token} if token else {}))
    if body is not None:
        headers["Content-Type"] = "application/json"
        body = json.dumps(body).encode()
    try:
        with urllib.request.urlopen(urllib.request.Request(url, body, headers),
                                    timeout=30) as response:
            return response.status, response.headers, response.read().decode("utf-8")
    except urllib.error.HTTPError as error:
        return error.code, error.headers, error.read().decode("utf-8", "replace")


class Program:
    """korvane-console.exe on a copy of the installation, its output read line by line."""

    def __init__(self, folder, work, token_file=None):
        self.port = free_port()
        self.url = f"http://127.0.0.1:{self.port}"
        command = ["wine", os.path.join(folder, "korvane-console.exe"), "--webadmin",
                   f"127.0.0.1:{self.port}", "--webadmin-password-file",
                   os.path.join(work, "password.txt")]
        if token_file:
            command += ["--metrics-token-file", token_file]
        environment = dict(os.environ)
        environment.pop("DISPLAY", None)
        self.output = open(os.path.join(work, f"output-{self.port}.txt"), "w+b")
        self.proc = subprocess.Popen(command, cwd=work, env=environment,
                                     stdin=subprocess.PIPE, stdout=self.output,
                                     stderr=subprocess.DEVNULL)
        poll(lambda: "Korvane Server ready: " in self.text(), "the ready line", 120)

    def text(self):
        self.output.seek(0)
        return self.output.read().decode("latin-1")

    def players(self):
        """The players the program shows, through its own web API."""
        if not hasattr(self, "cookie"):
            login = get(self.url + "/api/login", body={"password": PASSWORD})
            self.cookie = login[1]["Set-Cookie"].split(";")[0]
        status = get(self.url + "/api/status", headers={"Cookie": self.cookie})
        return json.loads(status[2])["players"]

    def stop(self):
        self.proc.send_signal(signal.SIGINT)
        try:
            self.proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.proc.kill()
        self.output.close()


class Prometheus:
    """Debian's Prometheus, scraping the program every second with the token's file."""

    def __init__(self, work, target, token_file):
        self.port = free_port()
        config = os.path.join(work, "prometheus.json")  # YAML takes JSON as it is
        with open(config, "w") as file:
            json.dump({"global": {"scrape_interval": "1s", "scrape_timeout": "1s"},
                       "scrape_configs": [{"job_name": "korvane", "static_configs": [
                           {"targets": [target]}], "authorization": {
                           "type": "Bearer", "credentials_file": token_file}}]}, file)
        self.log = open(os.path.join(work, "prometheus.log"), "wb")
        self.proc = subprocess.Popen(
            ["prometheus", f"--config.file={config}",
             f"--storage.tsdb.path={os.path.join(work, 'tsdb')}",
             f"--web.listen-address=127.0.0.1:{self.port}"],
            stdout=self.log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)

    def query(self, expression):
        try:
            status, _, body = get(f"http://127.0.0.1:{self.port}/api/v1/query?"
                                  + urllib.parse.urlencode({"query": expression}))
        except OSError:
            return None
        if status == 503:  # still starting
            return None
        answer = json.loads(body)
        if status != 200 or answer.get("status") != "success":
            raise AssertionError(f"{expression}: {answer.get('error', status)}")
        return answer["data"]["result"]

    def value(self, expression):
        result = self.query(expression)
        return float(result[0]["value"][1]) if result else None

    def stop(self):
        self.proc.terminate()
        self.proc.wait(timeout=30)
        self.log.close()


def main():
    installation, dashboard_file = sys.argv[1], sys.argv[2]
    sys.stdout.reconfigure(line_buffering=True)
    checks = Checks()
    with open(dashboard_file) as file:
        dashboard = json.load(file)
    with tempfile.TemporaryDirectory(prefix="korvane-metrics-test-") as work:
        folder = os.path.join(work, "install")
        shutil.copytree(installation, folder)
        for leftover in ("korvane/history.txt", "korvane/webadmin.cfg"):
            if os.path.exists(os.path.join(folder, leftover)):
                os.remove(os.path.join(folder, leftover))
        # The engine's own settings file, with a hostile name.
        with open(os.path.join(folder, "korvane", "server.cfg"), "w", newline="\n") as file:
            file.write(f'+servername "{NAME}"\n')
        token, token_file = secrets.token_hex(32), os.path.join(work, "token.txt")
        for name, text in (("password.txt", PASSWORD), ("token.txt", token)):
            with open(os.path.join(work, name), "w") as file:
                file.write(text + "\n")

        answer = re.search(r"Install Dir\s+REG_SZ\s+(.*)",
                           wine_tool("reg", "query", KEY, "/v", "Install Dir", "/reg:32"))
        wine_tool("reg", "add", KEY, "/v", "Install Dir", "/t", "REG_SZ", "/d",
                  wine_tool("winepath", "-w", folder).strip(), "/f", "/reg:32")
        try:
            program = Program(folder, work)
            try:
                checks.run("404 without a token configured", lambda: expect(
                    get(program.url + "/metrics", token)[0] == 404, "not 404"))
            finally:
                program.stop()
            program = Program(folder, work, token_file)
            try:
                run_checks(checks, program, work, token, token_file, dashboard)
            finally:
                program.stop()
        finally:
            if answer:
                wine_tool("reg", "add", KEY, "/v", "Install Dir", "/t", "REG_SZ", "/d",
                          answer.group(1).strip(), "/f", "/reg:32")
            else:
                wine_tool("reg", "delete", KEY, "/v", "Install Dir", "/f", "/reg:32")
    checks.finish()


def run_checks(checks, program, work, token, token_file, dashboard):
    url = program.url + "/metrics"

    def refused():
        for sent in (None, "wrong-" + token):
            status, headers, _ = get(url, sent)
            expect(status == 401, f"{sent!r} got {status}")
            expect(headers["WWW-Authenticate"] == "Bearer", "no WWW-Authenticate: Bearer")
        poll(lambda: "[metrics 127.0.0.1] token refused" in program.text(), "the refusal line")
        expect(token not in program.text(), "the token is in the console")

    def promtool():
        status, headers, text = get(url, token)
        expect(status == 200 and headers["Content-Type"].startswith("text/plain; version=0.0.4"),
               f"{status} {headers['Content-Type']}")
        checked = subprocess.run(["promtool", "check", "metrics"], input=text.encode(),
                                 capture_output=True)
        expect(checked.returncode == 0, checked.stdout.decode() + checked.stderr.decode())

    checks.run("401 without the right token, and a console line", refused)
    checks.run("promtool check metrics", promtool)

    prometheus = Prometheus(work, f"127.0.0.1:{program.port}", token_file)
    try:
        began = time.monotonic()
        poll(lambda: prometheus.value("up") == 1, "up == 1", 60)
        # Over 30 s of scrapes, a second apart.
        poll(lambda: time.monotonic() - began > 32, "30 s of scrapes", 40)

        def scraped():
            expect(prometheus.value("up") == 1, "up is not 1")
            expect(prometheus.value("count_over_time(up[1m])") >= 20, "too few scrapes")
            expect(prometheus.query('korvane_server_info')[0]["metric"]["name"] == NAME,
                   "the server name came out changed")

        def players():
            expect(program.players() > 0, "no players to count")
            poll(lambda: prometheus.value("korvane_players_online") == program.players(),
                 "korvane_players_online as shown", 20)

        def ticks():
            expect(prometheus.value("korvane_tick_duration_seconds_count") > 500, "few ticks")
            quantile = prometheus.value(
                "histogram_quantile(0.5, rate(korvane_tick_duration_seconds_bucket[1m]))")
            expect(quantile is not None and 0 < quantile < 1, f"p50 {quantile}")

        def panels():
            instance = prometheus.query("korvane_build_info")[0]["metric"]["instance"]
            for target in (t for panel in dashboard["panels"] for t in panel["targets"]):
                expression = target["expr"].replace("$instance", instance)
                expect(prometheus.query(expression), f"no data for {expression}")

        checks.run("Prometheus scrapes it for 30 s", scraped)
        checks.run("korvane_players_online is what the program shows", players)
        checks.run("the tick histogram has counts", ticks)
        checks.run("every dashboard query runs", panels)
    finally:
        prometheus.stop()

    def lockout():
        # Five refusals within a minute, tokens and passwords alike, lock the address out.
        for _ in range(3):
            get(url, "wrong")
            get(program.url + "/api/login", body={"password": "wrong-password-1"})
        status, headers, _ = get(url, token)
        expect(status == 429 and headers["Retry-After"], f"the right token got {status}")

    checks.run("refused tokens count toward the login lockout", lockout)


if __name__ == "__main__":
    main()
