// The workbench page in a real browser (Debian's chromium, headless, driven by
// playwright-core): it must say what footplate-cfg and footplate-run say, let a driver
// drive, and survive junk. Needs the wasm and dev builds (FOOTPLATE_SITE, FOOTPLATE_TOOLS).
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { mkdirSync, readFileSync, readdirSync } from 'node:fs';
import { chromium } from 'playwright-core';

const root = new URL('../../', import.meta.url).pathname;
const site = process.env.FOOTPLATE_SITE ?? `${root}build/wasm/site`;
const tools = process.env.FOOTPLATE_TOOLS ?? `${root}build/dev`;
const artefacts = `${root}build/web`;
const examples = `${root}examples`;
const exampleNames = (extension) => readdirSync(examples).filter((n) => n.endsWith(extension)).sort();

let server, browser, page;
const problems = [];  // console errors and uncaught exceptions of the whole session

// Waits until an element's text matches pattern (a page other than the main one may be given).
const shows = (id, pattern, on = page) => on.waitForFunction(([i, source]) =>
  new RegExp(source).test(document.getElementById(i).textContent), [id, pattern.source]);

async function open(url) {
  const p = await browser.newPage({ viewport: { width: 1400, height: 1000 } });
  p.setDefaultTimeout(60000);
  p.on('console', (m) => m.type() === 'error' && problems.push(m.text()));
  p.on('pageerror', (e) => problems.push(e.message));
  await p.goto(url);
  await shows('status', /^ready$/, p);
  return p;
}

before(async () => {
  mkdirSync(artefacts, { recursive: true });
  server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', site]);
  const port = await new Promise((resolve, reject) => {
    server.stdout.on('data', (d) => { const m = /port (\d+)/.exec(String(d)); if (m) resolve(m[1]); });
    server.on('exit', () => reject(new Error('the page server did not start')));
  });
  // playwright itself turns off first-run pages, background networking, component updates and sync.
  browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic'] });
  page = await open(`http://127.0.0.1:${port}/`);
});

after(async () => {
  await browser?.close();
  server?.kill();
});

const text = (id) => page.textContent(`#${id}`);
const slot = (id) => page.getAttribute(`[data-slot="${id}"]`, 'data-state');

// Puts a text into an editor as a paste would.
const paste = (id, value) => page.$eval(`#${id}`, (editor, v) => {
  editor.value = v;
  editor.dispatchEvent(new Event('input'));
}, value);

// Picks an example drive and waits for the configuration it names.
async function chooseDrive(name) {
  const config = /^config (\S+)/m.exec(readFileSync(`${examples}/${name}`, 'utf8'))?.[1];
  await page.selectOption('#drive-example', name);
  if (config) await page.waitForFunction((c) => document.getElementById('config-example').value === c, config);
}

async function runDrive() {
  await page.$eval('#run-summary', (e) => { e.textContent = ''; });
  await page.click('#run');
  await page.waitForFunction(() => !document.getElementById('run').disabled &&
    (/frames/.test(document.getElementById('run-summary').textContent) || !document.getElementById('run-error').hidden));
}

test('the page loads with no console error', () => {
  assert.deepEqual(problems, []);
});

test('the checker report equals footplate-cfg check for every example configuration', async () => {
  for (const name of exampleNames('.cfg')) {
    const expected = execFileSync(`${tools}/footplate-cfg`, ['check', name], { cwd: examples, encoding: 'utf8' });
    await page.selectOption('#config-example', name);
    await page.waitForFunction((n) => document.getElementById('report').lastChild?.textContent.startsWith(`${n}: `), name);
    assert.equal(await page.$$eval('#report > *', (lines) => lines.map((d) => d.textContent + '\n').join('')), expected, name);
  }
  // As the author types, the report follows; a warning leads to its line.
  await page.fill('#config', 'system=1\nawsdelay=3000 ; three seconds\n');
  await page.click('#report .warning[data-line="2"]');
  assert.deepEqual(await page.$eval('#config', (e) => [e.selectionStart, e.selectionEnd]), [9, 38]);
});

test('the chart and timeline equal footplate-run --svg for every example drive', async () => {
  for (const name of exampleNames('.scn')) {
    const svgPath = `${artefacts}/${name}.svg`;
    const timeline = execFileSync(`${tools}/footplate-run`, ['--svg', svgPath, name], { cwd: examples, encoding: 'utf8' });
    await chooseDrive(name);
    await runDrive();
    const svg = await page.evaluate(() => fetch(document.getElementById('svg-link').href).then((r) => r.text()));
    assert.equal(svg, readFileSync(svgPath, 'utf8'), `${name}: chart`);
    assert.equal(await text('timeline'), timeline, `${name}: timeline`);
  }
});

