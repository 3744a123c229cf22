// The C++ module behind the page: the plugin, the checker and footplate-run's host,
// wrapped so that JavaScript passes texts in and gets plain objects back.
import createFootplate from './footplate.js';

const encoder = new TextEncoder();
let code;  // the module's code, compiled once per thread

// A fresh instance of the module: a plugin that nothing has run yet, as footplate-run
// loads a fresh copy of the library for every drive.
export async function loadEngine() {
  code ??= WebAssembly.compileStreaming(fetch(new URL('./footplate.wasm', import.meta.url)));
  const compiled = await code;
  const m = await createFootplate({
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled));
      return {};
    },
  });

  // Calls fn with each text copied into the module's memory as bytes (zero-terminated,
  // so the names can be read as C strings) and their lengths; frees them after.
  function withTexts(texts, fn) {
    const encoded = texts.map((t) => encoder.encode(t));
    const pointers = encoded.map((bytes) => {
      const p = m._malloc(bytes.length + 1);
      if (!p) throw new Error('out of memory for a text of ' + bytes.length + ' bytes');
      m.HEAPU8.set(bytes, p);
      m.HEAPU8[p + bytes.length] = 0;
      return p;
    });
    try {
      return fn(pointers, encoded.map((b) => b.length));
    } finally {
      pointers.forEach((p) => m._free(p));
    }
  }
  const json = (pointer) => JSON.parse(m.UTF8ToString(pointer));

  return {
    examples: () => json(m._fp_examples()),
    everything: () => m.UTF8ToString(m._fp_everything()),
    check: (config, name) => withTexts([config, name], ([c, n], [length]) => json(m._fp_check(c, length, n))),
    drive: (drive) => withTexts([drive], ([d], [length]) => json(m._fp_drive(d, length))),
    run: (drive, config, title) =>
      withTexts([drive, config, title], ([d, c, t], [dl, cl]) => json(m._fp_run(d, dl, c, cl, t))),

    // The live cab: one drive at a time, stepped by the page.
    liveStart: (drive, config) =>
      withTexts([drive, config], ([d, c], [dl, cl]) => json(m._fp_live_start(d, dl, c, cl))),
    liveDo: (line) => withTexts([line], ([l]) => m.UTF8ToString(m._fp_live_do(l))),
    liveRun: (ms, stopAtBeacon) => m._fp_live_run(ms, stopAtBeacon ? 1 : 0),
    liveState() {
      const at = m._fp_live_state() / 8;
      const s = m.HEAPF64.subarray(at, at + 12);
      return { time: s[0], location: s[1], speed: s[2], brake: s[3], power: s[4], reverser: s[5],
               brakes: s[6], powers: s[7], interval: s[8],
               driver: { power: s[9], brake: s[10], reverser: s[11] } };
    },
    livePanel: () => m.HEAP32.subarray(m._fp_live_panel() / 4, m._fp_live_panel() / 4 + 256),
    liveSound: () => m.HEAP32.subarray(m._fp_live_sound() / 4, m._fp_live_sound() / 4 + 256),
    liveNews: () => json(m._fp_live_news()),
  };
}
