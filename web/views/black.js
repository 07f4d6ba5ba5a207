// The Black view ("Lieu de Black"), drawn by uPlot in its scatter mode: the
// open loop's gain (dB) against its phase (°), graduated in pulsations, over
// the Black-Nichols chart (the closed loop's iso-gain contours, labelled),
// with the critical point (−180°, 0 dB) and the two margins where they are
// read. Pointing at the curve (mouse, finger, or the arrow keys on the
// focused plot) reads ω, the open loop's gain and phase and the closed
// loop's gain there. Every number is the model's: the curve is Bode's table
// (state.bode), the marks and margins the report's "black", the contours
// the model's table for the phases shown.
//
// For the tests, the holder carries `antenneVue`:
//   view()          { x: [min, max] (°), y: [min, max] (dB) }
//   levels()        the contours' levels drawn (dB), once each
//   margins()       { gain: { phase, from, to, label } | null, phase: { from, to, label } | null }
//   pointAt(i)      { x, y } of the curve's point i in the viewport's CSS pixels, or null off the plot
//   point(i)        points at point i, as a pointer there would
//   readout()       the text shown beside the point pointed, '' when none
import uPlot from '../vendor/uplot/uPlot.esm.js';
import { axisLabels, french, significant } from '../format.js';
import { createAxesLayer } from './axes_layer.js';
import { colours, drawContours, drawCritical, drawMarks, drawPhaseMargin } from './black_draw.js';
import { drawMargin } from './bode_marks.js';
import { createCurvePointer, plotPosition } from './curve_pointer.js';
import { branchPaths } from './thin_line.js';

// The gains shown (dB): down to below the gain margin's foot, never past
// ±100 dB.
function gainRange(black) {
  const foot = black.gainMargin ? black.gainMargin.from : 0;
  return [Math.max(-100, Math.min(-30, 10 * Math.floor((foot - 6) / 10))), 30];
}

// The phases shown (°): those of the curve within the gains shown, the
// critical point among them, on whole steps of 30°.
function phaseRange(bode, [low, high]) {
  let min = -180;
  let max = -180;
  for (let i = 0; i < bode.phase.length; ++i) {
    if (bode.gain[i] < low || bode.gain[i] > high) continue;
    min = Math.min(min, bode.phase[i]);
    max = Math.max(max, bode.phase[i]);
  }
  min = 30 * Math.floor((min - 10) / 30);
  max = 30 * Math.ceil((max + 10) / 30);
  if (max - min < 180) {
    const middle = (min + max) / 2;
    [min, max] = [30 * Math.floor((middle - 90) / 30), 30 * Math.ceil((middle + 90) / 30)];
  }
  return [min, max];
}

