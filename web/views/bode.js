// Bode of the open loop C(jω)G(jω), drawn by uPlot: its gain (dB) and its
// phase (°) against ω on a logarithmic scale, the two charts sharing the
// cursor, with the 0 dB and −180° lines and the margins drawn where they are
// read: the gain margin at the phase crossover, from the gain curve up to
// 0 dB, and the phase margin at the gain crossover, from −180° to the phase
// curve. A caption says the margins in words, and why one is missing.
//
// For the tests, the holder carries `antenneVue.margins()`:
//   { gain: { label, omega, from, to } | null, phase: { ... } | null, caption }
// each margin as drawn: its label, its pulsation (rad/s) and the segment's
// ends in the chart's unit (dB or degrees), null when not drawn.
import uPlot from '../vendor/uplot/uPlot.esm.js';
import { axisLabels, french, legendValue, significant } from '../format.js';

const colours = {
  gain: '#1f4fbf',
  phase: '#800000',
  reference: '#505050',
  margin: '#c00000',
};

// Only the powers of ten are labelled, every other one when the decades
// are too narrow for their labels; the other ticks are left bare.
function pulsationValues(u, splits) {
  const decade = Math.abs(u.valToPos(10, 'x') - u.valToPos(1, 'x'));
  const every = Math.max(1, Math.ceil(42 / decade));
  return splits.map((v) => {
    const power = Math.round(Math.log10(v));
    const labelled = Math.abs(v / 10 ** power - 1) < 1e-6 && power % every === 0;
    return labelled ? french(10 ** power, Math.max(0, -power)) : '';
  });
}

// The curve's value at ω, interpolated on the logarithmic pulsations.
function valueAt(omega, values, w) {
  const n = omega.length;
  if (!(w >= omega[0] && w <= omega[n - 1])) return NaN;
  let lo = 0;
  let hi = n - 1;
  while (hi - lo > 1) {
    const mid = (lo + hi) >> 1;
    if (omega[mid] <= w) lo = mid;
    else hi = mid;
  }
  const t = Math.log(w / omega[lo]) / Math.log(omega[hi] / omega[lo]) || 0;
  return values[lo] + t * (values[hi] - values[lo]);
}

// A range holding the data and a reference level with some room around
// them, on whole steps, so that neither lies on the plot's edge.
function rangeWith(level, step) {
  return (u, min, max) => {
    const lo = Math.min(min ?? level, level);
    const hi = Math.max(max ?? level, level);
    const room = Math.max(0.04 * (hi - lo), step / 8);
    return [Math.floor((lo - room) / step) * step, Math.ceil((hi + room) / step) * step];
  };
}

