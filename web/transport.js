// The teacher's controls under the picture: pause and play, a step back or
// forward, the first and last moment, a slider to any moment, the speed and
// full screen, by mouse, finger or keyboard. They drive the view shown, the
// scenes or the laboratory: each is a player that says where it stands.
//
// A player has: ready() (its pictures or its run are there), count() and
// at() (the slider's end and place), step (what an arrow moves), playing(),
// speed(), label() and spoken() (the place in words, on screen and for
// screen readers), togglePause(), seek(place), setSpeed(value), fullScreen
// (the element shown full screen) and words (what its slider and real speed
// are called).
import { toggleFullScreen } from './fullscreen.js';

export function createTransport() {
  const bar = document.getElementById('commandes');
  const block = document.getElementById('lecture');  // the bar and its keys' help
  const pauseButton = document.getElementById('pause');
  const slider = document.getElementById('curseur');
  const position = document.getElementById('position');
  const speedButtons = Array.from(bar.querySelectorAll('[data-vitesse]'));
  const controls = Array.from(bar.querySelectorAll('button, input'));
  let player = null;

  function update() {
    if (!player) return;
    const ready = player.ready();
    for (const control of controls) control.disabled = !ready;
    slider.max = String(player.count());
    slider.value = String(player.at());
    slider.disabled = !ready || player.count() === 0;
    position.textContent = player.label();
    slider.setAttribute('aria-valuetext', player.spoken());
    pauseButton.textContent = player.playing() ? 'Pause' : 'Lecture';
    for (const button of speedButtons)
      button.setAttribute('aria-pressed', String(Number(button.dataset.vitesse) === player.speed()));
  }

  const act = (action) => () => {
    if (player && player.ready()) action(player);
  };
  const moves = {
    start: act((p) => p.seek(0)),
    back: act((p) => p.seek(p.at() - p.step)),
    forward: act((p) => p.seek(p.at() + p.step)),
    end: act((p) => p.seek(p.count())),
    pause: act((p) => p.togglePause()),
    fullScreen: act((p) => toggleFullScreen(p.fullScreen)),
  };
  document.getElementById('debut').addEventListener('click', moves.start);
  document.getElementById('precedente').addEventListener('click', moves.back);
  document.getElementById('suivante').addEventListener('click', moves.forward);
  document.getElementById('fin').addEventListener('click', moves.end);
  document.getElementById('plein-ecran').addEventListener('click', moves.fullScreen);
  pauseButton.addEventListener('click', moves.pause);
  slider.addEventListener('input', act((p) => p.seek(Number(slider.value))));
  for (const button of speedButtons)
    button.addEventListener('click', act((p) => p.setSpeed(Number(button.dataset.vitesse))));

  // Page-wide keys. The default action is prevented on key-down: a focused
  // button is otherwise pressed by Space when the key goes up, which would
  // start the scenario just clicked over again instead of pausing. Keys typed
  // into the laboratory's fields and sliders stay theirs, and Space presses
  // the laboratory's own buttons, the tabs and the summaries, as anywhere else.
  const keys = {
    ' ': moves.pause,
    ArrowLeft: moves.back,
    ArrowRight: moves.forward,
    Home: moves.start,
    End: moves.end,
    f: moves.fullScreen,
    F: moves.fullScreen,
  };
  document.addEventListener('keydown', (event) => {
    if (event.ctrlKey || event.altKey || event.metaKey) return;
    const action = keys[event.key];
    const target = event.target;
    const typing = target instanceof HTMLElement && target !== slider &&
      (target.matches('input, select, textarea') || target.isContentEditable);
    const pressing = event.key === ' ' && target instanceof HTMLElement &&
      target.matches('button, summary, [role="tab"], a[href]') && !target.closest('#lecture, #vue-scenes');
    if (!action || typing || pressing || !player || !player.ready()) return;
    event.preventDefault();
    if (event.repeat && event.key === ' ') return;
    action();
  });

  return {
    bar,
    // Hands the controls to a view's player, and moves them under its picture.
    attach(next, place) {
      player = next;
      place.appendChild(block);
      slider.title = player.words.seek;
      slider.setAttribute('aria-label', player.words.moment);
      bar.querySelector('[data-vitesse="1"]').title = player.words.realSpeed;
      update();
    },
    update,
  };
}
