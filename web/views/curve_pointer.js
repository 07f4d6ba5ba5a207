// Pointing at a curve of the frequency views (Black, Nyquist), drawn by
// uPlot in its scatter mode: a mouse, a finger or a pen near the curve reads
// its values at the nearest of its points, beside a ring on it; from the
// keyboard, the plot is a slider along the curve's points (the arrows one
// point, Page Up and Page Down ten, Home and End its ends). The readout's
// text is the view's own (the model's numbers, written by format.js).

// How near the curve a pointer must be to read it (CSS pixels).
const reach = { mouse: 16, touch: 30, pen: 20 };

// The ring around the point pointed and its readout, hidden until a point
// is (the readout is spoken by the plot's own label, not read twice).
export function pointerMarks() {
  const readout = document.createElement('div');
  readout.className = 'plan-lecture';
  readout.setAttribute('aria-hidden', 'true');
  readout.hidden = true;
  const ring = document.createElement('div');
  ring.className = 'plan-anneau';
  ring.hidden = true;
  return { readout, ring };
}

// `view` gives what is shown: chart(), count() (the points that may be
// pointed), at(i) ({ x, y } in the plot's CSS pixels, or null where the
// point is not drawn) and text(i), the readout at point i, and may give
// steps(), the points the keys run along, from 0 (all by default); `trace`
// is the focusable plot.
export function createCurvePointer(view, trace) {
  const { readout, ring } = pointerMarks();
  let pointed = -1;

  function plotSize() {
    const { width, height } = view.chart().bbox;
    return { w: width / devicePixelRatio, h: height / devicePixelRatio };
  }

  // The point nearest (x, y) within `limit` CSS pixels, or -1.
  function nearest(x, y, limit) {
    let best = -1;
    let bestDistance = limit * limit;
    for (let i = 0; i < view.count(); ++i) {
      const p = view.at(i);
      if (!p) continue;
      const distance = (p.x - x) ** 2 + (p.y - y) ** 2;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = i;
      }
    }
    return best;
  }

  function show(i) {
    pointed = i;
    const p = i >= 0 ? view.at(i) : null;
    if (!p) {
      ring.hidden = true;
      readout.hidden = true;
      return;
    }
    const text = view.text(i);
    ring.hidden = false;
    ring.style.transform = `translate(${p.x}px, ${p.y}px)`;
    readout.textContent = text;
    readout.hidden = false;
    // Beside the point, inside the plot, on the side with more room.
    const { w, h } = plotSize();
    const box = readout.getBoundingClientRect();
    const left = p.x + 12 + box.width <= w ? p.x + 12 : Math.max(0, p.x - 12 - box.width);
    const top = p.y > h / 2 ? Math.max(0, p.y - 12 - box.height) : Math.min(h - box.height, p.y + 12);
    readout.style.transform = `translate(${left}px, ${top}px)`;
    trace.setAttribute('aria-valuenow', String(i));
    trace.setAttribute('aria-valuetext', text);
  }

  function offset(event) {
    const rect = view.chart().over.getBoundingClientRect();
    return [event.clientX - rect.left, event.clientY - rect.top];
  }

  function listen(over) {
    for (const type of ['pointermove', 'pointerdown'])
      over.addEventListener(type, (event) => show(nearest(...offset(event), reach[event.pointerType] || reach.mouse)));
    over.addEventListener('pointerleave', (event) => {
      if (event.pointerType === 'mouse' && document.activeElement !== trace) show(-1);
    });
  }

  trace.addEventListener('keydown', (event) => {
    const last = (view.steps ? view.steps() : view.count()) - 1;
    const from = pointed >= 0 ? pointed : Math.round(last / 2);
    const to = { ArrowRight: from + 1, ArrowUp: from + 1, ArrowLeft: from - 1, ArrowDown: from - 1,
                 PageUp: from + 10, PageDown: from - 10, Home: 0, End: last }[event.key];
    if (to === undefined || last < 0) return;
    event.preventDefault();
    show(Math.max(0, Math.min(last, to)));
  });
  trace.addEventListener('blur', () => show(-1));

  return {
    // The ring and the readout go over a new chart, which the pointer listens to.
    attach(over) {
      over.append(ring, readout);
      listen(over);
    },
    // The curve or the view changed: the point pointed is shown again there.
    again() {
      if (pointed >= 0) show(Math.min(pointed, view.count() - 1));
    },
    readout: () => (readout.hidden ? '' : readout.textContent),
    // Points at point i, as a pointer there would (for the tests).
    point: show,
    // Where point i is on the page, in CSS pixels, or null where it is not drawn (for the tests).
    pointAt(i) {
      const p = view.at(i);
      const rect = view.chart().over.getBoundingClientRect();
      return p && { x: rect.left + p.x, y: rect.top + p.y };
    },
  };
}

// Where the values (x, y) fall in a chart's plot, in CSS pixels, or null
// outside it.
export function plotPosition(chart, xValue, yValue) {
  const x = chart.valToPos(xValue, 'x');
  const y = chart.valToPos(yValue, 'y');
  const { width, height } = chart.bbox;
  return x >= 0 && y >= 0 && x <= width / devicePixelRatio && y <= height / devicePixelRatio ? { x, y } : null;
}
