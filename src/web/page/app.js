// Korvane Server web administration. Every text from the server (names, console lines) goes
// into the page through textContent, never as HTML.
'use strict';

const POLL_MS = 1000;
const ROTATION_EVERY = 10;      // polls between rotation refreshes
const CONSOLE_KEEP = 2000;      // lines kept in the page
const HISTORY_KEEP = 200;       // commands Up and Down walk through, as in the window
const CHARTS_MS = 10000;        // the server samples its history every 10 s

const $ = (id) => document.getElementById(id);
let csrf = sessionStorage.getItem('csrf') || '';
let consoleAfter = 0;
let pollTimer = 0;
let polls = 0;
let polling = false;            // a poll is on its way
let pollAgain = false;          // and another was asked for meanwhile
const sentCommands = [];        // oldest first
let historyAt = 0;              // sentCommands.length: the line being typed
let typedLine = '';             // the line being typed, back after the newest
let chartHours = 1;             // the charts' span: 1 or 24 hours
let chartsDue = 0;              // Date.now() from which the charts are read again
let charts = null;              // {players, rate, ticks}, made once the page is shown

function formatDuration(total) {
  const s = Math.max(0, Math.floor(total));
  const two = (n) => String(n).padStart(2, '0');
  const days = Math.floor(s / 86400), hours = Math.floor(s / 3600) % 24;
  const minutes = Math.floor(s / 60) % 60, seconds = s % 60;
  if (days > 0) return `${days}d:${two(hours)}h:${two(minutes)}m:${two(seconds)}s`;
  if (hours > 0) return `${two(hours)}h:${two(minutes)}m:${two(seconds)}s`;
  return `${two(minutes)}m:${two(seconds)}s`;
}

async function api(method, path, body) {
  const headers = {};
  if (body !== undefined) headers['Content-Type'] = 'application/json';
  if (method === 'POST' && csrf) headers['X-CSRF-Token'] = csrf;
  let response;
  try {
    response = await fetch(path, {
      method, headers, credentials: 'same-origin', cache: 'no-store',
      body: body === undefined ? undefined : JSON.stringify(body),
    });
  } catch (e) {
    return { status: 0, data: { error: 'the server cannot be reached' } };
  }
  let data = {};
  try { data = await response.json(); } catch (e) { /* an answer without JSON */ }
  if (response.status === 401 && path !== '/api/login') showLogin('The session has ended; log in again.');
  return { status: response.status, data };
}

function showLogin(message) {
  csrf = '';
  sessionStorage.removeItem('csrf');
  clearTimeout(pollTimer);
  $('admin-view').hidden = true;
  $('logout').hidden = true;
  $('login-view').hidden = false;
  $('login-error').textContent = message || '';
  $('password').focus();
}

function showAdmin() {
  $('login-view').hidden = true;
  $('admin-view').hidden = false;
  $('logout').hidden = false;
  polls = 0;
  chartsDue = 0;
  makeCharts();
  poll();
}

function actionError(result) {
  $('action-error').textContent = result.status === 200 ? '' : (result.data.error || `error ${result.status}`);
}

function setEngineState(result) {
  if (result.status === 503 || result.status === 200) $('engine-state').hidden = result.status !== 503;
  // Restarts after failures have stopped (a crash loop): said until someone starts it again.
  const notice = (result.data && result.data.restart_notice) || '';
  $('restart-notice').textContent = notice;
  $('restart-notice').hidden = notice === '';
}

function renderStatus(s) {
  $('server-name').textContent = s.server_name || 'Korvane Server';
  document.title = (s.server_name || 'Korvane Server') + ' - administration';
  $('update-rate').textContent = Number(s.update_rate).toFixed(1);
  $('player-count').textContent = `${s.players} / ${s.max_players}`;
  $('uptime').textContent = formatDuration(s.uptime_seconds);
  $('version').textContent = s.version;
}

function cell(row, text, className) {
  const td = row.insertCell();
  td.textContent = text;
  if (className) td.className = className;
  return td;
}

function playerRow(id) {
  const row = document.createElement('tr');
  row.dataset.id = id;
  for (let i = 0; i < 6; ++i) cell(row, '', i === 1 ? 'name' : '');
  const kick = document.createElement('button');
  kick.type = 'button';
  kick.textContent = 'Kick';
  kick.addEventListener('click', () => kickPlayer(Number(id), row.dataset.name));
  row.insertCell().appendChild(kick);
  return row;
}

function setText(node, text) {
  if (node.textContent !== text) node.textContent = text;
}

