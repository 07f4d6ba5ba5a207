// The six scenes: replays the pictures that antenne-export drew with the
// program's own code and wrote into this page, exactly as the program shows
// them, one every 100 ms after a click on a scenario's button. As the
// transport's player, it gives the teacher pause, frame by frame, seeking,
// speed and full screen. On a screen narrower than the picture, the picture
// shrinks to fit and its buttons flow below it, large enough for a finger.
import { onFullScreenChange } from '../fullscreen.js';
import { fitScene } from './fit.js';
import { createPictures } from './pictures.js';
import { createClock, tickMilliseconds } from './clock.js';

// The scenario buttons, where the program's window has them below the picture.
function scenarioButtons(data, bar, start) {
  let bottom = data.height;
  data.scenarios.forEach((scenario, index) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = scenario.caption;
    button.title = scenario.title;
    button.disabled = true;
    button.style.setProperty('--x', `${scenario.x}px`);
    button.style.setProperty('--y', `${scenario.y - data.height}px`);
    button.style.setProperty('--largeur', `${scenario.width}px`);
    button.style.setProperty('--hauteur', `${scenario.height}px`);
    button.addEventListener('click', () => start(index));
    bar.appendChild(button);
    bottom = Math.max(bottom, scenario.y + scenario.height);
  });
  bar.style.setProperty('--hauteur', `${bottom - data.height}px`);
}

export function createScenes(fail) {
  const data = JSON.parse(document.getElementById('donnees').textContent);
  const root = document.getElementById('antenne');
  const view = document.getElementById('vue-scenes');
  const canvas = document.getElementById('image');
  const scenarioBar = document.getElementById('scenarios');
  const scene = document.getElementById('scene');
  const elements = { root, view, holder: document.getElementById('cadre'), scene, canvas };
  const pictures = createPictures(data, canvas);
  let onChange = () => {};
  const shown = () => pictures.shown();

  function frameCount() {
    return shown().scenario === null ? 0 : data.scenarios[shown().scenario].frames;
  }

  // The time of a picture, in whole tenths of a second: "1,2 s".
  function seconds(frame) {
    const tenths = Math.round((frame * tickMilliseconds) / 100);
    return `${Math.floor(tenths / 10)},${tenths % 10} s`;
  }

  function show(scenario, frame) {
    pictures.show(scenario, frame);
    update();
  }

  // What the transport shows and what a screen reader says of the canvas.
  function update() {
    const { scenario, frame } = shown();
    if (scenario !== null)
      canvas.setAttribute('aria-label', `${data.scenarios[scenario].title}, image ${frame} sur ${frameCount()}`);
    onChange();
  }

  const clock = createClock(pictures, frameCount, show, update);

  const fit = () => fitScene(elements, data);
  scene.style.setProperty('--largeur', `${data.width}px`);
  root.style.setProperty('--largeur', `${data.width}px`);
  scenarioButtons(data, scenarioBar, clock.start);
  onFullScreenChange(() => {
    if (!view.hidden) fit();
  });
  window.addEventListener('resize', () => {
    if (!view.hidden) fit();
  });
  fit();

  async function load() {
    if (typeof DecompressionStream === 'undefined') {
      fail('Ce navigateur est trop ancien pour lire les images de cette page : ' +
           'ouvrez-la avec une version récente de Firefox, Chrome, Edge ou Safari.');
      return;
    }
    await pictures.load();
    for (const button of scenarioBar.querySelectorAll('button')) button.disabled = false;
    update();
  }
  load().catch((error) => fail(`Les images de cette page n'ont pas pu être lues (${error.message}).`));

  // The transport's player.
  return {
    view,
    slot: document.getElementById('place-lecture-scenes'),
    step: 1,
    fullScreen: root,
    words: { moment: 'Instant de la scène', seek: 'Aller à un instant de la scène',
             realSpeed: 'Vitesse réelle : une image toutes les 100 ms' },
    set onChange(listener) {
      onChange = listener;
    },
    ready: pictures.ready,
    count: frameCount,
    at: () => shown().frame,
    playing: clock.playing,
    speed: clock.speed,
    label: () => `${shown().frame} / ${frameCount()} · ${seconds(shown().frame)}`,
    spoken: () => `image ${shown().frame} sur ${frameCount()}, ${seconds(shown().frame)}`,
    togglePause: clock.togglePause,
    seek: clock.seek,
    setSpeed: clock.setSpeed,
    fit,
  };
}
