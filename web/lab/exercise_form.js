// "Créer un exercice": a small form that writes a link opening the set-up
// shown with an exercise, a goal to meet or a figure to predict, and the
// settings the student may not change. The goals, questions and settings it
// offers are those the model declares; the model checks the link as a
// student's page will read it.
import { download } from './exports.js';
import { copyText } from './link.js';
import { exercisePackage } from '../scorm/package.js';

export function createExerciseForm(model, description, setUp) {
  const form = document.getElementById('creation');
  const names = document.getElementById('creation-nom');
  const target = document.getElementById('creation-cible');
  const tolerance = document.getElementById('creation-tolerance');
  const address = document.getElementById('creation-adresse');
  const state = document.getElementById('creation-etat');
  const fixes = document.getElementById('creation-fixes');
  for (const setting of description.settings.filter((s) => s.group)) {
    const box = document.createElement('input');
    box.type = 'checkbox';
    box.value = setting.name;
    const option = document.createElement('label');
    option.append(box, ` ${setting.listed}`);
    fixes.appendChild(option);
  }
  const kind = () => form.querySelector('[name="creation-type"]:checked').value;

  // A goal's target starts at what the model reads on the set-up shown, a
  // good start for the teacher.
  function suggest() {
    const shown = setUp();
    if (!shown || kind() !== 'exercice') return;
    target.value = shown.report.goalSuggestions[names.value] || '';
  }

  function fillNames() {
    const goal = kind() === 'exercice';
    names.replaceChildren(...description[goal ? 'goals' : 'questions'].map((q) => new Option(q.listed, q.key)));
    document.getElementById('creation-cible-ligne').hidden = !goal;
    document.getElementById('creation-tolerance-ligne').hidden = !goal;
    suggest();
  }
  for (const radio of form.querySelectorAll('[name="creation-type"]')) radio.addEventListener('change', fillNames);
  names.addEventListener('change', suggest);
  document.getElementById('creer-exercice').addEventListener('toggle', fillNames);

  // The exercise's pairs, or why there are none.
  function pairs() {
    const held = Array.from(fixes.querySelectorAll('input:checked'), (box) => box.value);
    const parts = [];
    if (kind() === 'exercice') {
      if (!target.value.trim()) return { missing: 'Donnez une cible à atteindre : un nombre.' };
      const tol = tolerance.value.trim();
      parts.push(`exercice=${encodeURIComponent(`${names.value}:${target.value.trim()}${tol ? `:${tol}` : ''}`)}`);
    } else {
      parts.push(`question=${names.value}`);
    }
    parts.push(`fixe=${held.join(',')}`);
    return { pairs: parts.join('&') };
  }

  document.getElementById('creation-ecrire').addEventListener('click', () => {
    address.value = '';
    const { pairs: text, missing } = pairs();
    if (missing) {
      state.textContent = missing;
      target.focus();
      return;
    }
    // The model reads the link as a student's page will: its problems, if
    // any, are the teacher's to mend.
    const written = model.check(setUp(), text);
    if (written.problems.length) {
      state.textContent = written.problems.map((p) => p.message).join(' ');
      return;
    }
    // A question must have an answer on the set-up the student opens.
    if (written.exercise.kind === 'question' && written.exercise.unreadable) {
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
  // "Paquet SCORM": the link written as above (or why not), then the
  // exercise's package, this page and the model's manifest, downloaded.
  document.getElementById('creation-scorm').addEventListener('click', async () => {
    document.getElementById('creation-ecrire').click();
    if (!address.value) return;
    state.textContent = 'Paquet SCORM en préparation…';
    try {
      const made = await exercisePackage(model, address.value);
      if (made.problems) {
        state.textContent = made.problems.join(' ');
        return;
      }
      download(new Blob([made.bytes], { type: 'application/zip' }), made.file);
      state.textContent = `Paquet SCORM enregistré : ${made.file}, à déposer comme activité SCORM sur la plateforme.`;
    } catch (error) {
      state.textContent = `Le paquet SCORM n'a pas pu être écrit (${error.message}).`;
    }
  });
}
