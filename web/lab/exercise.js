// A teacher's exercise, carried by the link: its statement, "Vérifier" to
// judge the student's set-up (a goal) or prediction (a question) on the
// model, "Voir la réponse" for a question; and "Créer un exercice", which
// writes such a link from the set-up shown. Until a question is answered or
// its answer shown, what would give it away is kept out of sight.
import { copyText } from './link.js';
import { typedNumber } from '../format.js';

const goals = [
  ['D1', 'Dépassement D1 (%)'], ['tr5', 'Temps de réponse à 5 % (s)'], ['traine', 'Erreur de traînage (°)'],
  ['vent', 'Erreur due au vent (°)'], ['MP', 'Marge de phase (°)'], ['MG', 'Marge de gain (dB)'],
];
const questions = [
  ['Kcrit', 'Gain critique Kcrit'], ['wcrit', 'Pulsation critique ωcrit (rad/s)'], ['D1', 'Dépassement D1 (%)'],
  ['tr5', 'Temps de réponse à 5 % (s)'], ['traine', 'Erreur de traînage (°)'], ['vent', 'Erreur due au vent (°)'],
];
// The settings a teacher may hold, with their names on screen.
const holdable = [
  ['regulateur', 'Régulateur'], ['K', 'K'], ['Ti', 'Ti'], ['Td', 'Td'], ['N', 'N'], ['antisaturation', 'Antisaturation'],
  ['entree', 'Entrée'], ['amplitude', 'Amplitude'], ['pente', 'Pente'], ['vent', 'Vent'], ['debutVent', 'Début du vent'],
  ['dureeVent', 'Durée du vent'], ['saturation', 'Umax'], ['duree', 'Durée'],
];

// What a question's answer can be read from, kept hidden until then.
export function hiddenFor(exercise) {
  if (!exercise || exercise.kind !== 'question') return null;
  return ['Kcrit', 'wcrit'].includes(exercise.name) ? 'stabilite' : 'essai';
}

