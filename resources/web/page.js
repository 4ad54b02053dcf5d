// The phone page: a read-only view of one live recording, fed over a
// WebSocket by the program's page feed. It sends nothing to the program.
'use strict';

const TEXTS = {
  en: {
    title: 'Cellwatch', connecting: 'connecting…', connected: 'connected', replaying: 'replaying',
    disconnected: 'disconnected', lost: 'link lost', waitingforadapter: 'link lost: waiting',
    offline: 'page offline', voltage: 'Voltage', current: 'Current', capacity: 'Capacity',
    power: 'Power', state: 'State', elapsed: 'Time', extTemp: 'External temp.',
    intTemp: 'Internal temp.', input: 'Input voltage', type: 'Battery', cells: 'Cells',
    average: 'Average', highest: 'Highest', lowest: 'Lowest', spread: 'Spread',
    curves: 'Since the start', cellCurves: 'Cells since the start',
    readOnly: 'Read-only view: nothing here changes the program or the charger.',
    notify: 'Notify me of alarms', lostBand: 'The link to the charger is lost',
    offlineBand: 'The page lost its connection to the program; trying again…',
    charge: 'charging', discharge: 'discharging', idle: 'idle',
    'cell-high': 'Cell too high', 'cell-low': 'Cell too low', 'cell-spread': 'Cells apart',
    temperature: 'Too hot', 'input-low': 'Input voltage low', finished: 'Finished',
    stalled: 'Stalled', 'lost-alarm': 'Link lost', cell: 'Cell', channel: 'Channel',
    worst: 'Worst cell',
    // An alarm's text from its figures (see alarmText).
    'a-cell-high': 'Cell {cell} at {v} V (limit {limit} V)',
    'a-cell-low': 'Cell {cell} at {v} V (limit {limit} V)',
    'a-cell-spread': 'Cells {spread} V apart: cell {cell} at {v} V, cell {low} at {lowV} V (limit {limit} V)',
    'a-ext': 'External temperature {ext} °C (limit {extLimit} °C)',
    'a-int': 'Internal temperature {int} °C (limit {intLimit} °C)',
    'a-ext-int': 'External temperature {ext} °C (limit {extLimit} °C); internal temperature {int} °C (limit {intLimit} °C)',
    'a-input-low': 'Input at {v} V (limit {limit} V)',
    'a-finished-charge': 'The charge finished after {last} (no charging or discharging for {s} s)',
    'a-finished-discharge': 'The discharge finished after {last} (no charging or discharging for {s} s)',
    'a-stalled-charge': 'No new row for {s} s while the charge was running (last row at {last})',
    'a-stalled-discharge': 'No new row for {s} s while the discharge was running (last row at {last})',
    'a-lost-charge': 'Link lost during the charge, last row at {last}',
    'a-lost-discharge': 'Link lost during the discharge, last row at {last}',
    'a-lost-charge-why': 'Link lost during the charge, last row at {last}: {reason}',
    'a-lost-discharge-why': 'Link lost during the discharge, last row at {last}: {reason}',
  },
  zh: {
    title: 'Cellwatch', connecting: '正在连接…', connected: '已连接', replaying: '回放中',
    disconnected: '未连接', lost: '连接中断', waitingforadapter: '连接中断：等待中',
    offline: '页面离线', voltage: '电压', current: '电流', capacity: '容量', power: '功率',
    state: '状态', elapsed: '时间', extTemp: '外部温度', intTemp: '内部温度', input: '输入电压',
    type: '电池', cells: '电芯', average: '平均', highest: '最高', lowest: '最低', spread: '压差',
    curves: '自开始以来', cellCurves: '电芯曲线',
    readOnly: '只读页面：这里的任何操作都不会改变程序或充电器。',
    notify: '报警时通知我', lostBand: '与充电器的连接已中断',
    offlineBand: '页面与程序的连接已断开，正在重试…',
    charge: '充电中', discharge: '放电中', idle: '空闲',
    'cell-high': '电芯电压过高', 'cell-low': '电芯电压过低', 'cell-spread': '电芯压差过大',
    temperature: '温度过高', 'input-low': '输入电压过低', finished: '已完成', stalled: '停滞',
    'lost-alarm': '连接中断', cell: '电芯', channel: '通道', worst: '最差电芯',
    'a-cell-high': '电芯 {cell} 为 {v} V（上限 {limit} V）',
    'a-cell-low': '电芯 {cell} 为 {v} V（下限 {limit} V）',
    'a-cell-spread': '电芯压差 {spread} V：电芯 {cell} 为 {v} V，电芯 {low} 为 {lowV} V（上限 {limit} V）',
    'a-ext': '外部温度 {ext} °C（上限 {extLimit} °C）',
    'a-int': '内部温度 {int} °C（上限 {intLimit} °C）',
    'a-ext-int': '外部温度 {ext} °C（上限 {extLimit} °C）；内部温度 {int} °C（上限 {intLimit} °C）',
    'a-input-low': '输入电压 {v} V（下限 {limit} V）',
    'a-finished-charge': '充电已结束，用时 {last}（{s} 秒无充放电）',
    'a-finished-discharge': '放电已结束，用时 {last}（{s} 秒无充放电）',
    'a-stalled-charge': '充电进行中 {s} 秒没有新数据（最后一行在 {last}）',
    'a-stalled-discharge': '放电进行中 {s} 秒没有新数据（最后一行在 {last}）',
    'a-lost-charge': '充电中连接中断，最后一行在 {last}',
    'a-lost-discharge': '放电中连接中断，最后一行在 {last}',
    'a-lost-charge-why': '充电中连接中断，最后一行在 {last}：{reason}',
    'a-lost-discharge-why': '放电中连接中断，最后一行在 {last}：{reason}',
  },
  de: {
    title: 'Cellwatch', connecting: 'verbinde…', connected: 'verbunden', replaying: 'Wiedergabe',
    disconnected: 'getrennt', lost: 'Verbindung verloren', waitingforadapter: 'Verbindung verloren: warte',
    offline: 'Seite offline', voltage: 'Spannung', current: 'Strom', capacity: 'Kapazität',
    power: 'Leistung', state: 'Zustand', elapsed: 'Zeit', extTemp: 'Externe Temp.',
    intTemp: 'Interne Temp.', input: 'Eingangsspannung', type: 'Akku', cells: 'Zellen',
    average: 'Mittel', highest: 'Höchste', lowest: 'Niedrigste', spread: 'Differenz',
    curves: 'Seit dem Start', cellCurves: 'Zellen seit dem Start',
    readOnly: 'Nur zum Ansehen: nichts hier ändert das Programm oder das Ladegerät.',
    notify: 'Bei Alarmen benachrichtigen', lostBand: 'Die Verbindung zum Ladegerät ist verloren',
    offlineBand: 'Die Seite hat die Verbindung zum Programm verloren; neuer Versuch…',
    charge: 'lädt', discharge: 'entlädt', idle: 'Leerlauf',
    'cell-high': 'Zelle zu hoch', 'cell-low': 'Zelle zu niedrig', 'cell-spread': 'Zellen auseinander',
    temperature: 'Zu heiß', 'input-low': 'Eingangsspannung niedrig', finished: 'Fertig',
    stalled: 'Stockt', 'lost-alarm': 'Verbindung verloren', cell: 'Zelle', channel: 'Kanal',
    worst: 'Schlechteste Zelle',
    'a-cell-high': 'Zelle {cell} bei {v} V (Obergrenze {limit} V)',
    'a-cell-low': 'Zelle {cell} bei {v} V (Untergrenze {limit} V)',
    'a-cell-spread': 'Zellen {spread} V auseinander: Zelle {cell} bei {v} V, Zelle {low} bei {lowV} V (Grenze {limit} V)',
    'a-ext': 'Externe Temperatur {ext} °C (Grenze {extLimit} °C)',
    'a-int': 'Interne Temperatur {int} °C (Grenze {intLimit} °C)',
    'a-ext-int': 'Externe Temperatur {ext} °C (Grenze {extLimit} °C); interne Temperatur {int} °C (Grenze {intLimit} °C)',
    'a-input-low': 'Eingangsspannung {v} V (Untergrenze {limit} V)',
    'a-finished-charge': 'Die Ladung endete nach {last} (seit {s} s kein Laden oder Entladen)',
    'a-finished-discharge': 'Die Entladung endete nach {last} (seit {s} s kein Laden oder Entladen)',
    'a-stalled-charge': 'Seit {s} s keine neue Zeile während der Ladung (letzte Zeile bei {last})',
    'a-stalled-discharge': 'Seit {s} s keine neue Zeile während der Entladung (letzte Zeile bei {last})',
    'a-lost-charge': 'Verbindung während der Ladung verloren, letzte Zeile bei {last}',
    'a-lost-discharge': 'Verbindung während der Entladung verloren, letzte Zeile bei {last}',
    'a-lost-charge-why': 'Verbindung während der Ladung verloren, letzte Zeile bei {last}: {reason}',
    'a-lost-discharge-why': 'Verbindung während der Entladung verloren, letzte Zeile bei {last}: {reason}',
  },
};

