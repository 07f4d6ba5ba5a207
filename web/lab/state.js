// What the laboratory shows, in one plain object that every view reads in
// its update(state): the set-up the model works out and what it gave, the
// moment of the run shown and how it plays, and the exercise's state. Only
// the laboratory (lab.js) and its player (player.js) write it.
export function createState() {
  return {
    setUp: null,     // the set-up shown, as the model keeps it (bridge/model.js)
    report: null,    // its report: settings, problems, figures, analysis, exercise
    run: null,       // its run, a column a quantity
    locus: null,     // its root locus, worked out again only when the model says it changed
    bode: null,      // Bode of its open loop
    at: 0,           // the sample of the run shown
    playing: false,
    speed: 1,
    revealed: false, // a question answered, or its answer shown
    kept: [],        // runs kept in grey to compare: { label, run }
  };
}

// What a question keeps out of sight until it is answered: { part, rows },
// part 'essai' (the run) or 'stabilite' (the critical gain); null when
// nothing is hidden.
export function hidden(state) {
  const exercise = state.report && state.report.exercise;
  return exercise && exercise.hides && !state.revealed ? exercise.hides : null;
}

// The run's last sample.
export function lastSample(state) {
  return state.run ? state.run.t.length - 1 : 0;
}
