// The complex plane, drawn by uPlot in its scatter mode: the root locus's
// branches as thin lines (the closed loop's poles as K goes from 1 to
// 10 000), the poles at the current K as bold crosses and the zeros as
// rings, the stable half-plane shaded, the imaginary axis marked where the
// locus crosses it. A sampled loop's poles are in the plane z: the unit
// disc is shaded, its circle marked where the locus crosses it. Pointing at the locus (mouse, finger, or the arrow keys
// along the dominant branch) reads K, ζ and ωn there; choosing the point
// (click, tap, Enter) sets that K.
//
// For the tests, the holder carries `antenneVue`:
//   poles(), zeros()     the markers drawn, [[re, im], ...] (s⁻¹, or in z)
//   plane()              { domain: 's' | 'z', period, note }: the plane drawn
//   at(re, im)           { x, y }: where a point of the plane is, in the viewport's CSS pixels
//   locusAt(K)           { K, poles } of the locus at its gain nearest K
//   locusPoint(b, i)     { K, re, im, x, y }: branch b's point i, x and y in the viewport's CSS pixels
//   view()               { mode: 'dominant' | 'all' | 'user', x: [min, max], y: [min, max] }
//   readout()            the text shown beside a pointed point, '' when none
import uPlot from '../vendor/uplot/uPlot.esm.js';
import { axisLabels } from '../format.js';
import { createAxesLayer } from './axes_layer.js';
import { rounded } from '../lab/numbers.js';
import { colours, drawAxesLines, drawBackground, drawMarkers } from './plane_draw.js';
import { boxOf, dominantPoints, nearestIndex, sameView, unitCirclePoints, viewOf } from './plane_frame.js';
import { clickSlop, createPointer } from './plane_pointer.js';
import { branchPaths } from './thin_line.js';

function button(text, title) {
  const b = document.createElement('button');
  b.type = 'button';
  b.textContent = text;
  b.title = title;
  return b;
}

// uPlot's options for the plane: `first` its first view, `branches` the
// locus's count of branches, `analysis()` the set-up's poles and zeros, and
// `onZoom(view)` a zone dragged out with the mouse: the user's own zoom,
// kept as K moves.
function chartOptions({ width, height }, first, branches, analysis, plane, onZoom) {
  const unit = plane().domain === 'z' ? ' z' : ' (s⁻¹)';
  const layer = createAxesLayer((u) => drawBackground(u, plane()));
  const branch = {
    stroke: colours.branch, width: 1.25, paths: branchPaths, points: { show: false },
    facets: [{ scale: 'x', auto: false }, { scale: 'y', auto: false }],
  };
  return {
    mode: 2,
    width,
    height,
    legend: { show: false },
    scales: { x: { time: false, auto: false, range: first.x }, y: { auto: false, range: first.y } },
    series: [{}, ...Array.from({ length: branches }, () => ({ ...branch }))],
    cursor: {
      x: false, y: false, points: { show: false },
      dataIdx: () => null,
      drag: { x: true, y: true, dist: clickSlop, setScale: false },
      bind: { dblclick: () => null },
    },
    axes: [
      { scale: 'x', label: `Re${unit}`, values: axisLabels, space: 50, size: 36 },
      { scale: 'y', label: `Im${unit}`, values: axisLabels, space: 50, size: 50 },
    ],
    hooks: {
      drawClear: [layer.drawClear],
      drawAxes: [layer.drawAxes, (u) => drawAxesLines(u, plane())],
      draw: [(u) => drawMarkers(u, analysis(), plane())],
      setSelect: [(u) => {
        const { left, top, width: w, height: h } = u.select;
        if (w < clickSlop || h < clickSlop) return;
        const zoom = { x: [u.posToVal(left, 'x'), u.posToVal(left + w, 'x')],
                       y: [u.posToVal(top + h, 'y'), u.posToVal(top, 'y')] };
        u.batch(() => onZoom(zoom));
        u.setSelect({ left: 0, top: 0, width: 0, height: 0 }, false);
      }],
    },
  };
}