// The browser's first language where the page has its texts (a key of
// TEXTS: a new language is its table there), else English.
const FIRST = String((navigator.languages || [navigator.language || 'en'])[0] || 'en').toLowerCase();
const LANG = Object.keys(TEXTS).find((key) => FIRST.startsWith(key)) || 'en';
const T = TEXTS[LANG];
document.documentElement.lang = { zh: 'zh-CN' }[LANG] || LANG;
for (const el of document.querySelectorAll('[data-text]')) {
  el.textContent = T[el.dataset.text] || '';
}

// Page fields, as the feed sends them.
const F = { elapsed: 0, ext: 1, int: 2, input: 3, volt: 4, curr: 5, cap: 6, power: 7, cell1: 8 };
const CELLS = 12;
const $ = (id) => document.getElementById(id);

function fixed(v, digits) { return v === null || v === undefined ? '–' : v.toFixed(digits); }
function clock(seconds) {
  const s = Math.max(0, Math.round(seconds));
  const h = Math.floor(s / 3600), m = Math.floor(s / 60) % 60, r = s % 60;
  return `${h}:${String(m).padStart(2, '0')}:${String(r).padStart(2, '0')}`;
}
function stateText(state) {
  if (state === '+CHG+') return T.charge;
  if (state === '-DSC-') return T.discharge;
  if (state === 'Idle') return T.idle;
  return state || '–';
}
function alarmTitle(kind) { return T[kind === 'lost' ? 'lost-alarm' : kind] || kind; }
// An alarm's text in the page's language, from the figures it carries (the
// feed's "fig"); one without them, or of a kind the page does not know, as
// the program wrote it.
function alarmForm(kind, f) {
  switch (kind) {
    case 'cell-high': case 'cell-low': case 'cell-spread': case 'input-low':
      return `a-${kind}`;
    case 'temperature':
      return 'ext' in f ? ('int' in f ? 'a-ext-int' : 'a-ext') : 'a-int';
    case 'finished': case 'stalled':
      return `a-${kind}-${f.run}`;
    case 'lost':
      return `a-lost-${f.run}${f.reason ? '-why' : ''}`;
    default:
      return '';
  }
}
function alarmText(alarm) {
  const f = alarm.fig;
  const form = f && typeof f === 'object' ? T[alarmForm(alarm.kind, f)] : undefined;
  if (!form) return alarm.text;
  const shown = (key) => {
    const v = f[key];
    if (key === 'last') return clock(v);
    if (typeof v !== 'number') return String(v);
    return ['v', 'limit', 'lowV', 'spread'].includes(key) ? v.toFixed(2) : String(v);
  };
  return form.replace(/\{(\w+)\}/g, (m, key) => (key in f ? shown(key) : m));
}

