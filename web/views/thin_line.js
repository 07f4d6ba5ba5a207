// A curve's line through fewer points, for the charts that are drawn again
// on every move of a slider. A point that lies within a tenth of a pixel of
// the straight line drawn past it is left out: the line's pixels change by
// less than a quarter of their coverage almost everywhere, and by less than
// half anywhere. A run sampled every 10 ms puts more than one point on each
// pixel of a chart, and the browser's time to draw a thick line grows with
// its points; most of a smooth curve goes in a few long strokes. The
// charts take their lines from the two uPlot `paths` at the end: a series
// against the chart's x values, or a curve of its own.
//
// The points are taken in order, in a sleeve: from the last point drawn,
// the directions that pass within the tolerance of every point left out so
// far narrow as points come; the first point outside them, or one that
// turns back, ends the stroke at the point before it.

const TOLERANCE = 0.1;  // canvas pixels

// Draws into `path` (a Path2D) the line through points 0 to count - 1,
// whose canvas pixels are xAt(i), yAt(i). A missing value (null) breaks the
// line, as uPlot's own lines do; a point off the canvas's numbers (NaN,
// infinite) is passed over, as the canvas itself would.
export function thinLine(path, count, xAt, yAt, tolerance = TOLERANCE) {
  const tolerance2 = tolerance * tolerance;
  let open = false;      // a line has started
  let ax = 0;            // the last point drawn: the sleeve's apex
  let ay = 0;
  let cx = 0;            // the last point taken, not yet drawn
  let cy = 0;
  let pending = false;
  let aimed = false;     // the sleeve has its edges
  let lx = 0;            // its edges' directions, from the apex: the sleeve
  let ly = 0;            // runs counterclockwise from (lx, ly) to (hx, hy)
  let hx = 0;
  let hy = 0;
  let reach = 0;         // the farthest point from the apex so far

  function apex(x, y) {
    ax = x;
    ay = y;
    aimed = false;
    reach = 0;
  }

  // Whether (x, y) lies in the sleeve from the apex; if so, the sleeve
  // narrows to the directions that pass within the tolerance of it too:
  // those between its direction turned either way by asin(tolerance / d).
  function fits(x, y) {
    const vx = x - ax;
    const vy = y - ay;
    const d2 = vx * vx + vy * vy;
    if (d2 <= tolerance2) return true;
    const d = Math.sqrt(d2);
    if (d + tolerance < reach) return false;
    if (aimed && (lx * vy - ly * vx < 0 || vx * hy - vy * hx < 0)) return false;
    const cos = Math.sqrt(d2 - tolerance2) / d;
    const sin = tolerance / d;
    const fromX = vx * cos + vy * sin;   // turned clockwise
    const fromY = vy * cos - vx * sin;
    const toX = vx * cos - vy * sin;     // turned counterclockwise
    const toY = vy * cos + vx * sin;
    if (!aimed || lx * fromY - ly * fromX > 0) {
      lx = fromX;
      ly = fromY;
    }
    if (!aimed || toX * hy - toY * hx > 0) {
      hx = toX;
      hy = toY;
    }
    aimed = true;
    reach = Math.max(reach, d);
    return true;
  }

  for (let i = 0; i < count; ++i) {
    const x = xAt(i);
    const y = yAt(i);
    if (x === null || y === null) {
      if (pending) path.lineTo(cx, cy);
      open = false;
      pending = false;
    } else if (Number.isFinite(x) && Number.isFinite(y)) {
      if (!open) {
        path.moveTo(x, y);
        apex(x, y);
        open = true;
      } else {
        // The first point after the apex always fits: one that does not
        // has a point before it, taken and not yet drawn.
        if (!fits(x, y)) {
          path.lineTo(cx, cy);
          apex(cx, cy);
          fits(x, y);
        }
        cx = x;
        cy = y;
        pending = true;
      }
    }
  }
  if (pending) path.lineTo(cx, cy);
  return path;
}

// A uPlot scale's canvas pixel for a value: a linear or logarithmic scale
// (Bode's pulsations) is worked out once for the line rather than asked of
// uPlot at every point; any other asks uPlot.
export function pixelsOn(u, key) {
  const scale = u.scales[key];
  const logarithmic = scale.distr === 3;
  if (scale.dir !== 1 || !(scale.distr === 1 || logarithmic)) return (v) => u.valToPos(v, key, true);
  const along = logarithmic ? Math.log10 : (v) => v;
  const low = along(scale.min);
  const span = along(scale.max) - low;
  const { left, top, width, height } = u.bbox;
  return scale.ori === 0 ? (v) => left + (width * (along(v) - low)) / span
    : (v) => top + height - (height * (along(v) - low)) / span;
}

// A line alone, as uPlot's `paths` give it: no fill, no clip, no band.
const strokeOnly = (stroke) => ({ stroke, fill: null, clip: null, band: null, gaps: null, flags: 0 });

// uPlot's `paths` for a series against the chart's x values (a time curve,
// Bode's): the thin line through its points in view.
export function linePaths(u, seriesIndex, idx0, idx1) {
  const xs = u.data[0];
  const ys = u.data[seriesIndex];
  const x = pixelsOn(u, 'x');
  const y = pixelsOn(u, u.series[seriesIndex].scale);
  return strokeOnly(thinLine(new Path2D(), idx1 - idx0 + 1, (i) => (xs[idx0 + i] == null ? null : x(xs[idx0 + i])),
                             (i) => (ys[idx0 + i] == null ? null : y(ys[idx0 + i]))));
}

// uPlot's `paths` for a curve of its own, [xs, ys], in the scatter mode (the
// locus's branches, Black's and Nyquist's curves): the thin line through
// its points in order.
export function branchPaths(u, seriesIndex) {
  const [xs, ys] = u.data[seriesIndex];
  const x = pixelsOn(u, 'x');
  const y = pixelsOn(u, 'y');
  return strokeOnly(thinLine(new Path2D(), xs.length, (i) => x(xs[i]), (i) => y(ys[i])));
}
