// Bode of the open loop C(jω)G(jω), drawn by uPlot: its gain (dB) and its
// phase (°) against ω on a logarithmic scale, the two charts sharing the
// cursor, with the 0 dB and −180° lines and the margins drawn where they are
// read: the gain margin at the phase crossover, from the gain curve up to
// 0 dB, and the phase margin at the gain crossover, from −180° to the phase
// curve. A caption says the margins in words, and why one is missing. On
// request, the asymptotes and the closed loop (bode_extras.js); the breaks
// always.
//
// For the tests, the holder carries `antenneVue.margins()`:
//   { gain: { label, omega, from, to } | null, phase: { ... } | null, caption }
// each margin as drawn: its label, its pulsation (rad/s) and the segment's
// ends in the chart's unit (dB or degrees), null when not drawn; and
// `antenneVue.extras()`, what bode_extras.js draws.
import uPlot from '../vendor/uplot/uPlot.esm.js';
import { axisLabels, french, legendValue, significant } from '../format.js';
import { createAxesLayer } from './axes_layer.js';
import { closedSeries, createBodeTools, drawExtras, extrasCaption } from './bode_extras.js';
import { drawLevel, drawMargin, pulsationValues, rangeWith } from './bode_marks.js';
import { linePaths } from './thin_line.js';

const colours = {
  gain: '#1f4fbf',
  phase: '#800000',
  reference: '#505050',
  margin: '#c00000',
};

function holderOf(parent, label) {
  const element = document.createElement('div');
  element.className = 'bode-courbe';
  element.setAttribute('role', 'img');
  element.setAttribute('aria-label', label);
  parent.append(element);
  return element;
}