export function createBode(holder) {
  holder.setAttribute('role', 'group');
  holder.setAttribute('aria-label', 'Diagramme de Bode de la boucle ouverte : gain et phase');
  const gainHolder = document.createElement('div');
  gainHolder.className = 'bode-courbe';
  gainHolder.setAttribute('role', 'img');
  gainHolder.setAttribute('aria-label', 'Gain de la boucle ouverte en décibels, en fonction de la pulsation');
  const phaseHolder = document.createElement('div');
  phaseHolder.className = 'bode-courbe';
  phaseHolder.setAttribute('role', 'img');
  phaseHolder.setAttribute('aria-label', 'Phase de la boucle ouverte en degrés, en fonction de la pulsation');
  const caption = document.createElement('p');
  caption.className = 'bode-legende';
  caption.setAttribute('aria-live', 'polite');
  holder.append(gainHolder, phaseHolder, caption);

  let charts = [];
  let margins = { gain: null, phase: null, caption: '' };

  function size() {
    const width = Math.max(200, holder.clientWidth || 400);
    return { width, height: Math.round(Math.max(150, Math.min(260, width * 0.42))) };
  }

  // A horizontal reference line, dashed, across the plot.
  function drawLevel(u, level) {
    const { ctx } = u;
    const { left, top, width, height } = u.bbox;
    const y = Math.round(u.valToPos(level, 'y', true));
    if (y < top || y > top + height) return;
    ctx.save();
    ctx.strokeStyle = colours.reference;
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
  function drawMargin(u, margin) {
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
    ctx.strokeStyle = colours.margin;
    ctx.fillStyle = colours.margin;
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
    ctx.fillStyle = colours.margin;
    ctx.fillText(text, room >= w ? x + 6 * r : x - 6 * r, middle);
    ctx.restore();
  }

  function options({ width, height }, label, unit, stroke, level, step, incrs, decimals, draw, lastChart) {
    return {
      width,
      height,
      scales: {
        x: { time: false, distr: 3, range: (u, min, max) => [min, max] },
        y: { range: rangeWith(level, step) },
      },
      cursor: { sync: { key: 'antenne-bode' }, drag: { x: false, y: false }, points: { size: 6 } },
      legend: { live: true },
      series: [
        { label: 'ω (rad/s)', value: legendValue((v) => significant(v, 3)) },
        { label, stroke, width: 2, value: legendValue((v) => `${french(v, decimals)} ${unit}`) },
      ],
      axes: [
        // Every tick of every decade, the grid's lines light.
        { label: lastChart ? 'ω (rad/s)' : null, values: pulsationValues, filter: (u, splits) => splits,
          size: lastChart ? 40 : 28, labelSize: lastChart ? 18 : 0, grid: { stroke: 'rgba(0, 0, 0, 0.06)', width: 1 },
          ticks: { stroke: 'rgba(0, 0, 0, 0.2)', width: 1, size: 4 } },
        { label: `${label} (${unit})`, values: axisLabels, size: 56, incrs, space: 24 },
      ],
      hooks: {
        drawAxes: [(u) => drawLevel(u, level)],
        draw: [draw],
      },
    };
  }

  function build(bode) {
    for (const chart of charts) chart.destroy();
    const dims = size();
    charts = [
      new uPlot(options(dims, 'gain', 'dB', colours.gain, 0, 20, [5, 10, 20, 40, 50, 100], 1,
                        (u) => drawMargin(u, margins.gain), false),
                [bode.omega, bode.gain], gainHolder),
      new uPlot(options(dims, 'phase', '°', colours.phase, -180, 45, [15, 30, 45, 90, 180, 360], 1,
                        (u) => drawMargin(u, margins.phase), true),
                [bode.omega, bode.phase], phaseHolder),
    ];
  }

  // The margins as drawn, from the model's analysis, and the caption's words.
  function readMargins(bode, analysis) {
    const { omega } = bode;
    const inside = (w) => Number.isFinite(w) && w >= omega[0] && w <= omega[omega.length - 1];
    const words = [];
    let gain = null;
    let phase = null;
    const gm = analysis.gainMargin;
    const dB = analysis.gainMarginDb;
    if (gm === 'infinite') {
      words.push('Marge de gain infinie : la phase n\'atteint jamais −180°.');
    } else if (typeof gm !== 'number') {
      words.push('Pas de marge de gain : aucun gain K ne stabilise la boucle.');
    } else {
      // There |C G| is 1 / MG, or MG when the margin is read lowering K:
      // the segment goes from the curve to 0 dB.
      const w = analysis.gainMarginOmega;
      const below = analysis.gainMarginBelow;
      const label = `MG = ${french(dB, 1)} dB`;
      const how = analysis.gainMarginWay ? `, ${analysis.gainMarginWay},` : '';
      words.push(`${label}${how} à ω = ${significant(w, 3)} rad/s${inside(w) ? '' : ' (hors du tracé)'}.`);
      if (inside(w)) gain = { label, omega: w, from: below ? dB : -dB, to: 0 };
    }
    const pm = analysis.phaseMargin;
    if (typeof pm !== 'number') {
      words.push('Pas de marge de phase : le gain ne passe pas par 0 dB.');
    } else {
      const w = analysis.phaseMarginOmega;
      const label = `MP = ${french(pm, 1)}°`;
      words.push(`${label} à ω = ${significant(w, 3)} rad/s${inside(w) ? '' : ' (hors du tracé)'}.`);
      // From the phase curve down by the margin: −180° on a phase that turns
      // no more than once, the same level a turn away otherwise.
      if (inside(w)) {
        const at = valueAt(omega, bode.phase, w);
        phase = { label, omega: w, from: at - pm, to: at };
      }
    }
    return { gain, phase, caption: words.join(' ') };
  }

  let shown = null;
  holder.antenneVue = { margins: () => ({ ...margins }) };

  return {
    show({ bode, analysis }) {
      margins = readMargins(bode, analysis);
      if (caption.textContent !== margins.caption) caption.textContent = margins.caption;
      // The pulsations' count and range make the charts; the rest is data.
      const shape = `${bode.omega.length}/${bode.omega[0]}/${bode.omega[bode.omega.length - 1]}`;
      if (shape !== shown || charts.length === 0) {
        shown = shape;
        build(bode);
        return;
      }
      // Drawn at once (uPlot would otherwise draw in a microtask).
      charts[0].batch(() => charts[0].setData([bode.omega, bode.gain]));
      charts[1].batch(() => charts[1].setData([bode.omega, bode.phase]));
    },
    fit() {
      const dims = size();
      for (const chart of charts) chart.setSize(dims);
    },
  };
}