export function createExercise(model, { current, recompute, reveal }) {
  const section = document.getElementById('exercice');
  const statement = document.getElementById('exercice-enonce');
  const held = document.getElementById('exercice-fixes');
  const predictionBox = document.getElementById('exercice-prediction');
  const prediction = document.getElementById('prediction');
  const unit = document.getElementById('prediction-unite');
  const answerButton = document.getElementById('voir-reponse');
  const verdict = document.getElementById('verdict');
  let judgedOn = '';  // the link, exercise included, a verdict stands for

  function say(result, kind) {
    verdict.textContent = result.text;
    verdict.dataset.verdict = kind;
  }

  document.getElementById('verifier').addEventListener('click', () => {
    const report = current();
    if (!report || !report.exercise) return;
    if (report.exercise.kind === 'objectif') {
      const result = model.exercise('objectif');
      say(result, result.met ? 'reussi' : 'rate');
      return;
    }
    const typed = typedNumber(prediction.value).replace(',', '.');
    const value = Number(typed);
    if (!/^[+-]?(\d+\.?\d*|\.\d+)(e[+-]?\d+)?$/i.test(typed) || !Number.isFinite(value)) {
      say({ text: 'Tapez d\'abord votre prédiction : un nombre, avec une virgule ou un point.' }, 'rate');
      prediction.focus();
      return;
    }
    const result = model.exercise('prediction', value);
    say(result, result.met ? 'reussi' : 'rate');
    reveal();
  });
  prediction.addEventListener('keydown', (event) => {
    if (event.key !== 'Enter') return;
    event.preventDefault();
    document.getElementById('verifier').click();
  });
  answerButton.addEventListener('click', () => {
    say(model.exercise('reponse'), 'reponse');
    reveal();
  });

  // ---- Writing an exercise's link -------------------------------------------

  const form = document.getElementById('creation');
  const names = document.getElementById('creation-nom');
  const target = document.getElementById('creation-cible');
  const tolerance = document.getElementById('creation-tolerance');
  const address = document.getElementById('creation-adresse');
  const state = document.getElementById('creation-etat');
  const fixes = document.getElementById('creation-fixes');
  for (const [name, label] of holdable) {
    const option = document.createElement('label');
    const box = document.createElement('input');
    box.type = 'checkbox';
    box.value = name;
    option.append(box, ` ${label}`);
    fixes.appendChild(option);
  }
  const kind = () => form.querySelector('[name="creation-type"]:checked').value;

  // The goal's target starts at what the model reads on the set-up shown, a
  // good start for the teacher.
  function suggest() {
    const report = current();
    if (!report || kind() !== 'exercice') return;
    const value = report.goalReadings[names.value];
    target.value = value === null || value === undefined ? '' : String(Number(value.toPrecision(3))).replace('.', ',');
  }

  function fillNames() {
    const list = kind() === 'exercice' ? goals : questions;
    names.replaceChildren(...list.map(([name, label]) => new Option(label, name)));
    const goal = kind() === 'exercice';
    document.getElementById('creation-cible-ligne').hidden = !goal;
    document.getElementById('creation-tolerance-ligne').hidden = !goal;
    suggest();
  }
  for (const radio of form.querySelectorAll('[name="creation-type"]')) radio.addEventListener('change', fillNames);
  names.addEventListener('change', suggest);
  document.getElementById('creer-exercice').addEventListener('toggle', fillNames);

  document.getElementById('creation-ecrire').addEventListener('click', () => {
    const report = current();
    const base = report.link.split('&').filter((p) => !/^(exercice|question|fixe|preset)=/.test(p));
    const held = Array.from(fixes.querySelectorAll('input:checked'), (box) => box.value);
    const parts = [...base];
    if (kind() === 'exercice') {
      const goal = typedNumber(target.value);
      const tol = typedNumber(tolerance.value);
      if (!goal) {
        address.value = '';
        state.textContent = 'Donnez une cible à atteindre : un nombre.';
        target.focus();
        return;
      }
      parts.push(`exercice=${names.value}:${goal}${tol ? `:${tol}` : ''}`);
    } else {
      parts.push(`question=${names.value}`);
    }
    if (held.length) parts.push(`fixe=${held.join(',')}`);
    // The model reads the link as a student's page will: its problems, if
    // any, are the teacher's to mend; then the set-up shown runs again.
    const written = model.compute(parts.join('&')).report;
    recompute();
    if (written.problems.length) {
      address.value = '';
      state.textContent = written.problems.map((p) => p.message).join(' ');
      return;
    }
    // A question must have an answer on the set-up the student opens.
    if (written.exercise.kind === 'question' && written.exercise.unreadable) {
      address.value = '';
      state.textContent = `Rien à prédire sur ce réglage, car ${written.exercise.unreadable}. ` +
        'Changez le réglage ou choisissez une autre grandeur.';
      return;
    }
    address.value = `${location.href.split('#')[0]}#labo?${written.link}`;
    state.textContent = 'Lien écrit : copiez-le pour vos étudiants.';
  });
  document.getElementById('creation-copier').addEventListener('click', async () => {
    if (!address.value) return;
    state.textContent = (await copyText(address.value)) ? 'Lien copié.' : 'Copiez le lien affiché.';
  });

  return {
    // The set-up's exercise, if its link has one.
    show(report) {
      const exercise = report.exercise;
      const fixedNames = Object.fromEntries(holdable);
      held.textContent = report.fixed.length
        ? `Fixé${report.fixed.length > 1 ? 's' : ''} par l'exercice : ${report.fixed.map((n) => fixedNames[n] || n).join(', ')}.`
        : '';
      section.hidden = !exercise && report.fixed.length === 0;
      document.getElementById('verifier').hidden = !exercise;
      if (!exercise) {
        statement.textContent = '';
        return;
      }
      statement.textContent = exercise.statement;
      const question = exercise.kind === 'question';
      predictionBox.hidden = !question;
      answerButton.hidden = !question;
      unit.textContent = question ? exercise.unit : '';
      // A verdict holds for the set-up it judged: another exercise or
      // another set-up clears it.
      if (report.link !== judgedOn) {
        judgedOn = report.link;
        verdict.textContent = '';
        delete verdict.dataset.verdict;
      }
    },
  };
}
