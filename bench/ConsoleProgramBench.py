#!/usr/bin/env python3
"""Prints what korvane-console.exe does for whoever reads its pipes, measured from the Linux
side as a panel, a systemd unit or a container sees it: the real program under Wine with no
display, in a copy of the demo installation, standard input and output being pipes.

- a console flood of 5,000 lines a second read through the pipe: the tick rate against
  30.303 a second, and whether every flood line came out, in order;
- the same with a reader that stops reading for 10 s in the middle: the tick rate, the lines
  that did not come out against the count the program's own drop line gives, the order of
  what did, and the process's memory while nobody reads;
- the time from a command written to standard input to its echo on standard output.

The tick rate is counted by the engine itself: each tick prints its share of the flood with
the engine's clock (`t=`), so the distinct clock readings are the ticks that ran. Where lines
were dropped that count has gaps, so the web administration's update rate (the host's own
measure over its last 64 ticks) is also sampled every second. Figures only: nothing is judged.

Run by scripts/bench: ConsoleProgramBench.py <installation> <flood seconds> (the Wine prefix
and WINE* variables come from the environment).
"""
import faulthandler
import json
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request
from http.cookiejar import CookieJar

KEY = r'HKLM\Software\Tarnwick\Korvane'
NOMINAL = 1000.0 / 33.0  # the engine's 33 ms tick: 30.303 a second
RATE = 5000
STALL = 10.0
PASSWORD = 'bench-password-console'
FLOOD = re.compile(r'flood +(\d+)/\d+ t=([0-9.]+)')
DROPPED = re.compile(r'Korvane Server: (\d+) console lines dropped')


def percentile(values, p):
    """As the C++ benchmarks' Percentile: the value below which a share p of them lie."""
    if not values:
        return 0.0
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(p * len(ordered)))]


def wine_output(*command):
    """What a Wine tool prints. Through a file, not a pipe: the first Wine process of a
    session starts Wine's own services, which inherit its handles and would hold a pipe open
    long after the tool has ended."""
    with tempfile.TemporaryFile() as output:
        subprocess.run(command, stdin=subprocess.DEVNULL, stdout=output,
                       stderr=subprocess.DEVNULL)
        output.seek(0)
        return output.read().decode('latin-1')


def install_dir():
    answer = wine_output('wine', 'reg', 'query', KEY, '/v', 'Install Dir', '/reg:32')
    match = re.search(r'Install Dir\s+REG_SZ\s+(.*)', answer)
    return match.group(1).strip() if match else None


def set_install_dir(folder):
    wine_output('wine', 'reg', 'add', KEY, '/v', 'Install Dir', '/t', 'REG_SZ', '/d', folder,
                '/f', '/reg:32')


class Reader:
    """Reads the program's standard output on a thread of its own, as a panel would, keeping
    each line with the time it arrived; `pause()` stops reading altogether."""

    def __init__(self, stream):
        self.stream = stream
        self.lines = []  # (arrival, text)
        self.reading = threading.Event()
        self.reading.set()
        self.changed = threading.Condition()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _run(self):
        pending = b''
        fd = self.stream.fileno()
        while True:
            self.reading.wait()
            chunk = os.read(fd, 1 << 16)
            if not chunk:
                break
            now = time.monotonic()
            pending += chunk
            *complete, pending = pending.split(b'\n')
            with self.changed:
                self.lines.extend((now, line.rstrip(b'\r').decode('latin-1'))
                                  for line in complete)
                self.changed.notify_all()
        with self.changed:
            self.changed.notify_all()

    def count(self):
        with self.changed:
            return len(self.lines)

    def wait_for(self, test, start, timeout):
        """The index of the first line from `start` on that passes `test`, or None."""
        deadline = time.monotonic() + timeout
        at = start
        with self.changed:
            while True:
                while at < len(self.lines):
                    if test(self.lines[at][1]):
                        return at
                    at += 1
                left = deadline - time.monotonic()
                if left <= 0 or not self.thread.is_alive():
                    return None
                self.changed.wait(left)

    def pause(self):
        self.reading.clear()

    def resume(self):
        self.reading.set()


class Web:
    """The web administration's status, for the host's own update rate."""

    def __init__(self, port):
        self.base = f'http://127.0.0.1:{port}'
        self.opener = urllib.request.build_opener(urllib.request.HTTPCookieProcessor(CookieJar()))

    def login(self):
        request = urllib.request.Request(self.base + '/api/login',
                                         json.dumps({'password': PASSWORD}).encode(),
                                         {'Content-Type': 'application/json'})
        self.opener.open(request, timeout=10).read()

    def update_rate(self):
        with self.opener.open(self.base + '/api/status', timeout=10) as answer:
            return float(json.load(answer)['update_rate'])


