// Pointing at the root locus, on the complex plane: a mouse, a finger or a
// pen near the locus reads its K, damping and pulsation there, beside a ring
// on the point; a click or a tap that did not drag chooses that K; from the
// keyboard, the arrows run along the dominant branch and Enter chooses.
import { french, significant } from '../format.js';
import { rounded } from '../lab/numbers.js';
import { dominantBranch, nearestIndex } from './plane_frame.js';
import { pointerMarks } from './curve_pointer.js';

// How near the locus a pointer must be to read it (CSS pixels): a finger
// covers more than a mouse's tip.
const reach = { mouse: 16, touch: 30, pen: 20 };
// A press that moves farther than this is a drag (a zoom), not a choice.
export const clickSlop = 8;

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

// Puts a readout beside the point (x, y) of a plot w x h, turned back
// inside the plot near its edges.
function placeBeside(readout, x, y, w, h) {
  const rw = readout.offsetWidth;
  const rh = readout.offsetHeight;
  const left = x + 12 + rw <= w ? x + 12 : Math.max(0, x - 12 - rw);
  const top = y - 12 - rh >= 0 ? y - 12 - rh : Math.min(h - rh, y + 12);
  readout.style.transform = `translate(${left}px, ${top}px)`;
}

// From the keyboard, on the focused plot: the arrows (and Page Up and
// Down, Home and End) run along the dominant branch from the K set, Enter
// or Space chooses, Escape lets go.
function listenToKeys(trace, plane, pointer) {
  let keyBranch = -1;  // the branch the keys run along, for this locus
  let keyIndex = -1;

  function pointIndex() {
    pointer.point({ ...sampleOf(plane.locus(), keyBranch, keyIndex), keys: true });
  }

  // The keys start from the current K, on the dominant branch, unless they
  // already point somewhere.
  function startKeys() {
    if (pointer.pointed() && pointer.pointed().keys) return;
    keyBranch = dominantBranch(plane.analysis(), plane.locus(), plane.K());
    keyIndex = nearestIndex(plane.locus().gains, plane.K());
    pointIndex();
  }

  // A locus with branches to run along (a loop whose poles the model does
  // not work out, a sampled one with a long delay, has none).
  const hasLocus = () => plane.locus() && plane.locus().poles.length > 0;

  // Focused from the keyboard (not by a press on the plot), the keys' point shows.
  trace.addEventListener('focus', () => {
    if (hasLocus() && !pointer.pressing() && trace.matches(':focus-visible')) startKeys();
  });
  trace.addEventListener('blur', pointer.unpoint);
  trace.addEventListener('keydown', (event) => {
    if (!hasLocus()) return;
    const last = plane.locus().gains.length - 1;
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
      pointer.choose(pointer.pointed());
    } else if (event.key === 'Escape') {
      pointer.unpoint();
    }
  });
}

// `plane` gives what is shown: chart(), locus(), analysis(), K(), view()
// and plotSize(); `trace` is the focusable plot, `over` gets the ring and the
// readout; `chooseK` is told the K chosen.
export function createPointer(plane, trace, chooseK) {
  const { readout, ring } = pointerMarks();
  let pointed = null;  // { K, re, im, branch, index } of the locus, or null
  let pressed = null;  // where the last press on the plot started: { x, y, type }
  let pressing = false;  // a press on the plot not yet let go
  let pixels = null;   // the locus's points in the plot's CSS pixels, and what they were worked out for
  let pixelsKey = '';

  function locusPixels() {
    const key = `${plane.view().x}/${plane.view().y}/${plane.chart().bbox.width}/${plane.chart().bbox.height}`;
    if (key !== pixelsKey) {
      pixelsKey = key;
      pixels = plane.locus().poles.map((b) => {
        const xy = new Float64Array(2 * b.re.length);
        for (let i = 0; i < b.re.length; ++i) {
          xy[2 * i] = plane.chart().valToPos(b.re[i], 'x');
          xy[2 * i + 1] = plane.chart().valToPos(b.im[i], 'y');
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
    const { w, h } = plane.plotSize();
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
    return sampleOf(plane.locus(), best.branch, best.t > 0.5 ? best.index + 1 : best.index);
  }

  function point(at) {
    pointed = at;
    if (!at) return unpoint();
    const x = plane.chart().valToPos(at.re, 'x');
    const y = plane.chart().valToPos(at.im, 'y');
    const { w, h } = plane.plotSize();
    if (x < 0 || x > w || y < 0 || y > h) {
      ring.hidden = true;
      readout.hidden = true;
    } else {
      ring.hidden = false;
      ring.style.transform = `translate(${x}px, ${y}px)`;
      readout.textContent = readoutText(at);
      readout.hidden = false;
      placeBeside(readout, x, y, w, h);
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
    const rect = plane.chart().over.getBoundingClientRect();
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

  for (const type of ['pointerup', 'pointercancel']) addEventListener(type, () => { pressing = false; }, true);
  const pointer = {
    pointed: () => pointed,
    pressing: () => pressing,
    point,
    unpoint,
    choose,
    // The ring and the readout go over a new chart, which the pointer listens to.
    attach(over) {
      over.append(ring, readout);
      listen(over);
      pixelsKey = '';
    },
    // A new locus: what was pointed goes, and the keys start again from the K set.
    newLocus() {
      pixelsKey = '';
      unpoint();
    },
    // The view moved: the locus's pixels are worked out again.
    moved() {
      pixelsKey = '';
    },
    readout: () => (readout.hidden ? '' : readout.textContent),
  };
  listenToKeys(trace, plane, pointer);
  return pointer;
}
