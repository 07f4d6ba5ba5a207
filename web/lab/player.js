// The laboratory's run played in real time, as the transport's player: it
// pauses, steps, seeks and changes speed as the scenes do, and moves the
// state's moment; `show` draws the moment, whatever moved it.
import { lastSample } from './state.js';

const sampleSeconds = 0.01;
// An arrow key or a step button moves the run by the program's tick.
const stepSamples = 10;

export function createPlayer(state, show) {
  let playStart = 0;  // when sample 0 was due, at the current speed
  let frame = null;

  function stop() {
    if (frame !== null) cancelAnimationFrame(frame);
    frame = null;
    state.playing = false;
  }

  function tick(now) {
    frame = null;
    const due = Math.floor(((now - playStart) * state.speed) / (sampleSeconds * 1000));
    state.at = Math.min(lastSample(state), Math.max(state.at, due));
    if (state.at >= lastSample(state)) state.playing = false;
    show();
    if (state.playing) frame = requestAnimationFrame(tick);
  }

  function play() {
    stop();
    if (!state.run || state.at >= lastSample(state)) return show();
    state.playing = true;
    playStart = performance.now() - (state.at * sampleSeconds * 1000) / state.speed;
    frame = requestAnimationFrame(tick);
    return show();
  }

  return {
    step: stepSamples,
    play,
    stop,
    togglePause() {
      if (state.playing) {
        stop();
        show();
      } else {
        if (state.at >= lastSample(state)) state.at = 0;
        play();
      }
    },
    seek(sample) {
      stop();
      state.at = Math.max(0, Math.min(lastSample(state), sample));
      show();
    },
    // The moment of time t (s), as a click on the curves asks.
    seekTime(t) {
      this.seek(Math.round(t / sampleSeconds));
    },
    setSpeed(value) {
      state.speed = value;
      if (state.playing) play();
      else show();
    },
  };
}