class Sampler:
    """Every second, while running: the host's update rate and the process's memory."""

    def __init__(self, web, pid):
        self.web, self.pid = web, pid
        self.samples = []  # (time, update rate, resident KiB, private resident KiB)
        self.stop = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _run(self):
        while not self.stop.wait(1.0):
            try:
                rate = self.web.update_rate()
            except OSError:
                rate = None
            memory = memory_of(self.pid)
            self.samples.append((time.monotonic(), rate, *memory))

    def between(self, start, end):
        return [s for s in self.samples if start <= s[0] <= end]

    def finish(self):
        self.stop.set()
        self.thread.join()


def memory_of(pid):
    """Resident and private resident memory in KiB, and the peak resident (Linux's view of
    the Wine process: the working set and private bytes as the kernel counts them)."""
    fields = {}
    try:
        with open(f'/proc/{pid}/status') as status:
            for line in status:
                name, _, value = line.partition(':')
                if name in ('VmRSS', 'RssAnon', 'VmHWM'):
                    fields[name] = int(value.split()[0])
    except OSError:
        pass
    return fields.get('VmRSS', 0), fields.get('RssAnon', 0), fields.get('VmHWM', 0)


def flood_figures(lines, total):
    """What came out of one flood: numbers in order, the missing ones, the engine's ticks."""
    numbers, ticks = [], []
    for _, text in lines:
        match = FLOOD.search(text)
        if match:
            numbers.append(int(match.group(1)))
            t = float(match.group(2))
            if not ticks or ticks[-1] != t:
                ticks.append(t)
    in_order = all(b > a for a, b in zip(numbers, numbers[1:]))
    # Runs of consecutive ticks with no lines dropped between them: only there can the
    # engine's ticks be counted from the output.
    gaps = sum(1 for a, b in zip(numbers, numbers[1:]) if b != a + 1)
    return numbers, ticks, in_order, total - len(set(numbers)), gaps


def tick_rate(lines):
    """Ticks per second counted from the flood lines' engine clock, over stretches where no
    line is missing (a drop hides the ticks within it)."""
    intervals = []
    previous = None  # (number, t)
    for _, text in lines:
        match = FLOOD.search(text)
        if not match:
            continue
        number, t = int(match.group(1)), float(match.group(2))
        if previous and number == previous[0] + 1 and t != previous[1]:
            intervals.append((t - previous[1]) * 1000)
        previous = (number, t)
    span = sum(intervals) / 1000
    return (len(intervals) / span if span else 0.0), intervals, span


def describe_rates(rates):
    rates = [r for r in rates if r is not None]
    if not rates:
        return 'no samples'
    return (f'median {statistics.median(rates):.3f}/s (ratio {statistics.median(rates) / NOMINAL:.4f}),'
            f' lowest {min(rates):.3f}/s (ratio {min(rates) / NOMINAL:.4f}), {len(rates)} samples')


def run_flood(program, reader, sampler, seconds, stall):
    total = RATE * seconds
    start_index = reader.count()
    command = f'floodtest {RATE} {seconds}'
    began = time.monotonic()
    program.stdin.write(f'{command}\n'.encode())
    program.stdin.flush()
    stall_window = None
    if stall:
        time.sleep(max(0.0, (seconds - STALL) / 2))
        reader.pause()
        paused = time.monotonic()
        before = memory_of(program.pid)
        time.sleep(STALL)
        after = memory_of(program.pid)
        reader.resume()
        stall_window = (paused, time.monotonic(), before, after)
    done = reader.wait_for(lambda text: text.startswith('floodtest: done'), start_index,
                           seconds + STALL + 30)
    ended = time.monotonic()
    lines = reader.lines[start_index:(done + 1) if done is not None else None]
    numbers, _, in_order, missing, gaps = flood_figures(lines, total)
    dropped = sum(int(m.group(1)) for _, text in lines for m in [DROPPED.search(text)] if m)
    rate, intervals, span = tick_rate(lines)
    print(f'  {len(numbers)} of {total} flood lines on standard output, '
          f'{"in order" if in_order else "OUT OF ORDER"}, {missing} missing in {gaps} gap(s); '
          f'the program\'s drop lines count {dropped} (the game\'s lines too)'
          + ('' if done is not None else '; the flood\'s end line never came'))
    print(f'  ticks counted from the engine\'s clock in the lines: {len(intervals)} in {span:.2f} s, '
          f'{rate:.3f}/s, ratio {rate / NOMINAL:.4f} of 30.303/s; from one tick to the next '
          f'median {percentile(intervals, 0.5):.0f} ms, p99 {percentile(intervals, 0.99):.0f} ms, '
          f'longest {max(intervals, default=0):.0f} ms')
    print(f'  the host\'s update rate during the flood: '
          f'{describe_rates([s[1] for s in sampler.between(began + 2.2, ended)])}')
    if stall_window:
        paused, resumed, before, after = stall_window
        inside = sampler.between(paused + 2.2, resumed)
        print(f'  while the reader stopped ({resumed - paused:.1f} s): update rate '
              f'{describe_rates([s[1] for s in inside])}')
        resident = [s[2] for s in sampler.between(paused, resumed)] + [before[0], after[0]]
        private = [s[3] for s in sampler.between(paused, resumed)] + [before[1], after[1]]
        each = ' '.join(f'{s[2] / 1024:.1f}' for s in sampler.between(paused, resumed))
        print(f'  resident MiB each second while the reader stopped: {each}')
        print(f'  memory while the reader stopped: resident {before[0] / 1024:.1f} MiB at the stop, '
              f'{after[0] / 1024:.1f} MiB after {STALL:.0f} s, at most {max(resident) / 1024:.1f} MiB; '
              f'private resident {before[1] / 1024:.1f} -> {after[1] / 1024:.1f} MiB, '
              f'at most {max(private) / 1024:.1f} MiB; peak resident of the process so far '
              f'{after[2] / 1024:.1f} MiB')


