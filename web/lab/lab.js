// The laboratory: the loop's model worked out on the set-up of the controls,
// the address, a preset or a link, with its picture, curves, figures and
// stability views moving together. Every change is checked by the model,
// then worked out and shown, a slider's while it moves; the run then plays
// in real time (a slider's once let go), and as the transport's player it
// pauses, steps, seeks and changes speed as the scenes do. What is shown
// lives in one state object (state.js) that each view reads. Each slider
// move's cost, from its input event to the frame painted after it, goes to
// the browser's performance timeline as a measure named "antenne:reglage".
import { formatWith, french } from '../format.js';
import { onFullScreenChange } from '../fullscreen.js';
import { createBlack } from '../views/black.js';
import { createBode } from '../views/bode.js';
import { createNyquist } from '../views/nyquist.js';
import { createPicture } from '../views/picture.js';
import { createPlane } from '../views/plane.js';
import { createPlots } from '../views/plots.js';
import { createReadout } from '../views/readout.js';
import { whenVisible } from '../views/visible.js';
import { createControls } from './controls.js';
import { createCorrector } from './corrector.js';
import { createExercise } from './exercise.js';
import { createExerciseForm } from './exercise_form.js';
import { platform } from '../scorm/session.js';
import { createFigures } from './figures.js';
import { linkInAddress, writeAddress } from './link.js';
import { linkNumber } from './numbers.js';
import { createPlayer } from './player.js';
import { createPresets } from './presets.js';
import { createRecurrence } from './recurrence.js';
import { createState, hidden, lastSample } from './state.js';
import { createTools } from './tools.js';
import { createViewChooser } from './view_chooser.js';

// What the address says of a link's problems and of the names it ignored.
function addressNotes(report) {
  const notes = report.problems.map((p) => `${p.message} ${p.name === 'exercice' || p.name === 'question'
    ? 'Le laboratoire s\'ouvre sans exercice.'
    : `La valeur ${report.settings.preset ? 'du préréglage' : 'par défaut'} est prise.`}`);
  const ignored = report.ignored;
  if (ignored.length)
    notes.push(`Ignoré${ignored.length > 1 ? 's' : ''} : ${ignored.map((n) => `«\u00a0${n}\u00a0»`).join(', ')} ` +
               `(${ignored.length > 1 ? 'ce ne sont pas des réglages' : 'ce n\'est pas un réglage'}).`);
  return notes;
}

// A slider's move, from its input event to the frame painted after it: the
// next animation frame, then the end of its task.
function measureMove(event, started) {
  requestAnimationFrame(() => setTimeout(() => {
    performance.measure('antenne:reglage', { start: event.timeStamp || started, end: performance.now() });
  }, 0));
}

// Which exercise a report holds: a new one starts with its answer hidden.
function exerciseOf(report) {
  const e = report.exercise;
  return e ? `${e.kind}|${e.name}|${e.target}|${e.tolerance}` : '';
}

// The laboratory as the transport's player (transport.js): where the run
// stands, and what the transport's controls do to it.
function transportPlayer(state, player, view, { fit, open, listen }) {
  const seconds = (sample) => french(state.run.t[sample], 2);
  return {
    view,
    slot: document.getElementById('place-lecture-labo'),
    fullScreen: view,
    step: player.step,
    words: { moment: 'Instant de l\'essai', seek: 'Aller à un instant de l\'essai',
             realSpeed: 'Vitesse réelle : une seconde de l\'essai par seconde' },
    set onChange(listener) {
      listen(listener);
    },
    ready: () => state.run !== null && view.dataset.masque !== 'essai',
    count: () => lastSample(state),
    at: () => state.at,
    playing: () => state.playing,
    speed: () => state.speed,
    label: () => (state.run ? `${seconds(state.at)} s / ${seconds(lastSample(state))} s` : ''),
    spoken: () => (state.run ? `${seconds(state.at)} secondes sur ${seconds(lastSample(state))}` : ''),
    togglePause: player.togglePause,
    seek: player.seek,
    setSpeed: player.setSpeed,
    fit,
    // Opens on the set-up the address holds, or the defaults.
    open,
    leave: player.stop,
    link: () => (state.report ? state.report.link : ''),
  };
}

// A value refused marks its field; a setting the exercise holds says so.
function sayRefused(problems, fixed, { say, refuse, message }) {
  const held = problems.filter((p) => fixed.includes(p.name));
  const refused = problems.filter((p) => !held.includes(p));
  for (const p of held) say(p.message);
  for (const p of refused) refuse(p.name, p.message);
  message.textContent = refused.map((p) => p.message).join(' ');
  message.hidden = refused.length === 0;
}

// The address follows at most five times a second while a slider moves:
// browsers refuse an address changed hundreds of times in a few seconds.
function addressFollower(state) {
  let timer = null;
  return (final) => {
    clearTimeout(timer);
    if (final) writeAddress(state.report.link);
    else timer = setTimeout(() => writeAddress(state.report.link), 200);
  };
}

// The views the lab draws, each with its `update(state)`; the frequency
// views' tables are asked of the set-up shown when a view draws it.
async function createViews(data, description, state, { seekTime, chooseK }) {
  const picture = await createPicture(document.getElementById('labo-image'), data.diagram, data.antenna);
  const readout = createReadout(document.getElementById('labo-valeurs'));
  const plots = createPlots(document.getElementById('courbe-position'), document.getElementById('courbe-commande'), seekTime);
  const plane = createPlane(document.getElementById('plan-complexe'), description.views.locus, { chooseK });
  const bode = createBode(document.getElementById('bode'), { asymptotes: () => state.setUp.asymptotes() });
  const black = createBlack(document.getElementById('black'),
                            { nichols: (low, high) => state.setUp.nichols(low, high) });
  const nyquist = createNyquist(document.getElementById('nyquist'), { nyquist: () => state.setUp.nyquist() });
  return {
    picture, readout, plots, plane, bode, black, nyquist,
    // Views drawn only while on screen.
    analysisViews: whenVisible(document.querySelector('.labo-analyse > .analyse-vues'), [plane, bode]),
    blackView: whenVisible(document.getElementById('black'), [black]),
    nyquistView: whenVisible(document.getElementById('nyquist'), [nyquist]),
  };
}