// The plot, focusable: the arrow keys run along the dominant branch of the
// locus, over its gains.
function traceElement(gains) {
  const trace = document.createElement('div');
  trace.className = 'plan-trace';
  trace.tabIndex = 0;
  trace.setAttribute('role', 'slider');
  trace.setAttribute('aria-label', 'Lieu des racines, branche dominante : ← et → pour la parcourir, Entrée pour prendre ce gain');
  trace.setAttribute('aria-valuemin', String(gains.low));
  trace.setAttribute('aria-valuemax', String(gains.high));
  trace.setAttribute('aria-valuenow', '1');  // the K set, from the first update
  return trace;
}

// The buttons that choose the view, and the hint on how to point.
function toolbar() {
  const tools = document.createElement('div');
  tools.className = 'plan-outils';
  const dominantButton = button('Pôles dominants', 'Cadrer les pôles dominants, sans les pôles lointains');
  const allButton = button('Tout voir', 'Voir tout le lieu des racines, jusqu\'au pôle du hacheur');
  const hint = document.createElement('span');
  hint.className = 'plan-aide';
  hint.textContent = 'Touchez un point du lieu pour prendre son gain ; à la souris, glissez pour agrandir.';
  tools.append(dominantButton, allButton, hint);
  return { tools, dominantButton, allButton };
}

// The verdict under the plane, with the model's note on what it approximates.
function captionText(analysis, plane) {
  const z = plane.domain === 'z';
  return (analysis.stable
    ? `Boucle fermée stable : tous ses pôles sont ${z ? 'dans le cercle unité du plan z' : 'dans le demi-plan gauche'} (ombré).`
    : `Boucle fermée instable : un pôle au moins est ${z ? 'hors du cercle unité' : 'dans le demi-plan droit'}.`) +
    (plane.note ? ` ${plane.note}` : '');
}

// What the browser tests read of the plane; `now` gives the view's state.
function testHooks(now, pointer) {
  return {
    poles: () => now().analysis.poles.map((p) => [...p]),
    zeros: () => now().analysis.zeros.map((p) => [...p]),
    locusAt(K) {
      const { locus } = now();
      const i = nearestIndex(locus.gains, K);
      return { K: locus.gains[i], poles: locus.poles.map((b) => [b.re[i], b.im[i]]) };
    },
    locusPoint(branch, index) {
      const { locus, chart } = now();
      const b = locus.poles[branch];
      const rect = chart.over.getBoundingClientRect();
      return { K: locus.gains[index], re: b.re[index], im: b.im[index],
               x: rect.left + chart.valToPos(b.re[index], 'x'), y: rect.top + chart.valToPos(b.im[index], 'y') };
    },
    view() {
      const { mode, view } = now();
      return { mode, x: [...view.x], y: [...view.y] };
    },
    plane: () => ({ ...now().plane }),
    at(re, im) {
      const { chart } = now();
      const rect = chart.over.getBoundingClientRect();
      return { x: rect.left + chart.valToPos(re, 'x'), y: rect.top + chart.valToPos(im, 'y') };
    },
    readout: pointer.readout,
  };
}

