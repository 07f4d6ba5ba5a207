// What the Nyquist view draws on its canvas, as uPlot's hooks call it: the
// axes and the unit circle, the arcs at infinity the integrators close,
// the curve's direction, the critical point −1 and the modulus margin's
// circle about it.
import { french } from '../format.js';
import { clipped } from './clipped.js';

export const colours = {
  positive: '#1f4fbf',
  negative: '#1f4fbf',
  arc: '#7d5fb3',
  critical: '#c00000',
  modulus: '#d06000',
  axis: '#909090',
  unit: 'rgba(0, 0, 0, 0.25)',
};


// The plot's scale: canvas pixels for one unit of L (the same on both axes).
function unit(u) {
  return Math.abs(u.valToPos(1, 'x', true) - u.valToPos(0, 'x', true));
}

// The real and imaginary axes, and the unit circle, where |L| = 1.
export function drawAxes(u) {
  clipped(u, (ctx, r) => {
    const x = u.valToPos(0, 'x', true);
    const y = u.valToPos(0, 'y', true);
    ctx.strokeStyle = colours.axis;
    ctx.lineWidth = r;
    ctx.beginPath();
    ctx.moveTo(u.bbox.left, y);
    ctx.lineTo(u.bbox.left + u.bbox.width, y);
    ctx.moveTo(x, u.bbox.top);
    ctx.lineTo(x, u.bbox.top + u.bbox.height);
    ctx.stroke();
    ctx.strokeStyle = colours.unit;
    ctx.setLineDash([3 * r, 3 * r]);
    ctx.beginPath();
    ctx.arc(x, y, unit(u), 0, 2 * Math.PI);
    ctx.stroke();
  });
}

// An arrowhead at (x, y) pointing along (dx, dy).
function arrowhead(ctx, x, y, dx, dy, size) {
  const length = Math.hypot(dx, dy);
  if (!(length > 0)) return;
  const [ux, uy] = [dx / length, dy / length];
  ctx.beginPath();
  ctx.moveTo(x + ux * size, y + uy * size);
  ctx.lineTo(x - ux * size - uy * size * 0.6, y - uy * size + ux * size * 0.6);
  ctx.lineTo(x - ux * size + uy * size * 0.6, y - uy * size - ux * size * 0.6);
  ctx.closePath();
  ctx.fill();
}

// The arcs at infinity: about the origin at the model's radius, from the
// mirror's end (ω = 0−) clockwise to the curve's start (ω = 0+), dotted,
// with an arrow on their middle and a word on what they stand for.
export function drawArc(u, arc) {
  if (!arc) return;
  clipped(u, (ctx, r) => {
    const cx = u.valToPos(0, 'x', true);
    const cy = u.valToPos(0, 'y', true);
    const radius = arc.radius * unit(u);
    const from = (-arc.from * Math.PI) / 180;  // the canvas turns the other way
    const to = (-arc.to * Math.PI) / 180;
    ctx.strokeStyle = colours.arc;
    ctx.fillStyle = colours.arc;
    ctx.lineWidth = 1.5 * r;
    ctx.setLineDash([2 * r, 4 * r]);
    ctx.beginPath();
    ctx.arc(cx, cy, radius, from, to, false);
    ctx.stroke();
    ctx.setLineDash([]);
    const middle = (from + to) / 2;
    const [x, y] = [cx + radius * Math.cos(middle), cy + radius * Math.sin(middle)];
    arrowhead(ctx, x, y, -Math.sin(middle), Math.cos(middle), 6 * r);
    // Its word inside the arc, under its arrow.
    ctx.font = `${9 * r}px sans-serif`;
    ctx.textAlign = Math.cos(middle) > 0 ? 'right' : 'left';
    ctx.textBaseline = 'top';
    ctx.fillText('ω → 0 : arc de rayon infini', x - Math.sign(Math.cos(middle)) * 10 * r, y + 8 * r);
  });
}

// Arrows along both branches, the way ω grows: at a third and two thirds of
// the curve's points.
export function drawDirection(u, re, im) {
  clipped(u, (ctx, r) => {
    for (const [colour, sign] of [[colours.positive, 1], [colours.negative, -1]]) {
      ctx.fillStyle = colour;
      for (const fraction of [1 / 3, 2 / 3]) {
        const i = Math.round(fraction * (re.length - 2));
        const x = u.valToPos(re[i], 'x', true);
        const y = u.valToPos(sign * im[i], 'y', true);
        const dx = u.valToPos(re[i + 1], 'x', true) - x;
        const dy = u.valToPos(sign * im[i + 1], 'y', true) - y;
        // ω < 0 runs the mirror from its far end: the other way.
        arrowhead(ctx, x, y, sign * dx, sign * dy, 5 * r);
      }
    }
  });
}

// The critical point −1, and the modulus margin's circle about it, with
// its radius drawn to the curve's nearest point.
export function drawCritical(u, frequency, nearest) {
  clipped(u, (ctx, r) => {
    const x = u.valToPos(-1, 'x', true);
    const y = u.valToPos(0, 'y', true);
    if (frequency.stable) {
      const radius = frequency.modulusMargin * unit(u);
      ctx.strokeStyle = colours.modulus;
      ctx.fillStyle = colours.modulus;
      ctx.lineWidth = 1.5 * r;
      ctx.beginPath();
      ctx.arc(x, y, radius, 0, 2 * Math.PI);
      ctx.stroke();
      const [nx, ny] = [u.valToPos(nearest[0], 'x', true), u.valToPos(nearest[1], 'y', true)];
      ctx.beginPath();
      ctx.moveTo(x, y);
      ctx.lineTo(nx, ny);
      ctx.stroke();
      ctx.font = `bold ${10 * r}px sans-serif`;
      ctx.textAlign = nx > x ? 'right' : 'left';
      ctx.textBaseline = 'top';
      ctx.fillText(`MM = ${french(frequency.modulusMargin, 3)}`, x + (nx > x ? -6 : 6) * r, y + 4 * r);
    }
    ctx.strokeStyle = colours.critical;
    ctx.lineWidth = 2.5 * r;
    const arm = 6 * r;
    ctx.beginPath();
    ctx.moveTo(x - arm, y - arm);
    ctx.lineTo(x + arm, y + arm);
    ctx.moveTo(x - arm, y + arm);
    ctx.lineTo(x + arm, y - arm);
    ctx.stroke();
    ctx.fillStyle = colours.critical;
    ctx.font = `${10 * r}px sans-serif`;
    ctx.textAlign = 'right';
    ctx.textBaseline = 'bottom';
    ctx.fillText('−1', x - 4 * r, y - 4 * r);
  });
}
