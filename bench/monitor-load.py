#!/usr/bin/python3
"""Load on `quorutil monitor --http`, on loopback only.

200 jobs, each from an address of its own in 127.0.0.0/8, send 2,000 status datagrams a second
between them for 30 seconds, then 100 % and a finish notice; 20 clients follow /events all the
while. Measured: the monitor's longest pass over its datagrams (/healthz), datagrams counted
against datagrams sent, its resident memory every second, and what each client saw last.

    bench/monitor-load.py build/bin/quorutil [--jobs 200] [--rate 2000] [--seconds 30]
                                             [--clients 20]
"""

import argparse
import http.client
import json
import os
import re
import socket
import subprocess
import sys
import time
import urllib.request


def client(port, seconds, out):
    """One event-stream client: keeps the last snapshot and counts events."""
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=60)
    conn.request('GET', '/events')
    response = conn.getresponse()
    events, last, longest_gap = 0, None, 0.0
    previous = time.monotonic()
    end = previous + seconds
    while time.monotonic() < end:
        line = response.readline()
        if not line:
            break
        if line.startswith(b'data: '):
            now = time.monotonic()
            longest_gap = max(longest_gap, now - previous)
            previous = now
            events += 1
            last = line[6:]
    with open(out, 'w') as f:
        json.dump({'events': events, 'longestGap': longest_gap,
                   'last': json.loads(last) if last else None}, f)


def rss_kib(pid):
    with open(f'/proc/{pid}/status') as f:
        return int(re.search(r'VmRSS:\s+(\d+)', f.read()).group(1))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('tool')
    parser.add_argument('--jobs', type=int, default=200)
    parser.add_argument('--rate', type=int, default=2000)
    parser.add_argument('--seconds', type=float, default=30)
    parser.add_argument('--clients', type=int, default=20)
    parser.add_argument('--client', nargs=3, help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.client:
        client(int(args.client[0]), float(args.client[1]), args.client[2])
        return 0

    workdir = os.path.abspath(os.environ.get('TMPDIR', '/tmp'))
    workdir = os.path.join(workdir, f'monitor-load-{os.getpid()}')
    os.makedirs(workdir)
    monitor = subprocess.Popen(
        [args.tool, 'monitor', '--listen', '127.0.0.1', '--port', '0', '--http', '127.0.0.1:0',
         '--no-table', '--timeout', str(args.seconds + 60)], stdout=subprocess.PIPE, text=True)
    udp_port = int(monitor.stdout.readline().rsplit(':', 1)[1])
    http_port = int(re.search(r':(\d+)/$', monitor.stdout.readline().strip()).group(1))

    follow = args.seconds + 8
    clients = [subprocess.Popen([sys.executable, __file__, args.tool, '--client', str(http_port),
                                 str(follow), os.path.join(workdir, f'client{i}.json')])
               for i in range(args.clients)]
    time.sleep(1)

    senders = []
    for i in range(args.jobs):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.bind((f'127.0.{1 + i // 250}.{1 + i % 250}', 0))
        senders.append(s)
    target = ('127.0.0.1', udp_port)
    for i, s in enumerate(senders):
        s.sendto(b'Starting render %d' % i, target)

    def status(i, percent):
        return (b'###loadtest###job %d###%.6g###/data/line-%d.raw###ortho###utm32###node-%d###'
                % (i, percent, i, i % 40))

    samples, health = [], []
    sent = len(senders)
    start = time.monotonic()
    next_sample = start
    tick = 0.01
    while True:
        now = time.monotonic()
        elapsed = now - start
        if elapsed >= args.seconds:
            break
        # Catch up after a late wake-up, so that the rate holds on a busy machine too.
        percent = 99.0 * elapsed / args.seconds
        while sent - len(senders) < args.rate * elapsed:
            i = sent % args.jobs
            senders[i].sendto(status(i, percent), target)
            sent += 1
        if now >= next_sample:
            samples.append((round(elapsed, 1), rss_kib(monitor.pid)))
            next_sample += 1
        time.sleep(max(0.0, start + (int(elapsed / tick) + 1) * tick - time.monotonic()))
    status_sent = sent - len(senders)
    for i, s in enumerate(senders):
        s.sendto(status(i, 100), target)
        s.sendto(b'Finished render %d' % i, target)
        sent += 2
        if i % 10 == 9:
            time.sleep(0.01)  # the same 2,000 a second
    time.sleep(2)
    h = json.load(urllib.request.urlopen(f'http://127.0.0.1:{http_port}/healthz'))
    samples.append((round(time.monotonic() - start, 1), rss_kib(monitor.pid)))
    for c in clients:
        c.wait(follow + 30)
    monitor.terminate()
    monitor.wait(10)

    results = [json.load(open(os.path.join(workdir, f'client{i}.json')))
               for i in range(args.clients)]
    complete = 0
    for r in results:
        jobs = (r['last'] or {}).get('jobs', [])
        if len(jobs) == args.jobs and all(j['state'] == 'finished' and j['percent'] == 100
                                          for j in jobs):
            complete += 1
    early = [kib for t, kib in samples if t >= 5]
    print(f'sent {sent} datagrams ({status_sent / args.seconds:.0f} status datagrams/s for '
          f'{args.seconds:g} s from {args.jobs} jobs); the monitor counted {h["datagrams"]}')
    print(f'longest pass over datagrams: {h["longestPassMs"]} ms')
    print(f'resident memory: {samples[0][1] // 1024} MiB at {samples[0][0]} s, '
          f'{early[0] // 1024} MiB at 5 s, {max(early) // 1024} MiB at most, '
          f'{samples[-1][1] // 1024} MiB at the end')
    print(f'clients: {complete} of {args.clients} saw every job finished at 100 %; '
          f'events per client {min(r["events"] for r in results)}..'
          f'{max(r["events"] for r in results)}, longest gap between events '
          f'{max(r["longestGap"] for r in results):.2f} s')
    for f in os.listdir(workdir):
        os.remove(os.path.join(workdir, f))
    os.rmdir(workdir)
    ok = (h['longestPassMs'] < 1000 and complete == args.clients
          and max(early) - early[0] < 16 * 1024 and h['datagrams'] >= 0.99 * sent)
    print('PASS' if ok else 'FAIL')
    return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main())
