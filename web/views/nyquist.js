// The Nyquist view ("Lieu de Nyquist"), drawn by uPlot in its scatter mode,
// one unit as long on both axes: L(jω) for ω > 0 solid and its mirror for
// ω < 0 dashed, arrows the way ω grows, the arcs at infinity the
// integrators close (dotted, clockwise), the critical point −1 and the
// modulus margin's circle about it; under it, the verdict of the "critère
// du revers". "Tout voir" frames the curve as far as the arcs, "Autour de
// −1" the critical point. Pointing at either branch (mouse, finger, or the
// arrow keys on the focused plot, along ω > 0) reads ω, |L|, arg L and L
// there. Every number is the model's: the curve is its Nyquist table
// (omega, re, im, module, phase), the arcs, the nearest point and the
// verdict its report's "nyquist".
//
// For the tests, the holder carries `antenneVue`:
//   view()         { mode: 'tout' | 'critique', x: [min, max], y: [min, max] }
//   arc()          the arcs at infinity drawn: { radius, from, to } (degrees) or null
//   verdict()      the verdict written
//   pointAt(i)     { x, y } of point i of ω > 0 in the viewport's CSS pixels, or null off the plot
//   point(i)       points at point i of ω > 0; readout() the text shown, '' when none
import uPlot from '../vendor/uplot/uPlot.esm.js';
import { axisLabels, french, significant } from '../format.js';
import { createAxesLayer } from './axes_layer.js';
import { createCurvePointer, plotPosition } from './curve_pointer.js';
import { colours, drawArc, drawAxes, drawCritical, drawDirection } from './nyquist_draw.js';
import { branchPaths } from './thin_line.js';
import { viewOf } from './plane_frame.js';

function button(text, title) {
  const b = document.createElement('button');
  b.type = 'button';
  b.textContent = text;
  b.title = title;
  return b;
}

// A number of L's plane with its sign: "−0,62", "+0,52".
function signed(x) {
  return `${x < 0 ? '−' : '+'}${french(Math.abs(x), 3)}`;
}

// Point i of the curve's two branches: ω > 0 for i below the curve's
// count n, its mirror (ω < 0) from n on: { k, sign, re, im }, k its row.
function branchPoint(curve, i) {
  const n = curve.re.length;
  const k = i < n ? i : i - n;
  const sign = i < n ? 1 : -1;
  return { k, sign, re: curve.re[k], im: sign * curve.im[k] };
}

// The readout at point i: the model's ω, |L|, arg L and L there.
function readoutText(curve, i) {
  const { k, sign, re, im } = branchPoint(curve, i);
  return `ω = ${sign < 0 ? '−' : ''}${significant(curve.omega[k], 3)} rad/s · |L| = ${significant(curve.module[k], 3)} · ` +
    `arg L = ${french(sign * curve.phase[k], 1)}° · L = ${signed(re)} ${signed(im)} j`;
}

// The box a mode frames, one unit as long on both axes on a plot of w x h
// CSS pixels: the curve as far as its arcs, or the critical point with the
// modulus margin's circle.
function viewFor(mode, report, w, h) {
  const R = report.nyquist.radius;
  const box = mode === 'tout' ? { x0: -R, x1: R, y: R }
    : { x0: -1 - Math.max(1, report.frequency.modulusMargin), x1: 0.5, y: 1.2 };
  return viewOf(box, w, h, 0.04, false);
}

