// The monitor's page. Everything it needs is here: no fonts, no libraries, nothing fetched from
// elsewhere. Job texts come from the network, so the script writes them with textContent only.

#include "tools/quorutil/MonitorHttp.h"

namespace quorutil {

const char monitorPageHtml[] = R"html(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>quorutil monitor</title>
<link rel="stylesheet" href="/app.css">
</head>
<body>
<header>
<h1>quorutil monitor</h1>
<p id="status">connecting&hellip;</p>
</header>
<table id="jobs">
<thead>
<tr><th>Job</th><th>Host</th><th>From</th><th>Task</th><th class="progress">Progress</th>
<th class="num">Rate</th><th class="num">Left</th><th>State</th><th>Last seen</th></tr>
</thead>
<tbody></tbody>
</table>
<p id="empty">No jobs yet.</p>
<script src="/app.js"></script>
</body>
</html>
)html";

const char monitorPageScript[] = R"js('use strict';
(function () {
  const SILENT_MS = 30000;
  const body = document.querySelector('#jobs tbody');
  const status = document.getElementById('status');
  const empty = document.getElementById('empty');
  let jobs = [];
  let offset = 0; // the monitor's clock minus ours
  let malformed = 0;
  let connected = false;

  function cell(row, text, cls) {
    const td = document.createElement('td');
    td.textContent = text;
    if (cls) td.className = cls;
    row.appendChild(td);
    return td;
  }

  function duration(s) {
    if (s === null || s === undefined) return '-';
    s = Math.round(s);
    if (s < 60) return s + ' s';
    if (s < 3600) return Math.floor(s / 60) + ' min ' + (s % 60) + ' s';
    if (s >= 360000) return '> 99 h';
    return Math.floor(s / 3600) + ' h ' + Math.floor(s / 60) % 60 + ' min';
  }

  function clock(ms) {
    const d = new Date(ms);
    return [d.getHours(), d.getMinutes(), d.getSeconds()]
      .map(function (n) { return String(n).padStart(2, '0'); }).join(':');
  }

  function render() {
    const now = Date.now() + offset;
    const rows = jobs.slice().sort(function (a, b) {
      const fa = a.state === 'finished', fb = b.state === 'finished';
      return fa !== fb ? (fa ? 1 : -1) : a.id - b.id;
    });
    const fresh = rows.map(function (job) {
      const tr = document.createElement('tr');
      tr.dataset.id = job.id;
      tr.dataset.state = job.state;
      const silent = job.state !== 'finished' && now - job.lastSeen > SILENT_MS;
      tr.className = job.state + (silent ? ' silent' : '');
      const name = cell(tr, job.app, 'job');
      const detail = document.createElement('span');
      detail.textContent = job.job;
      name.appendChild(document.createElement('br'));
      name.appendChild(detail);
      cell(tr, job.host, 'host');
      cell(tr, job.from);
      cell(tr, job.task || '-', 'task');
      const p = cell(tr, '', 'progress');
      const bar = document.createElement('progress');
      bar.max = 100;
      if (job.percent !== null) bar.value = job.percent;
      const label = document.createElement('span');
      label.textContent = job.percent !== null
        ? (Math.round(job.percent * 10) / 10) + ' %' : job.progress;
      p.appendChild(bar);
      p.appendChild(label);
      cell(tr, job.ratePerMinute !== null
        ? (Math.round(job.ratePerMinute * 10) / 10) + ' %/min' : '-', 'num');
      cell(tr, job.state === 'finished' ? '-' : duration(job.secondsLeft), 'num');
      cell(tr, silent ? 'silent' : job.state, 'state');
      const ago = Math.max(0, Math.round((now - job.lastSeen) / 1000));
      const seen = cell(tr, clock(job.lastSeen), 'seen');
      const since = document.createElement('span');
      since.textContent = ago + ' s ago';
      seen.appendChild(document.createElement('br'));
      seen.appendChild(since);
      return tr;
    });
    body.replaceChildren.apply(body, fresh);
    empty.hidden = rows.length > 0;
    status.textContent = (connected ? 'live' : 'reconnecting') + ' \u00b7 ' + rows.length +
      ' job(s) \u00b7 ' + malformed + ' malformed datagram(s) skipped';
  }

  function take(text) {
    const snapshot = JSON.parse(text);
    offset = snapshot.now - Date.now();
    malformed = snapshot.malformed;
    jobs = Array.isArray(snapshot.jobs) ? snapshot.jobs : [];
    render();
  }

  const events = new EventSource('/events');
  events.addEventListener('jobs', function (e) { connected = true; take(e.data); });
  events.onopen = function () { connected = true; render(); };
  events.onerror = function () { connected = false; render(); };
  setInterval(render, 1000);
})();
)js";

const char monitorPageStyle[] =
    R"css(:root { color-scheme: light; --ink: #1d2430; --line: #d8dde6; --accent: #2f6fb3; }
body { margin: 1.5rem; font: 14px/1.4 sans-serif; color: var(--ink); background: #fff; }
header { display: flex; align-items: baseline; gap: 1.5rem; }
h1 { font-size: 1.25rem; margin: 0 0 .75rem; }
#status { margin: 0; color: #5a6472; }
table { border-collapse: collapse; width: 100%; }
th, td { text-align: left; padding: .35rem .5rem; border-bottom: 1px solid var(--line);
  vertical-align: top; white-space: nowrap; }
td.job, td.task, td.host { white-space: pre-wrap; overflow-wrap: anywhere; }
td.job { min-width: 16rem; }
td.task { min-width: 10rem; }
td.host { min-width: 6rem; }
th { font-weight: 600; background: #f3f5f8; position: sticky; top: 0; }
td.job span, td.seen span { color: #5a6472; font-size: .9em; }
td.num, th.num { text-align: right; white-space: nowrap; }
td.progress { white-space: nowrap; }
progress { width: 5rem; height: .8rem; vertical-align: middle; margin-right: .5rem;
  accent-color: var(--accent); }
tr.finished td.state { color: #2c7a3f; font-weight: 600; }
tr.finished progress { accent-color: #2c7a3f; }
tr.silent td { color: #9aa2ad; }
tr.silent progress { opacity: .45; }
tr.silent td.state { font-style: italic; }
#empty { color: #5a6472; }
)css";

} // namespace quorutil
