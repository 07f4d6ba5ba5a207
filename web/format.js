// Numbers as the page writes and reads them, on French conventions: a
// decimal comma, and thousands set apart by a no-break space from 10 000 on.
export function french(x, decimals) {
  if (!Number.isFinite(x)) return '—';
  let text = Math.abs(x).toFixed(decimals);
  if (Number(text) === 0) x = 0;  // no "-0,0"
  let [whole, part] = text.split('.');
  if (whole.length >= 5) whole = whole.replace(/\B(?=(\d{3})+(?!\d))/g, '\u00a0');
  text = part === undefined ? whole : `${whole},${part}`;
  return x < 0 ? `-${text}` : text;
}

// About `digits` significant digits, without trailing zeros: "64,2", "0,05", "2620".
export function significant(x, digits) {
  if (x === 0 || !Number.isFinite(x)) return french(x, 0);
  const magnitude = Math.floor(Math.log10(Math.abs(x)));
  const decimals = Math.max(0, Math.min(6, digits - 1 - magnitude));
  const text = french(x, decimals);
  return text.includes(',') ? text.replace(/0+$/, '').replace(/,$/, '') : text;
}

// x rounded to `digits` significant digits, as a number: the values the
// sliders give, which the link then writes short (64.2, not 64.21834).
export function rounded(x, digits) {
  if (x === 0 || !Number.isFinite(x)) return x;
  const magnitude = Math.floor(Math.log10(Math.abs(x)));
  const factor = 10 ** (digits - 1 - magnitude);
  return Math.round(x * factor) / factor;
}

// A number as a student types it, made one the model reads: thousands set
// apart by a space ("2 620,1", as the page writes "10 000") joined up, and a
// minus sign taken for a hyphen. Anything else is left for the reader to refuse.
export function typedNumber(text) {
  return text.trim().replace(/(\d)[ \u00a0\u202f](?=\d{3}(?!\d))/g, '$1').replace(/^\u2212/, '-');
}

// A number as a link writes it: a decimal point, no more digits than it has.
export function linkNumber(x) {
  return String(Number(x.toPrecision(12)));
}

// Axis labels for uPlot, with a decimal comma and as many places as the
// ticks' step needs.
export function axisLabels(u, splits) {
  const step = splits.length > 1 ? Math.abs(splits[1] - splits[0]) : 1;
  const decimals = Math.max(0, Math.min(4, -Math.floor(Math.log10(step) + 1e-9)));
  return splits.map((v) => french(v, decimals));
}

// A legend's value for uPlot, written by `format`, or a dash where there is none.
export const legendValue = (format) => (u, v) => (v === null || v === undefined ? '—' : format(v));
