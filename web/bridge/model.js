// The laboratory's model: the C++ model of the loop (model/ in the sources),
// compiled to WebAssembly and embedded in this page by antenne-export,
// called through its plain C interface. The page writes a link's string into
// the module's memory and reads back a report in JSON and the samples as
// doubles; the module itself imports nothing but three system calls of its
// C library, which never runs them (it opens no file).
import { documentRead, inflate } from '../frames.js';

const encoder = new TextEncoder();
const decoder = new TextDecoder();
const system = { fd_close: () => 0, fd_seek: () => 0, fd_write: () => 0 };

// The columns of a run, as the model writes them, eight doubles a sample;
// 'limitee' is 1 where the chopper's limit holds the command.
export const columns = ['t', 'consigne', 'position', 'erreur', 'commande', 'tension', 'vent', 'limitee'];

export async function loadModel() {
  // The module is written after the page's script: read once the page is.
  await documentRead();
  const bytes = await inflate(document.getElementById('modele').textContent);
  const { instance } = await WebAssembly.instantiate(bytes, { wasi_snapshot_preview1: system });
  const m = instance.exports;
  m._initialize();
  // The memory may grow at any call: its buffer is taken afresh each time.
  const text = (pointer) => decoder.decode(new Uint8Array(m.memory.buffer, pointer, m.antenne_length()));
  const doubles = (pointer, count) => new Float64Array(m.memory.buffer, pointer, count).slice();

  return {
    // Runs the set-up of a link's string ("K=64.2&entree=rampe"): the report
    // (the set-up read, its problems, the figures and the analysis) and the
    // run's samples, one Float64Array a column.
    compute(link) {
      const input = encoder.encode(link);
      new Uint8Array(m.memory.buffer, m.antenne_input(input.length), input.length).set(input);
      const count = m.antenne_compute(input.length);
      const report = JSON.parse(text(m.antenne_report()));
      const flat = doubles(m.antenne_samples(), count * columns.length);
      const run = {};
      columns.forEach((name, c) => {
        run[name] = new Float64Array(count);
        for (let i = 0; i < count; ++i) run[name][i] = flat[i * columns.length + c];
      });
      return { report, run };
    },
    // The last run as antenne-export labo writes it in CSV: its very bytes.
    csv() {
      const pointer = m.antenne_csv();
      return new Uint8Array(m.memory.buffer, pointer, m.antenne_length()).slice();
    },
    // The settings' names, defaults and ranges, the presets and the figures' names.
    describe() {
      return JSON.parse(text(m.antenne_describe()));
    },
    // The exercise of the last set-up: 'objectif' judges the set-up against
    // its goal, 'prediction' judges a predicted value, 'reponse' gives the
    // answer: { met, text }.
    exercise(what, prediction = 0) {
      const code = { objectif: 0, prediction: 1, reponse: 2 }[what];
      return JSON.parse(text(m.antenne_exercise(code, prediction)));
    },
    // The root locus of the last set-up: each gain, and each branch's pole
    // there with its damping and natural pulsation.
    locus(low, high, count) {
      const branches = m.antenne_locus(low, high, count);
      const stride = 1 + 4 * branches;
      const flat = doubles(m.antenne_locus_data(), count * stride);
      const gains = new Float64Array(count);
      const fields = ['re', 'im', 'damping', 'pulsation'];
      const poles = Array.from({ length: branches },
                               () => Object.fromEntries(fields.map((f) => [f, new Float64Array(count)])));
      for (let i = 0; i < count; ++i) {
        gains[i] = flat[i * stride];
        poles.forEach((branch, b) => {
          fields.forEach((f, k) => {
            branch[f][i] = flat[i * stride + 1 + 4 * b + k];
          });
        });
      }
      return { gains, poles };
    },
    // Bode of the last set-up's open loop: pulsations (rad/s), gain (dB), phase (degrees).
    bode(low, high, count) {
      const points = m.antenne_bode(low, high, count);
      const flat = doubles(m.antenne_bode_data(), points * 3);
      const omega = new Float64Array(points);
      const gain = new Float64Array(points);
      const phase = new Float64Array(points);
      for (let i = 0; i < points; ++i) [omega[i], gain[i], phase[i]] = flat.subarray(3 * i, 3 * i + 3);
      return { omega, gain, phase };
    },
  };
}
