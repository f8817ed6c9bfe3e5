// What the page's test and benchmark share: the site served on localhost,
// and Debian's chromium, headless, driven by puppeteer-core.
import { createServer } from 'node:http';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';

export const CHROMIUM = process.env.VEXLORA_CHROMIUM || '/usr/bin/chromium';
const PUPPETEER = new URL('./node_modules/puppeteer-core/package.json', import.meta.url);

// Without the browser or puppeteer-core the test cannot run: skipped
// (status 77) on a developer's machine, failed in CI.
export function requireChromium() {
  const missing = [];
  if (!existsSync(CHROMIUM)) missing.push(`${CHROMIUM} (Debian package chromium)`);
  if (!existsSync(PUPPETEER)) missing.push('puppeteer-core (npm ci in tests/web)');
  if (missing.length === 0) return;
  console.error(`not found: ${missing.join(', ')}; scripts/install-deps.sh installs them`);
  process.exit(process.env.CI === 'true' ? 1 : 77);
}

const TYPES = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm' };

// The site's folder as any static host serves it, on a free port.
export async function serve(folder) {
  const server = createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const file = normalize(join(folder, path.endsWith('/') ? path + 'index.html' : path));
    if (!file.startsWith(normalize(folder)) || !existsSync(file)) {
      response.writeHead(404).end('not found');
      return;
    }
    response.writeHead(200, { 'Content-Type': TYPES[extname(file)] || 'application/octet-stream' });
    response.end(readFileSync(file));
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

// A fresh profile each time, so nothing is kept from another run.
export async function launch() {
  const { default: puppeteer } = await import('puppeteer-core');
  const profile = mkdtempSync(join(tmpdir(), 'vexlora-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    args: ['--no-sandbox', '--headless=new', '--disable-gpu', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--no-first-run', `--user-data-dir=${profile}`],
    defaultViewport: { width: 1060, height: 680 },
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// Everything the page says on its console as an error, its uncaught
// exceptions and the requests that failed.
export function watchErrors(page) {
  const errors = [];
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(`console: ${message.text()}`);
  });
  page.on('pageerror', (error) => errors.push(`exception: ${error.message}`));
  page.on('requestfailed', (request) => errors.push(`request failed: ${request.url()}`));
  page.on('response', (response) => {
    if (response.status() >= 400) errors.push(`HTTP ${response.status()}: ${response.url()}`);
  });
  return errors;
}

// The canvas's pixels, as [r, g, b, a] bytes row by row.
export async function canvasPixels(page) {
  const data = await page.evaluate(() => {
    const canvas = document.getElementById('view');
    return Array.from(canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data);
  });
  return Uint8Array.from(data);
}

export async function shownGeneration(page) {
  return Number(await page.$eval('#view', (canvas) => canvas.dataset.generation ?? -1));
}
