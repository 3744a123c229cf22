// The workbench page: the configuration editor with its checker report, the drive with
// its chart and timeline, the share link and the benchmark. The C++ module does the
// work (in a worker); this file only forwards texts and draws the answers.
import { startCab } from './cab.js';
import { benchmark } from './bench.js';
import { loadEngine } from './engine.js';

const $ = (id) => document.getElementById(id);
const TIMEOUT_MS = 20000;    // a check or a drive that takes longer is stopped

// The worker that checks and runs, replaced when it takes too long or breaks.
class Helper {
  constructor() { this.next = 1; this.waiting = new Map(); this.spawn(); }
  spawn() {
    this.worker = new Worker(new URL('./worker.js', import.meta.url), { type: 'module' });
    this.worker.onmessage = ({ data }) => {
      const pending = this.waiting.get(data.id);
      if (!pending) return;
      this.waiting.delete(data.id);
      clearTimeout(pending.timer);
      if (data.broken) this.restart();
      if (data.error) pending.reject(new Error(data.error));
      else {
        if (data.result && typeof data.result === 'object') data.result.ms = data.ms;
        pending.resolve(data.result);
      }
    };
  }
  restart() {
    this.worker.terminate();
    for (const pending of this.waiting.values()) {
      clearTimeout(pending.timer);
      pending.reject(new Error('the work was stopped'));
    }
    this.waiting.clear();
    this.spawn();
  }
  call(op, ...args) {
    const id = this.next++;
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        this.waiting.delete(id);
        reject(new Error(`stopped after ${TIMEOUT_MS / 1000} s: the input takes too long`));
        this.restart();
      }, TIMEOUT_MS);
      this.waiting.set(id, { resolve, reject, timer });
      this.worker.postMessage({ id, op, args });
    });
  }
}

const state = {
  worker: new Helper(),
  examples: new Map(),  // name -> text
  configName: 'footplate.cfg',
  driveName: 'drive.scn',
  slots: [],            // the panel and sound slots of the last checked configuration
  checking: false,
  checkAgain: false,
};

function setStatus(text) { $('status').textContent = text; }

function fillSelect(select, names, chosen) {
  select.replaceChildren(...names.map((n) => new Option(n, n, false, n === chosen)));
  if (!names.includes(chosen)) select.prepend(new Option('(your own)', '', true, true));
}

// ---- the configuration and its checker report

async function check() {
  if (state.checking) { state.checkAgain = true; return; }
  state.checking = true;
  const text = $('config').value;
  try {
    const result = await state.worker.call('check', text, state.configName);
    if (result.error) throw new Error(result.error);
    state.slots = result.slots;
    showReport(result.report);
    $('check-summary').textContent = `${result.warnings} warning${result.warnings === 1 ? '' : 's'}`;
  } catch (error) {
    $('report').replaceChildren(errorLine(error.message));
    $('check-summary').textContent = '';
  } finally {
    state.checking = false;
    if (state.checkAgain) { state.checkAgain = false; check(); }
  }
}

function errorLine(text) {
  const div = document.createElement('div');
  div.className = 'error';
  div.textContent = text;
  return div;
}

// One element per report line; a line about a line of the file links to it.
function showReport(report) {
  const lines = report.split('\n');
  if (lines.at(-1) === '') lines.pop();
  const shown = lines.map((line) => {
    const div = document.createElement('div');
    div.textContent = line;
    const at = /^.*?:(\d+): (warning|info)?/.exec(line);
    if (at) {
      div.className = at[2] || 'read';
      div.dataset.line = at[1];
      div.tabIndex = 0;
      div.title = 'go to line ' + at[1];
    }
    return div;
  });
  $('report').replaceChildren(...shown);
}

function goToLine(number) {
  const editor = $('config');
  const lines = editor.value.split('\n');
  const line = Math.min(Math.max(number, 1), lines.length) - 1;
  let start = 0;
  for (let i = 0; i < line; i++) start += lines[i].length + 1;
  editor.focus();
  editor.setSelectionRange(start, start + lines[line].length);
  const lineHeight = parseFloat(getComputedStyle(editor).lineHeight) || 16;
  editor.scrollTop = Math.max(0, (line - 3) * lineHeight);
}

function showCursor() {
  const editor = $('config');
  const before = editor.value.slice(0, editor.selectionStart);
  $('cursor').textContent = 'line ' + (before.split('\n').length);
}

// ---- the drive, its chart and timeline

function blobLink(link, text, type) {
  if (link.href) URL.revokeObjectURL(link.href);
  link.href = URL.createObjectURL(new Blob([text], { type }));
  link.hidden = false;
}

