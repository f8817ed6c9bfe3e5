// The web edition's speed and size, side by side with the desktop runner:
// fast mode in headless chromium against vexlora-evolve on the same seed and
// generations, turn about; the site's files raw and gzip-compressed; the
// first frame after the page is asked for.
//
//   node page_bench.mjs SITE NATIVE_EVOLVE SOURCE_DIR [GENERATIONS] [PAIRS]
import { spawnSync } from 'node:child_process';
import { copyFileSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { gzipSync } from 'node:zlib';
import { launch, requireChromium, serve, shownGeneration } from './browser.mjs';

const [site, evolve, source, generationsText = '200', pairsText = '3'] =
  process.argv.slice(2).map((arg, i) => (i < 3 ? resolve(arg) : arg));
if (!source) {
  console.error('usage: node page_bench.mjs SITE NATIVE_EVOLVE SOURCE_DIR [GENERATIONS] [PAIRS]');
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

function nativeSeconds() {
  const folder = mkdtempSync(join(tmpdir(), 'vexlora-bench-'));
  copyFileSync(join(source, 'params.ini'), join(folder, 'params.ini'));
  const start = process.hrtime.bigint();
  const run = spawnSync(evolve, ['--quiet', '--seed', '1', '--generations', String(generations), '--csv', 'run.csv'],
                        { cwd: folder });
  const seconds = Number(process.hrtime.bigint() - start) / 1e9;
  rmSync(folder, { recursive: true, force: true });
  if (run.status !== 0) throw new Error(`vexlora-evolve failed: ${run.stderr}`);
  return seconds;
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
  const ratios = [];
  for (let pair = 0; pair < pairs; ++pair) {
    const native = generations / nativeSeconds();
    await page.goto(address);
    await page.waitForFunction(() => document.getElementById('view').dataset.generation !== undefined);
    const start = Date.now();
    await page.keyboard.press('f');
    await page.waitForFunction((g) => Number(document.getElementById('view').dataset.generation) >= g,
                               { polling: 'raf', timeout: 0 }, generations);
    const web = (await shownGeneration(page)) / ((Date.now() - start) / 1000);
    ratios.push(web / native);
    console.log(`  pair ${pair + 1}: page ${web.toFixed(1)} generations/s, vexlora-evolve ${native.toFixed(1)}: ` +
                `${(web / native).toFixed(2)} x`);
  }
  console.log(`fast mode in chromium against vexlora-evolve: ${median(ratios).toFixed(2)} x ` +
              `(median of ${pairs} pairs, ${generations} generations of seed 1)`);
} finally {
  await browser.close();
  server.close();
}
