// Korvane Server web administration. Every text from the server (names, console lines) goes
// into the page through textContent, never as HTML.
'use strict';

const POLL_MS = 1000;
const ROTATION_EVERY = 10;      // polls between rotation refreshes
const CONSOLE_KEEP = 2000;      // lines kept in the page

const $ = (id) => document.getElementById(id);
let csrf = sessionStorage.getItem('csrf') || '';
let consoleAfter = 0;
let pollTimer = 0;
let polls = 0;

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
  poll();
}

function actionError(result) {
  $('action-error').textContent = result.status === 200 ? '' : (result.data.error || `error ${result.status}`);
}

function setEngineState(result) {
  if (result.status === 503 || result.status === 200) $('engine-state').hidden = result.status !== 503;
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

function renderPlayers(players) {
  const body = $('players').tBodies[0];
  const rows = document.createDocumentFragment();
  for (const p of players) {
    const row = document.createElement('tr');
    row.dataset.id = String(p.id);
    cell(row, String(p.id));
    cell(row, p.name, 'name');
    cell(row, p.team);
    cell(row, p.specialty);
    cell(row, `${p.ping_ms} ms`);
    cell(row, formatDuration(p.connected_seconds));
    const kick = document.createElement('button');
    kick.type = 'button';
    kick.textContent = 'Kick';
    kick.addEventListener('click', () => kickPlayer(p.id, p.name));
    row.insertCell().appendChild(kick);
    rows.appendChild(row);
  }
  body.replaceChildren(rows);
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

// One request after the other, so a page holds one connection at a time.
async function poll() {
  clearTimeout(pollTimer);
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
  if (csrf) pollTimer = setTimeout(poll, POLL_MS);
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
  const result = await api('POST', '/api/command', { command });
  actionError(result);
  if (result.status === 200) $('command').value = '';
  poll();
});

$('map-form').addEventListener('submit', async (event) => {
  event.preventDefault();
  if ($('map').value === '') return;
  actionError(await api('POST', '/api/changemap', { index: Number($('map').value) }));
});

$('logout').addEventListener('click', async () => {
  await api('POST', '/api/logout');
  showLogin('');
});

if (csrf) showAdmin(); else showLogin('');
