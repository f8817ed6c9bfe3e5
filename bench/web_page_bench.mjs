// The web edition's speed and size, side by side with the desktop runner:
// fast mode in headless chromium against vexlora-evolve on the same seed and
// generations, turn about; the site's files raw and gzip-compressed; the
// first frame after the page is asked for.
//
//   node bench/web_page_bench.mjs SITE NATIVE_EVOLVE SOURCE_DIR [GENERATIONS] [PAIRS]
import { spawnSync } from 'node:child_process';
import { copyFileSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { gzipSync } from 'node:zlib';
import { launch, requireChromium, serve, shownGeneration } from '../tests/web/browser.mjs';

const [site, evolve, source, generationsText = '200', pairsText = '3'] =
  process.argv.slice(2).map((arg, i) => (i < 3 ? resolve(arg) : arg));
if (!source) {
  console.error('usage: node bench/web_page_bench.mjs SITE NATIVE_EVOLVE SOURCE_DIR [GENERATIONS] [PAIRS]');
  process.exit(2);
}
requireChromium();
const generations = Number(generationsText);
const pairs = Number(pairsText);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// The files, as a static host sends them.
let raw = 0, packed = 0;
for (const name of readdirSync(site)) {
  const bytes = readFileSync(join(site, name));
  raw += bytes.length;
  packed += gzipSync(bytes, { level: 9 }).length;
  console.log(`  ${name.padEnd(14)} ${String(bytes.length).padStart(8)} bytes, ${gzipSync(bytes, { level: 9 }).length} gzip-compressed`);
}
console.log(`site: ${(raw / 1024).toFixed(0)} KiB, ${(packed / 1024).toFixed(0)} KiB gzip-compressed`);

// The desktop runner's wall and processor seconds for the generations.
function nativeRun() {
  const folder = mkdtempSync(join(tmpdir(), 'vexlora-bench-'));
  copyFileSync(join(source, 'params.ini'), join(folder, 'params.ini'));
  const start = process.hrtime.bigint();
  const run = spawnSync('bash', ['-c', 'TIMEFORMAT="%U %S"; time "$@" > /dev/null 2>&1', 'bash', evolve, '--quiet',
                                 '--seed', '1', '--generations', String(generations), '--csv', 'run.csv'],
                        { cwd: folder, encoding: 'utf8' });
  const wall = Number(process.hrtime.bigint() - start) / 1e9;
  rmSync(folder, { recursive: true, force: true });
  if (run.status !== 0) throw new Error(`vexlora-evolve failed: ${run.stderr}`);
  const [user, system] = run.stderr.trim().split(' ').map(Number);
  return { wall, cpu: user + system };
}

// The page's renderer thread's processor seconds so far.
async function threadTime(cdp) {
  const { metrics } = await cdp.send('Performance.getMetrics');
  return metrics.find((m) => m.name === 'ThreadTime').value;
}

const server = await serve(site);
const browser = await launch();
try {
  const page = await browser.newPage();
  const address = `${server.url}?seed=1`;

  // The first frame, from the moment the page was asked for.
  const firstFrames = [];
  for (let i = 0; i < 5; ++i) {
    await page.goto(address);
    await page.waitForFunction(() => performance.getEntriesByName('vexlora-first-frame').length > 0);
    firstFrames.push(await page.evaluate(() => performance.getEntriesByName('vexlora-first-frame')[0].startTime));
  }
  console.log(`first frame: ${median(firstFrames).toFixed(0)} ms after the page was asked for ` +
              `(median of 5: ${firstFrames.map((t) => t.toFixed(0)).join(', ')})`);

  // Fast mode from generation 0 to `generations`, against the runner doing
  // the same generations of the same seed.
  // Wall time is what a user sees; processor time (the page's renderer
  // thread, the runner's process) is the same measure undisturbed by other
  // work on the machine.
  const cdp = await page.createCDPSession();
  await cdp.send('Performance.enable');
  const wallRatios = [], cpuRatios = [];
  for (let pair = 0; pair < pairs; ++pair) {
    const native = nativeRun();
    await page.goto(address);
    await page.waitForFunction(() => document.getElementById('view').dataset.generation !== undefined);
    const startCpu = await threadTime(cdp);
    const start = Date.now();
    await page.keyboard.press('f');
    await page.waitForFunction((g) => Number(document.getElementById('view').dataset.generation) >= g,
                               { polling: 'raf', timeout: 0 }, generations);
    const wall = (Date.now() - start) / 1000;
    const cpu = (await threadTime(cdp)) - startCpu;
    const done = await shownGeneration(page);
    const wallRatio = (done / wall) / (generations / native.wall);
    const cpuRatio = (done / cpu) / (generations / native.cpu);
    wallRatios.push(wallRatio);
    cpuRatios.push(cpuRatio);
    console.log(`  pair ${pair + 1}: page ${(done / wall).toFixed(1)} generations/s ` +
                `(${(done / cpu).toFixed(1)} a processor second), vexlora-evolve ${(generations / native.wall).toFixed(1)} ` +
                `(${(generations / native.cpu).toFixed(1)}): ${wallRatio.toFixed(2)} x (${cpuRatio.toFixed(2)} x)`);
  }
  console.log(`fast mode in chromium against vexlora-evolve, ${generations} generations of seed 1, median of ` +
              `${pairs} pairs: ${median(wallRatios).toFixed(2)} x the generations a second ` +
              `(${median(cpuRatios).toFixed(2)} x a processor second)`);
} finally {
  await browser.close();
  server.close();
}
