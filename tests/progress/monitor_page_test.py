#!/usr/bin/python3
"""The monitor's page in a real browser.

Starts `quorutil monitor --http` on loopback, lets jobs report through the library's own UDP
reporter (monitor_sender), and drives headless Chromium over the DevTools protocol: rows
appear, a bar advances without a reload, a finished job moves to the end, hostile job texts
show as text and run nothing. Then the server's own rules: the security headers, fixed routes,
GET and HEAD only, bounded headers and connections.

    monitor_page_test.py --tool quorutil --sender monitor_sender [--screenshot PNG]
"""

import argparse
import http.client
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

import websocket  # Debian: python3-websocket

HOSTILE_IMG = '<img src=x onerror="document.title=\'pwned\'">'
HOSTILE_SCRIPT = "</script><script>document.title='pwned2'</script>"
CHROMIUM = '/usr/bin/chromium'

failures = []


def check(ok, what):
    print(('ok    ' if ok else 'FAIL  ') + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def wait_for(predicate, what, timeout=20.0):
    end = time.monotonic() + timeout
    value = None
    while time.monotonic() < end:
        value = predicate()
        if value:
            return check(True, what)
        time.sleep(0.1)
    return check(False, f'{what} (last: {value!r})')


class DevTools:
    """The least of the DevTools protocol: commands and the events that came with them."""

    def __init__(self, url):
        self.ws = websocket.create_connection(url, timeout=30, suppress_origin=True)
        self.next_id = 0
        self.events = []

    def call(self, method, **params):
        self.next_id += 1
        self.ws.send(json.dumps({'id': self.next_id, 'method': method, 'params': params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get('id') == self.next_id:
                if 'error' in message:
                    raise RuntimeError(f'{method}: {message["error"]}')
                return message.get('result', {})
            if 'method' in message:
                self.events.append(message)

    def evaluate(self, expression):
        result = self.call('Runtime.evaluate', expression=expression, returnByValue=True)
        if 'exceptionDetails' in result:
            raise RuntimeError(f'{expression}: {result["exceptionDetails"]}')
        return result['result'].get('value')


class Sender:
    def __init__(self, path, target):
        env = dict(os.environ, QUOR_PROGRESS_TARGET=target)
        self.proc = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     env=env, text=True)

    def __call__(self, *fields):
        self.proc.stdin.write('\t'.join(str(f) for f in fields) + '\n')
        self.proc.stdin.flush()
        if self.proc.stdout.readline().strip() != 'ok':
            raise RuntimeError(f'monitor_sender refused {fields}')

    def close(self):
        self.proc.stdin.close()
        self.proc.wait(10)


def start_monitor(tool, workdir):
    log = open(os.path.join(workdir, 'monitor.err'), 'w')
    proc = subprocess.Popen([tool, 'monitor', '--listen', '127.0.0.1', '--port', '0',
                             '--http', '127.0.0.1:0', '--no-table', '--timeout', '170'],
                            stdout=subprocess.PIPE, stderr=log, text=True)
    first, second = proc.stdout.readline(), proc.stdout.readline()
    udp = re.fullmatch(r'Listening for progress datagrams on (127\.0\.0\.1:\d+)\n', first)
    page = re.fullmatch(r'Serving the page at (http://127\.0\.0\.1:\d+/)\n', second)
    if not udp or not page:
        proc.kill()
        raise RuntimeError(f'monitor said {first!r} {second!r}')
    return proc, udp.group(1), page.group(1)


def start_chromium(workdir):
    profile = os.path.join(workdir, 'chromium')
    proc = subprocess.Popen(
        [CHROMIUM, '--headless=new', '--no-sandbox', '--remote-debugging-port=0',
         '--user-data-dir=' + profile, '--no-first-run', '--no-default-browser-check',
         '--disable-gpu', '--disable-extensions', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--mute-audio', 'about:blank'],
        stdout=subprocess.DEVNULL, stderr=open(os.path.join(workdir, 'chromium.err'), 'w'))
    port_file = os.path.join(profile, 'DevToolsActivePort')
    end = time.monotonic() + 60
    while time.monotonic() < end:
        if os.path.exists(port_file):
            lines = open(port_file).read().split('\n')
            if len(lines) >= 2 and lines[0].isdigit():
                port = lines[0]
                targets = json.load(urllib.request.urlopen(f'http://127.0.0.1:{port}/json/list'))
                pages = [t for t in targets if t.get('type') == 'page']
                if pages:
                    return proc, pages[0]['webSocketDebuggerUrl']
        time.sleep(0.1)
    proc.kill()
    raise RuntimeError('chromium did not start its DevTools server')


ROWS = '''Array.from(document.querySelectorAll('#jobs tbody tr')).map(tr => ({
    id: tr.dataset.id, state: tr.dataset.state, cls: tr.className,
    text: tr.textContent, value: tr.querySelector('progress').value,
    hasValue: tr.querySelector('progress').hasAttribute('value')}))'''


def rows(dt):
    return dt.evaluate(ROWS) or []


def row_with(dt, text):
    return next((r for r in rows(dt) if text in r['text']), None)


def browser_checks(dt, send, page, screenshot):
    dt.call('Runtime.enable')
    dt.call('Log.enable')
    dt.call('Page.enable')
    dt.call('Emulation.setDeviceMetricsOverride', width=1280, height=470, deviceScaleFactor=1,
            mobile=False)
    dt.call('Page.navigate', url=page)
    wait_for(lambda: dt.evaluate('document.readyState') == 'complete', 'the page loads')
    wait_for(lambda: dt.evaluate("document.getElementById('status').textContent")
             .startswith('live'), 'the page follows the event stream')
    dt.evaluate('window.loadedOnce = true')

    send('job', 'a', 'RECTIFIER', 'flight-0412', 'line 12', 'rgbn', 'ortho', 'utm32', 'node-07')
    send('start', 'a', 'Rectify line 12')
    send('percent', 'a', 0.1)
    wait_for(lambda: abs((row_with(dt, 'flight-0412') or {}).get('value', 0) - 10) < 0.01,
             'a new job appears with its bar at 10 %')
    send('job', 'b', 'quorutil', '/data/0412/raw.bin', '/archive/raw.bin', '', 'copy', '',
         'node-03')
    send('start', 'b', 'Copy to /archive/raw.bin')
    send('percent', 'b', 0.35)
    send('job', 'c', 'evil', HOSTILE_IMG, HOSTILE_SCRIPT, '', 'p5', '', 'node-66')
    send('start', 'c', HOSTILE_SCRIPT)
    send('percent', 'c', 0.2)
    wait_for(lambda: len(rows(dt)) == 3, 'three jobs are listed')

    send('percent', 'a', 0.55)
    # The rectifier layout carries done and total with 6 digits: 55 % comes back as 54.9998.
    wait_for(lambda: abs((row_with(dt, 'flight-0412') or {}).get('value', 0) - 55) < 0.01,
             "a job's bar advances")
    check(dt.evaluate('window.loadedOnce') is True, 'the page did not reload to show it')
    a = row_with(dt, 'flight-0412')
    check(a is not None and 'Rectify line 12' in a['text'] and 'node-07' in a['text'],
          'the row shows task and host')

    send('finish', 'a', 'Rectify line 12')
    wait_for(lambda: (rows(dt) or [{}])[-1].get('state') == 'finished'
             and 'flight-0412' in rows(dt)[-1]['text'], 'a finished job moves to the end')
    check([r['state'] for r in rows(dt)] == ['running', 'running', 'finished'],
          'running jobs stay first')

    evil = row_with(dt, 'node-66')
    check(evil is not None and HOSTILE_IMG in evil['text'] and HOSTILE_SCRIPT in evil['text'],
          'hostile texts show as the characters they are')
    check(dt.evaluate('document.images.length') == 0
          and dt.evaluate("document.querySelectorAll('script').length") == 1,
          'hostile texts add no element')
    check(dt.evaluate('document.title') == 'quorutil monitor', 'hostile texts run nothing')
    # Nothing inline may run even if a text ever reached the document as markup.
    dt.evaluate('''(() => { const s = document.createElement('script');
        s.textContent = "window.inlineRan = true"; document.body.appendChild(s); })()''')
    check(dt.evaluate('window.inlineRan') is None, 'the policy forbids inline script')
    errors = [e for e in dt.events if e['method'] == 'Runtime.exceptionThrown']
    check(not errors, f'the page throws no exception {errors[:1]}')

    if screenshot:
        send('job', 'd', 'RECTIFIER', 'flight-0412', 'line 13', 'rgbn', 'ortho', 'utm32',
             'node-08')
        send('start', 'd', 'Rectify line 13')
        send('percent', 'd', 0.05)
        send('job', 'e', 'pyramids', '/data/0412/ortho/l12.tif', '', '', 'overviews', '',
             'node-11')
        send('start', 'e', 'Build overviews')
        time.sleep(1.5)
        send('percent', 'd', 0.08)
        send('percent', 'e', 0.81)
        send('percent', 'b', 0.62)
        time.sleep(1.2)
        import base64
        shot = dt.call('Page.captureScreenshot', format='png')
        with open(screenshot, 'wb') as f:
            f.write(base64.b64decode(shot['data']))

    # A minute later by the page's clock, with no datagram since: running jobs are greyed
    # out as silent, the finished one is not.
    dt.evaluate('(() => { const real = Date.now; Date.now = () => real.call(Date) + 60000; })()')
    wait_for(lambda: all(('silent' in r['cls']) == (r['state'] == 'running') for r in rows(dt)),
             'silent jobs are greyed out', timeout=5)


def raw_request(port, text, timeout=5.0):
    with socket.create_connection(('127.0.0.1', port), timeout=timeout) as s:
        s.sendall(text.encode('latin-1'))
        data = b''
        while b'\r\n\r\n' not in data:
            chunk = s.recv(4096)
            if not chunk:
                break
            data += chunk
    return data.split(b'\r\n', 1)[0].decode('latin-1')


def server_checks(page):
    port = int(re.search(r':(\d+)/$', page).group(1))
    host = f'Host: 127.0.0.1:{port}\r\n'

    response = urllib.request.urlopen(page)
    csp = response.headers.get('Content-Security-Policy', '')
    check("script-src 'self'" in csp and "default-src 'none'" in csp
          and 'unsafe-inline' not in csp, f'the page carries its policy: {csp!r}')
    check(response.headers.get('X-Content-Type-Options') == 'nosniff', 'no type sniffing')
    jobs = json.load(urllib.request.urlopen(page + 'jobs'))
    check(len(jobs['jobs']) >= 3, '/jobs gives the snapshot')
    check(json.load(urllib.request.urlopen(page + 'healthz'))['ok'] is True, '/healthz answers')

    # path, expected status line
    for method, path, expected in [
            ('GET', '/../../etc/passwd', '404'), ('GET', '/%2e%2e/%2e%2e/etc/passwd', '404'),
            ('GET', '/..%2f..%2fetc%2fpasswd', '404'), ('GET', '//etc/passwd', '404'),
            ('GET', '/app.js/../../etc/passwd', '404'), ('GET', '/index.html', '404'),
            ('HEAD', '/', '200'), ('POST', '/jobs', '405'), ('PUT', '/', '405'),
            ('DELETE', '/jobs', '405'), ('OPTIONS', '/', '405')]:
        line = raw_request(port, f'{method} {path} HTTP/1.1\r\n{host}Connection: close\r\n\r\n')
        check(line.split(' ')[1:2] == [expected], f'{method} {path} -> {expected} ({line})')

    many = ''.join(f'X-H{i}: v\r\n' for i in range(100))
    line = raw_request(port, f'GET /jobs HTTP/1.1\r\n{host}{many}Connection: close\r\n\r\n')
    check(' 431 ' in line + ' ', f'too many headers are refused ({line})')
    line = raw_request(port, 'GET /jobs HTTP/1.1\r\nHost: monitor.example.net\r\n'
                       'Connection: close\r\n\r\n')
    check(' 421 ' in line + ' ', f'a foreign host name is refused on loopback ({line})')

    # A request that never ends, quickly or slowly, is cut off; the server serves on.
    with socket.create_connection(('127.0.0.1', port), timeout=15) as s:
        s.sendall(f'GET /jobs HTTP/1.1\r\n{host}'.encode())
        sent, cut = 0, False
        try:
            while sent < 10 * 1024 * 1024:
                s.sendall(b'X-Filler: ' + b'f' * 1000 + b'\r\n')
                sent += 1012
        except OSError:
            cut = True
        # The server stops reading at 16 KiB; what the kernel buffers before the cut varies.
        check(cut and sent < 8 * 1024 * 1024, f'endless headers are cut off after {sent} bytes')
    started = time.monotonic()
    with socket.create_connection(('127.0.0.1', port), timeout=30) as s:
        s.sendall(f'GET /jobs HTTP/1.1\r\n{host}'.encode())
        try:
            while time.monotonic() - started < 25:
                s.sendall(b'X')
                time.sleep(0.5)
            cut = False
        except OSError:
            cut = True
    check(cut and time.monotonic() - started < 15,
          f'a request sent a byte at a time is cut off ({time.monotonic() - started:.1f} s)')
    line = raw_request(port, f'GET /healthz HTTP/1.1\r\n{host}Connection: close\r\n\r\n')
    check(' 200 ' in line + ' ', f'the server still answers ({line})')

    # At most 64 connections: the 65th waits until one of them goes.
    idle = [socket.create_connection(('127.0.0.1', port)) for _ in range(64)]
    time.sleep(0.5)
    try:
        raw_request(port, f'GET /healthz HTTP/1.1\r\n{host}Connection: close\r\n\r\n', 2.0)
        check(False, 'a connection beyond the limit waits')
    except socket.timeout:
        check(True, 'a connection beyond the limit waits')
    for s in idle[:2]:
        s.close()
    line = raw_request(port, f'GET /healthz HTTP/1.1\r\n{host}Connection: close\r\n\r\n', 5.0)
    check(' 200 ' in line + ' ', f'and is served when one closes ({line})')
    for s in idle[2:]:
        s.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--tool', required=True)
    parser.add_argument('--sender', required=True)
    parser.add_argument('--screenshot')
    args = parser.parse_args()
    if not os.access(CHROMIUM, os.X_OK):
        print(f'{CHROMIUM} is missing: scripts/setup-deps installs it', file=sys.stderr)
        return 1

    workdir = tempfile.mkdtemp(prefix='monitor-page-')
    monitor = chromium = sender = None
    try:
        monitor, udp, page = start_monitor(args.tool, workdir)
        sender = Sender(args.sender, udp)
        chromium, ws_url = start_chromium(workdir)
        dt = DevTools(ws_url)
        browser_checks(dt, sender, page, args.screenshot)
        dt.ws.close()
        server_checks(page)
    finally:
        for proc in (chromium, monitor):
            if proc and proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(10)
                except subprocess.TimeoutExpired:
                    proc.kill()
        if sender:
            sender.close()
        shutil.rmtree(workdir, ignore_errors=True)
    print(f'{len(failures)} failed' if failures else 'all passed')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