// `asymptotes()` gives the set-up's asymptotes' table.
export function createBode(holder, { asymptotes = () => null } = {}) {
  holder.setAttribute('role', 'group');
  holder.setAttribute('aria-label', 'Diagramme de Bode de la boucle ouverte : gain et phase');
  const gainHolder = holderOf(holder, 'Gain de la boucle ouverte en décibels, en fonction de la pulsation');
  const phaseHolder = holderOf(holder, 'Phase de la boucle ouverte en degrés, en fonction de la pulsation');
  const caption = document.createElement('p');
  caption.className = 'bode-legende';
  caption.setAttribute('aria-live', 'polite');
  const extrasLine = document.createElement('p');
  extrasLine.className = 'bode-legende';
  holder.append(caption, extrasLine);
  let last = null;  // the state drawn last, drawn again when a box changes
  const tools = createBodeTools(holder, () => {
    drawn = null;
    if (last) update(last);
  });
  let extras = { asymptotes: null, breaks: [], harmonic: null };
  let lines = { bode: null, table: null };  // the asymptotes' table, and the Bode it goes with
  let input = '';

  let charts = [];
  let margins = { gain: null, phase: null, caption: '' };

  function size() {
    const width = Math.max(200, holder.clientWidth || 400);
    return { width, height: Math.round(Math.max(150, Math.min(260, width * 0.42))) };
  }

  function options({ width, height }, label, unit, stroke, level, step, incrs, decimals, draw, lastChart, closed) {
    const layer = createAxesLayer();
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
        { label, stroke, width: 2, paths: linePaths, value: legendValue((v) => `${french(v, decimals)} ${unit}`) },
        ...(closed ? [closedSeries(`${label} BF`, unit)] : []),
      ],
      axes: [
        // Every tick of every decade, the grid's lines light.
        { label: lastChart ? 'ω (rad/s)' : null, values: pulsationValues, filter: (u, splits) => splits,
          size: lastChart ? 40 : 28, labelSize: lastChart ? 18 : 0, grid: { stroke: 'rgba(0, 0, 0, 0.06)', width: 1 },
          ticks: { stroke: 'rgba(0, 0, 0, 0.2)', width: 1, size: 4 } },
        { label: `${label} (${unit})`, values: axisLabels, size: 56, incrs, space: 24 },
      ],
      hooks: {
        drawClear: [layer.drawClear],
        drawAxes: [layer.drawAxes, (u) => drawLevel(u, level, colours.reference)],
        draw: [draw, (u) => drawExtras(u, label, extras)],
      },
    };
  }

  // Each chart's data: the open loop's column, and the closed loop's with it.
  function data(bode, closed) {
    return [[bode.omega, bode.gain, ...(closed ? [bode.gainBF] : [])],
            [bode.omega, bode.phase, ...(closed ? [bode.phaseBF] : [])]];
  }

  function build(bode, closed) {
    for (const chart of charts) chart.destroy();
    const dims = size();
    const [gainData, phaseData] = data(bode, closed);
    charts = [
      new uPlot(options(dims, 'gain', 'dB', colours.gain, 0, 20, [5, 10, 20, 40, 50, 100], 1,
                        (u) => drawMargin(u, margins.gain, colours.margin), false, closed),
                gainData, gainHolder),
      new uPlot(options(dims, 'phase', '°', colours.phase, -180, 45, [15, 30, 45, 90, 180, 360], 1,
                        (u) => drawMargin(u, margins.phase, colours.margin), true, closed),
                phaseData, phaseHolder),
    ];
  }

  // The margins as drawn, with the model's labels and caption: the gain
  // margin from the gain curve, where |C G| is 1 / MG (MG when the margin is
  // read lowering K), up to 0 dB; the phase margin from the phase curve, as
  // the model gives it there, down by the margin: −180° on a phase that
  // turns no more than once, the same level a turn away otherwise.
  function readMargins(analysis) {
    const { bode } = analysis;
    const dB = analysis.gainMarginDb;
    const gain = bode.gainLabel ? { label: bode.gainLabel, omega: analysis.gainMarginOmega,
                                    from: analysis.gainMarginBelow ? dB : -dB, to: 0 } : null;
    const at = analysis.phaseMarginPhase;
    const phase = bode.phaseLabel ? { label: bode.phaseLabel, omega: analysis.phaseMarginOmega,
                                      from: at - analysis.phaseMargin, to: at } : null;
    return { gain, phase, caption: bode.caption };
  }

  let shown = null;   // the charts' pulsations
  let drawn = null;   // the curve and analysis drawn
  holder.antenneVue = {
    margins: () => ({ ...margins }),
    // What bode_extras.js draws: { closed (shown), asymptotes (their table's
    // points, or null), harmonic (the report's, or null), caption }.
    extras: () => ({
      closed: tools.closed(),
      asymptotes: extras.asymptotes && Object.fromEntries(Object.entries(extras.asymptotes).map(([k, v]) => [k, Array.from(v)])),
      harmonic: extras.harmonic,
      caption: extrasLine.textContent,
    }),
  };

  // What bode_extras.js draws: the asymptotes when asked for (their table
  // fetched again with each new Bode), the breaks, the sine's point.
  function readExtras(bode, report, closed) {
    if (tools.asymptotes() && lines.bode !== bode) lines = { bode, table: asymptotes() };
    const harmonic = closed ? report.harmonic : null;
    const text = extrasCaption(report, Boolean(harmonic));
    if (extrasLine.textContent !== text) extrasLine.textContent = text;
    return { asymptotes: tools.asymptotes() ? lines.table : null, breaks: report.asymptotes.breaks, harmonic };
  }

  function update(state) {
    const { bode, report } = state;
    last = state;
    if (!bode || (drawn && drawn.bode === bode && drawn.report === report)) return;
    drawn = { bode, report };
    // A sine's response is read on the closed loop: choosing one shows it.
    if (report.settings.entree !== input && report.settings.entree === 'sinus') tools.showClosed();
    input = report.settings.entree;
    const closed = tools.closed();
    margins = readMargins(report.analysis);
    if (caption.textContent !== margins.caption) caption.textContent = margins.caption;
    extras = readExtras(bode, report, closed);
    // The pulsations' count and range, and the closed loop shown or not,
    // make the charts; the rest is data.
    const shape = `${bode.omega.length}/${bode.omega[0]}/${bode.omega[bode.omega.length - 1]}/${closed}`;
    if (shape !== shown || charts.length === 0) {
      shown = shape;
      build(bode, closed);
      return;
    }
    // Drawn at once (uPlot would otherwise draw in a microtask).
    const [gainData, phaseData] = data(bode, closed);
    charts[0].batch(() => charts[0].setData(gainData));
    charts[1].batch(() => charts[1].setData(phaseData));
  }

  return {
    // The state's Bode and margins, drawn again when they changed.
    update,
    fit() {
      const dims = size();
      for (const chart of charts) chart.setSize(dims);
    },
  };
}