// `gains` is the sweep the model's locus runs over: { low, high }.
export function createPlane(holder, gains, { chooseK }) {
  holder.setAttribute('role', 'group');
  holder.setAttribute('aria-label', 'Plan complexe : pôles et zéros de la boucle fermée, lieu des racines');
  const { tools, dominantButton, allButton } = toolbar();
  const trace = traceElement(gains);
  const caption = document.createElement('p');
  caption.className = 'plan-legende';
  holder.append(tools, trace, caption);

  let chart = null;
  let locus = null;
  let analysis = { poles: [], zeros: [], crossings: [], critical: null };
  let plane = { domain: 's', period: 0, note: '' };
  let currentK = 1;
  let mode = 'dominant';
  let view = null;   // the scales' ranges shown
  const pointer = createPointer({
    chart: () => chart, locus: () => locus, analysis: () => analysis, K: () => currentK, view: () => view,
    plotSize,
  }, trace, chooseK);

  function size() {
    const width = Math.max(200, holder.clientWidth || 400);
    const height = Math.round(Math.max(220, Math.min(width * 0.9, Math.max(320, innerHeight * 0.75))));
    return { width, height };
  }

  function plotSize() {
    return { w: chart.bbox.width / devicePixelRatio, h: chart.bbox.height / devicePixelRatio };
  }

  function targetView() {
    const { w, h } = plotSize();
    if (mode === 'all') {
      const points = [...analysis.poles, ...analysis.zeros];
      for (const b of locus.poles) for (let i = 0; i < b.re.length; ++i) points.push([b.re[i], b.im[i]]);
      return viewOf(boxOf(points), w, h, 0.04, false);
    }
    if (plane.domain === 'z') return viewOf(boxOf(unitCirclePoints(analysis)), w, h, 0.08, true);
    return viewOf(boxOf(dominantPoints(analysis, locus)), w, h, 0.2, true);
  }

  function setView(next) {
    if (sameView(view, next)) return false;
    view = next;
    pointer.moved();
    chart.setScale('x', { min: next.x[0], max: next.x[1] });
    chart.setScale('y', { min: next.y[0], max: next.y[1] });
    return true;
  }

  function showMode() {
    dominantButton.setAttribute('aria-pressed', String(mode === 'dominant'));
    allButton.setAttribute('aria-pressed', String(mode === 'all'));
  }

  function build() {
    if (chart) chart.destroy();
    const first = view || { x: [-10, 2], y: [-6, 6] };
    chart = new uPlot(chartOptions(size(), first, Math.max(1, locus.poles.length), () => analysis, () => plane, (zoom) => {
      mode = 'user';
      showMode();
      setView(zoom);
      pointer.unpoint();
    }), data(), trace);
    view = null;
    pointer.attach(chart.over);
    chart.batch(() => setView(mode === 'user' && first ? first : targetView()));
  }

  // The branches' points; one empty branch for a locus without any (uPlot
  // draws a scatter plot of one series at least).
  function data() {
    return [null, ...(locus.poles.length ? locus.poles : [{ re: [], im: [] }]).map((b) => [b.re, b.im])];
  }

  for (const [chosen, which] of [[dominantButton, 'dominant'], [allButton, 'all']])
    chosen.addEventListener('click', () => {
      mode = which;
      showMode();
      if (chart) chart.batch(() => setView(targetView()));
      pointer.unpoint();
    });
  showMode();


  holder.antenneVue = testHooks(() => ({ analysis, locus, chart, mode, view, plane }), pointer);

  // A new locus (the controller's shape changed): its branches drawn again,
  // and the chart made anew for another count of branches or another plane.
  function showLocus(next, newPlane) {
    const rebuild = !chart || !locus || next.poles.length !== locus.poles.length || newPlane;
    locus = next;
    pointer.newLocus();
    if (rebuild) {
      build();
      return;
    }
    chart.batch(() => {
      chart.setData(data(), false);
      if (mode !== 'user') setView(targetView());
      chart.redraw(true, false);
    });
  }

  let drawn = null;
  return {
    // The set-up's poles and zeros at K; the branches drawn again only for
    // a new locus.
    update(state) {
      if (!state.locus || (drawn && drawn.report === state.report && drawn.locus === state.locus)) return;
      drawn = { report: state.report, locus: state.locus };
      analysis = state.report.analysis;
      const before = plane;
      plane = state.report.plane || plane;
      const newPlane = plane.domain !== before.domain;
      currentK = state.report.settings.K;
      // Until a point of the locus is pointed, the slider's value is the K set.
      if (!pointer.pointed()) trace.setAttribute('aria-valuenow', String(rounded(currentK, 3)));
      const text = captionText(analysis, plane);
      if (caption.textContent !== text) caption.textContent = text;
      if (state.locus !== locus || newPlane) {
        showLocus(state.locus, newPlane);
        return;
      }
      // The same locus: the markers move, the view only if its steps do.
      // Drawn at once (uPlot would otherwise draw in a microtask).
      chart.batch(() => {
        if (!(mode !== 'user' && setView(targetView()))) chart.redraw(false, false);
      });
      if (pointer.pointed()) pointer.point(pointer.pointed());
    },
    fit() {
      if (!chart) return;
      pointer.moved();
      chart.batch(() => {
        chart.setSize(size());
        if (mode !== 'user') setView(targetView());
      });
      if (pointer.pointed()) pointer.point(pointer.pointed());
    },
  };
}