def echo_latency(program, reader, count, label):
    times = []
    for n in range(count):
        command = f'echo latency-{label}-{n}'
        start_index = reader.count()
        sent = time.monotonic()
        program.stdin.write(f'{command}\n'.encode())
        program.stdin.flush()
        at = reader.wait_for(lambda text, c=command: text == c, start_index, 10)
        if at is None:
            print(f'  {label}: the echo of "{command}" never came')
            return
        times.append((reader.lines[at][0] - sent) * 1000)
        time.sleep(0.02 + (n % 5) * 0.01)  # spread over the tick period
    print(f'  {label}: {len(times)} commands, echo after p50 {percentile(times, 0.5):.2f} ms, '
          f'p99 {percentile(times, 0.99):.2f} ms, longest {max(times):.2f} ms')


def main():
    installation, seconds = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 30
    sys.stdout.reconfigure(line_buffering=True)
    # A run that hangs says where, and ends, rather than holding scripts/bench for ever.
    faulthandler.dump_traceback_later(4 * seconds + 420, exit=True)
    port = 18000 + os.getpid() % 1000
    with tempfile.TemporaryDirectory(prefix='korvane-console-bench-') as work:
        folder = os.path.join(work, 'install')
        shutil.copytree(installation, folder)
        for leftover in ('korvane/history.txt', 'korvane/webadmin.cfg'):
            if os.path.exists(os.path.join(folder, leftover)):
                os.remove(os.path.join(folder, leftover))
        shutil.rmtree(os.path.join(folder, 'logs'), ignore_errors=True)
        with open(os.path.join(work, 'password.txt'), 'w') as password:
            password.write(PASSWORD + '\n')
        previous = install_dir()
        set_install_dir(wine_output('winepath', '-w', folder).strip())
        environment = dict(os.environ)
        environment.pop('DISPLAY', None)  # as in a container: no display at all
        try:
            started = time.monotonic()
            program = subprocess.Popen(
                ['wine', os.path.join(folder, 'korvane-console.exe'), '--webadmin',
                 f'127.0.0.1:{port}', '--webadmin-password-file',
                 os.path.join(work, 'password.txt')],
                cwd=work, env=environment, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                stderr=subprocess.DEVNULL)
            reader = Reader(program.stdout)
            ready = reader.wait_for(lambda text: text.startswith('Korvane Server ready:'), 0, 120)
            if ready is None:
                print('korvane-console.exe did not say it was ready')
                program.kill()
                return 1
            print(f'korvane-console.exe under Wine without a display, pipes on both ends '
                  f'({reader.lines[ready][1]!r} after {reader.lines[ready][0] - started:.1f} s)')
            web = Web(port)
            web.login()
            sampler = Sampler(web, program.pid)
            # The update rate is taken over the last 64 ticks: the first figures still hold
            # the start-up.
            time.sleep(6)
            idle = sampler.between(time.monotonic() - 3.5, time.monotonic())
            print(f'Idle: update rate {describe_rates([s[1] for s in idle])}')
            print(f'Flood of {RATE} lines a second for {seconds} s, read all along:')
            run_flood(program, reader, sampler, seconds, stall=False)
            print(f'The same flood, the reader stopping for {STALL:.0f} s in the middle:')
            run_flood(program, reader, sampler, seconds, stall=True)
            print('From a command written to standard input to its echo on standard output:')
            echo_latency(program, reader, 200, 'idle')
            program.stdin.write(f'floodtest {RATE} 120\n'.encode())
            program.stdin.flush()
            time.sleep(1)
            echo_latency(program, reader, 200, f'during a flood of {RATE} lines a second')
            program.stdin.write(b'floodtest 0\n')
            program.stdin.flush()
            sampler.finish()
            stop = time.monotonic()
            program.send_signal(signal.SIGINT)
            try:
                code = program.wait(60)
            except subprocess.TimeoutExpired:
                program.kill()
                code = f'none: still running after 60 s, killed ({program.wait()})'
            print(f'SIGINT: ended with exit code {code} after {time.monotonic() - stop:.2f} s; '
                  f'peak resident over the run {memory_of_peak(sampler) / 1024:.1f} MiB')
        finally:
            if previous:
                set_install_dir(previous)
    return 0


def memory_of_peak(sampler):
    return max((s[4] for s in sampler.samples), default=0)


if __name__ == '__main__':
    sys.exit(main())
