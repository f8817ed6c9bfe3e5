// The page in a real browser: Debian's chromium, headless, on the site as a
// static host serves it. Loads ?seed=1 and checks the arena, F and the panel,
// S against the desktop runner's drawing of the same generation, a refused
// params.ini, AllWeights.bin across a reload, and a console free of errors.
//
//   node page_test.mjs SITE NATIVE_EVOLVE SOURCE_DIR WORK_DIR
//
// WORK_DIR receives the downloads and page.png, a screenshot of the page.
import { spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { canvasPixels, launch, requireChromium, serve, shownGeneration, watchErrors } from './browser.mjs';

const [site, evolve, source, work] = process.argv.slice(2).map((arg) => resolve(arg));
if (!work) {
  console.error('usage: node page_test.mjs SITE NATIVE_EVOLVE SOURCE_DIR WORK_DIR');
  process.exit(2);
}
requireChromium();

const failures = [];
function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures.push(what);
}

async function until(what, test, seconds = 20) {
  const end = Date.now() + seconds * 1000;
  for (;;) {
    const value = await test();
    if (value) return value;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

rmSync(work, { recursive: true, force: true });
mkdirSync(work, { recursive: true });
const defaultParams = readFileSync(join(source, 'params.ini'), 'utf8');
function paramsWith(name, value) {
  return defaultParams.replace(new RegExp(`^${name} .*$`, 'm'), `${name} ${value}`);
}

// The desktop runner, in a folder of its own with the default params.ini.
function nativeRun(folder, args) {
  mkdirSync(folder, { recursive: true });
  if (!existsSync(join(folder, 'params.ini'))) writeFileSync(join(folder, 'params.ini'), defaultParams);
  return spawnSync(evolve, ['--quiet', ...args], { cwd: folder, encoding: 'utf8' });
}

// A PNG's pixels as RGB bytes, decoded by ImageMagick.
function pngPixels(file) {
  const decoded = spawnSync('convert', [file, '-depth', '8', 'rgb:-'], { maxBuffer: 16 << 20 });
  if (decoded.status !== 0) throw new Error(`convert cannot read ${file}: ${decoded.stderr}`);
  return decoded.stdout;
}

function count(pixels, [r, g, b], step = 4) {
  let n = 0;
  for (let i = 0; i < pixels.length; i += step) n += pixels[i] === r && pixels[i + 1] === g && pixels[i + 2] === b;
  return n;
}

const GREEN = [0, 150, 0], RED = [255, 0, 0], BLUE = [0, 0, 255], BLACK = [0, 0, 0];

async function downloadsInto(page, folder) {
  mkdirSync(folder, { recursive: true });
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder });
}

function finished(folder) {
  return readdirSync(folder).filter((name) => !name.endsWith('.crdownload'));
}

