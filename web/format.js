// Numbers as the laboratory writes them: by the model itself, which writes
// every number on French conventions (a decimal comma, thousands set apart
// by a no-break space from 10 000 on) for the page, its exports and the
// command line alike. The laboratory hands the model over once it is loaded.
let writer = null;

export function formatWith(model) {
  writer = model;
}

// x with `places` places: "2620,1", or a dash where there is no number.
export function french(x, places) {
  return Number.isFinite(x) ? writer.french(x, places) : '—';
}

// About `digits` significant digits, without trailing zeros: "64,2", "0,05", "2620".
export function significant(x, digits) {
  return Number.isFinite(x) ? writer.significant(x, digits) : '—';
}

// Axis labels for uPlot, with as many places as the ticks' step needs.
export function axisLabels(u, splits) {
  const step = splits.length > 1 ? Math.abs(splits[1] - splits[0]) : 1;
  const places = Math.max(0, Math.min(4, -Math.floor(Math.log10(step) + 1e-9)));
  return splits.map((v) => french(v, places));
}

// A legend's value for uPlot, written by `format`, or a dash where there is none.
export const legendValue = (format) => (u, v) => (v === null || v === undefined ? '—' : format(v));