// `nyquist()` gives the set-up's Nyquist table.
export function createNyquist(holder, { nyquist }) {
  holder.setAttribute('role', 'group');
  holder.setAttribute('aria-label', 'Lieu de Nyquist de la boucle ouverte, point critique −1 et marge de module');
  const tools = document.createElement('div');
  tools.className = 'plan-outils';
  const allButton = button('Tout voir', 'Voir le lieu jusqu\'aux arcs à l\'infini');
  const criticalButton = button('Autour de −1', 'Cadrer le point critique −1 et la marge de module');
  tools.append(allButton, criticalButton);
  const trace = document.createElement('div');
  trace.className = 'plan-trace';
  trace.tabIndex = 0;
  trace.setAttribute('role', 'slider');
  trace.setAttribute('aria-label', 'Lieu de Nyquist, pulsations positives : ← et → pour le parcourir');
  trace.setAttribute('aria-valuemin', '0');
  trace.setAttribute('aria-valuenow', '0');  // the point pointed, once one is
  const caption = document.createElement('p');
  caption.className = 'plan-legende nyquist-verdict';
  caption.setAttribute('aria-live', 'polite');
  holder.append(tools, trace, caption);

  let chart = null;
  let curve = null;     // { omega, re, im, module, phase, mirror }
  let report = null;
  let mode = 'tout';
  let view = { x: [-3, 3], y: [-3, 3] };

  // Point i (of either branch) in the plot's CSS pixels, or null off the plot.
  function plotPoint(i) {
    const { re, im } = branchPoint(curve, i);
    return plotPosition(chart, re, im);
  }
  // The pointer reads both branches; the keys run along ω > 0.
  const pointer = createCurvePointer({
    chart: () => chart,
    count: () => (curve ? 2 * curve.re.length : 0),
    steps: () => (curve ? curve.re.length : 0),
    at: plotPoint,
    text: (i) => readoutText(curve, i),
  }, trace);

  function size() {
    const width = Math.max(200, holder.clientWidth || 400);
    return { width, height: Math.round(Math.max(240, Math.min(width * 0.85, 420))) };
  }

  function setView() {
    view = viewFor(mode, report, chart.bbox.width / devicePixelRatio, chart.bbox.height / devicePixelRatio);
    chart.setScale('x', { min: view.x[0], max: view.x[1] });
    chart.setScale('y', { min: view.y[0], max: view.y[1] });
  }

  function build() {
    if (chart) chart.destroy();
    const branch = (dash) => ({ stroke: colours.positive, width: 2, dash, paths: branchPaths, points: { show: false },
                                facets: [{ scale: 'x', auto: false }, { scale: 'y', auto: false }] });
    const layer = createAxesLayer();
    chart = new uPlot({
      mode: 2,
      ...size(),
      legend: { show: false },
      scales: { x: { time: false, auto: false, range: view.x }, y: { auto: false, range: view.y } },
      series: [{}, branch(undefined), branch([6, 5])],
      cursor: { x: false, y: false, points: { show: false }, dataIdx: () => null, drag: { x: false, y: false } },
      axes: [
        { scale: 'x', label: 'Re L', values: axisLabels, space: 40, size: 36 },
        { scale: 'y', label: 'Im L', values: axisLabels, space: 40, size: 50 },
      ],
      hooks: {
        drawClear: [layer.drawClear],
        drawAxes: [layer.drawAxes, drawAxes],
        draw: [(u) => {
          drawArc(u, report.nyquist.arc);
          drawDirection(u, curve.re, curve.im);
          drawCritical(u, report.frequency, report.nyquist.nearest);
        }],
      },
    }, data(), trace);
    pointer.attach(chart.over);
    chart.batch(setView);
  }

  function data() {
    return [null, [curve.re, curve.im], [curve.re, curve.mirror]];
  }

  function showMode() {
    allButton.setAttribute('aria-pressed', String(mode === 'tout'));
    criticalButton.setAttribute('aria-pressed', String(mode === 'critique'));
  }
  for (const [chosen, which] of [[allButton, 'tout'], [criticalButton, 'critique']])
    chosen.addEventListener('click', () => {
      mode = which;
      showMode();
      if (chart) chart.batch(setView);
      pointer.again();
    });
  showMode();

  holder.antenneVue = {
    view: () => ({ mode, x: [...view.x], y: [...view.y] }),
    arc: () => (report.nyquist.arc ? { ...report.nyquist.arc } : null),
    verdict: () => caption.textContent,
    pointAt: pointer.pointAt,
    point: pointer.point,
    readout: pointer.readout,
  };

  let drawn = null;
  return {
    // The set-up's Nyquist curve, fetched and drawn again when the analysis changed.
    update(state) {
      if (!state.bode || (drawn && drawn.report === state.report)) return;
      // Bode's table is fetched again exactly when the analysis changed.
      const fresh = !drawn || drawn.bode !== state.bode;
      drawn = { bode: state.bode, report: state.report };
      report = state.report;
      if (fresh || !curve) {
        const table = nyquist();
        // ω < 0 gives the conjugate: the same curve mirrored in the real axis.
        curve = { ...table, mirror: table.im.map((v) => -v) };
      }
      trace.setAttribute('aria-valuemax', String(curve.re.length - 1));
      if (caption.textContent !== report.nyquist.verdict) caption.textContent = report.nyquist.verdict;
      if (!chart) {
        build();
        return;
      }
      chart.batch(() => {
        chart.setData(data(), false);
        setView();
        chart.redraw(true, false);
      });
      pointer.again();
    },
    fit() {
      if (!chart) return;
      chart.batch(() => {
        chart.setSize(size());
        setView();
      });
      pointer.again();
    },
  };
}
