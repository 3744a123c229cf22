// Checks configurations and runs drives away from the page, so a slow or broken input
// never freezes it: the page stops this worker when it takes too long and starts another.
import { loadEngine } from './engine.js';

const checker = loadEngine();  // checks, examples and drive declarations share one
let fresh = loadEngine();       // every drive runs on a plugin of its own

self.onmessage = async ({ data: { id, op, args } }) => {
  try {
    let e = await checker;
    if (op === 'run') {
      e = await fresh;
      fresh = loadEngine();
    }
    const started = performance.now();
    const result = e[op](...args);
    self.postMessage({ id, result, ms: performance.now() - started });
  } catch (error) {
    // A fault inside the module leaves it unusable: the page replaces this worker.
    self.postMessage({ id, error: String(error && error.message ? error.message : error), broken: true });
  }
};
