// The web page that antenne-export writes, in Firefox ESR: Debian's
// firefox-esr, headless, driven over WebDriver BiDi by puppeteer-core (npm,
// pinned in package.json, installed by `npm ci` into node_modules/). One
// Firefox for every check: a scene played to its end, and every scenario's
// last picture, show the exporter's pixels; the laboratory opened on a link
// shows the native model's figures and analysis for that link, and draws its
// curves, complex plane and Bode; nothing reaches the console on either view.
// The laboratory is read through its page only (the DOM), as a user sees it.
//
//   node firefox.mjs ANTENNE_EXPORT LABO_REFERENCE
//
// Exits 1 if a check failed, 77 (CTest's "skipped") without firefox-esr or
// puppeteer-core.
import { execFileSync } from 'node:child_process';
import { accessSync, constants, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

const FIREFOX = '/usr/bin/firefox-esr';

// The scenario played in real time to its end; the others are sent to their
// end with the End key.
const PLAYED = 'aperiodique';

// The set-ups whose figures are compared with the native model's.
const LINKS = [
  'K=64.2',
  'preset=perturbationPI',
  'regulateur=PID&K=120&Ti=3&Td=0.4&N=8&entree=rampe',
  'preset=instabilite',
  'preset=avancePhase',
];

// The laboratory's views: each holder's canvases must show something.
const VIEWS = ['#courbe-position', '#plan-complexe', '#bode'];
// Black and Nyquist, under them.
const FREQUENCY_VIEWS = ['#black', '#nyquist'];

class Failure extends Error {}

function check(condition, message) {
  if (!condition) throw new Failure(message);
}

function skip(why) {
  console.log(`skipped: ${why}`);
  process.exit(77);
}

// Runs antenne-export, which must succeed and print nothing.
function exportWith(program, ...args) {
  let printed;
  try {
    printed = execFileSync(program, args, { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' },
                                            encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
  } catch (error) {
    throw new Failure(`antenne-export ${args.join(' ')}: exit ${error.status}, printed ${error.stdout}${error.stderr}`);
  }
  check(printed === '', `antenne-export ${args.join(' ')} printed ${JSON.stringify(printed)}`);
}

// The native model's report of each link: one JSON line a link.
function native(reference, links) {
  const lines = execFileSync(reference, links, { encoding: 'utf8', maxBuffer: 256 << 20 }).trim().split('\n');
  return lines.map((line) => JSON.parse(line).report);
}

// The scenarios as the page holds them: their names and frame counts, in
// the order of their buttons.
function scenarios(page) {
  const data = /<script type="application\/json" id="donnees">(.*?)<\/script>/s.exec(readFileSync(page, 'utf8'));
  return JSON.parse(data[1]).scenarios.map(({ name, frames }) => ({ name, frames }));
}

// In the page: the number of the canvas's pixels that differ from the PNG
// (base64), or a message. Both are decoded without any colour conversion.
async function differingPixels(png) {
  const decode = async (b64) => {
    const bytes = Uint8Array.from(atob(b64), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/png' }),
                                           { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
    const context = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
    context.drawImage(bitmap, 0, 0);
    return context.getImageData(0, 0, bitmap.width, bitmap.height);
  };
  const want = await decode(png);
  const got = await decode(document.getElementById('image').toDataURL('image/png').split(',')[1]);
  if (got.width !== want.width || got.height !== want.height)
    return `canvas ${got.width} x ${got.height}, picture ${want.width} x ${want.height}`;
  let differ = 0;
  for (let i = 0; i < want.data.length; i += 4)
    if (want.data[i] !== got.data[i] || want.data[i + 1] !== got.data[i + 1] || want.data[i + 2] !== got.data[i + 2])
      ++differ;
  return differ;
}

// In the page: the selectors among `holders` with no canvas, or a canvas
// all of one colour.
function blankViews(holders) {
  return holders.filter((holder) => {
    const canvases = Array.from(document.querySelectorAll(`${holder} canvas`));
    return canvases.length === 0 || canvases.some((canvas) => {
      if (!canvas.width || !canvas.height) return true;
      const copy = new OffscreenCanvas(canvas.width, canvas.height).getContext('2d');
      copy.drawImage(canvas, 0, 0);
      const pixels = new Uint32Array(copy.getImageData(0, 0, canvas.width, canvas.height).data.buffer);
      return pixels.every((pixel) => pixel === pixels[0]);
    });
  });
}

function rows(selector) {
  return Array.from(document.querySelectorAll(`${selector} tr`), (r) => [r.cells[0].textContent, r.cells[1].textContent]);
}

class FirefoxChecks {
  constructor(page, folder, program, reference) {
    this.page = page;
    this.folder = folder;
    this.program = program;
    this.reference = reference;
    this.uri = pathToFileURL(join(folder, 'antenne.html')).href;
    this.logged = [];
    page.on('console', (message) => this.logged.push(`console ${message.type()}: ${message.text()}`));
    page.on('pageerror', (error) => this.logged.push(`page error: ${error.message}`));
  }

  // Opens the page afresh: a new address differing by its fragment alone would not load it again.
  async open(link) {
    await this.page.goto('about:blank');
    await this.page.goto(this.uri + (link === undefined ? '' : `#labo?${link}`));
  }

  async waitFor(condition, message, ...args) {
    try {
      await this.page.waitForFunction(condition, { timeout: 15000, polling: 50 }, ...args);
    } catch {
      throw new Failure(message);
    }
  }

  async every_scenario_ends_on_the_exporters_last_picture() {
    const all = scenarios(join(this.folder, 'antenne.html'));
    await this.open();
    await this.waitFor(() => !document.getElementById('curseur').disabled, 'the page never finished loading');
    for (const [index, { name, frames }] of all.entries()) {
      const png = join(this.folder, `${name}.png`);
      exportWith(this.program, name, png);
      await this.page.evaluate((i) => document.querySelectorAll('#scenarios button')[i].click(), index);
      if (name !== PLAYED) await this.page.keyboard.press('End');
      await this.waitFor((last) => Number(document.getElementById('curseur').value) === last &&
                                   Number(document.getElementById('curseur').max) === last &&
                                   document.getElementById('pause').textContent !== 'Pause',
                         `${name} never reached its last frame, ${frames}`, frames);
      const differ = await this.page.evaluate(differingPixels, readFileSync(png).toString('base64'));
      check(differ === 0, `${name}, last frame: ${differ} pixels differ from the exporter's picture`);
    }
  }

  async the_laboratory_shows_the_native_figures_and_its_views() {
    const reports = native(this.reference, LINKS);
    for (const [i, link] of LINKS.entries()) {
      await this.open(link);
      await this.waitFor(() => document.querySelector('#chiffres td') !== null && document.querySelector('#analyse td') !== null,
                         `${link}: the laboratory never showed its figures`);
      const figures = (await this.page.evaluate(rows, '#chiffres')).map(([, text]) => text);
      const want = reports[i].figures.map((f) => f.text);
      check(JSON.stringify(figures) === JSON.stringify(want),
            `${link}: figures ${JSON.stringify(figures)}, natively ${JSON.stringify(want)}`);
      const lines = await this.page.evaluate(rows, '#analyse');
      check(JSON.stringify(lines) === JSON.stringify(reports[i].analysis.lines),
            `${link}: analysis ${JSON.stringify(lines)}, natively ${JSON.stringify(reports[i].analysis.lines)}`);
      // The views are drawn while they are on screen.
      for (const [last, views] of [['bode', VIEWS], ['lieux', FREQUENCY_VIEWS]]) {
        await this.page.evaluate((id) => document.getElementById(id).scrollIntoView({ block: 'end' }), last);
        const end = performance.now() + 10000;
        for (let blank; (blank = await this.page.evaluate(blankViews, views)).length;) {
          check(performance.now() < end, `${link}: blank views: ${blank.join(', ')}`);
          await new Promise((resolve) => setTimeout(resolve, 100));
        }
      }
    }
  }

  async nothing_reached_the_console() {
    // Both views once more, switched by their tabs.
    await this.open('K=64.2');
    await this.waitFor(() => document.querySelector('#chiffres td') !== null, 'the laboratory never showed its figures');
    await this.page.click('#onglet-scenes');
    await this.page.click('#onglet-labo');
    await new Promise((resolve) => setTimeout(resolve, 300));
    check(this.logged.length === 0, this.logged.join('; '));
  }
}

// The checks, in the order they run.
const CHECKS = [
  'every_scenario_ends_on_the_exporters_last_picture',
  'the_laboratory_shows_the_native_figures_and_its_views',
  'nothing_reached_the_console',
];

async function main() {
  const [program, reference] = process.argv.slice(2);
  if (!program || !reference) {
    console.error('usage: node firefox.mjs ANTENNE_EXPORT LABO_REFERENCE');
    process.exit(2);
  }
  try {
    accessSync(FIREFOX, constants.X_OK);
  } catch {
    skip('missing firefox-esr');
  }
  let puppeteer;
  try {
    puppeteer = (await import('puppeteer-core')).default;
  } catch {
    skip('missing puppeteer-core (npm ci in tests/web installs it)');
  }

  // A folder with a space and an accent in its name, as on a teacher's USB
  // stick; Firefox's profile and HOME in it too (Firefox wants a writable HOME).
  const folder = mkdtempSync(join(tmpdir(), 'antenne firefox é '));
  let browser = null;
  let passed = 0;
  let failed = 0;
  try {
    exportWith(program, 'page', join(folder, 'antenne.html'));
    browser = await puppeteer.launch({
      browser: 'firefox', executablePath: FIREFOX, headless: true, userDataDir: join(folder, 'profil'),
      env: { ...process.env, HOME: folder }, defaultViewport: { width: 1400, height: 1000 },
    });
    const page = (await browser.pages())[0] || await browser.newPage();
    const checks = new FirefoxChecks(page, folder, program, reference);
    for (const name of CHECKS) {
      const started = performance.now();
      try {
        await checks[name]();
        ++passed;
        console.log(`PASS ${name} (${((performance.now() - started) / 1000).toFixed(1)} s)`);
      } catch (error) {
        ++failed;
        console.log(`FAIL ${name}: ${error instanceof Failure ? error.message : error.stack}`);
      }
    }
  } catch (error) {
    ++failed;
    console.log(`FAIL starting: ${error instanceof Failure ? error.message : error.stack}`);
  } finally {
    if (browser) await browser.close();
    rmSync(folder, { recursive: true, force: true });
  }
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
}

await main();