// --- the curves -----------------------------------------------------------------------------
const main = [[], [], [], [], []];  // seconds, V, A, mAh, °C
const cells = [[]];
for (let i = 0; i < CELLS; i++) cells.push([]);
let cellCount = 0;

const axisFont = '11px system-ui, sans-serif';
function timeAxis() {
  return { font: axisFont, values: (u, ticks) => ticks.map((t) => clock(t)), space: 70 };
}
function width(el) { return Math.max(200, el.clientWidth); }
function height() { return window.innerWidth < 600 ? 200 : 260; }

const chart = new uPlot({
  width: width($('chart')), height: height(),
  scales: { x: { time: false }, V: {}, A: {}, mAh: {}, C: {} },
  legend: { live: false },
  cursor: { show: false },
  series: [
    {},
    { label: `${T.voltage} (V)`, scale: 'V', stroke: '#0b62d6', width: 1.5, points: { show: false } },
    { label: `${T.current} (A)`, scale: 'A', stroke: '#c2410c', width: 1.5, points: { show: false } },
    { label: `${T.capacity} (mAh)`, scale: 'mAh', stroke: '#2c9a4b', width: 1.5, points: { show: false } },
    { label: `${T.extTemp} (°C)`, scale: 'C', stroke: '#8b5cf6', width: 1.5, points: { show: false } },
  ],
  axes: [timeAxis(), { scale: 'V', font: axisFont, size: 52 },
    { scale: 'A', side: 1, font: axisFont, size: 40, grid: { show: false } }],
}, main, $('chart'));