// Rows are kept and only their texts change, so a keyboard user's focus on a Kick button
// stays where it was; only a row out of place moves (moving the focused row would drop it).
function renderPlayers(players) {
  const body = $('players').tBodies[0];
  const ids = new Set(players.map((p) => String(p.id)));
  const rows = new Map();
  for (const row of Array.from(body.rows)) {
    if (ids.has(row.dataset.id)) rows.set(row.dataset.id, row); else row.remove();
  }
  players.forEach((p, at) => {
    const id = String(p.id);
    const row = rows.get(id) || playerRow(id);
    const texts = [id, p.name, p.team, p.specialty, `${p.ping_ms} ms`,
                   formatDuration(p.connected_seconds)];
    texts.forEach((text, i) => setText(row.cells[i], text));
    row.dataset.name = p.name;
    const label = `Kick ${p.name} (${id})`;
    const kick = row.cells[6].firstChild;
    if (kick.getAttribute('aria-label') !== label) kick.setAttribute('aria-label', label);
    if (body.rows[at] !== row) body.insertBefore(row, body.rows[at] || null);
  });
}

function appendConsole(lines) {
  const pane = $('console');
  const atBottom = pane.scrollTop + pane.clientHeight >= pane.scrollHeight - 4;
  for (const line of lines) pane.appendChild(document.createTextNode(line.text + '\n'));
  while (pane.childNodes.length > CONSOLE_KEEP) pane.removeChild(pane.firstChild);
  if (atBottom) pane.scrollTop = pane.scrollHeight;
}

function renderRotation(maps) {
  const select = $('map');
  const chosen = select.value;
  select.replaceChildren(...maps.map((m) => {
    const option = document.createElement('option');
    option.value = String(m.index);
    option.textContent = m.map;
    return option;
  }));
  if (maps.some((m) => String(m.index) === chosen)) select.value = chosen;
}

function timeLabel(seconds) {
  return new Date(seconds * 1000).toLocaleTimeString([], { hour: '2-digit', minute: '2-digit' });
}

// Line charts over the samples' unix times. No animation: a redraw every 10 s is instant, and
// a day of samples is thinned to what the canvas can show. Chart.js sets the canvas's size
// through its style object, which the page's Content-Security-Policy allows (only inline style
// attributes and style elements would need 'unsafe-inline').
function lineChart(id, series, title) {
  return new Chart($(id), {
    type: 'line',
    data: {
      datasets: series.map(([label, color]) => ({
        label, data: [], borderColor: color, backgroundColor: color,
        borderWidth: 1.5, pointRadius: 0, pointHitRadius: 6,
      })),
    },
    options: {
      animation: false, responsive: true, maintainAspectRatio: false,
      parsing: false, normalized: true, spanGaps: true,
      interaction: { mode: 'nearest', axis: 'x', intersect: false },
      plugins: {
        legend: { display: series.length > 1, labels: { boxWidth: 12 } },
        decimation: { enabled: true, algorithm: 'min-max' },
        tooltip: { callbacks: { title: (items) => timeLabel(items[0].parsed.x) } },
      },
      scales: {
        x: { type: 'linear', ticks: { callback: timeLabel, maxTicksLimit: 6, maxRotation: 0 } },
        y: { beginAtZero: true, title: { display: Boolean(title), text: title } },
      },
    },
  });
}

function makeCharts() {
  // Without the library (blocked or failed to load) the rest of the page still works.
  if (charts || typeof Chart === 'undefined') return;
  charts = {
    players: lineChart('chart-players', [['Players', '#1565c0']], ''),
    rate: lineChart('chart-rate', [['Update rate', '#2e7d32']], ''),
    ticks: lineChart('chart-ticks', [['p50', '#1565c0'], ['p99', '#c62828']], 'ms'),
  };
}

function renderHistory(h) {
  // The chosen span in full, however few samples there are yet.
  const newest = h.time.length ? h.time[h.time.length - 1] : Date.now() / 1000;
  const points = (values) => h.time.map((t, i) => ({ x: t, y: values[i] }));
  const series = {
    players: [h.players], rate: [h.update_rate], ticks: [h.tick_p50_ms, h.tick_p99_ms],
  };
  for (const [name, lines] of Object.entries(series)) {
    const chart = charts[name];
    lines.forEach((values, i) => { chart.data.datasets[i].data = points(values); });
    chart.options.scales.x.min = newest - chartHours * 3600;
    chart.options.scales.x.max = newest;
    chart.update('none');
  }
}

async function readCharts() {
  chartsDue = Date.now() + CHARTS_MS;
  if (!charts) return;
  const result = await api('GET', `/api/history?hours=${chartHours}`);
  if (result.status === 200) renderHistory(result.data);
}

