// The page's own CPU per update in headless Chromium: cellwatch-log --serve
// on the emulator at the line's full rate (a 112-byte message every 117 ms),
// the page open at 390x844, and Chromium's own count of its main thread's
// busy time (DevTools Performance.getMetrics, TaskDuration) over the rows
// that came meanwhile.
//
//   node page_cpu.mjs LOG_TOOL EMULATOR NODE_MODULES [SECONDS]
// Prints: pagecpu MS_PER_UPDATE UPDATES PERCENT_OF_A_CORE
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { createRequire } from 'node:module';

const [logTool, emulator, modules, secondsText] = process.argv.slice(2);
const seconds = Number(secondsText || 15);
const { chromium } = createRequire(modules + '/')('playwright-core');
const work = mkdtempSync(join(tmpdir(), 'cellwatch-pagecpu-'));
const link = join(work, 'charger');
const children = [];
function until(child, stream, pattern) {
  let text = '';
  return new Promise((resolve, reject) => {
    child[stream].on('data', (d) => { text += d; const m = text.match(pattern); if (m) resolve(m); });
    child.on('exit', () => reject(new Error(text)));
  });
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
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'] });
  const page = await browser.newPage({ viewport: { width: 390, height: 844 } });
  await page.goto(url);
  await page.waitForFunction(() => Number(document.body.dataset.rows || 0) > 5, null, { timeout: 60000 });
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Performance.enable');
  const metric = async () => {
    const { metrics } = await cdp.send('Performance.getMetrics');
    return Object.fromEntries(metrics.map((m) => [m.name, m.value]));
  };
  const rows = () => page.evaluate(() => Number(document.body.dataset.rows));
  const m0 = await metric(); const r0 = await rows();
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const m1 = await metric(); const r1 = await rows();
  const busy = (m1.TaskDuration - m0.TaskDuration) * 1000;
  const updates = r1 - r0;
  const wall = m1.Timestamp - m0.Timestamp;
  console.log(`pagecpu ${(busy / updates).toFixed(3)} ${updates} ${(100 * busy / 1000 / wall).toFixed(2)}`);
  await browser.close();
} finally {
  for (const c of children) c.kill('SIGTERM');
  rmSync(work, { recursive: true, force: true });
}