const cellColours = ['#0b62d6', '#c2410c', '#2c9a4b', '#8b5cf6', '#db2777', '#0891b2',
  '#a16207', '#4b5563', '#16a34a', '#dc2626', '#7c3aed', '#0d9488'];
const cellChart = new uPlot({
  width: width($('cellchart')), height: height(),
  scales: { x: { time: false }, y: {} },
  legend: { live: false },
  cursor: { show: false },
  series: [{}].concat(cellColours.map((c, i) => ({
    label: `${T.cell} ${i + 1}`, stroke: c, width: 1.2, show: false, points: { show: false } }))),
  axes: [timeAxis(), { font: axisFont, size: 52 }],
}, cells, $('cellchart'));

function showCells(count) {
  if (count === cellCount) return;
  cellCount = count;
  for (let i = 0; i < CELLS; i++) cellChart.setSeries(i + 1, { show: i < count });
}

let drawPending = false;
function draw() {
  if (drawPending) return;
  drawPending = true;
  requestAnimationFrame(() => {
    drawPending = false;
    chart.setData(main);
    cellChart.setData(cells);
    document.body.dataset.points = String(main[0].length);
    document.body.dataset.cellPoints = String(cells[0].length);
  });
}

function clearCurves() {
  for (const s of main) s.length = 0;
  for (const s of cells) s.length = 0;
}

// A row's X: its arrival on the recording's time base, to the millisecond
// (the elapsed column counts whole seconds, and rows may come faster).
function rowX(row) {
  return typeof row.ms === 'number' ? row.ms / 1000 : row.v[F.elapsed];
}

function addPoint(row) {
  const v = row.v;
  // Never back: rows from before the feed began carry their elapsed
  // seconds only, rounded, and the chart's X must not fall.
  const x = Math.max(rowX(row), main[0].length ? main[0][main[0].length - 1] : -Infinity);
  main[0].push(x);
  main[1].push(v[F.volt]);
  main[2].push(v[F.curr]);
  main[3].push(v[F.cap]);
  main[4].push(v[F.ext]);
  cells[0].push(x);
  for (let i = 0; i < CELLS; i++) {
    const c = v[F.cell1 + i];
    cells[i + 1].push(c ? c : null);
  }
}

// --- the readouts and cell bars ------------------------------------------------------------
const bars = [];
function bar(i) {
  while (bars.length <= i) {
    const el = document.createElement('div');
    el.className = 'bar';
    el.innerHTML = '<div class="track"><div class="fill"></div></div><span class="v"></span>' +
      '<span class="n"></span>';
    el.querySelector('.n').textContent = String(bars.length + 1);
    $('bars').appendChild(el);
    bars.push(el);
  }
  return bars[i];
}

function showRow(row) {
  const v = row.v;
  $('voltage').textContent = fixed(v[F.volt], 2);
  $('current').textContent = fixed(v[F.curr], 2);
  $('capacity').textContent = fixed(v[F.cap], 0);
  $('power').textContent = fixed(v[F.power], 2);
  $('extTemp').textContent = fixed(v[F.ext], 0);
  $('intTemp').textContent = fixed(v[F.int], 0);
  $('input').textContent = fixed(v[F.input], 2);
  $('elapsed').textContent = v[F.elapsed] === null ? '–' : clock(v[F.elapsed]);
  $('state').textContent = stateText(row.state);
  $('type').textContent = row.type || '–';
  const present = [];
  for (let i = 0; i < CELLS; i++) {
    const c = v[F.cell1 + i];
    if (c) present.push([i, c]);
  }
  const count = present.length ? present[present.length - 1][0] + 1 : 0;
  showCells(count);
  const values = present.map((p) => p[1]);
  const hi = values.length ? Math.max(...values) : null;
  const lo = values.length ? Math.min(...values) : null;
  const avg = values.length ? values.reduce((a, b) => a + b, 0) / values.length : null;
  $('avg').textContent = fixed(avg, 3);
  $('max').textContent = fixed(hi, 2);
  $('min').textContent = fixed(lo, 2);
  $('spread').textContent = hi === null ? '–' : fixed(hi - lo, 2);
  // Bars from 3.0 V (empty) to 4.3 V (full) for lithium, scaled to the pack otherwise.
  const top = row.type === 'Pb' ? 2.5 : row.type && row.type.startsWith('Ni') ? 1.6 : 4.3;
  const bottom = top * 0.7;
  for (let i = 0; i < Math.max(count, bars.length); i++) {
    const el = bar(i);
    const c = v[F.cell1 + i];
    el.hidden = i >= count;
    const part = c ? Math.min(1, Math.max(0.02, (c - bottom) / (top - bottom))) : 0;
    el.querySelector('.fill').style.height = `${(part * 100).toFixed(1)}%`;
    el.querySelector('.v').textContent = c ? c.toFixed(2) : '–';
    // The one cell above (or below) all others, once they are 0.05 V apart.
    const apart = values.length > 1 && hi - lo > 0.05;
    el.classList.toggle('high', apart && c === hi && values.filter((x) => x === hi).length === 1);
    el.classList.toggle('low', apart && c === lo && values.filter((x) => x === lo).length === 1);
  }
  document.body.dataset.rows = String(row.n);
}

