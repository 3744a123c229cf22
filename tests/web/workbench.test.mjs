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

let server;
let browser;
let page;
const problems = [];  // console errors and uncaught exceptions of the whole session

async function open(url) {
  const p = await browser.newPage({ viewport: { width: 1400, height: 1000 } });
  p.on('console', (m) => m.type() === 'error' && problems.push(m.text()));
  p.on('pageerror', (e) => problems.push(e.message));
  await p.goto(url);
  await p.waitForFunction(() => document.getElementById('status').textContent === 'ready', null, { timeout: 30000 });
  return p;
}

before(async () => {
  mkdirSync(artefacts, { recursive: true });
  server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', site]);
  const port = await new Promise((resolve, reject) => {
    server.stdout.on('data', (d) => { const m = /port (\d+)/.exec(String(d)); if (m) resolve(m[1]); });
    server.on('exit', () => reject(new Error('the page server did not start')));
  });
  browser = await chromium.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
  page = await open(`http://127.0.0.1:${port}/`);
});

after(async () => {
  await browser?.close();
  server?.kill();
});

const text = (id) => page.evaluate((i) => document.getElementById(i).textContent, id);
const reportText = () => page.evaluate(() =>
  [...document.getElementById('report').children].map((d) => d.textContent).join('\n') + '\n');

// Puts a text into an editor as a paste would.
const paste = (id, value) => page.evaluate(([i, v]) => {
  const editor = document.getElementById(i);
  editor.value = v;
  editor.dispatchEvent(new Event('input'));
}, [id, value]);

// Picks an example drive and waits for the configuration it names.
async function chooseDrive(name) {
  const config = /^config (\S+)/m.exec(readFileSync(`${examples}/${name}`, 'utf8'))?.[1];
  await page.selectOption('#drive-example', name);
  if (config) await page.waitForFunction((c) => document.getElementById('config-example').value === c, config);
}

async function runDrive() {
  await page.evaluate(() => { document.getElementById('run-summary').textContent = ''; });
  await page.click('#run');
  await page.waitForFunction(() => !document.getElementById('run').disabled &&
    (/frames/.test(document.getElementById('run-summary').textContent) || !document.getElementById('run-error').hidden),
  null, { timeout: 40000 });
}

test('the page loads with no console error', () => {
  assert.deepEqual(problems, []);
});

test('the checker report equals footplate-cfg check for every example configuration', async () => {
  for (const name of exampleNames('.cfg')) {
    const expected = execFileSync(`${tools}/footplate-cfg`, ['check', name], { cwd: examples, encoding: 'utf8' });
    await page.selectOption('#config-example', name);
    await page.waitForFunction((n) => document.getElementById('report').lastChild?.textContent.startsWith(n + ': '),
      name);
    assert.equal(await reportText(), expected, name);
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
    assert.equal(await page.isHidden('#run-error'), true, name);
    const svg = await page.evaluate(() => fetch(document.getElementById('svg-link').href).then((r) => r.text()));
    assert.equal(svg, readFileSync(svgPath, 'utf8'), `${name}: chart`);
    assert.equal(await text('timeline'), timeline, `${name}: timeline`);
  }
});

// Starts a drive live, paused, stopping at beacons, fast, with the reverser forward.
async function takeControls(drive) {
  await chooseDrive(drive);
  await page.click('#live-start');
  await page.waitForFunction(() => document.getElementById('pause').textContent === 'Pause');
  await page.click('#pause');
  await page.check('#stop-at-beacons');
  await page.selectOption('#speedup', '50');
  await page.click('#reverser [data-reverser="1"]');
}
// Goes on until the next beacon stops the drive.
async function toNextBeacon() {
  await page.click('#pause');
  await page.waitForFunction(() => document.getElementById('pause').textContent === 'Go', null, { timeout: 30000 });
}
const slot = (id) => page.evaluate((i) => document.querySelector(`[data-slot="${i}"]`).dataset.state, id);

