// The laboratory: the loop's model run on the set-up of the controls, the
// address, a preset or a link, with its picture, curves and figures moving
// together. Every change runs the model again and redraws everything, a
// slider's while it moves; the run then plays in real time, and as the
// transport's player it pauses, steps, seeks and changes speed as the scenes
// do. Each slider move's cost, from its input event to the frame painted
// after it, goes to the browser's performance timeline as a measure named
// "antenne:reglage".
import { createBode } from '../views/bode.js';
import { createControls } from './controls.js';
import { createExercise, hiddenFor } from './exercise.js';
import { exportCsv, exportPicture } from './exports.js';
import { showFigures } from './figures.js';
import { french } from '../format.js';
import { onFullScreenChange } from '../fullscreen.js';
import { copyText, linkInAddress, linkOf, linkValues, writeAddress } from './link.js';
import { createPicture } from '../views/picture.js';
import { createPlane } from '../views/plane.js';
import { createPlots } from '../views/plots.js';

const sampleSeconds = 0.01;
// An arrow key or a step button moves the run by the program's tick.
const stepSamples = 10;

export async function createLab(model, data) {
  const view = document.getElementById('vue-labo');
  const message = document.getElementById('labo-message');
  const state = document.getElementById('outils-etat');
  const readout = document.getElementById('labo-valeurs');
  const picture = await createPicture(document.getElementById('labo-image'), data.diagram);
  const description = model.describe();
  let onChange = () => {};

  let report = null;
  let run = null;
  let values = {};
  let at = 0;
  let playing = false;
  let speed = 1;
  let playStart = 0;  // when sample 0 was due, at the current speed
  let frame = null;

  const plots = createPlots(document.getElementById('courbe-position'), document.getElementById('courbe-commande'),
                            (t) => seek(Math.round(t / sampleSeconds)));
  const controls = createControls(document.getElementById('reglages'), description, changed);
  const plane = createPlane(document.getElementById('plan-complexe'), {
    // A point of the locus chosen: its gain, as the slider would set it.
    chooseK: (K) => changed('K', String(K), true),
  });
  const bode = createBode(document.getElementById('bode'));
  // A question's answer stays out of sight until the student has predicted
  // it, or asked for it; a new exercise starts hidden again.
  let revealed = false;
  let exerciseShown = '';
  const exercise = createExercise(model, {
    current: () => report,
    recompute: () => model.compute(report.link),
    reveal: () => {
      if (revealed) return;
      revealed = true;
      compute(report.link, { from: 'exercise' });
    },
  });
  function masked() {
    const hiding = revealed ? null : hiddenFor(report.exercise);
    view.dataset.masque = hiding || '';
    if (hiding === 'stabilite') return ['Gain critique', 'Marge de gain'];
    return hiding === 'essai' ? [report.exercise.name] : [];
  }

  // The root locus depends on the controller's shape, not on K: it is
  // worked out again only when the shape changes.
  let locus = null;
  let locusShape = '';
  // The views are drawn only while they are on screen: a slider moved at
  // the top of the page does not pay for charts scrolled out of sight,
  // which are drawn as soon as they come back.
  let views = null;
  let viewsShown = true;
  function drawViews() {
    if (!views || !viewsShown) return;
    plane.show(views.plane);
    bode.show(views.bode);
    views = null;
  }
  new IntersectionObserver((entries) => {
    viewsShown = entries.some((entry) => entry.isIntersecting);
    drawViews();
  }).observe(document.querySelector('.labo-analyse'));

  // Worked out at once, while the model holds the set-up shown.
  function stability() {
    const shape = ['regulateur', 'Ti', 'Td', 'N'].map((name) => values[name]).join('&');
    if (shape !== locusShape) {
      locusShape = shape;
      locus = model.locus(1, 10000, 500);
    }
    const K = Number(values.K);
    views = { plane: { locus, K, analysis: report.analysis },
              bode: { bode: model.bode(0.01, 1000, 300), K, analysis: report.analysis } };
    drawViews();
  }

  function last() {
    return run ? run.t.length - 1 : 0;
  }

  // ---- Showing the moment -------------------------------------------------

  function showMoment() {
    if (!run) return;
    picture.draw(run, at);
    plots.moveTo(run.t[at]);
    const limited = run.limitee[at] === 1;
    readout.textContent = `t = ${french(run.t[at], 2)} s · consigne ${french(run.consigne[at], 1)}° · ` +
      `erreur ${french(run.erreur[at], 2)}° · commande ${french(run.commande[at], 1)} V` +
      `${limited ? ' (limitée)' : ''} · tension ${french(run.tension[at], 1)} V · position ${french(run.position[at], 1)}°`;
    onChange();
  }

  // ---- Running the model ---------------------------------------------------

  let addressTimer = null;
  // The address follows at most five times a second while a slider moves:
  // browsers refuse an address changed hundreds of times in a few seconds.
  function address(final) {
    clearTimeout(addressTimer);
    if (final) writeAddress(report.link);
    else addressTimer = setTimeout(() => writeAddress(report.link), 200);
  }

  // Runs a link's set-up. From a control, a refused value keeps the run
  // shown and marks the field; from an address or a preset, the model's
  // defaults stand in for bad values, and the page says which.
  function compute(link, { from, final = true }) {
    const result = model.compute(link);
    controls.accept();
    if (from === 'control' && result.report.problems.length) {
      // The model keeps the last set-up it ran, which the exports read: the
      // one shown runs again. The refused field keeps what was typed in it.
      model.compute(report.link);
      for (const p of result.report.problems) controls.refuse(p.name, p.message);
      message.textContent = result.report.problems.map((p) => p.message).join(' ');
      message.hidden = false;
      return false;
    }
    report = result.report;
    run = result.run;
    values = linkValues(report.link);
    const exerciseNow = [values.exercice, values.question].join('|');
    if (exerciseNow !== exerciseShown) {
      exerciseShown = exerciseNow;
      revealed = false;
    }
    if (from === 'address') {
      const notes = report.problems.map((p) => `${p.message} ${p.name === 'exercice' || p.name === 'question'
        ? 'Le laboratoire s\'ouvre sans exercice.'
        : `La valeur ${values.preset ? 'du préréglage' : 'par défaut'} est prise.`}`);
      if (report.ignored.length)
        notes.push(`Ignoré${report.ignored.length > 1 ? 's' : ''} : ${report.ignored.map((n) => `«\u00a0${n}\u00a0»`).join(', ')} ` +
                   `(${report.ignored.length > 1 ? 'ce ne sont pas des réglages' : 'ce n\'est pas un réglage'}).`);
      message.textContent = notes.join(' ');
      message.hidden = notes.length === 0;
    } else {
      message.hidden = true;
    }
    controls.show(report.settings, report.fixed);
    showPreset();
    exercise.show(report);
    const hide = masked();
    controls.showCritical(report.analysis.critical && view.dataset.masque !== 'stabilite' ? report.analysis.critical.K : null);
    plots.show(run, Number(values.saturation));
    showFigures(document.getElementById('chiffres'), document.getElementById('analyse'), description, report, hide);
    stability();
    address(final);
    at = Math.min(at, last());
    if (final) {
      at = 0;
      // A run whose figure is to be predicted waits for the prediction.
      if (view.dataset.masque === 'essai') stop();
      else play();
    }
    showMoment();
    return true;
  }

  // A control changed: its value in the set-up, the preset forgotten. A
  // setting the exercise holds does not change, whatever asks.
  function changed(name, value, final, event) {
    if (report.fixed.includes(name)) {
      say(`${name} est fixé par l'exercice : il ne change pas.`);
      return;
    }
    const started = performance.now();
    const next = { ...values, [name]: value, preset: '' };
    // An action chosen starts from a value that shows it, not from 0 (off):
    // the lesson's Ti = 4 s, and a Td that damps the step.
    if (name === 'regulateur') {
      if (value !== 'P' && Number(next.Ti) === 0 && !report.fixed.includes('Ti')) next.Ti = '4';
      if (value === 'PID' && Number(next.Td) === 0 && !report.fixed.includes('Td')) next.Td = '0.3';
    }
    compute(linkOf(next), { from: 'control', final });
    if (!final && event) {
      // The frame painted: the next animation frame, then the end of its task.
      requestAnimationFrame(() => setTimeout(() => {
        performance.measure('antenne:reglage', { start: event.timeStamp || started, end: performance.now() });
      }, 0));
    }
  }

  // ---- Playing -------------------------------------------------------------

  function stop() {
    if (frame !== null) cancelAnimationFrame(frame);
    frame = null;
    playing = false;
  }

  function play() {
    stop();
    if (!run || at >= last()) return onChange();
    playing = true;
    playStart = performance.now() - (at * sampleSeconds * 1000) / speed;
    frame = requestAnimationFrame(tick);
    onChange();
  }

  function tick(now) {
    frame = null;
    at = Math.min(last(), Math.max(at, Math.floor(((now - playStart) * speed) / (sampleSeconds * 1000))));
    if (at >= last()) playing = false;
    showMoment();
    if (playing) frame = requestAnimationFrame(tick);
  }

  function togglePause() {
    if (playing) {
      stop();
      onChange();
    } else {
      if (at >= last()) at = 0;
      play();
    }
  }

  function seek(sample) {
    stop();
    at = Math.max(0, Math.min(last(), sample));
    showMoment();
  }

  function setSpeed(value) {
    speed = value;
    if (playing) play();
    else onChange();
  }

  // ---- Presets, link and exports ------------------------------------------

  const presetBar = document.getElementById('prereglages');
  const comment = document.getElementById('commentaire');
  const presetButtons = description.presets.map((preset) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = preset.title;
    button.dataset.preset = preset.name;
    button.addEventListener('click', () => {
      // An exercise stays: the presets offered leave what it holds as it is.
      const kept = Object.fromEntries(Object.entries(values).filter(
        ([name]) => ['exercice', 'question', 'fixe'].includes(name)));
      compute(linkOf({ preset: preset.name, ...kept }), { from: 'preset' });
    });
    presetBar.appendChild(button);
    return { preset, button, own: linkValues(preset.link) };
  });
  // The preset the set-up comes from, pressed with its comment, until a
  // control changes it. A preset that would change a setting the exercise
  // holds is not offered.
  function showPreset() {
    comment.textContent = '';
    for (const { preset, button, own } of presetButtons) {
      const chosen = preset.name === values.preset;
      if (chosen) comment.textContent = preset.comment;
      const clash = report.fixed.some((name) => own[name] !== values[name]);
      button.disabled = clash;
      button.title = clash ? 'Ce préréglage changerait un réglage que l\'exercice fixe.' : preset.comment;
      button.setAttribute('aria-pressed', String(chosen));
    }
  }

  function say(text) {
    state.textContent = text;
    setTimeout(() => {
      if (state.textContent === text) state.textContent = '';
    }, 4000);
  }

  document.getElementById('garder').addEventListener('click', () => {
    plots.keep(report.summary);
    say(`Courbe gardée (${plots.keptCount()}).`);
  });
  document.getElementById('effacer').addEventListener('click', () => {
    plots.clear();
    say('Courbes gardées effacées.');
  });
  document.getElementById('copier').addEventListener('click', async () => {
    writeAddress(report.link);
    say((await copyText(location.href)) ? 'Lien copié : il rouvre ce réglage.' : 'Copiez l\'adresse de la page.');
  });
  document.getElementById('exporter-csv').addEventListener('click', () => {
    exportCsv(model.csv(), report.csvName);
  });
  document.getElementById('exporter-image').addEventListener('click', () => {
    exportPicture(plots.canvases(), plots.legends(), ['Consigne et position (°)', 'Commande et tension moteur (V)'],
                  report.summary, report.csvName.replace(/\.csv$/, '.png'));
  });

  const resize = () => {
    if (view.hidden) return;
    picture.fit();
    plots.fit();
    plane.fit();
    bode.fit();
    showMoment();
  };
  window.addEventListener('resize', resize);
  onFullScreenChange(resize);
  window.addEventListener('hashchange', () => {
    if (!view.hidden) compute(linkInAddress(), { from: 'address' });
  });

  return {
    view,
    slot: document.getElementById('place-lecture-labo'),
    fullScreen: view,
    step: stepSamples,
    words: { moment: 'Instant de l\'essai', seek: 'Aller à un instant de l\'essai',
             realSpeed: 'Vitesse réelle : une seconde de l\'essai par seconde' },
    set onChange(listener) {
      onChange = listener;
    },
    ready: () => run !== null && view.dataset.masque !== 'essai',
    count: last,
    at: () => at,
    playing: () => playing,
    speed: () => speed,
    label: () => (run ? `${french(run.t[at], 2)} s / ${french(run.t[last()], 2)} s` : ''),
    spoken: () => (run ? `${french(run.t[at], 2)} secondes sur ${french(run.t[last()], 2)}` : ''),
    togglePause,
    seek,
    setSpeed,
    fit: resize,
    // Opens on the set-up the address holds, or the defaults.
    open() {
      resize();
      compute(linkInAddress(), { from: 'address' });
    },
    leave: stop,
    link: () => (report ? report.link : ''),
  };
}