export async function createLab(model, data) {
  formatWith(model);
  const view = document.getElementById('vue-labo');
  const message = document.getElementById('labo-message');
  const description = model.describe();
  const state = createState();
  let onChange = () => {};
  const address = addressFollower(state);
  let exerciseShown = '';

  const player = createPlayer(state, showMoment);
  const { picture, readout, plots, plane, bode, black, nyquist, analysisViews, blackView, nyquistView } =
    await createViews(data, description, state, {
      seekTime: (t) => player.seekTime(t),
      // A point of the locus chosen: its gain, as the slider would set it.
      chooseK: (K) => change(`K=${linkNumber(K)}`, { final: true }),
    });
  const controls = createControls(document.getElementById('reglages'), description,
                                  (name, value, final, event) => change(`${name}=${encodeURIComponent(value)}`, { final, event }));
  const corrector = createCorrector(document.getElementById('K').closest('fieldset'), {
    place: (omega, margin) => state.setUp.lead(omega, margin),
    apply: (pairs) => change(pairs, { final: true }),
  });
  createViewChooser(document.getElementById('lieux'), () => resize());
  const figures = createFigures(document.getElementById('chiffres'), document.getElementById('analyse'));
  // In a learning platform, its verdicts go to the gradebook (scorm/session.js).
  const exercise = createExercise({
    setUp: () => state.setUp,
    reveal,
    onVerdict: (shown, result) => platform()?.verdict(shown, result),
    onAnswer: (shown) => platform()?.answerShown(shown),
  });
  exercise.describe(description);
  createExerciseForm(model, description, () => state.setUp);
  const recurrence = createRecurrence(document.getElementById('reglages'));
  const presets = createPresets(document.getElementById('prereglages'), document.getElementById('commentaire'),
                                description.presets, (name) => change(`preset=${name}`, { from: 'preset' }));
  const tools = createTools(state, plots);

  // The moment of the run shown, wherever it moved.
  function showMoment() {
    picture.update(state);
    readout.update(state);
    plots.update(state);
    onChange();
  }

  // The set-up shown: its controls, presets, exercise, figures and views.
  function showSetUp() {
    const masked = hidden(state);
    view.dataset.masque = masked ? masked.part : '';
    controls.update(state);
    recurrence.update(state);
    presets.update(state);
    exercise.update(state);
    figures.update(state);
    corrector.update(state);
    analysisViews.update(state);
    blackView.update(state);
    nyquistView.update(state);
  }

  // Shows a set-up the model worked out, in place of the one shown; what the
  // model says did not change is not worked out again.
  function show(setUp, { from, final = true }) {
    const previous = state.setUp;
    state.setUp = setUp;
    state.report = setUp.report;
    state.run = setUp.run;
    if (previous) previous.release();
    const { report } = state;
    if (report.changed.locus || !state.locus) state.locus = setUp.locus();
    if (report.changed.analysis || !state.bode) state.bode = setUp.bode();
    if (exerciseOf(report) !== exerciseShown) {
      exerciseShown = exerciseOf(report);
      state.revealed = false;
    }
    const notes = from === 'address' ? addressNotes(report) : [];
    message.textContent = notes.join(' ');
    message.hidden = notes.length === 0;
    address(final);
    state.at = Math.min(state.at, lastSample(state));
    showSetUp();
    // While a slider moves, the run waits where it stands: each move brings
    // a new run, which plays from its start once the slider is let go.
    if (!final) {
      player.stop();
      return showMoment();
    }
    state.at = 0;
    // A run whose figure is to be predicted waits for the prediction.
    const masked = hidden(state);
    if (masked && masked.part === 'essai') {
      player.stop();
      return showMoment();
    }
    return player.play();
  }

  // A change of the set-up, as pairs ("K=200", "preset=rampe"): checked by
  // the model first, so that a refused value leaves the set-up shown as it
  // is, its field marked, or says why an exercise holds it.
  function change(pairs, { from = 'control', final = true, event = null }) {
    const started = performance.now();
    const checked = model.check(state.setUp, pairs);
    controls.accept();
    if (checked.problems.length) {
      sayRefused(checked.problems, state.report.fixed, { say: tools.say, refuse: controls.refuse, message });
      return;
    }
    show(model.compute(checked.link, state.setUp), { from, final });
    if (!final && event) measureMove(event, started);
  }

  // A question answered, or its answer asked for: what was hidden shows,
  // the run from its start.
  function reveal() {
    if (state.revealed) return;
    state.revealed = true;
    showSetUp();
    state.at = 0;
    player.play();
  }

  function open(link) {
    show(model.compute(link, state.setUp), { from: 'address' });
  }

  const resize = () => {
    if (view.hidden) return;
    for (const fitted of [picture, plots, plane, bode, black, nyquist]) fitted.fit();
    showMoment();
  };
  window.addEventListener('resize', resize);
  onFullScreenChange(resize);
  window.addEventListener('hashchange', () => {
    if (!view.hidden) open(linkInAddress());
  });

  return transportPlayer(state, player, view, {
    fit: resize,
    open: () => {
      resize();
      open(linkInAddress());
    },
    listen: (listener) => {
      onChange = listener;
    },
  });
}
