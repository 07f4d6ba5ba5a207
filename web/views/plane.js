// The complex plane, drawn by uPlot in its scatter mode: the root locus's
// branches as thin lines (the closed loop's poles as K goes from 1 to
// 10 000), the poles at the current K as bold crosses and the zeros as
// rings, the stable half-plane shaded, the imaginary axis marked where the
// locus crosses it. Pointing at the locus (mouse, finger, or the arrow keys
// along the dominant branch) reads K, ζ and ωn there; choosing the point
// (click, tap, Enter) sets that K.
//
// For the tests, the holder carries `antenneVue`:
//   poles(), zeros()     the markers drawn, [[re, im], ...] (s⁻¹)
//   locusAt(K)           { K, poles } of the locus at its gain nearest K
//   locusPoint(b, i)     { K, re, im, x, y }: branch b's point i, x and y in the viewport's CSS pixels
//   view()               { mode: 'dominant' | 'all' | 'user', x: [min, max], y: [min, max] }
//   readout()            the text shown beside a pointed point, '' when none
import uPlot from '../vendor/uplot/uPlot.esm.js';
import { axisLabels, french, rounded, significant } from '../format.js';

const colours = {
  branch: '#7d8fb3',
  pole: '#c00000',
  zero: '#0050c8',
  stable: 'rgba(0, 150, 60, 0.07)',
  axis: '#202020',
  realAxis: '#909090',
  crossing: '#202020',
};

// How near the locus a pointer must be to read it (CSS pixels): a finger
// covers more than a mouse's tip.
const reach = { mouse: 16, touch: 30, pen: 20 };
// A press that moves farther than this is a drag (a zoom), not a choice.
const clickSlop = 8;

// The smallest of 1, 1.5, 2, 3, 5 or 7.5 times a power of ten that is at
// least x: the dominant view's scale moves by these steps only, so that it
// does not breathe with every move of K.
function niceCeil(x) {
  const power = 10 ** Math.floor(Math.log10(x));
  for (const m of [1, 1.5, 2, 3, 5, 7.5, 10]) if (m * power >= x * (1 - 1e-12)) return m * power;
  return 10 * power;
}

const modulus = ([re, im]) => Math.hypot(re, im);

// The points the dominant view holds: the dominant pole's pair always, then
// the poles, zeros and the locus's starting points from the origin outwards
// while each is within three times the farthest one kept (and at least
// within 6 s⁻¹), so that the chopper's pole near −100 s⁻¹ and a fast
// derivative filter stay out.
function dominantPoints(analysis, locus) {
  const dominant = analysis.poles[0];
  const kept = dominant ? [dominant, [dominant[0], -dominant[1]]] : [];
  let farthest = dominant ? modulus(dominant) : 0;
  const others = [...analysis.poles, ...analysis.zeros, ...locus.poles.map((b) => [b.re[0], b.im[0]])]
    .sort((a, b) => modulus(a) - modulus(b));
  for (const p of others) {
    if (modulus(p) > Math.max(6, 3 * farthest)) break;
    kept.push(p);
    farthest = Math.max(farthest, modulus(p));
  }
  return kept;
}

// The box holding points, the imaginary axis always in it.
function boxOf(points) {
  let x0 = 0;
  let x1 = 0;
  let y = 0;
  for (const [re, im] of points) {
    if (!Number.isFinite(re) || !Number.isFinite(im)) continue;
    x0 = Math.min(x0, re);
    x1 = Math.max(x1, re);
    y = Math.max(y, Math.abs(im));
  }
  return { x0, x1, y };
}

// A view of a box, one unit as long on both axes on a plot of w x h CSS
// pixels; `stepped` rounds its scale and centre to coarse steps.
function viewOf({ x0, x1, y }, w, h, margin, stepped) {
  const size = Math.max(x1 - x0, 2 * y, 0.5);
  x0 -= margin * size;
  x1 += margin * size;
  y += margin * size;
  let perPixel = Math.max((x1 - x0) / w, (2 * y) / h);
  if (stepped) perPixel = niceCeil(perPixel);
  const sx = perPixel * w;
  const sy = perPixel * h;
  let centre = (x0 + x1) / 2;
  if (stepped) centre = Math.round(centre / (sx / 8)) * (sx / 8);
  return { x: [centre - sx / 2, centre + sx / 2], y: [-sy / 2, sy / 2] };
}

