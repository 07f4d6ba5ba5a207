// The page inside a learning platform. Launched from an exercise's SCORM
// 1.2 package (package.js), the page finds the platform's runtime, the
// object API that a parent window (or the window that opened it) holds, and
// tells it what the student does:
// - at the start, LMSInitialize, and "incomplete" unless the attempt has a
//   status already; a student coming back resumes on the set-up saved in
//   cmi.suspend_data, if it carries the same exercise; a platform that
//   launched the page without the exercise's link in its address gives it
//   as cmi.launch_data (the manifest's datafromlms);
// - at each verdict, an interaction (the exercise, what was judged, correct
//   or wrong), the score (0 to 100, the best of the attempt) and the
//   status, "passed" for good once met, else "failed"; the current set-up
//   in cmi.suspend_data; then LMSCommit;
// - on leaving, the set-up, the session's time and LMSFinish.
// A question counts once: the first prediction judged while its answer was
// still out of sight sets its score and status; later ones are recorded,
// but, the answer being then on screen, do not change them. Showing the
// answer before any prediction counts as a wrong one, worth 0.
// The scores themselves are the model's (labo::Verdict). Outside a platform
// none of this exists: joinPlatform() finds nothing and the page is as
// without a package, silently.

// SCORM 1.2's search: the window, then its parents, at most seven up; then
// the opener and its parents. A window of another origin cannot be read:
// it is passed over.
const maxParents = 7;

function apiOf(win) {
  try {
    const api = win.API;
    return api && typeof api.LMSInitialize === 'function' ? api : null;
  } catch {
    return null;
  }
}

function searchFrom(win) {
  for (let climbed = 0; win && climbed <= maxParents; ++climbed) {
    const api = apiOf(win);
    if (api) return api;
    let parent = null;
    try {
      parent = win.parent;
    } catch {
      return null;
    }
    if (!parent || parent === win) return null;
    win = parent;
  }
  return null;
}

export function findPlatform(win = window) {
  let opener = null;
  try {
    opener = win.opener;
  } catch {
    opener = null;
  }
  return searchFrom(win) || (opener ? searchFrom(opener) : null);
}

// The set-up the address holds, as lab/link.js writes it: "#labo?pairs".
const prefix = '#labo?';

function addressLink() {
  return location.hash.startsWith(prefix) ? location.hash.slice(prefix.length) : '';
}

// A link's exercise: its exercice=, question= and fixe= pairs, decoded.
function exerciseOf(link) {
  const pairs = new Map();
  for (const pair of link.split('&')) {
    const equals = pair.indexOf('=');
    if (equals < 0) continue;
    let name = pair.slice(0, equals);
    let value = pair.slice(equals + 1);
    try {
      name = decodeURIComponent(name);
      value = decodeURIComponent(value);
    } catch {
      // kept as written
    }
    pairs.set(name.trim().toLowerCase(), value.trim());
  }
  return ['exercice', 'question', 'fixe'].map((name) => pairs.get(name) || '').join('|');
}

// CMITimespan, HHHH:MM:SS.SS.
function timespan(milliseconds) {
  const centiseconds = Math.max(0, Math.round(milliseconds / 10));
  const hours = Math.min(9999, Math.floor(centiseconds / 360000));
  const two = (n) => String(n).padStart(2, '0');
  return `${two(hours)}:${two(Math.floor(centiseconds / 6000) % 60)}:${two(Math.floor(centiseconds / 100) % 60)}` +
    `.${two(centiseconds % 100)}`;
}

// CMITime, HH:MM:SS: the moment of an interaction, on the student's clock.
function timeOfDay(date) {
  const two = (n) => String(n).padStart(2, '0');
  return `${two(date.getHours())}:${two(date.getMinutes())}:${two(date.getSeconds())}`;
}

let joined = null;

// The session joined, or null outside a platform.
export function platform() {
  return joined;
}

// Joins the platform that launched the page, once, before the laboratory
// reads the address (a resumed set-up is written there): the session, or
// null when there is no platform, or when it refuses to start one.
export function joinPlatform(win = window) {
  if (joined) return joined;
  const api = findPlatform(win);
  if (!api || String(api.LMSInitialize('')) !== 'true') return null;
  const get = (name) => String(api.LMSGetValue(name) ?? '');
  const set = (name, value) => String(api.LMSSetValue(name, String(value))) === 'true';
  const started = performance.now();

  let status = get('cmi.core.lesson_status');
  if (status === '' || status === 'not attempted') {
    status = 'incomplete';
    set('cmi.core.lesson_status', status);
  }
  const raw = get('cmi.core.score.raw');
  let best = raw === '' || !Number.isFinite(Number(raw)) ? null : Number(raw);
  let count = Number(get('cmi.interactions._count'));
  if (!Number.isInteger(count) || count < 0) count = 0;

  // Back where the student left, if that is the same exercise; else on
  // the exercise's link, from the address or the launch data.
  const saved = get('cmi.suspend_data');
  const launched = addressLink() || get('cmi.launch_data');
  if (saved && (!launched || exerciseOf(saved) === exerciseOf(launched)))
    history.replaceState(null, '', prefix + saved);
  else if (launched && !addressLink())
    history.replaceState(null, '', prefix + launched);

  function keepPlace() {
    const link = addressLink();
    if (link) set('cmi.suspend_data', link);
  }

  // A verdict already graded: a question's is its only one.
  const settled = () => status === 'passed' || status === 'failed';

  // The score and the status of a verdict that counts.
  function grade(met, score) {
    best = Math.max(best ?? 0, score);
    set('cmi.core.score.min', 0);
    set('cmi.core.score.max', 100);
    set('cmi.core.score.raw', best);
    if (met) status = 'passed';
    else if (status !== 'passed') status = 'failed';
    set('cmi.core.lesson_status', status);
  }

  let finished = false;
  joined = {
    // A verdict of the model on `exercise` (the report's): { met, score,
    // response } as the model's exercise() gives it. A verdict without a
    // score (a prediction that is no number) is none.
    verdict(exercise, result) {
      if (finished || !exercise || result.score === null || result.score === undefined) return;
      const question = exercise.kind === 'question';
      const n = count++;
      const field = `cmi.interactions.${n}.`;
      set(field + 'id', `${question ? 'question' : 'objectif'}-${exercise.name}`);
      set(field + 'type', question ? 'numeric' : 'performance');
      // SCORM 1.2 keeps 255 characters of a response (CMIFeedback): a longer set-up is cut there.
      set(field + 'student_response', String(result.response).slice(0, 255));
      set(field + 'result', result.met ? 'correct' : 'wrong');
      set(field + 'time', timeOfDay(new Date()));
      if (!question || !settled()) grade(result.met, result.score);
      keepPlace();
      api.LMSCommit('');
    },
    // A question's answer shown: a prediction after it would count for nothing.
    answerShown(exercise) {
      if (finished || !exercise || exercise.kind !== 'question' || settled()) return;
      grade(false, 0);
      keepPlace();
      api.LMSCommit('');
    },
    // The end of the session: where the student is, for next time, and how long it lasted.
    leave() {
      if (finished) return;
      finished = true;
      keepPlace();
      set('cmi.core.exit', 'suspend');
      set('cmi.core.session_time', timespan(performance.now() - started));
      api.LMSFinish('');
    },
  };
  window.addEventListener('pagehide', () => joined.leave());
  return joined;
}