async function run() {
  const button = $('run');
  button.disabled = true;
  $('run-error').hidden = true;
  $('run-summary').textContent = 'running…';
  try {
    const result = await state.worker.call('run', $('drive').value, $('config').value, state.driveName);
    $('timeline').textContent = result.timeline || '';
    if (result.error) throw new Error(result.error);
    $('chart').innerHTML = result.svg;
    blobLink($('svg-link'), result.svg, 'image/svg+xml');
    blobLink($('csv-link'), result.csv, 'text/csv');
    $('run-summary').textContent =
      `${result.frames} frames, ${(result.time / 1000).toFixed(1)} s of driving simulated in ${result.ms.toFixed(0)} ms`;
  } catch (error) {
    $('run-error').textContent = error.message;
    $('run-error').hidden = false;
    $('run-summary').textContent = '';
    $('chart').replaceChildren();
    $('svg-link').hidden = $('csv-link').hidden = true;
  } finally {
    button.disabled = false;
  }
}

// A drive example brings the configuration its 'config' line names.
async function loadDrive(name) {
  state.driveName = name;
  $('drive').value = state.examples.get(name) ?? '';
  try {
    const info = await state.worker.call('drive', $('drive').value);
    if (info.config && state.examples.has(info.config)) loadConfig(info.config);
  } catch (error) {
    $('run-error').textContent = error.message;
    $('run-error').hidden = false;
  }
}

function loadConfig(name) {
  state.configName = name;
  $('config').value = state.examples.get(name) ?? '';
  fillSelect($('config-example'), [...state.examples.keys()].filter((n) => n.endsWith('.cfg')), name);
  check();
}

// ---- the share link: both texts, deflated, in the address's fragment

async function pack(text) {
  const stream = new Blob([text]).stream().pipeThrough(new CompressionStream('deflate-raw'));
  const bytes = new Uint8Array(await new Response(stream).arrayBuffer());
  let binary = '';
  for (let i = 0; i < bytes.length; i += 0x8000) binary += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

async function unpack(packed) {
  const binary = atob(packed.replace(/-/g, '+').replace(/_/g, '/'));
  const bytes = Uint8Array.from(binary, (c) => c.charCodeAt(0));
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
  return new Response(stream).text();
}

async function share() {
  const fields = new URLSearchParams({
    cn: state.configName, c: await pack($('config').value),
    dn: state.driveName, d: await pack($('drive').value),
  });
  const link = location.href.split('#')[0] + '#' + fields;
  const box = $('share-link');
  box.value = link;
  box.hidden = false;
  box.select();
  history.replaceState(null, '', link);
  navigator.clipboard?.writeText(link).catch(() => {});
}

async function fromLink() {
  const fields = new URLSearchParams(location.hash.slice(1));
  if (!fields.has('c') || !fields.has('d')) return false;
  try {
    state.configName = fields.get('cn') || 'footplate.cfg';
    state.driveName = fields.get('dn') || 'drive.scn';
    $('config').value = await unpack(fields.get('c'));
    $('drive').value = await unpack(fields.get('d'));
  } catch {
    setStatus('the link is damaged: the examples are loaded instead');
    return false;
  }
  fillSelect($('config-example'), [...state.examples.keys()].filter((n) => n.endsWith('.cfg')), state.configName);
  fillSelect($('drive-example'), [...state.examples.keys()].filter((n) => n.endsWith('.scn')), state.driveName);
  check();
  return true;
}

// ---- start

async function main() {
  let examples;
  try {
    examples = await state.worker.call('examples');
  } catch (error) {
    setStatus('the plugin could not be loaded: ' + error.message);
    return;
  }
  for (const { name, text } of examples) state.examples.set(name, text);
  const drives = [...state.examples.keys()].filter((n) => n.endsWith('.scn'));

  let timer;
  $('config').addEventListener('input', () => { clearTimeout(timer); timer = setTimeout(check, 150); });
  for (const event of ['keyup', 'click', 'select']) $('config').addEventListener(event, showCursor);
  $('config-example').addEventListener('change', (e) => e.target.value && loadConfig(e.target.value));
  $('drive-example').addEventListener('change', (e) => e.target.value && loadDrive(e.target.value));
  $('drive').addEventListener('input', () => { state.driveName = 'drive.scn'; });
  $('report').addEventListener('click', (e) => { const l = e.target.dataset.line; if (l) goToLine(Number(l)); });
  $('report').addEventListener('keydown', (e) => {
    if (e.key === 'Enter' && e.target.dataset.line) goToLine(Number(e.target.dataset.line));
  });
  $('run').addEventListener('click', run);
  $('share').addEventListener('click', share);
  const cab = startCab(loadEngine);
  $('live-start').addEventListener('click', () =>
    cab.start($('drive').value, $('config').value, state.slots, state.worker));
  $('bench').addEventListener('click', () => benchmark(state, cab));

  if (!(await fromLink())) {
    fillSelect($('drive-example'), drives, 'drive_british_emu.scn');
    await loadDrive('drive_british_emu.scn');
  }
  setStatus('ready');
}

main();
