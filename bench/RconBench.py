#!/usr/bin/env python3
"""Prints what the Source RCON console costs the server and how fast it answers, as a fleet's
tools see it: korvane-console.exe under Wine with no display, in a copy of the demo
installation, 64 players, and 8 clients of Debian's python3-rcon each sending a command
("status") once a second for the given seconds:

- the time from a command sent to its whole answer read, p50 and p99 over every command;
- the tick rate against 30.303 a second (the host's own update rate, sampled every second
  through the web administration), idle before and with the clients.

Figures only: nothing is judged. Run by scripts/bench: RconBench.py <installation> <seconds>
(the Wine prefix and WINE* variables come from the environment).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from rcon.source import Client

from ConsoleProgramBench import (PASSWORD, Reader, Sampler, Web, describe_rates, install_dir,
                                 percentile, set_install_dir, wine_output)

PLAYERS = 64
CLIENTS = 8


def client_loop(port, seconds, latencies, start):
    """One client: logged in, then (once every client is) a command a second until the run
    ends."""
    with Client('127.0.0.1', port, timeout=60, passwd=PASSWORD) as client:
        start.wait()
        end = time.monotonic() + seconds
        due = time.monotonic()
        while due < end:
            sent = time.monotonic()
            client.run('status')
            latencies.append(time.monotonic() - sent)
            due += 1.0
            time.sleep(max(0.0, due - time.monotonic()))


def main():
    installation, seconds = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 30
    sys.stdout.reconfigure(line_buffering=True)
    rcon_port, web_port = 19000 + os.getpid() % 1000, 20000 + os.getpid() % 1000
    with tempfile.TemporaryDirectory(prefix='korvane-rcon-bench-') as work:
        folder = os.path.join(work, 'install')
        shutil.copytree(installation, folder)
        for leftover in ('korvane/history.txt', 'korvane/webadmin.cfg', 'korvane/rcon.cfg'):
            if os.path.exists(os.path.join(folder, leftover)):
                os.remove(os.path.join(folder, leftover))
        password_file = os.path.join(work, 'password.txt')
        with open(password_file, 'w') as password:
            password.write(PASSWORD + '\n')
        previous = install_dir()
        set_install_dir(wine_output('winepath', '-w', folder).strip())
        environment = dict(os.environ)
        environment.pop('DISPLAY', None)
        try:
            program = subprocess.Popen(
                ['wine', os.path.join(folder, 'korvane-console.exe'),
                 '--rcon', f'127.0.0.1:{rcon_port}', '--rcon-password-file', password_file,
                 '--webadmin', f'127.0.0.1:{web_port}', '--webadmin-password-file',
                 password_file], cwd=work, env=environment, stdin=subprocess.PIPE,
                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            reader = Reader(program.stdout)
            if reader.wait_for(lambda text: text.startswith('Korvane Server ready:'), 0, 120) is None:
                print('korvane-console.exe did not say it was ready')
                program.kill()
                return 1
            with Client('127.0.0.1', rcon_port, timeout=60, passwd=PASSWORD) as admin:
                admin.run('maxplayers', str(PLAYERS))
                for _ in range(PLAYERS):
                    admin.run('addbot')
                players = admin.run('players').splitlines()[0]
            web = Web(web_port)
            web.login()
            sampler = Sampler(web, program.pid)
            time.sleep(6)  # the update rate is taken over the last 64 ticks
            idle = sampler.between(time.monotonic() - 3.5, time.monotonic())
            print(f'Source RCON, korvane-console.exe under Wine, {players}')
            print(f'Idle: update rate {describe_rates([s[1] for s in idle])}')
            latencies, start = [], threading.Barrier(CLIENTS + 1)
            threads = [threading.Thread(target=client_loop,
                                        args=(rcon_port, seconds, latencies, start))
                       for _ in range(CLIENTS)]
            for thread in threads:
                thread.start()
            start.wait()  # every client has logged in (each login a slow hash)
            began = time.monotonic()
            for thread in threads:
                thread.join()
            busy = sampler.between(began + 2, time.monotonic())
            sampler.finish()
            milliseconds = [1000 * value for value in latencies]
            print(f'{CLIENTS} clients, a command a second each for {seconds} s: '
                  f'{len(milliseconds)} answers, p50 {percentile(milliseconds, 0.5):.1f} ms, '
                  f'p99 {percentile(milliseconds, 0.99):.1f} ms, '
                  f'slowest {max(milliseconds, default=0):.1f} ms')
            print(f'With them: update rate {describe_rates([s[1] for s in busy])}')
            program.stdin.write(b'closehost\n')
            program.stdin.flush()
            try:
                program.wait(60)
            except subprocess.TimeoutExpired:
                program.kill()
        finally:
            if previous:
                set_install_dir(previous)
    return 0


if __name__ == '__main__':
    sys.exit(main())