const server = await serve(site);
const browser = await launch();
try {
  const page = await browser.newPage();
  const errors = watchErrors(page);
  const address = `${server.url}?seed=1`;
  const loadStart = Date.now();
  await page.goto(address);
  await until('the first frame', async () => (await shownGeneration(page)) >= 0, 10);
  console.log(`     first frame ${Date.now() - loadStart} ms after the page was asked for`);

  // The arena, as the window shows it.
  check((await page.title()) === 'Vexlora v1.0', 'the title is "Vexlora v1.0"');
  check((await page.$eval('#seed', (e) => e.textContent)).startsWith('Seed 1,'), 'the page shows seed 1');
  await page.keyboard.press('v');
  await new Promise((resolve) => setTimeout(resolve, 700));
  let pixels = await canvasPixels(page);
  let outline = 0;
  for (let i = 171; i <= 340; ++i) {
    for (const [x, y] of [[i, 171], [i, 340], [171, i], [340, i]]) {
      const at = 4 * (y * 512 + x);
      outline += pixels[at] === 0 && pixels[at + 1] === 150 && pixels[at + 2] === 0;
    }
  }
  check(outline > 0.9 * 680, `the central block's outline is drawn (${outline} of 680 border pixels green)`);
  check(count(pixels, GREEN) > outline, 'fungi are drawn');
  check(count(pixels, RED) > 50 && count(pixels, BLACK) > 200, 'red elite and black critters are drawn');
  await page.screenshot({ path: join(work, 'page.png') });

  // F: the statistics panel once a generation, the generations going by.
  await page.keyboard.press('f');
  const before = await shownGeneration(page);
  await until('three generations in fast mode', async () => (await shownGeneration(page)) >= before + 3);
  pixels = await canvasPixels(page);
  check(count(pixels, BLUE) > 0 && count(pixels, RED) > 0 && count(pixels, GREEN) === 0,
        'F shows the statistics panel with both graphs and no arena');
  const later = await shownGeneration(page);
  await until('the generation to advance', async () => (await shownGeneration(page)) > later);
  check(true, 'the generation advances in fast mode');

  // S: the PNG of the picture shown, the desktop runner's drawing of it.
  const pictures = join(work, 'picture');
  await downloadsInto(page, pictures);
  await page.keyboard.press('s');
  const [name] = await until('the PNG', async () => finished(pictures).length === 1 && finished(pictures));
  check(/^vexlora-\d{8}-\d{6}\.png$/.test(name), `S names the file as the window does (${name})`);
  const said = await page.$eval('#status', (e) => e.textContent);
  const generation = Number(/of generation (\d+)/.exec(said)?.[1] ?? -1);
  const reference = nativeRun(join(work, 'native'), ['--seed', '1', '--generations', String(generation),
                                                     '--picture', 'panel.png']);
  check(reference.status === 0, `vexlora-evolve --seed 1 --generations ${generation} --picture ran`);
  const shown = pngPixels(join(pictures, name));
  const drawn = pngPixels(join(work, 'native', 'panel.png'));
  let differing = 0;
  for (let i = 0; i < drawn.length; i += 3) {
    differing += shown[i] !== drawn[i] || shown[i + 1] !== drawn[i + 1] || shown[i + 2] !== drawn[i + 2];
  }
  check(shown.length === 512 * 512 * 3 && differing === 0,
        `S's picture of generation ${generation} equals the desktop drawing pixel for pixel (${differing} differ)`);

  // A params.ini the start-up check refuses: its message, and nothing run.
  writeFileSync(join(work, 'bad.ini'), paramsWith('CritterCount', '0'));
  const refusal = nativeRun(work, ['--params', 'bad.ini']);
  const expected = refusal.stderr.trim().replace(/^vexlora-evolve: /, '');
  const running = await shownGeneration(page);
  await (await page.$('#params-file')).uploadFile(join(work, 'bad.ini'));
  const problem = await until('the refusal', async () => page.$eval('#problem', (e) => !e.hidden && e.textContent));
  check(refusal.status === 2 && problem === expected, `a bad params.ini is refused with "${problem}"`);
  check((await page.$eval('#params-name', (e) => e.textContent)).includes('built-in'), 'the run goes on as it was');
  await until('the run going on', async () => (await shownGeneration(page)) > running);

  // AllWeights.bin, saved by a run, survives a reload. With 10 ticks a
  // generation the first meal saves.
  writeFileSync(join(work, 'short.ini'), paramsWith('TicksPerGeneration', '10'));
  await (await page.$('#params-file')).uploadFile(join(work, 'short.ini'));
  await until('the new run', async () => (await page.$eval('#params-name', (e) => e.textContent)).includes('short.ini'));
  await page.keyboard.press('f');
  await until('a save', async () => (await page.$eval('#weights', (e) => e.textContent)).includes('saved at'));
  // Back to the default parameters, under which the next save is far off:
  // the run starts again from the weights just kept.
  await page.keyboard.press('f');
  writeFileSync(join(work, 'params.ini'), defaultParams);
  await (await page.$('#params-file')).uploadFile(join(work, 'params.ini'));
  await until('the default run', async () => (await page.$eval('#params-name', (e) => e.textContent)).includes('params.ini'));
  const restarted = await page.$eval('#status', (e) => e.textContent);
  check(restarted.includes('Started from the AllWeights.bin kept in this browser'), `a new run: "${restarted}"`);
  await until('the files kept', async () => (await page.$eval('#weights', (e) => e.getAttribute('aria-busy'))) === 'false');
  const saved = join(work, 'saved');
  await downloadsInto(page, saved);
  await page.click('#download-weights');
  await until('AllWeights.bin', async () => finished(saved).includes('AllWeights.bin'));
  const weights = readFileSync(join(saved, 'AllWeights.bin'));
  check(weights.length === 30 * 26 * 8, `the saved AllWeights.bin holds 30 networks of 26 weights (${weights.length} bytes)`);

  await page.reload();
  await until('the first frame after the reload', async () => (await shownGeneration(page)) >= 0, 10);
  const status = await page.$eval('#status', (e) => e.textContent);
  check(status.includes('Started from the AllWeights.bin kept in this browser'), `after a reload: "${status}"`);
  const kept = join(work, 'kept');
  await downloadsInto(page, kept);
  await page.click('#download-weights');
  await until('AllWeights.bin again', async () => finished(kept).includes('AllWeights.bin'));
  check(readFileSync(join(kept, 'AllWeights.bin')).equals(weights), 'AllWeights.bin is the same after the reload');
  await page.click('#download-log');
  await until('Dbg.Log', async () => finished(kept).includes('Dbg.Log'));
  const log = readFileSync(join(kept, 'Dbg.Log'), 'utf8');
  check(log.startsWith('Debug log') && log.includes('Time started'), 'Dbg.Log downloads, this run\'s log');

  // A tick that fails stops the run with the window's message.
  writeFileSync(join(work, 'inputs.ini'), paramsWith('InputCount', '2'));
  await (await page.$('#params-file')).uploadFile(join(work, 'inputs.ini'));
  const stopped = await until('the failed tick', async () => page.$eval('#problem', (e) => !e.hidden && e.textContent));
  check(stopped.startsWith('Wrong amount of NN inputs!'), `a failed tick stops the run: "${stopped}"`);

  // A bad seed in the address is said, not passed over.
  await page.goto(`${server.url}?seed=-4`);
  const bad = await until('the bad seed', async () => page.$eval('#problem', (e) => !e.hidden && e.textContent));
  check(bad.includes('"-4", is not a whole number'), `a bad seed is reported: "${bad}"`);

  check(errors.length === 0, `the console shows no error${errors.length ? ': ' + errors.join('; ') : ''}`);
} catch (error) {
  check(false, String(error.stack || error));
} finally {
  await browser.close();
  server.close();
}
if (failures.length) {
  console.log(`${failures.length} checks failed`);
  process.exit(1);
}