test('live cab: the acknowledgement key cancels an AWS warning and stops the horn', async () => {
  await takeControls('drive_british_emu.scn');
  await page.fill('#power', '4');
  await toNextBeacon();                       // 300 m, clear
  await page.click('[data-key="2"]');         // the vigilance key, before its lamp would light
  await toNextBeacon();                       // 1300 m, caution
  assert.match(await page.textContent('#beacons li'), /AWS caution/);
  assert.equal(await slot('sound1'), 'looping');
  await page.screenshot({ path: `${artefacts}/cab.png`, fullPage: true });
  await page.click('[data-key="0"]');         // S: acknowledged
  await page.click('#step');
  assert.equal(await slot('sound1'), 'stopped');
  assert.equal(await slot('panel10'), 'lit');  // the sunflower
  for (let i = 0; i < 40; i++) await page.click('#step');  // 4 s: past the delay, no brake
  assert.equal(await page.getAttribute('#returned', 'data-brake'), '0');
});

test('live cab: a PZB train brakes when the warning is not acknowledged', async () => {
  await takeControls('drive_german_pzb.scn');
  await page.click('[data-key="4"]');         // B2: PZB activated
  await page.fill('#power', '5');
  await toNextBeacon();                       // 800 m, clear
  await toNextBeacon();                       // 1500 m, warning magnet: no acknowledgement
  assert.match(await page.textContent('#beacons li'), /warning 110/);
  await page.click('#pause');
  await page.waitForFunction(() => document.getElementById('returned').dataset.brake === '9', null, { timeout: 30000 });
  assert.equal(await slot('panel42'), 'lit');  // the red lamp
});

test('junk as a configuration or a drive shows an error and leaves the page usable', async () => {
  const binary = String.fromCharCode(...Array.from({ length: 65536 }, (_, i) => (i * 7919 + 13) % 256));
  const big = 'awsdelay=3000 and some words, ; # = == 12,,-3\n'.repeat(5 * 1024 * 1024 / 46);
  const cases = [
    ['config', binary, () => page.waitForFunction(() => /warning/.test(document.getElementById('check-summary').textContent))],
    ['config', big, () => page.waitForFunction(() => /cut here|stopped/.test(document.getElementById('report').textContent),
      null, { timeout: 40000 })],
    ['drive', binary, null, /^line \d+: /],
    ['drive', big, null, /^line \d+: /],
    ['drive', 'train brakes 8 power 5\ninitialize 0\nstep 1\nrun 1000000000\n', null, /past the time limit/],
    ['drive', 'train brakes 8 power 5\nlimit 2000000000\ninitialize 0\nstep 1\nrun 1000000000\n', null, /1000000 frames/],
  ];
  for (const [editor, junk, settled, says] of cases) {
    await paste(editor, junk);
    if (settled) await settled();
    else {
      await runDrive();
      assert.match(await text('run-error'), says);
    }
  }
  await chooseDrive('drive_third_rail.scn');  // usable again
  await page.waitForFunction(() => document.getElementById('report').lastChild?.textContent.startsWith('third_rail.cfg: '));
  await runDrive();
  assert.match(await text('run-summary'), /frames/);
});

test('a share link opens the same configuration and drive', async () => {
  await paste('config', (await page.inputValue('#config')) + '; shared\n');
  await page.click('#share');
  await page.waitForFunction(() => document.getElementById('share-link').value !== '');
  const link = await page.inputValue('#share-link');
  const other = await open(link);
  for (const id of ['#config', '#drive']) assert.equal(await other.inputValue(id), await page.inputValue(id));
  await other.close();
});

test('docs/keys.md gives the keys the cab puts on its buttons', async () => {
  const rows = [...readFileSync(`${root}docs/keys.md`, 'utf8').matchAll(/^\| (\d+) \| (\w+) \| ([\w ]+) \|$/gm)];
  const buttons = await page.$$eval('#keys button', (all) => all.map((b) => b.textContent));
  assert.deepEqual(buttons, rows.map(([, , name, key]) => name + key));
  assert.equal(rows.length, 16);
});

test('benchmark (reported, not judged)', async () => {
  await page.bringToFront();  // a page behind another gets few animation frames
  await page.click('#bench');
  await page.waitForFunction(() => /frames\/s|failed/.test(document.getElementById('bench-result').textContent),
    null, { timeout: 60000 });
  const result = await text('bench-result');
  console.log(result);
  assert.doesNotMatch(result, /failed/);
});

test('no console error in the whole session', () => {
  assert.deepEqual(problems, []);
});
