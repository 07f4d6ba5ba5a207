// What Bode shows beyond the open loop's curves: the break pulsations ticked
// on the pulsation axis and, under the charts, said in words with the first
// segment's slope and phase; on request, the asymptotic diagram (the
// model's straight lines, two points at each break) and the closed loop's
// |T| and arg T; and the harmonic response's point (the run's, filled, and
// the model's, a ring) on the closed loop's curves. Two boxes choose what is
// drawn.
import { french, legendValue } from '../format.js';
import { clipped } from './clipped.js';
import { linePaths } from './thin_line.js';

export const colours = {
  asymptote: '#d06000',
  break: '#d06000',
  closed: '#007f00',
  measured: '#000000',
};

function box(text, title) {
  const label = document.createElement('label');
  label.className = 'case';
  label.title = title;
  const input = document.createElement('input');
  input.type = 'checkbox';
  label.append(input, ` ${text}`);
  return { label, input };
}

// The two boxes, above the charts; `changed` is told when one changes.
export function createBodeTools(holder, changed) {
  const tools = document.createElement('div');
  tools.className = 'plan-outils bode-outils';
  const asymptotes = box('Asymptotes', 'Le diagramme asymptotique et les pulsations de cassure');
  const closed = box('Boucle fermée', 'Le gain |T| et la phase de T = CG / (1 + CG), en vert');
  tools.append(asymptotes.label, closed.label);
  holder.prepend(tools);
  for (const { input } of [asymptotes, closed]) input.addEventListener('change', changed);
  return {
    asymptotes: () => asymptotes.input.checked,
    closed: () => closed.input.checked,
    // A sine's response is read on the closed loop: its curves show.
    showClosed() {
      closed.input.checked = true;
    },
  };
}

// The closed loop's series on a chart (gain: dB, phase: degrees).
export function closedSeries(label, unit) {
  return { label, stroke: colours.closed, width: 1.5, dash: [6, 3], paths: linePaths,
           value: legendValue((v) => `${french(v, 1)} ${unit}`) };
}


// On a chart, `column` being 'gain' or 'phase': the asymptotes' lines, the
// breaks' ticks on the pulsation axis, and the harmonic response's points.
// `extras`: { asymptotes: table, or null when not shown, breaks: [{ omega }],
// harmonic: the report's, or null }.
export function drawExtras(u, column, extras) {
  clipped(u, (ctx, r) => {
    const { asymptotes, breaks, harmonic } = extras;
    if (asymptotes && asymptotes.omega.length) {
      ctx.strokeStyle = colours.asymptote;
      ctx.lineWidth = 1.5 * r;
      ctx.beginPath();
      for (let i = 0; i < asymptotes.omega.length; ++i) {
        const x = u.valToPos(asymptotes.omega[i], 'x', true);
        const y = u.valToPos(asymptotes[column][i], 'y', true);
        if (i === 0) ctx.moveTo(x, y);
        else ctx.lineTo(x, y);
      }
      ctx.stroke();
    }
    // The breaks: a tick up from the pulsation axis at each.
    ctx.lineWidth = 2 * r;
    ctx.strokeStyle = colours.break;
    const bottom = u.bbox.top + u.bbox.height;
    ctx.beginPath();
    for (const { omega } of breaks) {
      const x = u.valToPos(omega, 'x', true);
      ctx.moveTo(x, bottom);
      ctx.lineTo(x, bottom - 10 * r);
    }
    ctx.stroke();
    if (harmonic) {
      const x = u.valToPos(harmonic.omega, 'x', true);
      const predicted = column === 'gain' ? harmonic.predictedDb : harmonic.predictedPhase;
      const measured = column === 'gain' ? harmonic.measuredDb : harmonic.measuredPhase;
      ctx.lineWidth = 2 * r;
      ctx.strokeStyle = colours.closed;
      ctx.beginPath();
      ctx.arc(x, u.valToPos(predicted, 'y', true), 6 * r, 0, 2 * Math.PI);
      ctx.stroke();
      if (measured !== null) {
        ctx.fillStyle = colours.measured;
        ctx.beginPath();
        ctx.arc(x, u.valToPos(measured, 'y', true), 3 * r, 0, 2 * Math.PI);
        ctx.fill();
      }
    }
  });
}

// The breaks (ticked on the pulsation axis) and the first segment, in
// words; the harmonic point's key.
export function extrasCaption(report, harmonicShown) {
  const a = report.asymptotes;
  const parts = [a.reason ? `${a.reason[0].toUpperCase()}${a.reason.slice(1)}.`
    : `Pulsations de cassure (traits orange) : ${a.breaksText}. Premier segment : ${a.startText}.`];
  if (harmonicShown)
    parts.push('Sinus de l\'essai : ○ la valeur du modèle, ● celle lue sur l\'essai.');
  return parts.join(' ');
}
