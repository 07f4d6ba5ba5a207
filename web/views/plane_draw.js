// What the complex plane draws on its canvas, as uPlot's hooks call it: the
// stable half-plane shaded (the unit disc, for a sampled loop's plane z),
// the axes, and over the locus's branches (thin_line.js's lines) the closed
// loop's poles (×) and zeros (○), the points where the locus crosses the
// stability boundary and the critical gain there. `plane` is the report's:
// { domain: 's' | 'z', period: Te }.
import { significant } from '../format.js';

export const colours = {
  branch: '#7d8fb3',
  pole: '#c00000',
  zero: '#0050c8',
  stable: 'rgba(0, 150, 60, 0.07)',
  axis: '#202020',
  realAxis: '#909090',
  crossing: '#202020',
};

// The unit circle's path, on the canvas.
function unitCircle(u) {
  const x = u.valToPos(0, 'x', true);
  const y = u.valToPos(0, 'y', true);
  const path = new Path2D();
  path.ellipse(x, y, Math.abs(u.valToPos(1, 'x', true) - x), Math.abs(u.valToPos(1, 'y', true) - y), 0, 0, 2 * Math.PI);
  return path;
}

// The stable region under everything, then the axes' lines.
export function drawBackground(u, plane) {
  const { ctx } = u;
  const { left, top, width, height } = u.bbox;
  ctx.save();
  ctx.fillStyle = colours.stable;
  if (plane.domain === 'z') {
    ctx.beginPath();
    ctx.rect(left, top, width, height);
    ctx.clip();
    ctx.fill(unitCircle(u));
  } else {
    const zero = Math.round(u.valToPos(0, 'x', true));
    const right = Math.min(left + width, Math.max(left, zero));
    ctx.fillRect(left, top, right - left, height);
  }
  ctx.restore();
}

// Where the locus crosses the stability boundary at the pulsation omega:
// on the imaginary axis, or on the unit circle at exp(j omega Te).
function crossingPoint(plane, omega) {
  return plane.domain === 'z' ? [Math.cos(omega * plane.period), Math.sin(omega * plane.period)] : [0, omega];
}

export function drawAxesLines(u, plane) {
  const { ctx } = u;
  const { left, top, width, height } = u.bbox;
  const r = devicePixelRatio;
  const x = Math.round(u.valToPos(0, 'x', true));
  const y = Math.round(u.valToPos(0, 'y', true));
  ctx.save();
  ctx.lineWidth = r;
  ctx.strokeStyle = colours.realAxis;
  if (y >= top && y <= top + height) {
    ctx.beginPath();
    ctx.moveTo(left, y);
    ctx.lineTo(left + width, y);
    ctx.stroke();
  }
  // The imaginary axis is the stability boundary in s; in z, the circle is.
  const z = plane.domain === 'z';
  ctx.lineWidth = (z ? 1 : 1.5) * r;
  ctx.strokeStyle = z ? colours.realAxis : colours.axis;
  if (x >= left && x <= left + width) {
    ctx.beginPath();
    ctx.moveTo(x, top);
    ctx.lineTo(x, top + height);
    ctx.stroke();
  }
  if (z) {
    ctx.beginPath();
    ctx.rect(left, top, width, height);
    ctx.clip();
    ctx.lineWidth = 1.5 * r;
    ctx.strokeStyle = colours.axis;
    ctx.stroke(unitCircle(u));
  }
  ctx.restore();
}

// The current poles and zeros over the branches, and where the locus
// crosses the imaginary axis.
export function drawMarkers(u, analysis, plane) {
  const { ctx } = u;
  const { left, top, width, height } = u.bbox;
  const r = devicePixelRatio;
  ctx.save();
  ctx.beginPath();
  ctx.rect(left, top, width, height);
  ctx.clip();
  const at = ([re, im]) => [u.valToPos(re, 'x', true), u.valToPos(im, 'y', true)];
  ctx.fillStyle = colours.crossing;
  for (const [, omega] of analysis.crossings) {
    const [re, im] = crossingPoint(plane, omega);
    for (const side of [im, -im]) {
      const [x, y] = at([re, side]);
      ctx.beginPath();
      ctx.arc(x, y, 3 * r, 0, 2 * Math.PI);
      ctx.fill();
    }
  }
  if (analysis.critical) {
    const [x, y] = at(crossingPoint(plane, analysis.critical.omega));
    const text = `Kc = ${significant(analysis.critical.K, 4)}`;
    ctx.font = `${11 * r}px sans-serif`;
    ctx.textBaseline = 'middle';
    // Right of the axis, or left of it when the plot ends there.
    const room = left + width - x - 6 * r >= ctx.measureText(text).width;
    ctx.textAlign = room ? 'left' : 'right';
    ctx.fillText(text, room ? x + 6 * r : x - 6 * r, y);
  }
  ctx.lineWidth = 2 * r;
  ctx.strokeStyle = colours.zero;
  for (const zero of analysis.zeros) {
    const [x, y] = at(zero);
    ctx.beginPath();
    ctx.arc(x, y, 5 * r, 0, 2 * Math.PI);
    ctx.stroke();
  }
  ctx.lineWidth = 2.5 * r;
  ctx.strokeStyle = colours.pole;
  const arm = 5.5 * r;
  ctx.beginPath();
  for (const pole of analysis.poles) {
    const [x, y] = at(pole);
    ctx.moveTo(x - arm, y - arm);
    ctx.lineTo(x + arm, y + arm);
    ctx.moveTo(x - arm, y + arm);
    ctx.lineTo(x + arm, y - arm);
  }
  ctx.stroke();
  ctx.restore();
}