function sameView(a, b) {
  const near = (p, q) => Math.abs(p - q) <= 1e-9 * Math.max(1, Math.abs(p), Math.abs(q));
  return a && b && near(a.x[0], b.x[0]) && near(a.x[1], b.x[1]) && near(a.y[0], b.y[0]) && near(a.y[1], b.y[1]);
}

// The gain index of the locus nearest K (its gains are log spaced).
function nearestIndex(gains, K) {
  let best = 0;
  for (let i = 1; i < gains.length; ++i)
    if (Math.abs(Math.log(gains[i] / K)) < Math.abs(Math.log(gains[best] / K))) best = i;
  return best;
}

// The point's K as choosing it would set it (3 significant digits), and the
// model's damping and pulsation of its pole.
function readoutText({ K, damping, pulsation }) {
  return `K = ${significant(rounded(K, 3), 3)} · ζ = ${french(damping, 2)} · ωn = ${significant(pulsation, 3)} rad/s`;
}

// One sample of the locus, as the model gives it.
function sampleOf(locus, branch, index) {
  const b = locus.poles[branch];
  return { branch, index, K: locus.gains[index], re: b.re[index], im: b.im[index], damping: b.damping[index],
           pulsation: b.pulsation[index] };
}

function button(text, title) {
  const b = document.createElement('button');
  b.type = 'button';
  b.textContent = text;
  b.title = title;
  return b;
}