// --- alarms and the link -------------------------------------------------------------------
let began = 0;
// The time of day, HH:MM:SS on the viewer's clock face, as the window's band shows it.
function timeOfDay(ms) {
  const d = new Date(ms);
  return [d.getHours(), d.getMinutes(), d.getSeconds()]
    .map((n) => String(n).padStart(2, '0')).join(':');
}
// An alarm carries the moment the session raised it; a feed without it
// (an older program) leaves the time empty rather than guess.
function showAlarm(alarm, live) {
  const li = document.createElement('li');
  const time = document.createElement('span');
  time.className = 'time';
  const at = typeof alarm.at === 'number' && alarm.at > 0 ? alarm.at : null;
  time.textContent = at === null ? '' : timeOfDay(at);
  if (at !== null) li.dataset.at = String(at);
  const title = document.createElement('strong');
  title.textContent = alarmTitle(alarm.kind);
  if (channels > 1) {
    li.dataset.ch = String(chOf(alarm));
    title.textContent = `${T.channel} ${chOf(alarm)} · ${title.textContent}`;
  }
  const text = document.createElement('span');
  text.className = 'text';
  text.textContent = ` — ${alarmText(alarm)}`;
  li.dataset.kind = alarm.kind;
  li.append(time, title, text);
  $('alarms').prepend(li);
  $('band').hidden = false;
  document.body.dataset.alarms = String($('alarms').children.length);
  if (live && 'Notification' in window && Notification.permission === 'granted') {
    try { new Notification(alarmTitle(alarm.kind), { body: alarmText(alarm), tag: alarm.kind }); }
    catch (e) { /* a page in a tab without notifications */ }
  }
  offerNotifications();
}
function offerNotifications() {
  const button = $('notify');
  button.hidden = !('Notification' in window) || Notification.permission !== 'default';
}
$('notify').addEventListener('click', () => {
  Notification.requestPermission().then(offerNotifications, offerNotifications);
});

// The program's last word on the link stays when the page goes offline
// (cellwatch-log ends once its port is lost).
let programLink = 'connecting';
function showLink(link) {
  const key = String(link).toLowerCase();
  if (key !== 'offline') programLink = key;
  document.body.dataset.link = key;
  document.body.dataset.programLink = programLink;
  $('link').textContent = T[key] || key;
  const lost = programLink === 'lost' || programLink === 'waitingforadapter';
  $('lostband').hidden = !(lost || key === 'offline');
  $('lostband').textContent = [lost ? T.lostBand : '', key === 'offline' ? T.offlineBand : '']
    .filter((t) => t).join(' · ');
}

function clearAlarms() {
  $('alarms').replaceChildren();
  $('band').hidden = true;
  document.body.dataset.alarms = '0';
}

