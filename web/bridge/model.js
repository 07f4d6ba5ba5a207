// The laboratory's model: the C++ model of the loop (model/ in the sources),
// compiled to WebAssembly with its bridge (c_api.cpp beside this file) and
// embedded in this page by antenne-export. The page hands it strings (a
// link, a change, a prediction as typed) and reads back JSON and tables of
// numbers, a column after another, as views of the module's memory. Each
// set-up worked out is kept by the module under a handle until it is
// released: every call says which set-up it is about. The module imports
// nothing but three system calls of its C library, which it never makes (it
// opens no file).
import { documentRead, inflate } from '../frames.js';

const encoder = new TextEncoder();
const decoder = new TextDecoder();
const system = { fd_close: () => 0, fd_seek: () => 0, fd_write: () => 0 };

// The tables the module gives (antenne_table's `which`).
const tables = { run: 0, locus: 1, bode: 2, nyquist: 3, asymptotes: 4, nichols: 5 };

export async function loadModel() {
  // The module is written after the page's script: read once the page is.
  await documentRead();
  const bytes = await inflate(document.getElementById('modele').textContent);
  const { instance } = await WebAssembly.instantiate(bytes, { wasi_snapshot_preview1: system });
  const m = instance.exports;
  m._initialize();

  // The memory may grow at any call: its buffer is taken afresh after each.
  const text = (pointer) => decoder.decode(new Uint8Array(m.memory.buffer, pointer, m.antenne_length()));
  const json = (pointer) => JSON.parse(text(pointer));
  const input = (string) => {
    const encoded = encoder.encode(string);
    const pointer = m.antenne_input(encoded.length);
    new Uint8Array(m.memory.buffer, pointer, encoded.length).set(encoded);
    return encoded.length;
  };
  // A table as named columns: one copy out of the module's memory, then a
  // view of it for each column.
  function table(handle, which, low = 0, high = 0, count = 0) {
    const { rows, columns } = json(m.antenne_table(handle, which, low, high, count));
    const numbers = new Float64Array(m.memory.buffer, m.antenne_table_data(), rows * columns.length).slice();
    return Object.fromEntries(columns.map((name, c) => [name, numbers.subarray(c * rows, (c + 1) * rows)]));
  }

  // A set-up the module keeps: its report and run, and what else it is asked.
  function setUp(handle) {
    return {
      handle,
      report: json(m.antenne_report(handle)),
      run: table(handle, tables.run),
      // Its run as antenne-export labo writes it in CSV: its very bytes.
      csv() {
        const pointer = m.antenne_csv(handle);
        return new Uint8Array(m.memory.buffer, pointer, m.antenne_length()).slice();
      },
      // Its root locus: each gain, and each branch's pole there with its
      // damping and natural pulsation. Without a sweep, the model's own
      // (describe().views), as for Bode.
      locus(low = 0, high = 0, count = 0) {
        const columns = table(handle, tables.locus, low, high, count);
        const poles = [];
        for (let b = 0; `re${b}` in columns; ++b)
          poles.push({ re: columns[`re${b}`], im: columns[`im${b}`], damping: columns[`damping${b}`],
                       pulsation: columns[`pulsation${b}`] });
        return { gains: columns.K, poles };
      },
      // Bode of its open loop: pulsations (rad/s), gain (dB), phase (degrees).
      bode: (low = 0, high = 0, count = 0) => table(handle, tables.bode, low, high, count),
      // The closed loop's Bode comes with it: gainBF (dB), phaseBF (degrees).
      // Nyquist's curve for ω > 0: omega, re, im (the report's "nyquist"
      // gives its arc at infinity and its verdict).
      nyquist: (count = 0) => table(handle, tables.nyquist, 0, 0, count),
      // Bode's asymptotes as lines: omega, gain, phase, two points a break.
      asymptotes: () => table(handle, tables.asymptotes),
      // The Black-Nichols contours over the phases from `low` to `high`
      // (degrees): niveau, phase, gain, etiquette, a row of NaN between lines.
      nichols: (low, high) => table(handle, tables.nichols, low, high, 0),
      // A phase lead placed for a crossover and a phase margin, as typed:
      // { placed, text, pairs, phi, a, tau, K } (bridge/c_api.cpp).
      lead(omega, margin) {
        const length = input(`${omega}\n${margin}`);
        return json(m.antenne_lead(handle, length));
      },
      // Its exercise: 'objectif' judges the set-up against its goal,
      // 'prediction' judges a prediction as typed, 'reponse' gives the
      // answer: { met, text }.
      exercise(what, typed = '') {
        const length = input(typed);
        return json(m.antenne_exercise(handle, { objectif: 0, prediction: 1, reponse: 2 }[what], length));
      },
      release: () => m.antenne_release(handle),
    };
  }

  return {
    // Works out a link's set-up ("K=64.2&entree=rampe"); `previous`, the
    // set-up shown before, lets its report say what changed.
    compute: (link, previous = null) => setUp(m.antenne_compute(input(link), previous ? previous.handle : 0)),
    // Checks pairs ("K=200") as a change of `base` (or a link, without a
    // base) before anything runs: { link, problems, ignored, exercise }.
    check: (base, pairs) => json(m.antenne_check(base ? base.handle : 0, input(pairs))),
    // Every setting, preset and quantity, as the model declares them.
    describe: () => json(m.antenne_describe()),
    // The SCORM 1.2 package of an exercise's link (bridge/scorm.h): { problems
    // (in French; none for a package), link, title, file, page, manifest }.
    scorm: (link) => json(m.antenne_scorm(input(link))),
    // Numbers on French conventions, as the model writes them everywhere.
    french: (x, places) => text(m.antenne_french(x, places, 0)),
    significant: (x, digits) => text(m.antenne_french(x, digits, 1)),
  };
}
