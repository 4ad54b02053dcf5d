// How many connections a real browser's page holds to the page's server:
// cellwatch-log --serve on the emulator at the line's full rate (a 112-byte
// message every 117 ms), the page opened at 390x844 in headless Chromium in
// TABS tabs at once (a fresh browser each round). Once every tab has shown a
// row, the server's established TCP connections (/proc/net/tcp, local port
// the page's) are counted when the same ones have stayed for longer than
// the server keeps a connection that sends no request (5 s): what is left is
// what the pages hold. The most seen at once while the tabs loaded is kept too.
//
//   node page_conns.mjs LOG_TOOL EMULATOR NODE_MODULES [TABS...]   (default 1 5)
// Prints one line per round: conns TABS UPDATED SETTLED PEAK
// (UPDATED: tabs that showed a row; SETTLED, PEAK: connections in all).
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { createRequire } from 'node:module';

const [logTool, emulator, modules, ...tabsText] = process.argv.slice(2);
const rounds = (tabsText.length ? tabsText : ['1', '5']).map(Number);
const { chromium } = createRequire(modules + '/')('playwright-core');
const work = mkdtempSync(join(tmpdir(), 'cellwatch-pageconns-'));
const link = join(work, 'charger');
const children = [];
const quietMs = 6000;  // longer than the gate waits for a request head (WebLimits::headMs)
const wait = (ms) => new Promise((r) => setTimeout(r, ms));

function until(child, stream, pattern) {
  let text = '';
  return new Promise((resolve, reject) => {
    child[stream].on('data', (d) => { text += d; const m = text.match(pattern); if (m) resolve(m); });
    child.on('exit', () => reject(new Error(text)));
  });
}

// The established connections whose local end is `port`: "local remote" each.
function established(port) {
  const ends = [];
  for (const file of ['/proc/net/tcp', '/proc/net/tcp6']) {
    let text = '';
    try { text = readFileSync(file, 'utf8'); } catch { continue; }
    for (const line of text.split('\n').slice(1)) {
      const f = line.trim().split(/\s+/);
      if (f.length > 3 && f[3] === '01' && parseInt(f[1].split(':').pop(), 16) === port) {
        ends.push(`${f[1]} ${f[2]}`);
      }
    }
  }
  return ends;
}

// Waits until the same connections have stayed `quietMs`; returns how many.
async function settled(port) {
  const start = Date.now();
  let last = '';
  let since = Date.now();
  for (;;) {
    const now = established(port).sort().join(',');
    if (now !== last) { last = now; since = Date.now(); }
    if (Date.now() - since >= quietMs) return last ? last.split(',').length : 0;
    if (Date.now() - start > 120000) throw new Error('the connections never settled');
    await wait(200);
  }
}

async function round(url, port, tabs) {
  // The previous round's connections are gone first.
  for (let i = 0; established(port).length > 0; ++i) {
    if (i > 300) throw new Error('the last round\'s connections stay');
    await wait(100);
  }
  let peak = 0;
  const sampler = setInterval(() => { peak = Math.max(peak, established(port).length); }, 10);
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'] });
  try {
    const context = await browser.newContext({ viewport: { width: 390, height: 844 } });
    const pages = [];
    for (let i = 0; i < tabs; ++i) pages.push(await context.newPage());
    const shown = await Promise.allSettled(pages.map(async (page) => {
      await page.goto(url);
      await page.waitForFunction(() => Number(document.body.dataset.rows || 0) > 0, null,
        { timeout: 60000 });
    }));
    clearInterval(sampler);
    const updated = shown.filter((s) => s.status === 'fulfilled').length;
    const held = await settled(port);
    console.log(`conns ${tabs} ${updated} ${held} ${peak}`);
  } finally {
    clearInterval(sampler);
    await browser.close();
  }
}

try {
  const emu = spawn(emulator, ['--scenario', 'lipo-charge', '--layout', '112', '--interval-ms', '117',
    '--loop', '--link', link], { stdio: ['ignore', 'pipe', 'pipe'] });
  children.push(emu);
  await until(emu, 'stdout', /\/dev\/\S+/);
  const log = spawn(logTool, ['--port', link, '--no-journal', '--serve', '127.0.0.1:0'],
    { stdio: ['ignore', 'ignore', 'pipe'] });
  children.push(log);
  const [, url] = await until(log, 'stderr', /page at (\S+)/);
  const port = Number(new URL(url).port);
  for (const tabs of rounds) await round(url, port, tabs);
} finally {
  for (const c of children) c.kill('SIGTERM');
  rmSync(work, { recursive: true, force: true });
}
