// The laboratory's curves, drawn by uPlot: consigne and position (degrees),
// commande and tension moteur (V) with the chopper's limit +-Umax, both
// against time; the runs kept in grey, each named in the legend by its
// settings; a cursor that follows the run as it plays, and a click or a tap
// on a curve that moves the run there.
import uPlot from '../vendor/uplot/uPlot.esm.js';
import { axisLabels, french, legendValue } from '../format.js';
import { createAxesLayer } from './axes_layer.js';
import { linePaths } from './thin_line.js';

const colours = {
  consigne: '#1f4fbf',
  position: '#800000',
  commande: '#007f00',
  tension: '#d06000',
  limite: '#808080',
  gardee: '#a0a0a0',
};

// Legend values with a decimal comma and `decimals` places.
const places = (decimals) => legendValue((v) => french(v, decimals));

function chartHeight(width) {
  return Math.round(Math.max(160, Math.min(260, width * 0.42)));
}

// One chart: its series (the run's, then the kept ones), made again when the
// kept runs change.
function chartOptions(width, yLabel, series, onSeek, onPointer) {
  const layer = createAxesLayer();
  return {
    width,
    height: chartHeight(width),
    // Curves through their points' true places, not rounded to pixels: no
    // stairs on a slow curve.
    pxAlign: 0,
    scales: { x: { time: false } },
    cursor: { sync: { key: 'antenne-labo' }, drag: { x: false, y: false } },
    legend: { live: true },
    series: [{ label: 't (s)', value: places(2) }, ...series],
    axes: [
      { label: 't (s)', values: axisLabels, size: 40 },
      { label: yLabel, values: axisLabels, size: 56 },
    ],
    hooks: {
      drawClear: [layer.drawClear],
      drawAxes: [layer.drawAxes],
      ready: [
        (u) => {
          const cursor = document.createElement('div');
          cursor.className = 'curseur-temps';
          u.over.appendChild(cursor);
          u.over.addEventListener('pointerenter', () => onPointer(true));
          u.over.addEventListener('pointerleave', () => onPointer(false));
          u.over.addEventListener('click', (event) => {
            const rect = u.over.getBoundingClientRect();
            onSeek(u.posToVal(event.clientX - rect.left, 'x'));
          });
        },
      ],
    },
  };
}

function line(label, stroke, options = {}) {
  return { label, stroke, width: 2, paths: linePaths, value: places(options.decimals ?? 2), ...options };
}

export function createPlots(positionHolder, commandHolder, onSeek) {
  let kept = [];  // { label, run }
  let current = null;  // { run, limit }
  let charts = [];
  let cursorTime = 0;
  let pointing = false;
  const pointer = (on) => {
    pointing = on;
  };

  function width(holder) {
    return Math.max(240, holder.clientWidth || 600);
  }

  // The data of both charts, on the longest run's time: every run is sampled
  // every 10 ms from 0, so their samples line up; past its end, a shorter
  // run has no value.
  function data() {
    const runs = [current.run, ...kept.map((k) => k.run)];
    const longest = runs.reduce((a, r) => (r.t.length > a.t.length ? r : a));
    const along = (column, run) => {
      const out = new Array(longest.t.length).fill(null);
      for (let i = 0; i < run.t.length; ++i) out[i] = run[column][i];
      return out;
    };
    const limit = current.limit;
    const constant = (v) => new Array(longest.t.length).fill(v);
    const position = [longest.t, along('consigne', current.run), along('position', current.run),
                      ...kept.map((k) => along('position', k.run))];
    const command = [longest.t, along('commande', current.run), along('tension', current.run),
                     ...kept.map((k) => along('tension', k.run))];
    if (limit > 0) command.push(constant(limit), constant(-limit));
    return [position, command];
  }

  function build() {
    for (const chart of charts) chart.destroy();
    const keptSeries = kept.map((k, i) => line(`${i + 1}. ${k.label}`, colours.gardee, { width: 1.5, dash: [6, 3] }));
    const positionSeries = [line('consigne', colours.consigne, { width: 1.5 }), line('position', colours.position),
                            ...keptSeries];
    const commandSeries = [line('commande', colours.commande, { decimals: 1 }),
                           line('tension moteur', colours.tension, { decimals: 1 }),
                           ...kept.map((k, i) => line(`${i + 1}. ${k.label}`, colours.gardee,
                                                      { width: 1.5, dash: [6, 3], decimals: 1 }))];
    if (current.limit > 0)
      commandSeries.push(line('+Umax', colours.limite, { width: 1, dash: [4, 4], decimals: 0 }),
                         line('−Umax', colours.limite, { width: 1, dash: [4, 4], decimals: 0 }));
    const [positionData, commandData] = data();
    charts = [
      new uPlot(chartOptions(width(positionHolder), '°', positionSeries, onSeek, pointer), positionData, positionHolder),
      new uPlot(chartOptions(width(commandHolder), 'V', commandSeries, onSeek, pointer), commandData, commandHolder),
    ];
  }

  // The playback's cursor, and the legends' values at its moment unless the
  // pointer is on a chart.
  function placeCursor() {
    const index = Math.round(cursorTime / 0.01);
    for (const chart of charts) {
      const cursor = chart.over.querySelector('.curseur-temps');
      if (cursor) cursor.style.transform = `translateX(${chart.valToPos(cursorTime, 'x')}px)`;
      if (!pointing && index < chart.data[0].length) chart.setLegend({ idx: index });
    }
  }

  // The run shown, redrawn in place while its shape (the kept runs, the
  // limit drawn or not) stays; made again otherwise. The caller places the
  // cursor after.
  let shape = '';
  function show(run, limit) {
    current = { run, limit };
    const next = `${kept.length}/${limit > 0}`;
    if (next !== shape || charts.length === 0) {
      shape = next;
      build();
      return;
    }
    const [positionData, commandData] = data();
    charts[0].setData(positionData);
    charts[1].setData(commandData);
  }

  return {
    // The state's run with the runs it keeps, the cursor at its moment.
    update(state) {
      if (!state.run) return;
      // The laboratory replaces its list of kept runs when it changes.
      if (state.run !== (current && current.run) || state.kept !== kept) {
        kept = state.kept;
        show(state.run, state.report.settings.saturation);
      }
      cursorTime = state.run.t[state.at];
      placeCursor();
    },
    fit() {
      charts.forEach((chart, i) => {
        const holder = i === 0 ? positionHolder : commandHolder;
        chart.setSize({ width: width(holder), height: chartHeight(width(holder)) });
      });
      placeCursor();
    },
    // The charts' canvases, for the picture export.
    canvases: () => charts.map((chart) => chart.ctx.canvas),
    legends: () => charts.map((chart) => chart.series.slice(1).map((s) => ({ label: s.label, stroke: s.stroke() }))),
  };
}