export function createPlane(holder, { chooseK }) {
  holder.setAttribute('role', 'group');
  holder.setAttribute('aria-label', 'Plan complexe : pôles et zéros de la boucle fermée, lieu des racines');
  const tools = document.createElement('div');
  tools.className = 'plan-outils';
  const dominantButton = button('Pôles dominants', 'Cadrer les pôles dominants, sans les pôles lointains');
  const allButton = button('Tout voir', 'Voir tout le lieu des racines, jusqu\'au pôle du hacheur');
  const hint = document.createElement('span');
  hint.className = 'plan-aide';
  hint.textContent = 'Touchez un point du lieu pour prendre son gain ; à la souris, glissez pour agrandir.';
  tools.append(dominantButton, allButton, hint);
  // The plot, focusable: the arrow keys run along the dominant branch.
  const trace = document.createElement('div');
  trace.className = 'plan-trace';
  trace.tabIndex = 0;
  trace.setAttribute('role', 'slider');
  trace.setAttribute('aria-label', 'Lieu des racines, branche dominante : ← et → pour la parcourir, Entrée pour prendre ce gain');
  trace.setAttribute('aria-valuemin', '1');
  trace.setAttribute('aria-valuemax', '10000');
  const caption = document.createElement('p');
  caption.className = 'plan-legende';
  holder.append(tools, trace, caption);
  const readout = document.createElement('div');
  readout.className = 'plan-lecture';
  readout.setAttribute('aria-hidden', 'true');
  readout.hidden = true;
  const ring = document.createElement('div');
  ring.className = 'plan-anneau';
  ring.hidden = true;

  let chart = null;
  let locus = null;
  let analysis = { poles: [], zeros: [], crossings: [], critical: null };
  let mode = 'dominant';
  let view = null;   // the scales' ranges shown
  let pointed = null;  // { K, re, im, branch, index } of the locus, or null
  let keyBranch = -1;  // the branch the keys run along, for this locus
  let keyIndex = -1;
  let pressed = null;  // where the last press on the plot started: { x, y, type }
  let pressing = false;  // a press on the plot not yet let go
  let pixels = null;   // the locus's points in the plot's CSS pixels, and what they were worked out for
  let pixelsKey = '';

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
    return viewOf(boxOf(dominantPoints(analysis, locus)), w, h, 0.2, true);
  }

  function setView(next) {
    if (sameView(view, next)) return false;
    view = next;
    chart.setScale('x', { min: next.x[0], max: next.x[1] });
    chart.setScale('y', { min: next.y[0], max: next.y[1] });
    return true;
  }

  function showMode() {
    dominantButton.setAttribute('aria-pressed', String(mode === 'dominant'));
    allButton.setAttribute('aria-pressed', String(mode === 'all'));
  }

  // ---- Drawing -------------------------------------------------------------

  // The stable half-plane under everything, then the axes' lines.
  function drawBackground(u) {
    const { ctx } = u;
    const { left, top, width, height } = u.bbox;
    const zero = Math.round(u.valToPos(0, 'x', true));
    ctx.save();
    ctx.fillStyle = colours.stable;
    const right = Math.min(left + width, Math.max(left, zero));
    ctx.fillRect(left, top, right - left, height);
    ctx.restore();
  }

  function drawAxesLines(u) {
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
    ctx.lineWidth = 1.5 * r;
    ctx.strokeStyle = colours.axis;
    if (x >= left && x <= left + width) {
      ctx.beginPath();
      ctx.moveTo(x, top);
      ctx.lineTo(x, top + height);
      ctx.stroke();
    }
    ctx.restore();
  }

  // The branches: a line through each branch's points in order.
  function branchPaths(u, seriesIndex) {
    const [xs, ys] = u.data[seriesIndex];
    const path = new Path2D();
    for (let i = 0; i < xs.length; ++i) {
      const x = u.valToPos(xs[i], 'x', true);
      const y = u.valToPos(ys[i], 'y', true);
      if (i === 0) path.moveTo(x, y);
      else path.lineTo(x, y);
    }
    return { stroke: path, fill: null, clip: null, band: null, gaps: null, flags: 0 };
  }

  // The current poles and zeros over the branches, and where the locus
  // crosses the imaginary axis.
  function drawMarkers(u) {
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
      for (const im of [omega, -omega]) {
        const [x, y] = at([0, im]);
        ctx.beginPath();
        ctx.arc(x, y, 3 * r, 0, 2 * Math.PI);
        ctx.fill();
      }
    }
    if (analysis.critical) {
      const [x, y] = at([0, analysis.critical.omega]);
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

  function build() {
    if (chart) chart.destroy();
    const { width, height } = size();
    const branches = locus.poles.map(() => ({
      stroke: colours.branch, width: 1.25, paths: branchPaths, points: { show: false },
      facets: [{ scale: 'x', auto: false }, { scale: 'y', auto: false }],
    }));
    const first = view || { x: [-10, 2], y: [-6, 6] };
    chart = new uPlot({
      mode: 2,
      width,
      height,
      legend: { show: false },
      scales: { x: { time: false, auto: false, range: first.x }, y: { auto: false, range: first.y } },
      series: [{}, ...branches],
      cursor: {
        x: false, y: false, points: { show: false },
        dataIdx: () => null,
        drag: { x: true, y: true, dist: clickSlop, setScale: false },
        bind: { dblclick: () => null },
      },
      axes: [
        { scale: 'x', label: 'Re (s⁻¹)', values: axisLabels, space: 50, size: 36 },
        { scale: 'y', label: 'Im (s⁻¹)', values: axisLabels, space: 50, size: 50 },
      ],
      hooks: {
        drawClear: [drawBackground],
        drawAxes: [drawAxesLines],
        draw: [drawMarkers],
        // A zone dragged out with the mouse: the user's own zoom, kept as K moves.
        setSelect: [(u) => {
          const { left, top, width: w, height: h } = u.select;
          if (w < clickSlop || h < clickSlop) return;
          mode = 'user';
          showMode();
          const zoom = { x: [u.posToVal(left, 'x'), u.posToVal(left + w, 'x')],
                         y: [u.posToVal(top + h, 'y'), u.posToVal(top, 'y')] };
          u.batch(() => setView(zoom));
          u.setSelect({ left: 0, top: 0, width: 0, height: 0 }, false);
          unpoint();
        }],
      },
    }, data(), trace);
    view = null;
    chart.over.append(ring, readout);
    listen(chart.over);
    chart.batch(() => setView(mode === 'user' && first ? first : targetView()));
    pixelsKey = '';
  }

  function data() {
    return [null, ...locus.poles.map((b) => [b.re, b.im])];
  }

  // ---- Pointing --------------------------------------------------------------

  function locusPixels() {
    const key = `${view.x}/${view.y}/${chart.bbox.width}/${chart.bbox.height}`;
    if (key !== pixelsKey) {
      pixelsKey = key;
      pixels = locus.poles.map((b) => {
        const xy = new Float64Array(2 * b.re.length);
        for (let i = 0; i < b.re.length; ++i) {
          xy[2 * i] = chart.valToPos(b.re[i], 'x');
          xy[2 * i + 1] = chart.valToPos(b.im[i], 'y');
        }
        return xy;
      });
    }
    return pixels;
  }

  // The locus's sample nearest (x, y) (CSS pixels in the plot), within
  // `limit` of the line through the samples: the end of that segment the
  // pointer is nearer.
  function nearest(x, y, limit) {
    const { w, h } = plotSize();
    let best = null;
    let bestDistance = limit * limit;
    locusPixels().forEach((xy, branch) => {
      for (let i = 0; i + 1 < xy.length / 2; ++i) {
        const ax = xy[2 * i];
        const ay = xy[2 * i + 1];
        const dx = xy[2 * i + 2] - ax;
        const dy = xy[2 * i + 3] - ay;
        const length = dx * dx + dy * dy;
        const t = length > 0 ? Math.max(0, Math.min(1, ((x - ax) * dx + (y - ay) * dy) / length)) : 0;
        const px = ax + t * dx;
        const py = ay + t * dy;
        if (px < 0 || px > w || py < 0 || py > h) continue;
        const distance = (x - px) ** 2 + (y - py) ** 2;
        if (distance < bestDistance) {
          bestDistance = distance;
          best = { branch, index: i, t };
        }
      }
    });
    if (!best) return null;
    return sampleOf(locus, best.branch, best.t > 0.5 ? best.index + 1 : best.index);
  }

  function point(at) {
    pointed = at;
    if (!at) return unpoint();
    const x = chart.valToPos(at.re, 'x');
    const y = chart.valToPos(at.im, 'y');
    const { w, h } = plotSize();
    if (x < 0 || x > w || y < 0 || y > h) {
      ring.hidden = true;
      readout.hidden = true;
    } else {
      ring.hidden = false;
      ring.style.transform = `translate(${x}px, ${y}px)`;
      readout.textContent = readoutText(at);
      readout.hidden = false;
      // Beside the point, turned back inside the plot near its edges.
      const rw = readout.offsetWidth;
      const rh = readout.offsetHeight;
      const left = x + 12 + rw <= w ? x + 12 : Math.max(0, x - 12 - rw);
      const top = y - 12 - rh >= 0 ? y - 12 - rh : Math.min(h - rh, y + 12);
      readout.style.transform = `translate(${left}px, ${top}px)`;
    }
    trace.setAttribute('aria-valuenow', String(rounded(at.K, 3)));
    trace.setAttribute('aria-valuetext', readoutText(at));
  }

  function unpoint() {
    pointed = null;
    ring.hidden = true;
    readout.hidden = true;
  }

  function choose(at) {
    if (at) chooseK(rounded(at.K, 3));
  }

  function offset(event) {
    const rect = chart.over.getBoundingClientRect();
    return [event.clientX - rect.left, event.clientY - rect.top];
  }

  function listen(over) {
    over.addEventListener('pointermove', (event) => {
      if (event.pointerType === 'mouse' && event.buttons) return;  // a zoom being dragged
      point(nearest(...offset(event), reach[event.pointerType] || reach.mouse));
    });
    over.addEventListener('pointerdown', (event) => {
      pressed = { x: event.clientX, y: event.clientY, type: event.pointerType };
      pressing = true;
      point(nearest(...offset(event), reach[event.pointerType] || reach.mouse));
    });
    over.addEventListener('pointerleave', (event) => {
      if (event.pointerType === 'mouse' && !(pointed && pointed.keys)) unpoint();
    });
    // A click or a tap that did not drag chooses the point under it.
    over.addEventListener('click', (event) => {
      const type = pressed ? pressed.type : 'mouse';
      if (pressed && Math.hypot(event.clientX - pressed.x, event.clientY - pressed.y) > clickSlop) return;
      pressed = null;
      const at = nearest(...offset(event), reach[type] || reach.mouse);
      point(at);
      choose(at);
    });
  }

  // ---- Keys ----------------------------------------------------------------

  // The branch of the dominant pole (the one of positive imaginary part),
  // at the locus's gain nearest K.
  function dominantBranch(K) {
    const dominant = analysis.poles.find((p) => p[1] >= 0) || analysis.poles[0];
    if (!dominant) return 0;
    const i = nearestIndex(locus.gains, K);
    let best = 0;
    locus.poles.forEach((b, n) => {
      const old = locus.poles[best];
      if (Math.hypot(b.re[i] - dominant[0], b.im[i] - dominant[1]) <
          Math.hypot(old.re[i] - dominant[0], old.im[i] - dominant[1])) best = n;
    });
    return best;
  }

  function pointIndex() {
    point({ ...sampleOf(locus, keyBranch, keyIndex), keys: true });
  }

  // The keys start from the current K, on the dominant branch, unless they
  // already point somewhere.
  function startKeys() {
    if (pointed && pointed.keys) return;
    keyBranch = dominantBranch(currentK);
    keyIndex = nearestIndex(locus.gains, currentK);
    pointIndex();
  }

  let currentK = 1;
  // Focused from the keyboard (not by a press on the plot), the keys' point shows.
  trace.addEventListener('focus', () => {
    if (locus && !pressing && trace.matches(':focus-visible')) startKeys();
  });
  for (const type of ['pointerup', 'pointercancel']) addEventListener(type, () => { pressing = false; }, true);
  trace.addEventListener('blur', unpoint);
  trace.addEventListener('keydown', (event) => {
    if (!locus) return;
    const last = locus.gains.length - 1;
    const moves = { ArrowRight: 1, ArrowUp: 1, ArrowLeft: -1, ArrowDown: -1, PageUp: 10, PageDown: -10,
                    Home: -Infinity, End: Infinity };
    if (event.key in moves) {
      event.preventDefault();
      event.stopPropagation();  // the transport's keys are for the run, not here
      startKeys();
      keyIndex = Math.max(0, Math.min(last, keyIndex + moves[event.key]));
      pointIndex();
    } else if (event.key === 'Enter' || event.key === ' ') {
      event.preventDefault();
      event.stopPropagation();
      choose(pointed);
    } else if (event.key === 'Escape') {
      unpoint();
    }
  });

  dominantButton.addEventListener('click', () => {
    mode = 'dominant';
    showMode();
    if (chart) chart.batch(() => setView(targetView()));
    unpoint();
  });
  allButton.addEventListener('click', () => {
    mode = 'all';
    showMode();
    if (chart) chart.batch(() => setView(targetView()));
    unpoint();
  });
  showMode();

  function showCaption() {
    const text = analysis.stable ? 'Boucle fermée stable : tous ses pôles sont dans le demi-plan gauche (ombré).'
      : 'Boucle fermée instable : un pôle au moins est dans le demi-plan droit.';
    if (caption.textContent !== text) caption.textContent = text;
  }

  holder.antenneVue = {
    poles: () => analysis.poles.map((p) => [...p]),
    zeros: () => analysis.zeros.map((p) => [...p]),
    locusAt(K) {
      const i = nearestIndex(locus.gains, K);
      return { K: locus.gains[i], poles: locus.poles.map((b) => [b.re[i], b.im[i]]) };
    },
    locusPoint(branch, index) {
      const b = locus.poles[branch];
      const rect = chart.over.getBoundingClientRect();
      return { K: locus.gains[index], re: b.re[index], im: b.im[index],
               x: rect.left + chart.valToPos(b.re[index], 'x'), y: rect.top + chart.valToPos(b.im[index], 'y') };
    },
    view: () => ({ mode, x: [...view.x], y: [...view.y] }),
    readout: () => (readout.hidden ? '' : readout.textContent),
  };

  return {
    // The set-up's poles and zeros at K; the branches drawn again only for
    // a new locus (the controller's shape changed).
    show({ locus: next, K, analysis: nextAnalysis }) {
      analysis = nextAnalysis;
      currentK = K;
      showCaption();
      if (next !== locus) {
        const rebuild = !chart || !locus || next.poles.length !== locus.poles.length;
        locus = next;
        keyBranch = -1;
        unpoint();
        if (rebuild) {
          build();
          return;
        }
        pixelsKey = '';
        chart.batch(() => {
          chart.setData(data(), false);
          if (mode !== 'user') setView(targetView());
          chart.redraw(true, false);
        });
        return;
      }
      // The same locus: the markers move, the view only if its steps do.
      // Drawn at once (uPlot would otherwise draw in a microtask).
      chart.batch(() => {
        if (!(mode !== 'user' && setView(targetView()))) chart.redraw(false, false);
      });
      if (pointed) point(pointed);
    },
    fit() {
      if (!chart) return;
      pixelsKey = '';
      chart.batch(() => {
        chart.setSize(size());
        if (mode !== 'user') setView(targetView());
      });
      if (pointed) point(pointed);
    },
  };
}
