// The phone page in a real browser: cellwatch-log --serve on the emulator's
// pseudo-terminal, the page loaded in Debian's headless Chromium (driven by
// playwright-core), and what a viewer sees checked as it happens.
//
//   node page_test.mjs LOG_TOOL EMULATOR [SHOTS_FOLDER]
//
// With SHOTS_FOLDER, it also saves the page during a charge at 390x844 and
// 1280x800, in English, Chinese and German (the browser's language).
// Exits 0 when every check passed, 1 on a failure, 77 when there is no
// Chromium (only where CI is not true).
import { spawn } from 'node:child_process';
import { mkdtempSync, existsSync, mkdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import net from 'node:net';
import { createRequire } from 'node:module';

const [logTool, emulator, shots] = process.argv.slice(2);
const CHROMIUM = process.env.CELLWATCH_CHROMIUM || '/usr/bin/chromium';
if (!existsSync(CHROMIUM)) {
  if (process.env.CI === 'true') {
    console.error(`FAIL: no Chromium at ${CHROMIUM} (scripts/setup --dev installs it)`);
    process.exit(1);
  }
  console.log(`SKIP: no Chromium at ${CHROMIUM}; scripts/setup --dev installs it`);
  process.exit(77);
}
const require = createRequire(process.env.CELLWATCH_NODE_MODULES + '/');
const { chromium } = require('playwright-core');

const work = mkdtempSync(join(tmpdir(), 'cellwatch-page-'));
const children = [];
let failures = 0;
let passes = 0;
function check(name, ok, detail = '') {
  if (ok) {
    passes++;
    console.log(`ok   ${name}`);
  } else {
    failures++;
    console.log(`FAIL ${name} ${detail}`);
  }
}

// Starts a program; resolves with its first line on `stream` matching `pattern`.
function start(program, args, stream, pattern) {
  const child = spawn(program, args, { stdio: ['ignore', 'pipe', 'pipe'] });
  children.push(child);
  let text = '';
  const exited = new Promise((resolve) => child.on('exit', (code) => resolve(code)));
  const found = new Promise((resolve, reject) => {
    child[stream].on('data', (chunk) => {
      text += chunk;
      const m = text.match(pattern);
      if (m) resolve(m);
    });
    child.on('exit', (code) => reject(new Error(`${program} ended (${code}) before ${pattern}:\n${text}`)));
  });
  child.stdout.resume();
  return { child, found, exited, text: () => text };
}

// One raw request on its own connection: the whole answer as the server sent it.
function rawRequest(port, request) {
  return new Promise((resolve) => {
    const socket = net.connect(port, '127.0.0.1');
    let answer = '';
    socket.on('connect', () => socket.write(request));
    socket.on('data', (d) => { answer += d; });
    socket.on('close', () => resolve(answer));
    socket.on('error', () => resolve(answer));
  });
}

async function refusals(base, token, port) {
  const forbidden = 'HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n';
  const cases = [
    ['no token', 'GET / HTTP/1.1\r\nHost: x\r\n\r\n'],
    ['the page without its token', 'GET /index.html HTTP/1.1\r\nHost: x\r\n\r\n'],
    ['a wrong token', `GET /${token.replace(/^./, (c) => (c === 'A' ? 'B' : 'A'))}/ HTTP/1.1\r\nHost: x\r\n\r\n`],
    ['a token cut short', `GET /${token.slice(0, -1)}/ HTTP/1.1\r\nHost: x\r\n\r\n`],
    ['the live feed without the token',
      'GET /live HTTP/1.1\r\nHost: x\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n' +
      'Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n'],
    ['a POST with the token', `POST /${token}/ HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n`],
  ];
  for (const [name, request] of cases) {
    const answer = await rawRequest(port, request);
    check(`403 and nothing else: ${name}`, answer === forbidden, JSON.stringify(answer));
  }
  const ok = await fetch(base);
  check('the page with its token', ok.status === 200 && (await ok.text()).includes('page.js'));
}

async function main() {
  const link = join(work, 'charger');
  // Looped: one pass is 7 s, shorter than a loaded machine takes to start Chromium.
  const emu = start(emulator, ['--scenario', 'alarm-cell-high', '--interval-ms', '250',
    '--sim-seconds', '20', '--loop', '--link', link], 'stdout', /\/dev\/\S+/);
  await emu.found;
  const log = start(logTool, ['--port', link, '--no-journal', '--serve', '127.0.0.1:0'],
    'stderr', /page at (http:\/\/127\.0\.0\.1:(\d+)\/([A-Za-z0-9_-]+)\/)/);
  const [, base, portText, token] = await log.found;
  const port = Number(portText);
  check('the address has a 22-character token', token.length === 22, token);

  await refusals(base, token, port);

  const browser = await chromium.launch({
    executablePath: CHROMIUM,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    const context = await browser.newContext({ viewport: { width: 390, height: 844 }, locale: 'en-US' });
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(String(e)));
    await page.goto(base);
    await page.waitForSelector('body[data-link="connected"]', { timeout: 60000 });
    check('the link shows connected', (await page.textContent('#link')) === 'connected');

    // The readouts change and the chart grows as rows come.
    await page.waitForFunction(() => document.getElementById('voltage').textContent !== '–',
      null, { timeout: 60000 });
    const firstCapacity = await page.textContent('#capacity');
    const firstPoints = Number(await page.getAttribute('body', 'data-points'));
    await page.waitForFunction((c) => document.getElementById('capacity').textContent !== c,
      firstCapacity, { timeout: 60000 });
    check('the capacity readout changes', (await page.textContent('#capacity')) !== firstCapacity);
    await page.waitForFunction((n) => Number(document.body.dataset.points) > n + 2, firstPoints,
      { timeout: 60000 });
    check('the chart grows', Number(await page.getAttribute('body', 'data-points')) > firstPoints);
    const bars = await page.$$eval('#bars .bar:not([hidden])', (b) => b.length);
    check('one bar per cell', bars === 4, String(bars));
    check('the spread is shown', /^\d+\.\d\d$/.test(await page.textContent('#spread')));

    // A page opened later gets the recording so far, thinned to its width.
    const late = await context.newPage();
    await late.goto(base);
    await late.waitForFunction(() => Number(document.body.dataset.points) > 0, null, { timeout: 60000 });
    check('a late page has the history', Number(await late.getAttribute('body', 'data-points')) > 2);
    await late.close();

    // The alarm scenario raises cell-high: the band shows it.
    await page.waitForSelector('#band:not([hidden]) li[data-kind="cell-high"]', { timeout: 120000 });
    check('the alarm band shows cell-high', true);

    if (shots) await screenshots(browser, base, shots);

    // The charger goes away: the page says the link is lost.
    emu.child.kill('SIGTERM');
    // (The log then ends, and the page goes on to say it is offline too.)
    await page.waitForSelector('body[data-program-link="lost"] #lostband:not([hidden])',
      { timeout: 60000 }).catch(async (e) => {
      console.log(await page.evaluate(() => JSON.stringify(document.body.dataset)));
      console.log(log.text());
      throw e;
    });
    check('the link loss shows', (await page.textContent('#lostband')).includes(
      'The link to the charger is lost'));
    check('no script errors', errors.length === 0, errors.join('; '));
    await replayedTimes(browser);
  } finally {
    await browser.close();
  }
}

// A capture two hours old, four messages a second, replayed 60 times as
// fast: the session's clock is the capture's. A page opened once the replay
// is a minute past the cell-high alarm shows the alarm at the moment it was
// raised (not the page's own), and its rows four a second keep apart on X.
async function replayedTimes(browser) {
  const pad = (n) => String(n).padStart(2, '0');
  const t0 = new Date(Date.now() - 2 * 3600 * 1000);
  t0.setMilliseconds(0);
  const begin = `${t0.getFullYear()}-${pad(t0.getMonth() + 1)}-${pad(t0.getDate())}T` +
    `${pad(t0.getHours())}:${pad(t0.getMinutes())}:${pad(t0.getSeconds())}`;
  const capture = join(work, 'replay.cwcap');
  // Three charges: 45 s of replay, so a slow machine's pages open before it ends.
  const made = spawn(emulator, ['--scenario', 'alarm-cell-high,lipo-charge,lipo-charge,lipo-charge',
    '--interval-ms', '250',
    '--capture', capture, '--start', begin], { stdio: 'ignore' });
  check('the emulator writes the capture',
    (await new Promise((resolve) => made.on('exit', resolve))) === 0);
  const log = start(logTool, ['--replay', capture, '--speed', '60', '--serve', '127.0.0.1:0'],
    'stderr', /page at (http:\/\/127\.0\.0\.1:\d+\/[A-Za-z0-9_-]+\/)/);
  const [, base] = await log.found;
  const context = await browser.newContext({ viewport: { width: 390, height: 844 }, locale: 'en-US' });
  try {
    const first = await context.newPage();
    await first.goto(base);
    // 0:01:10 on the replay's clock: a minute after the alarm (message 11, 0:00:03).
    await first.waitForFunction(() => {
      const m = /^(\d+):(\d\d):(\d\d)$/.exec(document.getElementById('elapsed').textContent);
      return m && Number(m[1]) * 3600 + Number(m[2]) * 60 + Number(m[3]) >= 70;
    }, null, { timeout: 60000 });
    const page = await context.newPage();
    await page.goto(base);
    const item = await page.waitForSelector('#alarms li[data-kind="cell-high"]', { timeout: 60000 });
    const at = Number(await item.getAttribute('data-at'));
    check('the alarm carries the moment the replay raised it',
      at >= t0.getTime() + 2000 && at <= t0.getTime() + 4000, `${at - t0.getTime()} ms into it`);
    const shown = await item.$eval('.time', (el) => el.textContent);
    const d = new Date(at);
    check('the page shows that time, not its own',
      shown === `${pad(d.getHours())}:${pad(d.getMinutes())}:${pad(d.getSeconds())}`, shown);
    const xs = await page.evaluate(() => main[0].slice());
    check('rows four a second keep apart on X',
      xs.length > 8 && xs.every((x, i) => i === 0 || x > xs[i - 1]) &&
      new Set(xs.map(Math.floor)).size < xs.length, JSON.stringify(xs.slice(0, 8)));
    const text = await item.$eval('.text', (el) => el.textContent);
    check('the alarm reads as the program wrote it',
      /^ — Cell 3 at 4\.\d\d V \(limit 4\.25 V\)$/.test(text), text);
    await languages(browser, base);
    await channels(context, base);
  } finally {
    await context.close();
    log.child.kill('SIGTERM');
  }
}

// The page in the browser's first language where it has its texts (Chinese,
// German), else in English (French): its labels, and the alarm worded from the
// figures the feed sends.
async function languages(browser, base) {
  const cases = [
    ['zh-CN', 'zh-CN', '电压', '电芯电压过高', /^ — 电芯 3 为 4\.\d\d V（上限 4\.25 V）$/],
    ['de-DE', 'de', 'Spannung', 'Zelle zu hoch', /^ — Zelle 3 bei 4\.\d\d V \(Obergrenze 4\.25 V\)$/],
    ['fr-FR', 'en', 'Voltage', 'Cell too high', /^ — Cell 3 at 4\.\d\d V \(limit 4\.25 V\)$/],
  ];
  for (const [locale, lang, voltage, alarm, worded] of cases) {
    const context = await browser.newContext({ viewport: { width: 390, height: 844 }, locale });
    try {
      const page = await context.newPage();
      await page.goto(base);
      const item = await page.waitForSelector('#alarms li[data-kind="cell-high"]', { timeout: 60000 });
      const title = await item.$eval('strong', (el) => el.textContent);
      const text = await item.$eval('.text', (el) => el.textContent);
      check(`a ${locale} browser gets the page in '${lang}'`,
        (await page.evaluate(() => document.documentElement.lang)) === lang &&
        (await page.textContent('[data-text="voltage"]')) === voltage);
      check(`its alarm is worded in '${lang}'`, title === alarm && worded.test(text), `${title}${text}`);
    } finally {
      await context.close();
    }
  }
}

// A charger of two channels, its feed played to the served page: a card
// per channel, and a tap on one shows that channel's readouts and curve.
async function channels(context, base) {
  const row = (ch, n, volts, state) => ({
    n, v: [n, 25, 30, 15, volts, 1.5, 10 * n, 20, 4.1, 4.2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0],
    type: 'LiIo/Po/Fe', state, ms: 1000 * n, ch,
  });
  const page = await context.newPage();
  let feed = null;
  await page.routeWebSocket(/\/live/, (ws) => {
    feed = ws;
    ws.send(JSON.stringify({
      t: 'hello', source: 'duo', link: 'connected', why: '', began: Date.now(), total: 3,
      channels: 2, rows: [row(1, 1, 12.1, '+CHG+'), row(1, 2, 12.2, '+CHG+'), row(2, 1, 8.4, '-DSC-')],
      alarms: [],
    }));
  });
  await page.goto(base);
  await page.waitForFunction(() => document.querySelectorAll('#channels .card').length === 2);
  check('a card per channel, channel 1 chosen',
    await page.evaluate(() => !document.getElementById('channels').hidden &&
      document.getElementById('voltage').textContent === '12.20' && main[0].length === 2));
  check('each card says its channel\'s last row',
    (await page.$eval('#channels [data-ch="2"] .va', (el) => el.textContent)) === '8.40 V · 1.50 A');
  await page.click('#channels [data-ch="2"]');
  check('a tap on channel 2 shows its readouts and curve',
    await page.evaluate(() => document.getElementById('voltage').textContent === '8.40' &&
      document.getElementById('state').textContent === 'discharging' && main[0].length === 1 &&
      document.querySelector('#channels [data-ch="2"]').classList.contains('chosen')));
  feed.send(JSON.stringify({ t: 'row', row: row(1, 3, 12.3, '+CHG+') }));
  await page.waitForFunction(() =>
    document.querySelector('#channels [data-ch="1"] .va').textContent.startsWith('12.30'));
  check('a row of the other channel updates its card only',
    await page.evaluate(() => document.getElementById('voltage').textContent === '8.40' &&
      main[0].length === 1));
  await page.close();
}

async function screenshots(browser, base, folder) {
  mkdirSync(folder, { recursive: true });
  for (const [lang, locale] of [['en', 'en-US'], ['zh', 'zh-CN'], ['de', 'de-DE']]) {
    for (const [w, h] of [[390, 844], [1280, 800]]) {
      const context = await browser.newContext({ viewport: { width: w, height: h }, locale });
      const page = await context.newPage();
      await page.goto(base);
      await page.waitForFunction(() => Number(document.body.dataset.points) > 5, null, { timeout: 60000 });
      await page.waitForTimeout(300);  // the next frame is drawn (a picture, not a check)
      await page.screenshot({ path: join(folder, `page-${lang}-${w}x${h}.png`), fullPage: true });
      await context.close();
    }
  }
}

const watchdog = setTimeout(() => {
  console.log('FAIL the test took over 280 s');
  for (const c of children) c.kill('SIGKILL');
  process.exit(1);
}, 280000);
try {
  await main();
} catch (e) {
  failures++;
  console.log(`FAIL ${e.stack || e}`);
} finally {
  clearTimeout(watchdog);
  for (const c of children) if (c.exitCode === null) c.kill('SIGTERM');
  rmSync(work, { recursive: true, force: true });
}
console.log(`${passes} passed, ${failures} failed`);
process.exit(failures ? 1 : 0);
