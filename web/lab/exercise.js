// A teacher's exercise, carried by the link: its statement, "Vérifier" to
// judge the student's set-up (a goal) or prediction (a question) on the
// model, "Voir la réponse" for a question. Until a question is answered or
// its answer shown, what would give it away is kept out of sight (the
// laboratory reads that from the model's report: state.js hidden()).
//
// `setUp()` gives the set-up shown; `reveal()` is called once the answer
// may be seen; `onVerdict(exercise, result, answer)` hears each verdict
// (result: { met, text }; answer: what the student gave, for a question);
// `onAnswer(exercise)` hears a question's answer shown.
export function createExercise({ setUp, reveal, onVerdict = () => {}, onAnswer = () => {} }) {
  const section = document.getElementById('exercice');
  const statement = document.getElementById('exercice-enonce');
  const held = document.getElementById('exercice-fixes');
  const predictionBox = document.getElementById('exercice-prediction');
  const prediction = document.getElementById('prediction');
  const unit = document.getElementById('prediction-unite');
  const check = document.getElementById('verifier');
  const answerButton = document.getElementById('voir-reponse');
  const verdict = document.getElementById('verdict');
  let judgedOn = '';  // the link, exercise included, a verdict stands for
  let listed = {};    // the settings' names in a list, by link name

  function say(result, kind) {
    verdict.textContent = result.text;
    verdict.dataset.verdict = kind;
  }

  check.addEventListener('click', () => {
    const shown = setUp();
    const exercise = shown && shown.report.exercise;
    if (!exercise) return;
    if (exercise.kind === 'objectif') {
      const result = shown.exercise('objectif');
      say(result, result.met ? 'reussi' : 'rate');
      onVerdict(exercise, result, null);
      return;
    }
    const result = shown.exercise('prediction', prediction.value);
    say(result, result.met ? 'reussi' : 'rate');
    // A prediction that is no number is not one: the student types again.
    if (result.score === null) {
      prediction.focus();
      return;
    }
    onVerdict(exercise, result, prediction.value);
    reveal();
  });
  prediction.addEventListener('keydown', (event) => {
    if (event.key !== 'Enter') return;
    event.preventDefault();
    check.click();
  });
  answerButton.addEventListener('click', () => {
    const shown = setUp();
    say(shown.exercise('reponse'), 'reponse');
    onAnswer(shown.report.exercise);
    reveal();
  });

  return {
    // The settings' names as the exercise lists those it holds.
    describe(description) {
      listed = Object.fromEntries(description.settings.map((s) => [s.name, s.listed]));
    },
    // The set-up's exercise, if its link has one.
    update(state) {
      const { report } = state;
      const exercise = report.exercise;
      held.textContent = report.fixed.length
        ? `Fixé${report.fixed.length > 1 ? 's' : ''} par l'exercice : ${report.fixed.map((n) => listed[n] || n).join(', ')}.`
        : '';
      section.hidden = !exercise && report.fixed.length === 0;
      check.hidden = !exercise;
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