// `nichols(low, high)` gives the model's contours over those phases.
export function createBlack(holder, { nichols }) {
  holder.setAttribute('role', 'group');
  holder.setAttribute('aria-label', 'Lieu de Black de la boucle ouverte, sur l\'abaque de Black-Nichols');
  const trace = document.createElement('div');
  trace.className = 'plan-trace';
  trace.tabIndex = 0;
  trace.setAttribute('role', 'slider');
  trace.setAttribute('aria-label', 'Lieu de Black : ← et → pour le parcourir en pulsation');
  trace.setAttribute('aria-valuemin', '0');
  trace.setAttribute('aria-valuenow', '0');  // the point pointed, once one is
  const caption = document.createElement('p');
  caption.className = 'plan-legende';
  holder.append(trace, caption);

  let chart = null;
  let bode = null;
  let black = null;
  let margins = { gain: null, phase: null };
  let contours = null;
  let contoursKey = '';
  let view = { x: [-270, -90], y: [-30, 30] };
  // Point i in the plot's CSS pixels, or null off the plot.
  function plotPoint(i) {
    return plotPosition(chart, bode.phase[i], bode.gain[i]);
  }
  const pointer = createCurvePointer({
    chart: () => chart,
    count: () => (bode ? bode.omega.length : 0),
    at: plotPoint,
    text: (i) => `ω = ${significant(bode.omega[i], 3)} rad/s · boucle ouverte ${french(bode.gain[i], 1)} dB, ` +
      `${french(bode.phase[i], 1)}° · boucle fermée ${french(bode.gainBF[i], 1)} dB`,
  }, trace);

  function size() {
    const width = Math.max(200, holder.clientWidth || 400);
    return { width, height: Math.round(Math.max(240, Math.min(width * 0.8, 420))) };
  }

  function build() {
    if (chart) chart.destroy();
    const layer = createAxesLayer((u) => contours && drawContours(u, contours));
    chart = new uPlot({
      mode: 2,
      ...size(),
      legend: { show: false },
      scales: { x: { time: false, auto: false, range: view.x }, y: { auto: false, range: view.y } },
      series: [{}, { stroke: colours.curve, width: 2, paths: branchPaths, points: { show: false },
                     facets: [{ scale: 'x', auto: false }, { scale: 'y', auto: false }] }],
      cursor: { x: false, y: false, points: { show: false }, dataIdx: () => null, drag: { x: false, y: false } },
      axes: [
        { scale: 'x', label: 'Phase de la boucle ouverte (°)', values: axisLabels, space: 40, size: 36, incrs: [15, 30, 45, 90, 180] },
        { scale: 'y', label: 'Gain de la boucle ouverte (dB)', values: axisLabels, space: 30, size: 50, incrs: [5, 10, 20, 40] },
      ],
      hooks: {
        drawClear: [layer.drawClear],
        drawAxes: [layer.drawAxes, drawCritical],
        draw: [(u) => {
          drawMarks(u, black.marks);
          drawMargin(u, margins.gain && { ...margins.gain, omega: margins.gain.phase }, colours.critical);
          drawPhaseMargin(u, margins.phase);
        }],
      },
    }, [null, [bode.phase, bode.gain]], trace);
    pointer.attach(chart.over);
  }

  function showContours() {
    const low = 360 * Math.floor(view.x[0] / 360);
    const high = 360 * Math.ceil(view.x[1] / 360);
    const key = `${low}/${high}`;
    if (key !== contoursKey) {
      contoursKey = key;
      contours = nichols(low, high);
    }
  }

  holder.antenneVue = {
    view: () => ({ x: [...view.x], y: [...view.y] }),
    levels: () => (contours ? [...new Set(Array.from(contours.niveau).filter(Number.isFinite))] : []),
    margins: () => ({ ...margins }),
    pointAt: pointer.pointAt,
    point: pointer.point,
    readout: pointer.readout,
  };

  let drawn = null;
  return {
    // The state's open loop in the Black plane, drawn again when it changed.
    update({ bode: next, report }) {
      if (!next || (drawn && drawn.bode === next && drawn.report === report)) return;
      drawn = { bode: next, report };
      bode = next;
      black = report.black;
      const labels = report.analysis.bode;
      margins = {
        gain: black.gainMargin && labels.gainLabel ? { ...black.gainMargin, label: labels.gainLabel } : null,
        phase: black.phaseMargin && labels.phaseLabel ? { ...black.phaseMargin, label: labels.phaseLabel } : null,
      };
      const y = gainRange(black);
      view = { x: phaseRange(bode, y), y };
      showContours();
      trace.setAttribute('aria-valuemax', String(bode.omega.length - 1));
      const text = `${labels.caption} Contours : gain de la boucle fermée, en dB.`;
      if (caption.textContent !== text) caption.textContent = text;
      if (!chart) {
        build();
        return;
      }
      chart.batch(() => {
        chart.setData([null, [bode.phase, bode.gain]], false);
        chart.setScale('x', { min: view.x[0], max: view.x[1] });
        chart.setScale('y', { min: view.y[0], max: view.y[1] });
        chart.redraw(true, false);
      });
      pointer.again();
    },
    fit() {
      if (!chart) return;
      chart.batch(() => {
        chart.setSize(size());
        chart.setScale('x', { min: view.x[0], max: view.x[1] });
        chart.setScale('y', { min: view.y[0], max: view.y[1] });
      });
      pointer.again();
    },
  };
}