function chooseSpan(hours) {
  chartHours = hours;
  $('span-1').setAttribute('aria-pressed', String(hours === 1));
  $('span-24').setAttribute('aria-pressed', String(hours === 24));
  chartsDue = 0;
  poll();
}

async function readConsole() {
  for (let round = 0; round < 20; ++round) {
    const result = await api('GET', `/api/console?after=${consoleAfter}`);
    if (result.status !== 200) return;
    if (result.data.next < consoleAfter) $('console').replaceChildren();
    appendConsole(result.data.lines);
    consoleAfter = result.data.next;
    if (!result.data.more) return;
  }
}

// One poll at a time: one asked for while another is on its way (after a kick or a command)
// follows it, so two never read the console from the same line and show it twice.
async function poll() {
  if (polling) {
    pollAgain = true;
    return;
  }
  polling = true;
  clearTimeout(pollTimer);
  try {
    await pollOnce();
  } finally {
    polling = false;
  }
  if (!csrf) return;
  if (pollAgain) {
    pollAgain = false;
    poll();
  } else {
    pollTimer = setTimeout(poll, POLL_MS);
  }
}

// One request after the other, so a page holds one connection at a time.
async function pollOnce() {
  if (!csrf) return;
  const status = await api('GET', '/api/status');
  setEngineState(status);
  if (status.status === 200) renderStatus(status.data);
  if (!csrf) return;
  const players = await api('GET', '/api/players');
  if (players.status === 200) renderPlayers(players.data.players);
  if (!csrf) return;
  await readConsole();
  if (!csrf) return;
  if (polls++ % ROTATION_EVERY === 0) {
    const rotation = await api('GET', '/api/rotation');
    if (rotation.status === 200) renderRotation(rotation.data.maps);
  }
  if (!csrf) return;
  if (Date.now() >= chartsDue) await readCharts();
}

async function kickPlayer(id, name) {
  if (!window.confirm(`Kick ${name} (${id})?`)) return;
  actionError(await api('POST', '/api/kick', { id }));
  poll();
}

$('login-form').addEventListener('submit', async (event) => {
  event.preventDefault();
  const result = await api('POST', '/api/login', { password: $('password').value });
  if (result.status === 200) {
    csrf = result.data.csrf;
    sessionStorage.setItem('csrf', csrf);
    $('password').value = '';
    $('login-error').textContent = '';
    showAdmin();
  } else if (result.status === 401) {
    $('login-error').textContent = 'Wrong password.';
  } else if (result.status === 429) {
    $('login-error').textContent = 'Too many failed logins: wait a minute.';
  } else {
    $('login-error').textContent = result.data.error || `error ${result.status}`;
  }
});

$('command-form').addEventListener('submit', async (event) => {
  event.preventDefault();
  const command = $('command').value;
  if (!command) return;
  remember(command);
  const result = await api('POST', '/api/command', { command });
  actionError(result);
  if (result.status === 200) $('command').value = '';
  poll();
});

function remember(command) {
  if (sentCommands[sentCommands.length - 1] !== command) sentCommands.push(command);
  if (sentCommands.length > HISTORY_KEEP) sentCommands.shift();
  historyAt = sentCommands.length;
  typedLine = '';
}

// Up and Down walk back and forth through the commands sent from this page, as in a shell.
$('command').addEventListener('keydown', (event) => {
  if (event.key !== 'ArrowUp' && event.key !== 'ArrowDown') return;
  if (event.altKey || event.ctrlKey || event.metaKey || event.shiftKey) return;
  const field = $('command');
  const next = historyAt + (event.key === 'ArrowUp' ? -1 : 1);
  if (next < 0 || next > sentCommands.length) return;
  event.preventDefault();
  if (historyAt === sentCommands.length) typedLine = field.value;
  historyAt = next;
  field.value = next === sentCommands.length ? typedLine : sentCommands[next];
  field.setSelectionRange(field.value.length, field.value.length);
});

$('map-form').addEventListener('submit', async (event) => {
  event.preventDefault();
  if ($('map').value === '') return;
  actionError(await api('POST', '/api/changemap', { index: Number($('map').value) }));
});

$('restart-form').addEventListener('submit', async (event) => {
  event.preventDefault();
  if (!window.confirm('Restart the server now? The game ends for every player and starts again.')) return;
  const result = await api('POST', '/api/restart');
  actionError(result.status === 202 ? { status: 200 } : result);
});

$('span-1').addEventListener('click', () => chooseSpan(1));
$('span-24').addEventListener('click', () => chooseSpan(24));

$('logout').addEventListener('click', async () => {
  await api('POST', '/api/logout');
  showLogin('');
});

if (csrf) showAdmin(); else showLogin('');
