// What the Black view draws on its canvas, as uPlot's hooks call it: the
// Black-Nichols chart's iso-gain contours with their levels, the critical
// points, the pulsations written along the curve, and the two margins.
import { significant } from '../format.js';
import { clipped } from './clipped.js';

export const colours = {
  curve: '#1f4fbf',
  contour: 'rgba(60, 110, 60, 0.55)',
  contourLabel: '#2d5f2d',
  critical: '#c00000',
  margin: '#c00000',
  mark: '#1f4fbf',
  zero: '#505050',
};


// Where each line's level is written: at the model's point, or, when that
// point is out of the plot, at the line's rightmost point in it.
function labelPoints(u, nichols) {
  const inside = (i) => nichols.phase[i] >= u.scales.x.min && nichols.phase[i] <= u.scales.x.max &&
    nichols.gain[i] >= u.scales.y.min && nichols.gain[i] <= u.scales.y.max;
  const points = [];
  let labelled = -1;
  let rightmost = -1;
  for (let i = 0; i <= nichols.phase.length; ++i) {
    if (i === nichols.phase.length || !Number.isFinite(nichols.phase[i])) {
      if (labelled >= 0 || rightmost >= 0) points.push(labelled >= 0 ? labelled : rightmost);
      labelled = rightmost = -1;
      continue;
    }
    if (!inside(i)) continue;
    if (nichols.etiquette[i] === 1) labelled = i;
    if (rightmost < 0 || nichols.phase[i] > nichols.phase[rightmost]) rightmost = i;
  }
  return points;
}

// The contours, a line each between rows of NaN, and each level written
// on it, with a white ground under it. They change only with the view, and
// lie under the axes: axes_layer.js keeps them with the axes.
export function drawContours(u, nichols) {
  clipped(u, (ctx, r) => {
    ctx.strokeStyle = colours.contour;
    ctx.lineWidth = r;
    ctx.beginPath();
    let open = false;
    for (let i = 0; i < nichols.phase.length; ++i) {
      const phase = nichols.phase[i];
      if (!Number.isFinite(phase)) {
        open = false;
        continue;
      }
      const x = u.valToPos(phase, 'x', true);
      const y = u.valToPos(nichols.gain[i], 'y', true);
      if (open) ctx.lineTo(x, y);
      else ctx.moveTo(x, y);
      open = true;
    }
    ctx.stroke();
    ctx.font = `${9 * r}px sans-serif`;
    ctx.textAlign = 'center';
    ctx.textBaseline = 'middle';
    for (const i of labelPoints(u, nichols)) {
      const level = nichols.niveau[i];
      const text = `${level > 0 ? '+' : ''}${significant(level, 2)} dB`;
      const x = u.valToPos(nichols.phase[i], 'x', true);
      const y = u.valToPos(nichols.gain[i], 'y', true);
      const w = ctx.measureText(text).width + 4 * r;
      ctx.fillStyle = 'rgba(255, 255, 255, 0.85)';
      ctx.fillRect(x - w / 2, y - 6 * r, w, 12 * r);
      ctx.fillStyle = colours.contourLabel;
      ctx.fillText(text, x, y);
    }
  });
}

// The 0 dB line, and the critical points (-180 + 360 k degrees, 0 dB) in view.
export function drawCritical(u) {
  clipped(u, (ctx, r) => {
    const y = u.valToPos(0, 'y', true);
    ctx.strokeStyle = colours.zero;
    ctx.lineWidth = r;
    ctx.setLineDash([6 * r, 4 * r]);
    ctx.beginPath();
    ctx.moveTo(u.bbox.left, y);
    ctx.lineTo(u.bbox.left + u.bbox.width, y);
    ctx.stroke();
    ctx.setLineDash([]);
    const [low, high] = [u.scales.x.min, u.scales.x.max];
    ctx.strokeStyle = colours.critical;
    ctx.lineWidth = 2.5 * r;
    const arm = 6 * r;
    for (let phase = 360 * Math.ceil((low + 180) / 360) - 180; phase <= high; phase += 360) {
      const x = u.valToPos(phase, 'x', true);
      ctx.beginPath();
      ctx.moveTo(x - arm, y - arm);
      ctx.lineTo(x + arm, y + arm);
      ctx.moveTo(x - arm, y + arm);
      ctx.lineTo(x + arm, y - arm);
      ctx.stroke();
    }
  });
}

// The pulsations 10^k along the curve: a dot and "ω = 1".
export function drawMarks(u, marks) {
  clipped(u, (ctx, r) => {
    ctx.fillStyle = colours.mark;
    ctx.font = `${9 * r}px sans-serif`;
    ctx.textAlign = 'left';
    ctx.textBaseline = 'bottom';
    for (const { omega, phase, gain } of marks) {
      const x = u.valToPos(phase, 'x', true);
      const y = u.valToPos(gain, 'y', true);
      ctx.beginPath();
      ctx.arc(x, y, 3 * r, 0, 2 * Math.PI);
      ctx.fill();
      ctx.fillText(`ω = ${significant(omega, 2)}`, x + 5 * r, y - 2 * r);
    }
  });
}

// The phase margin: a horizontal double arrow along 0 dB, from -180 + 360 k
// to the curve's phase, its label above it.
export function drawPhaseMargin(u, margin) {
  if (!margin) return;
  clipped(u, (ctx, r) => {
    const y = u.valToPos(0, 'y', true);
    const x0 = u.valToPos(margin.from, 'x', true);
    const x1 = u.valToPos(margin.to, 'x', true);
    ctx.strokeStyle = colours.margin;
    ctx.fillStyle = colours.margin;
    ctx.lineWidth = 2 * r;
    ctx.beginPath();
    ctx.moveTo(x0, y);
    ctx.lineTo(x1, y);
    ctx.stroke();
    const head = 5 * r;
    for (const [tip, back] of [[x0, x1], [x1, x0]]) {
      const d = Math.sign(back - tip) * Math.min(head, Math.abs(back - tip) / 2);
      ctx.beginPath();
      ctx.moveTo(tip, y);
      ctx.lineTo(tip + d, y - head * 0.7);
      ctx.lineTo(tip + d, y + head * 0.7);
      ctx.closePath();
      ctx.fill();
    }
    ctx.font = `bold ${11 * r}px sans-serif`;
    ctx.textAlign = 'center';
    ctx.textBaseline = 'bottom';
    ctx.fillText(margin.label, (x0 + x1) / 2, y - 6 * r);
  });
}
