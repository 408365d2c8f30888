#!/usr/bin/env python3
"""Prints what scraping GET /metrics every second costs korvane-console.exe with 64 simulated
players: the program's own time per scrape (p50 and p99 from its
korvane_web_request_duration_seconds{route="/metrics"} histogram, interpolated within the
buckets as Prometheus's histogram_quantile does; the client's wall time beside it) and the
tick rate over the run (korvane_ticks_total's growth) against 30.303 a second, and over as long
a time without scrapes just before. Figures only.

Run by scripts/bench: MetricsBench.py <installation> <seconds> (Wine's prefix from the
environment)."""
import os
import re
import secrets
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.request

KEY = r'HKLM\Software\Tarnwick\Korvane'
NOMINAL = 1000.0 / 33.0
SAMPLE = re.compile(r'^([a-z_]+)(?:\{(.*)\})? (\S+)$')


def wine_tool(*command):
    with tempfile.TemporaryFile() as output:
        subprocess.run(['wine', *command], stdin=subprocess.DEVNULL, stdout=output,
                       stderr=subprocess.DEVNULL)
        output.seek(0)
        return output.read().decode('latin-1')


def samples(text, name, labels=''):
    """{labels text: value} of one metric's samples whose labels contain `labels`."""
    found = {}
    for line in text.splitlines():
        match = SAMPLE.match(line)
        if match and match.group(1) == name and labels in (match.group(2) or ''):
            found[match.group(2) or ''] = float(match.group(3))
    return found


def quantile(q, buckets):
    """histogram_quantile over cumulative (bound, count) pairs, +Inf last."""
    total = buckets[-1][1]
    if total == 0:
        return 0.0
    rank, below, low = q * total, 0.0, 0.0
    for bound, count in buckets:
        if count >= rank:
            if bound == float('inf'):
                return low
            return low + (bound - low) * (rank - below) / max(count - below, 1e-9)
        below, low = count, bound
    return low


def main():
    installation, seconds = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 60
    sys.stdout.reconfigure(line_buffering=True)
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        port = probe.getsockname()[1]
    token = secrets.token_hex(32)
    with tempfile.TemporaryDirectory(prefix='korvane-metrics-bench-') as work:
        folder = os.path.join(work, 'install')
        shutil.copytree(installation, folder)
        for leftover in ('korvane/history.txt', 'korvane/webadmin.cfg'):
            if os.path.exists(os.path.join(folder, leftover)):
                os.remove(os.path.join(folder, leftover))
        for name, text in (('password.txt', 'bench-password-metrics'), ('token.txt', token)):
            with open(os.path.join(work, name), 'w') as file:
                file.write(text + '\n')
        previous = re.search(r'Install Dir\s+REG_SZ\s+(.*)',
                             wine_tool('reg', 'query', KEY, '/v', 'Install Dir', '/reg:32'))
        wine_tool('reg', 'add', KEY, '/v', 'Install Dir', '/t', 'REG_SZ', '/d',
                  wine_tool('winepath', '-w', folder).strip(), '/f', '/reg:32')
        environment = dict(os.environ)
        environment.pop('DISPLAY', None)
        program = subprocess.Popen(
            ['wine', os.path.join(folder, 'korvane-console.exe'), '--webadmin',
             f'127.0.0.1:{port}', '--webadmin-password-file', 'password.txt',
             '--metrics-token-file', 'token.txt'],
            cwd=work, env=environment, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        try:
            # The simulated engine's own variables: 64 bots that stay.
            program.stdin.write(b'maxplayers 64\nbotchurn 0\nbotcount 64\n')
            program.stdin.flush()
            run(port, token, seconds)
        finally:
            program.send_signal(signal.SIGINT)
            try:
                program.wait(timeout=30)
            except subprocess.TimeoutExpired:
                program.kill()
            if previous:
                wine_tool('reg', 'add', KEY, '/v', 'Install Dir', '/t', 'REG_SZ', '/d',
                          previous.group(1).strip(), '/f', '/reg:32')
            else:
                wine_tool('reg', 'delete', KEY, '/v', 'Install Dir', '/f', '/reg:32')


def scrape(port, token):
    request = urllib.request.Request(f'http://127.0.0.1:{port}/metrics',
                                     headers={'Authorization': 'Bearer ' + token})
    started = time.monotonic()
    with urllib.request.urlopen(request, timeout=10) as response:
        text = response.read().decode('utf-8')
    return text, time.monotonic() - started


def run(port, token, seconds):
    deadline = time.monotonic() + 120
    while True:
        try:
            text, _ = scrape(port, token)
            players = samples(text, 'korvane_players_online').get('', 0)
            if players >= 64:
                break
        except OSError:
            pass
        if time.monotonic() > deadline:
            print('metrics: the program did not reach 64 players')
            return
        time.sleep(0.5)
    # The same length without scrapes in between first, for a machine that is busy anyway.
    def ticks(text):
        return samples(text, 'korvane_ticks_total')['']
    quiet_ticks, quiet_time = ticks(text), time.monotonic()
    time.sleep(seconds)
    text, _ = scrape(port, token)
    quiet = (ticks(text) - quiet_ticks) / (time.monotonic() - quiet_time)
    first_ticks = ticks(text)
    first_time = time.monotonic()
    before = histogram(text)
    client = []
    for second in range(seconds):
        text, took = scrape(port, token)
        last_time = time.monotonic()
        client.append(took * 1000)
        time.sleep(max(0.0, first_time + second + 1 - time.monotonic()))
    # Up to the last scrape's answer, whose count it is.
    rate = (ticks(text) - first_ticks) / (last_time - first_time)
    after = histogram(text)
    base = dict(before)
    served = [(bound, count - base.get(bound, 0)) for bound, count in after]
    print(f'metrics: {len(client)} scrapes, one a second, with '
          f'{samples(text, "korvane_players_online")[""]:.0f} players; scrape '
          f'{len(text)} bytes')
    print(f'  in the program (histogram): p50 {quantile(0.5, served) * 1000:.2f} ms, '
          f'p99 {quantile(0.99, served) * 1000:.2f} ms')
    print(f'  at the client: median {statistics.median(client):.2f} ms, '
          f'p99 {sorted(client)[min(len(client) - 1, int(0.99 * len(client)))]:.2f} ms')
    print(f'  tick rate {rate:.3f}/s = {rate / NOMINAL:.4f} of {NOMINAL:.3f} '
          f'(without scrapes just before: {quiet:.3f}/s = {quiet / NOMINAL:.4f})')


def histogram(text):
    """The /metrics route's cumulative duration buckets, in order of their bounds."""
    buckets = []
    for labels, count in samples(text, 'korvane_web_request_duration_seconds_bucket',
                                 'route="/metrics"').items():
        bound = re.search(r'le="([^"]+)"', labels).group(1)
        buckets.append((float('inf') if bound == '+Inf' else float(bound), count))
    return sorted(buckets)


if __name__ == '__main__':
    main()