// --- the channels of a charger of several ---------------------------------------------------
// Each channel's rows are kept; a card per channel shows its last one, and a
// tap on a card chooses the channel the chart and readouts show. A message
// without "ch" is channel 1's; a charger of one channel shows no cards.
let channels = 1;
let chosen = 1;
const kept = new Map();  // channel -> its rows
function chOf(x) { return typeof x.ch === 'number' ? x.ch : 1; }
function rowsOf(ch) {
  if (!kept.has(ch)) kept.set(ch, []);
  return kept.get(ch);
}
function worstCell(v) {
  const present = [];
  for (let i = 0; i < CELLS; i++) if (v[F.cell1 + i]) present.push([i, v[F.cell1 + i]]);
  if (!present.length) return '–';
  const mean = present.reduce((a, p) => a + p[1], 0) / present.length;
  let worst = present[0];
  for (const p of present) if (Math.abs(p[1] - mean) > Math.abs(worst[1] - mean)) worst = p;
  return `C${worst[0] + 1} ${worst[1].toFixed(2)}`;
}
function card(ch) {
  let el = $('channels').querySelector(`[data-ch="${ch}"]`);
  if (!el) {
    el = document.createElement('button');
    el.type = 'button';
    el.className = 'card';
    el.dataset.ch = String(ch);
    el.innerHTML = '<strong class="title"></strong><span class="state"></span>' +
      '<span class="va"></span><span class="mah"></span><span class="worst"></span>';
    el.querySelector('.title').textContent = `${T.channel} ${ch}`;
    el.addEventListener('click', () => choose(ch));
    $('channels').appendChild(el);
  }
  return el;
}
function showCard(ch) {
  const el = card(ch);
  const rows = rowsOf(ch);
  const row = rows.length ? rows[rows.length - 1] : null;
  el.classList.toggle('chosen', ch === chosen);
  el.querySelector('.state').textContent = row ? stateText(row.state) : '–';
  el.querySelector('.va').textContent =
    row ? `${fixed(row.v[F.volt], 2)} V · ${fixed(row.v[F.curr], 2)} A` : '–';
  el.querySelector('.mah').textContent = row ? `${fixed(row.v[F.cap], 0)} mAh` : '–';
  el.querySelector('.worst').textContent = row ? `${T.worst}: ${worstCell(row.v)}` : '';
}
function showCards() {
  $('channels').hidden = channels < 2;
  if (channels < 2) return;
  for (let ch = 1; ch <= channels; ch++) showCard(ch);
  document.body.dataset.channel = String(chosen);
}
function replot() {
  clearCurves();
  const rows = rowsOf(chosen);
  for (const row of rows) addPoint(row);
  if (rows.length) showRow(rows[rows.length - 1]);
  draw();
}
function choose(ch) {
  chosen = ch;
  replot();
  showCards();
}

// --- the feed ------------------------------------------------------------------------------
function onMessage(m) {
  switch (m.t) {
    case 'hello':
      clearCurves();
      clearAlarms();
      began = m.began;
      $('source').textContent = m.source || '';
      channels = typeof m.channels === 'number' ? m.channels : 1;
      kept.clear();
      $('channels').replaceChildren();
      if (channels > 1) {
        chosen = Math.min(chosen, channels);
        for (const row of m.rows) rowsOf(chOf(row)).push(row);
        replot();
      } else {
        chosen = 1;
        for (const row of m.rows) addPoint(row);
        if (m.rows.length) showRow(m.rows[m.rows.length - 1]);
      }
      for (const a of m.alarms) showAlarm(a, false);
      showLink(m.link);
      showCards();
      draw();
      break;
    case 'row':
      if (channels > 1) rowsOf(chOf(m.row)).push(m.row);
      if (chOf(m.row) === chosen) {
        addPoint(m.row);
        showRow(m.row);
        draw();
      }
      if (channels > 1) showCard(chOf(m.row));
      break;
    case 'alarm':
      showAlarm(m.alarm, true);
      break;
    case 'link':
      showLink(m.link);
      break;
    case 'reset':
      if (channels > 1) {
        rowsOf(chOf(m)).length = 0;
        for (const li of [...$('alarms').children]) if (li.dataset.ch === String(chOf(m))) li.remove();
        document.body.dataset.alarms = String($('alarms').children.length);
        $('band').hidden = !$('alarms').children.length;
        showCard(chOf(m));
        if (chOf(m) !== chosen) break;
      } else {
        clearAlarms();
      }
      began = m.began;
      clearCurves();
      draw();
      break;
    default:
      break;
  }
  return began;
}

function connect() {
  const points = Math.round(Math.min(4000, Math.max(100, window.innerWidth)));
  const scheme = location.protocol === 'https:' ? 'wss:' : 'ws:';
  const url = new URL(`live?points=${points}`, location.href);
  url.protocol = scheme;
  const socket = new WebSocket(url.href);
  socket.onmessage = (event) => {
    try { onMessage(JSON.parse(event.data)); } catch (e) { /* one bad message */ }
  };
  socket.onclose = () => {
    showLink('offline');
    setTimeout(connect, 3000);
  };
}

window.addEventListener('resize', () => {
  chart.setSize({ width: width($('chart')), height: height() });
  cellChart.setSize({ width: width($('cellchart')), height: height() });
});
offerNotifications();
connect();
