// The complex plane's frame, worked out apart from the drawing: which box of
// the plane a view shows, one unit as long on both axes, and where the
// locus's gains fall. Plain functions on numbers.

// The smallest of 1, 1.5, 2, 3, 5 or 7.5 times a power of ten that is at
// least x: the dominant view's scale moves by these steps only, so that it
// does not breathe with every move of K.
function niceCeil(x) {
  const power = 10 ** Math.floor(Math.log10(x));
  for (const m of [1, 1.5, 2, 3, 5, 7.5, 10]) if (m * power >= x * (1 - 1e-12)) return m * power;
  return 10 * power;
}

const modulus = ([re, im]) => Math.hypot(re, im);

// The points the dominant view holds: the dominant pole's pair always, then
// the poles, zeros and the locus's starting points from the origin outwards
// while each is within three times the farthest one kept (and at least
// within 6 s⁻¹), so that the chopper's pole near −100 s⁻¹ and a fast
// derivative filter stay out.
export function dominantPoints(analysis, locus) {
  const dominant = analysis.poles[0];
  const kept = dominant ? [dominant, [dominant[0], -dominant[1]]] : [];
  let farthest = dominant ? modulus(dominant) : 0;
  const others = [...analysis.poles, ...analysis.zeros, ...locus.poles.map((b) => [b.re[0], b.im[0]])]
    .sort((a, b) => modulus(a) - modulus(b));
  for (const p of others) {
    if (modulus(p) > Math.max(6, 3 * farthest)) break;
    kept.push(p);
    farthest = Math.max(farthest, modulus(p));
  }
  return kept;
}

// The points a sampled loop's dominant view holds in the plane z: the unit
// circle, and the poles and zeros within twice its radius.
export function unitCirclePoints(analysis) {
  const near = [...analysis.poles, ...analysis.zeros].filter((p) => modulus(p) <= 2);
  return [[-1, 0], [1, 0], [0, 1], [0, -1], ...near];
}

// The box holding points, the imaginary axis always in it.
export function boxOf(points) {
  let x0 = 0;
  let x1 = 0;
  let y = 0;
  for (const [re, im] of points) {
    if (!Number.isFinite(re) || !Number.isFinite(im)) continue;
    x0 = Math.min(x0, re);
    x1 = Math.max(x1, re);
    y = Math.max(y, Math.abs(im));
  }
  return { x0, x1, y };
}

// A view of a box, one unit as long on both axes on a plot of w x h CSS
// pixels; `stepped` rounds its scale and centre to coarse steps.
export function viewOf({ x0, x1, y }, w, h, margin, stepped) {
  const size = Math.max(x1 - x0, 2 * y, 0.5);
  x0 -= margin * size;
  x1 += margin * size;
  y += margin * size;
  let perPixel = Math.max((x1 - x0) / w, (2 * y) / h);
  if (stepped) perPixel = niceCeil(perPixel);
  const sx = perPixel * w;
  const sy = perPixel * h;
  let centre = (x0 + x1) / 2;
  if (stepped) centre = Math.round(centre / (sx / 8)) * (sx / 8);
  return { x: [centre - sx / 2, centre + sx / 2], y: [-sy / 2, sy / 2] };
}

export function sameView(a, b) {
  const near = (p, q) => Math.abs(p - q) <= 1e-9 * Math.max(1, Math.abs(p), Math.abs(q));
  return a && b && near(a.x[0], b.x[0]) && near(a.x[1], b.x[1]) && near(a.y[0], b.y[0]) && near(a.y[1], b.y[1]);
}

// The gain index of the locus nearest K (its gains are log spaced).
export function nearestIndex(gains, K) {
  let best = 0;
  for (let i = 1; i < gains.length; ++i)
    if (Math.abs(Math.log(gains[i] / K)) < Math.abs(Math.log(gains[best] / K))) best = i;
  return best;
}

// The branch of the dominant pole (the one of positive imaginary part),
// at the locus's gain nearest K.
export function dominantBranch(analysis, locus, K) {
  const dominant = analysis.poles.find((p) => p[1] >= 0) || analysis.poles[0];
  if (!dominant) return 0;
  const i = nearestIndex(locus.gains, K);
  let best = 0;
  locus.poles.forEach((b, n) => {
    const old = locus.poles[best];
    if (Math.hypot(b.re[i] - dominant[0], b.im[i] - dominant[1]) <
        Math.hypot(old.re[i] - dominant[0], old.im[i] - dominant[1])) best = n;
  });
  return best;
}