// Starts a drive live, paused, stopping at beacons, fast, with the reverser forward and power.
async function takeControls(drive, power) {
  await chooseDrive(drive);
  await page.click('#live-start');
  await shows('pause', /^Pause$/);
  await page.click('#pause');
  await page.check('#stop-at-beacons');
  await page.selectOption('#speedup', '50');
  await page.click('#reverser [data-reverser="1"]');
  await page.fill('#power', power);
}
// Goes on until the next beacon stops the drive.
async function toNextBeacon() {
  await page.click('#pause');
  await shows('pause', /^Go$/);
}

test('live cab: the keys are docs/keys.md\'s; the acknowledgement key cancels an AWS warning and stops the horn', async () => {
  const rows = [...readFileSync(`${root}docs/keys.md`, 'utf8').matchAll(/^\| (\d+) \| (\w+) \| ([\w ]+) \|$/gm)];
  assert.equal(rows.length, 16);
  assert.deepEqual(await page.$$eval('#keys button', (all) => all.map((b) => b.textContent)),
    rows.map(([, , name, key]) => name + key));
  await takeControls('drive_british_emu.scn', '4');
  await toNextBeacon();                       // 300 m, clear
  await page.click('[data-key="2"]');         // the vigilance key, before its lamp would light
  await toNextBeacon();                       // 1300 m, caution
  assert.match(await page.textContent('#beacons li'), /AWS caution/);
  assert.equal(await slot('sound1'), 'looping');
  await page.screenshot({ path: `${artefacts}/cab.png`, fullPage: true });
  await page.click('[data-key="0"]');         // S: acknowledged
  await page.click('#step');
  assert.deepEqual([await slot('sound1'), await slot('panel10')], ['stopped', 'lit']);  // the sunflower
  for (let i = 0; i < 40; i++) await page.click('#step');  // 4 s: past the delay, no brake
  assert.equal(await page.getAttribute('#returned', 'data-brake'), '0');
});

test('live cab: a PZB train brakes when the warning is not acknowledged', async () => {
  await takeControls('drive_german_pzb.scn', '5');
  await page.click('[data-key="4"]');         // B2: PZB activated
  await toNextBeacon();                       // 800 m, clear
  await toNextBeacon();                       // 1500 m, warning magnet: no acknowledgement
  assert.match(await page.textContent('#beacons li'), /warning 110/);
  await page.click('#pause');
  await page.waitForFunction(() => document.getElementById('returned').dataset.brake === '9');
  assert.equal(await slot('panel42'), 'lit');  // the red lamp
});

test('junk as a configuration or a drive shows an error and leaves the page usable', async () => {
  const binary = String.fromCharCode(...Array.from({ length: 65536 }, (_, i) => (i * 7919 + 13) % 256));
  const big = 'awsdelay=3000 and some words, ; # = == 12,,-3\n'.repeat(5 * 1024 * 1024 / 46);
  await paste('config', binary);
  await shows('check-summary', /warning/);
  await paste('config', big);
  await shows('report', /cut here|stopped/);
  const drives = [[binary, /^line \d+: /], [big, /^line \d+: /],
    ['train brakes 8 power 5\ninitialize 0\nstep 1\nrun 1000000000\n', /past the time limit/],
    ['train brakes 8 power 5\nlimit 2000000000\ninitialize 0\nstep 1\nrun 1000000000\n', /1000000 frames/]];
  for (const [junk, says] of drives) {
    await paste('drive', junk);
    await runDrive();
    assert.match(await text('run-error'), says);
  }
  await chooseDrive('drive_third_rail.scn');  // usable again
  await shows('report', /third_rail\.cfg: /);
  await runDrive();
  assert.match(await text('run-summary'), /frames/);
});

test('a share link opens the same configuration and drive', async () => {
  await paste('config', (await page.inputValue('#config')) + '; shared\n');
  await page.click('#share');
  await page.waitForFunction(() => document.getElementById('share-link').value !== '');
  const other = await open(await page.inputValue('#share-link'));
  for (const id of ['#config', '#drive']) assert.equal(await other.inputValue(id), await page.inputValue(id));
  await other.close();
});

test('benchmark (reported, not judged)', async () => {
  await page.bringToFront();  // a page behind another gets few animation frames
  await page.click('#bench');
  await shows('bench-result', /frames\/s|failed/);
  const result = await text('bench-result');
  console.log(result);
  assert.doesNotMatch(result, /failed/);
});

test('no console error in the whole session', () => {
  assert.deepEqual(problems, []);
});
