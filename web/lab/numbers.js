// The numbers the page makes itself, from a pointer rather than from the
// model: a slider's place, or a point chosen on the root locus, rounded to
// the digits a student would type, and written as a link writes numbers.

// x rounded to `digits` significant digits: 64.2, not 64.21834.
export function rounded(x, digits) {
  if (x === 0 || !Number.isFinite(x)) return x;
  const magnitude = Math.floor(Math.log10(Math.abs(x)));
  const factor = 10 ** (digits - 1 - magnitude);
  return Math.round(x * factor) / factor;
}

// A number as a link writes it: a decimal point, no more digits than it has.
export function linkNumber(x) {
  return String(Number(x.toPrecision(12)));
}
