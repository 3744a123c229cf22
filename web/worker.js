// Checks configurations and runs drives away from the page, so a slow or broken input
// never freezes it: the page stops this worker when it takes too long and starts another.
import { loadEngine } from './engine.js';

const engine = loadEngine();

self.onmessage = async ({ data: { id, op, args } }) => {
  try {
    const e = await engine;
    const started = performance.now();
    const result = e[op](...args);
    self.postMessage({ id, result, ms: performance.now() - started });
  } catch (error) {
    // A fault inside the module leaves it unusable: the page replaces this worker.
    self.postMessage({ id, error: String(error && error.message ? error.message : error), broken: true });
  }
};
