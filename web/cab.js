// The live cab: the driver's handles, the sixteen plugin keys, horns and doors go to the
// module's host as scenario steps; each animation frame runs the train for the time
// that passed and draws the lamps, sounds, speed, place, time and beacons it reports.

// The host's sixteen plugin keys in key-number order, with the keyboard key of each
// (docs/keys.md lists the same).
export const KEYS = [
  ['S', 'Space'], ['A1', 'Insert'], ['A2', 'Delete'], ['B1', 'Home'], ['B2', 'End'], ['C1', 'PageUp'],
  ['C2', 'PageDown'], ['D', 'Digit2'], ['E', 'Digit3'], ['F', 'Digit4'], ['G', 'Digit5'], ['H', 'Digit6'],
  ['I', 'Digit7'], ['J', 'Digit8'], ['K', 'Digit9'], ['L', 'Digit0'],
];
const keyLabel = (code) => code.replace('Digit', '').replace(/^Page/, 'Page ');

const STOP = -10000;
const soundWord = (v) => (v === STOP ? 'stopped' : v === 0 ? 'looping' : v === 1 || v === 2 ? 'playing' : String(v));
const TIMELINE_LINES = 300;

const $ = (id) => document.getElementById(id);

export function startCab(loadEngine) {
  let engine = null;   // the live drive's own module, on this thread
  let live = false;
  let running = false;
  let last = 0;
  let carry = 0;       // ms not yet run (fractions of a millisecond)
  let interval = 100;
  let tiles = [];      // {sound, index, element, value}
  let frames = null;   // set while the benchmark counts frames: the work time of each
  const held = new Set();
  let timeline = [];   // the live timeline's last lines
  let timelineShown = 0;
  let timelineDrawn = 0;

  function fail(message) {
    $('cab-error').textContent = message;
    $('cab-error').hidden = false;
    setRunning(false);
  }

  // A call into the module; a fault there ends the live drive (a fresh module next time).
  function guarded(fn) {
    try {
      return fn();
    } catch (error) {
      live = false;
      engine = null;
      fail('the plugin stopped: ' + error.message);
      return null;
    }
  }

  function act(line) {
    if (!live) return;
    const why = guarded(() => engine.liveDo(line));
    if (why) fail(why);
  }

  function advance(ms, stopAtBeacon) {
    const ran = guarded(() => engine.liveRun(ms, stopAtBeacon));
    if (ran !== null && ran < 0) fail('the drive cannot go on: it has run as long as the workbench allows');
  }

  function setRunning(on) {
    running = on && live;
    $('pause').textContent = running ? 'Pause' : 'Go';
  }

  function tile(sound, index, name) {
    const element = document.createElement('div');
    element.className = sound ? 'sound' : 'lamp';
    element.dataset.slot = (sound ? 'sound' : 'panel') + index;
    element.innerHTML = '<span class="dot"></span><span class="name"></span><small></small><span class="value"></span>';
    element.querySelector('.name').textContent = name;
    element.querySelector('small').textContent = index;
    element.title = `${sound ? 'sound' : 'panel'} slot ${index}`;
    return { sound, index, element, value: undefined };
  }

  // One tile per slot the configuration uses or the drive labels, named by the label.
  function buildTiles(slots, labels) {
    const named = new Map(labels.map((l) => [(l.sound ? 'S' : 'P') + l.index, l.text]));
    const all = new Map(slots.map((s) => [(s.sound ? 'S' : 'P') + s.index, s]));
    for (const l of labels) if (!all.has((l.sound ? 'S' : 'P') + l.index)) all.set((l.sound ? 'S' : 'P') + l.index, l);
    const sorted = [...all.entries()].sort(([, a], [, b]) => (a.sound - b.sound) || (a.index - b.index));
    tiles = sorted.map(([id, s]) => tile(s.sound, s.index, named.get(id) || s.key || `slot ${s.index}`));
    $('lamps').replaceChildren(...tiles.filter((t) => !t.sound).map((t) => t.element));
    $('sounds').replaceChildren(...tiles.filter((t) => t.sound).map((t) => t.element));
  }

  function showHandles(s) {
    $('power').max = s.powers;
    $('brake').max = s.brakes + 1;
    $('power').value = $('power-value').value = s.driver.power;
    $('brake').value = $('brake-value').value = s.driver.brake;
    for (const b of $('reverser').children) b.classList.toggle('on', Number(b.dataset.reverser) === s.driver.reverser);
  }

  function draw() {
    const s = engine.liveState();
    $('time').value = (s.time / 1000).toFixed(1) + ' s';
    $('speed').value = s.speed.toFixed(1) + ' km/h';
    $('location').value = s.location.toFixed(1) + ' m';
    const brake = s.brake > s.brakes ? `${s.brake} (emergency)` : String(s.brake);
    $('returned').value = `brake ${brake}, power ${s.power}, reverser ${['B', 'N', 'F'][s.reverser + 1] ?? s.reverser}`;
    $('returned').dataset.brake = s.brake;
    const panel = engine.livePanel();
    const sound = engine.liveSound();
    for (const t of tiles) {
      const v = (t.sound ? sound : panel)[t.index];
      if (v === t.value) continue;
      t.value = v;
      const word = t.sound ? soundWord(v) : String(v);
      t.element.querySelector('.value').textContent = word;
      t.element.dataset.state = t.sound ? word : v !== 0 ? 'lit' : 'dark';
    }
    const news = engine.liveNews();
    if (news.timeline) {
      timeline.push(...news.timeline.split('\n').slice(0, -1).slice(-TIMELINE_LINES));
      if (timeline.length > 2 * TIMELINE_LINES) timeline.splice(0, timeline.length - TIMELINE_LINES);
    }
    // The timeline's text is redrawn a few times a second: a cab with rain drops changes
    // hundreds of slots every frame.
    const now = performance.now();
    if (timelineShown !== timeline.length && now - timelineDrawn > 200) {
      const pre = $('live-timeline');
      pre.textContent = timeline.slice(-TIMELINE_LINES).join('\n');
      pre.scrollTop = pre.scrollHeight;
      timelineShown = timeline.length;
      timelineDrawn = now;
    }
    for (const b of news.beacons) {
      const item = document.createElement('li');
      item.textContent = `${(b.time / 1000).toFixed(1)} s, ${b.location.toFixed(0)} m: ${b.label || 'beacon'} (${b.type})`;
      $('beacons').prepend(item);
      if ($('beacons').children.length > 50) $('beacons').lastChild.remove();
    }
    if (news.beacons.length && $('stop-at-beacons').checked) setRunning(false);
  }

  function frame(now) {
    requestAnimationFrame(frame);
    const began = performance.now();
    if (live && running) {
      // After a stall (a hidden tab) the train carries on, it does not race to catch up.
      const ms = Math.min(now - last, 100) * Number($('speedup').value) + carry;
      const whole = Math.floor(ms);
      carry = ms - whole;
      if (whole > 0) advance(whole, $('stop-at-beacons').checked);
    }
    last = now;
    if (live) guarded(draw);
    if (frames) frames.push(performance.now() - began);
  }

  // The driver's controls, by pointer and by keyboard.
  $('keys').replaceChildren(...KEYS.map(([name, code], number) => {
    const button = document.createElement('button');
    button.dataset.key = number;
    button.innerHTML = `<b></b><small></small>`;
    button.querySelector('b').textContent = name;
    button.querySelector('small').textContent = keyLabel(code);
    button.title = `plugin key ${number} (${name}), keyboard ${keyLabel(code)}`;
    return button;
  }));
  const press = (number) => { if (!held.has(number)) { held.add(number); act('keydown ' + number); } };
  const release = (number) => { if (held.delete(number)) act('keyup ' + number); };
  $('keys').addEventListener('pointerdown', (e) => {
    const b = e.target.closest('[data-key]');
    if (b) { b.setPointerCapture(e.pointerId); press(Number(b.dataset.key)); }
  });
  for (const ending of ['pointerup', 'pointercancel']) {
    $('keys').addEventListener(ending, (e) => {
      const b = e.target.closest('[data-key]');
      if (b) release(Number(b.dataset.key));
    });
  }
  const setPower = (v) => { $('power').value = $('power-value').value = v; act('power ' + $('power').value); };
  const setBrake = (v) => { $('brake').value = $('brake-value').value = v; act('brake ' + $('brake').value); };
  const setReverser = (v) => {
    for (const b of $('reverser').children) b.classList.toggle('on', Number(b.dataset.reverser) === v);
    act('reverser ' + v);
  };
  const reverserNow = () => Number($('reverser').querySelector('.on')?.dataset.reverser ?? 0);
  $('power').addEventListener('input', (e) => setPower(e.target.value));
  $('brake').addEventListener('input', (e) => setBrake(e.target.value));
  $('reverser').addEventListener('click', (e) => e.target.dataset.reverser && setReverser(Number(e.target.dataset.reverser)));
  document.querySelectorAll('[data-horn]').forEach((b) => b.addEventListener('click', () => act('horn ' + b.dataset.horn)));
  document.querySelectorAll('[data-door]').forEach((b) => b.addEventListener('click', () => act('door ' + b.dataset.door)));
  const step = () => { setRunning(false); if (live) { advance(interval, false); guarded(draw); } };
  $('pause').addEventListener('click', () => setRunning(!running));
  $('step').addEventListener('click', step);

  const handleKeys = {
    KeyA: () => setPower(Number($('power').value) + 1), KeyZ: () => setPower(Number($('power').value) - 1),
    Period: () => setBrake(Number($('brake').value) + 1), Comma: () => setBrake(Number($('brake').value) - 1),
    Slash: () => setBrake($('brake').max),
    ArrowUp: () => setReverser(Math.min(1, reverserNow() + 1)),
    ArrowDown: () => setReverser(Math.max(-1, reverserNow() - 1)),
    Enter: () => act('horn 0'), KeyP: () => setRunning(!running), KeyN: step,
  };
  const typing = (e) => e.target.closest('textarea, input, select');
  document.addEventListener('keydown', (e) => {
    if (!live || typing(e) || e.ctrlKey || e.altKey || e.metaKey) return;
    const number = KEYS.findIndex(([, code]) => code === e.code);
    if (number >= 0) press(number);
    else if (handleKeys[e.code] && !e.repeat) handleKeys[e.code]();
    else return;
    e.preventDefault();
  });
  document.addEventListener('keyup', (e) => {
    const number = KEYS.findIndex(([, code]) => code === e.code);
    if (number >= 0) release(number);
  });
  requestAnimationFrame(frame);

  return {
    // Starts the drive live with the configuration; slots are the configuration's.
    async start(drive, config, slots, helper) {
      $('cab').hidden = false;
      $('cab-error').hidden = true;
      live = false;
      let info;
      try {
        info = await helper.call('drive', drive);
        if (info.error) throw new Error(info.error);
        engine = await loadEngine();  // a plugin of its own for every drive
      } catch (error) {
        fail(error.message);
        return false;
      }
      const started = guarded(() => engine.liveStart(drive, config));
      if (!started) return false;
      if (started.error) {
        fail(started.error);
        return false;
      }
      live = true;
      held.clear();
      carry = 0;
      $('cab-title').textContent = info.title;
      $('live-timeline').textContent = '';
      timeline = [];
      timelineShown = 0;
      $('beacons').replaceChildren();
      buildTiles(slots, info.labels);
      const s = engine.liveState();
      interval = s.interval;
      showHandles(s);
      guarded(draw);
      setRunning(true);
      return true;
    },
    // Counts the animation frames for ms while the cab runs: frames a second and the
    // longest work of one frame.
    async measure(ms) {
      frames = [];
      await new Promise((resolve) => setTimeout(resolve, ms));
      const work = frames;
      frames = null;
      return { fps: (work.length * 1000) / ms, longest: Math.max(...work), mean: work.reduce((a, b) => a + b, 0) / work.length };
    },
  };
}
