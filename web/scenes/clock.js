// The scenes' clock: one picture every 100 ms, as the program's timer, at
// the speed the teacher chooses; a picture due while the browser slept is
// caught up, so that a scene keeps its length. Every move to a chosen
// picture pauses there.

// The program's clock: one picture every 100 ms.
export const tickMilliseconds = 100;

// `show(scenario, frame)` puts a picture on the canvas; `update()` says the
// state changed without one.
export function createClock(pictures, frameCount, show, update) {
  let playing = false;
  let speed = 1;
  let timer = null;
  let playStart = 0;  // when frame 0 was due, at the current speed

  function interval() {
    return tickMilliseconds / speed;
  }

  function stop() {
    if (timer !== null) clearTimeout(timer);
    timer = null;
    playing = false;
  }

  // Plays on from the picture shown, the next one due one interval from now.
  function play() {
    stop();
    if (pictures.shown().scenario === null || pictures.shown().frame >= frameCount()) return update();
    playing = true;
    playStart = performance.now() - pictures.shown().frame * interval();
    schedule();
    update();
  }

  function schedule() {
    const due = playStart + (pictures.shown().frame + 1) * interval();
    timer = setTimeout(tick, Math.max(0, due - performance.now()));
  }

  // Shows the picture due now: the next one, or a later one if the browser
  // woke up late, so that a scene keeps its length.
  function tick() {
    timer = null;
    const due = Math.floor((performance.now() - playStart) / interval());
    const frame = Math.min(frameCount(), Math.max(pictures.shown().frame + 1, due));
    if (frame >= frameCount()) playing = false;
    show(pictures.shown().scenario, frame);
    if (playing) schedule();
  }

  // A scenario's button, as in the program: its first picture at once, then
  // the scene from the start, whatever was playing.
  function start(scenario) {
    stop();
    show(scenario, 0);
    play();
  }

  function togglePause() {
    if (pictures.shown().scenario === null) return;
    if (playing) {
      stop();
      update();
    } else {
      // At the end of a scene, playing again starts it over.
      if (pictures.shown().frame >= frameCount()) show(pictures.shown().scenario, 0);
      play();
    }
  }

  // Every move to a chosen picture pauses the scene there.
  function seek(frame) {
    if (pictures.shown().scenario === null) return;
    stop();
    show(pictures.shown().scenario, Math.max(0, Math.min(frameCount(), frame)));
  }

  function setSpeed(value) {
    speed = value;
    if (playing) play();
    else update();
  }

  return {
    playing: () => playing,
    speed: () => speed,
    start,
    togglePause,
    seek,
    setSpeed,
  };
}
