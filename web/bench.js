// The workbench's benchmark: how long a ten-minute drive of an example takes to simulate,
// and how many frames a second the live cab keeps with every subsystem on.

// A drive for a configuration with every subsystem on: rain for the wipers and drops, a
// door side, a power gap and magnets within its first seconds, the speed selector held,
// and the train already rolling (the diesel gives no power at a stand in that cab).
const EVERY_SUBSYSTEM = `title "Every subsystem on"
train brakes 8 power 5 accel 0.8 topspeed 140 decel 0.9 emergency 1.3
route 1 21 optional 100 label "heavy rain"
route 2 23 optional 1 label "doors right"
route 8 20 optional 30 label "power gap"
route 12 44000 signal 4 label "AWS clear"
route 14 49000 signal 4 label "PZB clear"
initialize 2
reverser 1
key 9
key 10
key 5
power 4
keydown 11
speed 20
`;

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

export async function benchmark(state, cab) {
  const out = document.getElementById('bench-result');
  out.textContent = 'measuring…';
  try {
    // The British drive, carried on to ten minutes of simulated time.
    const drive = state.examples.get('drive_british_emu.scn') + '\nat 600000 frame\n';
    const config = state.examples.get('british_emu.cfg');
    const runs = [];
    let frames = 0;
    for (let i = 0; i < 5; i++) {
      const result = await state.worker.call('run', drive, config, 'benchmark');
      if (result.error) throw new Error(result.error);
      runs.push(result.ms);
      frames = result.frames;
    }
    const everything = await state.worker.call('everything');
    const { slots } = await state.worker.call('check', everything, 'everything.cfg');
    document.getElementById('speedup').value = '1';
    document.getElementById('stop-at-beacons').checked = false;
    if (!(await cab.start(EVERY_SUBSYSTEM, everything, slots, state.worker))) throw new Error('the live cab did not start');
    const live = await cab.measure(3000);
    out.textContent = `ten-minute drive: ${frames} frames in ${median(runs).toFixed(0)} ms (median of 5); ` +
      `live cab, every subsystem on: ${live.fps.toFixed(1)} frames/s, ` +
      `work per frame ${live.mean.toFixed(2)} ms (longest ${live.longest.toFixed(2)} ms)`;
    out.dataset.driveMs = median(runs);
    out.dataset.fps = live.fps;
  } catch (error) {
    out.textContent = 'benchmark failed: ' + error.message;
  }
}
