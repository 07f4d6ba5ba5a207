// What Bode's charts draw beside their curves: the pulsation axis's labels,
// a range that keeps a reference level in sight, the reference level's
// dashed line, and a margin as a double arrow with its label.
import { french } from '../format.js';

// Only the powers of ten are labelled, every other one when the decades
// are too narrow for their labels; the other ticks are left bare.
export function pulsationValues(u, splits) {
  const decade = Math.abs(u.valToPos(10, 'x') - u.valToPos(1, 'x'));
  const every = Math.max(1, Math.ceil(42 / decade));
  return splits.map((v) => {
    const power = Math.round(Math.log10(v));
    const labelled = Math.abs(v / 10 ** power - 1) < 1e-6 && power % every === 0;
    return labelled ? french(10 ** power, Math.max(0, -power)) : '';
  });
}

// A range holding the data and a reference level with some room around
// them, on whole steps, so that neither lies on the plot's edge.
export function rangeWith(level, step) {
  return (u, min, max) => {
    const lo = Math.min(min ?? level, level);
    const hi = Math.max(max ?? level, level);
    const room = Math.max(0.04 * (hi - lo), step / 8);
    return [Math.floor((lo - room) / step) * step, Math.ceil((hi + room) / step) * step];
  };
}

// A horizontal reference line, dashed, across the plot.
export function drawLevel(u, level, colour) {
  const { ctx } = u;
  const { left, top, width, height } = u.bbox;
  const y = Math.round(u.valToPos(level, 'y', true));
  if (y < top || y > top + height) return;
  ctx.save();
  ctx.strokeStyle = colour;
  ctx.lineWidth = 1.25 * devicePixelRatio;
  ctx.setLineDash([6 * devicePixelRatio, 4 * devicePixelRatio]);
  ctx.beginPath();
  ctx.moveTo(left, y);
  ctx.lineTo(left + width, y);
  ctx.stroke();
  ctx.restore();
}

// A margin: a vertical segment at its pulsation, arrow-headed at both
// ends, its label beside it.
export function drawMargin(u, margin, colour) {
  if (!margin) return;
  const { ctx } = u;
  const { left, top, width, height } = u.bbox;
  const r = devicePixelRatio;
  const x = Math.round(u.valToPos(margin.omega, 'x', true));
  const y0 = u.valToPos(margin.from, 'y', true);
  const y1 = u.valToPos(margin.to, 'y', true);
  ctx.save();
  ctx.beginPath();
  ctx.rect(left, top, width, height);
  ctx.clip();
  ctx.strokeStyle = colour;
  ctx.fillStyle = colour;
  ctx.lineWidth = 2 * r;
  ctx.beginPath();
  ctx.moveTo(x, y0);
  ctx.lineTo(x, y1);
  ctx.stroke();
  const head = 5 * r;
  for (const [tip, back] of [[y0, y1], [y1, y0]]) {
    const d = Math.sign(back - tip) * Math.min(head, Math.abs(back - tip) / 2);
    ctx.beginPath();
    ctx.moveTo(x, tip);
    ctx.lineTo(x - head * 0.7, tip + d);
    ctx.lineTo(x + head * 0.7, tip + d);
    ctx.closePath();
    ctx.fill();
  }
  ctx.font = `bold ${11 * r}px sans-serif`;
  ctx.textBaseline = 'middle';
  const text = margin.label;
  const w = ctx.measureText(text).width;
  const room = left + width - x - 6 * r;
  ctx.textAlign = room >= w ? 'left' : 'right';
  const middle = Math.max(top + 8 * r, Math.min(top + height - 8 * r, (y0 + y1) / 2));
  ctx.fillStyle = 'rgba(255, 255, 255, 0.8)';
  ctx.fillRect(room >= w ? x + 4 * r : x - 6 * r - w - 2 * r, middle - 7 * r, w + 4 * r, 14 * r);
  ctx.fillStyle = colour;
  ctx.fillText(text, room >= w ? x + 6 * r : x - 6 * r, middle);
  ctx.restore();
}
