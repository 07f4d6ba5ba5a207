// The six scenes: replays the pictures that antenne-export drew with the
// program's own code and wrote into this page, exactly as the program shows
// them, one every 100 ms after a click on a scenario's button. As the
// transport's player, it gives the teacher pause, frame by frame, seeking,
// speed and full screen. On a screen narrower than the picture, the picture
// shrinks to fit and its buttons flow below it, large enough for a finger.
import { documentRead, inflate, reader } from '../frames.js';
import { fullScreenElement, onFullScreenChange } from '../fullscreen.js';

export function createScenes(fail) {
  // The program's clock: one picture every 100 ms.
  const tickMilliseconds = 100;

  const data = JSON.parse(document.getElementById('donnees').textContent);
  const root = document.getElementById('antenne');
  const view = document.getElementById('vue-scenes');
  const holder = document.getElementById('cadre');
  const scene = document.getElementById('scene');
  const canvas = document.getElementById('image');
  const context = canvas.getContext('2d');
  const scenarioBar = document.getElementById('scenarios');
  const slot = document.getElementById('place-lecture-scenes');
  let onChange = () => {};

  // ---- What is shown ------------------------------------------------------

  const width = data.width * data.scale;
  const height = data.height * data.scale;
  const image = context.createImageData(width, height);
  const pixels = new Uint32Array(image.data.buffer);
  let palette = null;
  let startupPixels = null;
  // The scenarios' change lists, and where each picture's starts in them.
  let changes = null;
  let lists = null;
  // The scenario and picture on the canvas; scenario is null before any,
  // when the start-up picture belongs to no scenario.
  let shown = { scenario: null, frame: 0 };
  let playing = false;
  let speed = 1;
  let timer = null;
  let playStart = 0;  // when frame 0 was due, at the current speed

  function frameCount() {
    return shown.scenario === null ? 0 : data.scenarios[shown.scenario].frames;
  }

  function seconds(frame) {
    return (frame * tickMilliseconds / 1000).toFixed(1).replace('.', ',') + ' s';
  }

  // Puts picture `frame` of `scenario` on the canvas: from the one shown if
  // it comes later in the same scenario, otherwise from the start-up picture
  // (at most 191 change lists: about 10 ms, measured, even at scale 2).
  function show(scenario, frame) {
    let from = shown.frame + 1;
    if (scenario !== shown.scenario || frame < shown.frame) {
      pixels.set(startupPixels);
      from = 0;
    }
    for (let i = from; i <= frame; ++i) changes.apply(lists[scenario][i], pixels, palette);
    shown = { scenario, frame };
    context.putImageData(image, 0, 0);
    update();
  }

  // What the transport shows and what a screen reader says of the canvas.
  function update() {
    if (shown.scenario !== null)
      canvas.setAttribute('aria-label', `${data.scenarios[shown.scenario].title}, image ${shown.frame} sur ${frameCount()}`);
    onChange();
  }

  // ---- Playing ------------------------------------------------------------

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
    if (shown.scenario === null || shown.frame >= frameCount()) return update();
    playing = true;
    playStart = performance.now() - shown.frame * interval();
    schedule();
    update();
  }

  function schedule() {
    const due = playStart + (shown.frame + 1) * interval();
    timer = setTimeout(tick, Math.max(0, due - performance.now()));
  }

  // Shows the picture due now: the next one, or a later one if the browser
  // woke up late, so that a scene keeps its length.
  function tick() {
    timer = null;
    const due = Math.floor((performance.now() - playStart) / interval());
    const frame = Math.min(frameCount(), Math.max(shown.frame + 1, due));
    if (frame >= frameCount()) playing = false;
    show(shown.scenario, frame);
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
    if (shown.scenario === null) return;
    if (playing) {
      stop();
      update();
    } else {
      // At the end of a scene, playing again starts it over.
      if (shown.frame >= frameCount()) show(shown.scenario, 0);
      play();
    }
  }

  // Every move to a chosen picture pauses the scene there.
  function seek(frame) {
    if (shown.scenario === null) return;
    stop();
    show(shown.scenario, Math.max(0, Math.min(frameCount(), frame)));
  }

  function setSpeed(value) {
    speed = value;
    if (playing) play();
    else update();
  }

  // ---- Fitting the screen -------------------------------------------------

  // In full screen, the picture and its buttons are enlarged by the largest
  // whole number that still leaves room for the controls, and everything is
  // centred on whole pixels, so that the picture's pixels stay sharp. Out of
  // full screen, a screen narrower than the picture shrinks it to fit, its
  // buttons flowing below; the canvas's pixels are kept sharp when they fall
  // on whole device pixels, smoothed otherwise.
  function fit() {
    const full = fullScreenElement() === root;
    const commandBar = document.getElementById('commandes');
    let zoom = 1;
    if (full) {
      view.classList.remove('etroit');
      canvas.style.width = `${data.width}px`;
      canvas.style.height = `${data.height}px`;
      // The controls' height with the space above them, whatever the zoom.
      const below = commandBar.getBoundingClientRect().bottom - holder.getBoundingClientRect().bottom;
      const room = window.innerHeight - below;
      zoom = Math.max(1, Math.floor(Math.min(window.innerWidth / scene.offsetWidth, room / scene.offsetHeight)));
      const width = scene.offsetWidth * zoom;
      const height = scene.offsetHeight * zoom;
      const left = Math.max(0, Math.floor((window.innerWidth - width) / 2));
      const top = Math.max(0, Math.floor((window.innerHeight - height - below) / 2));
      scene.style.setProperty('--zoom', String(zoom));
      holder.style.width = `${width}px`;
      holder.style.height = `${height}px`;
      root.style.padding = `${top}px 0 0 ${left}px`;
      commandBar.style.marginLeft = `${Math.floor((width - commandBar.offsetWidth) / 2)}px`;
      canvas.style.imageRendering = 'pixelated';
      return;
    }
    scene.style.setProperty('--zoom', '1');
    holder.style.width = '';
    holder.style.height = '';
    root.style.padding = '';
    commandBar.style.marginLeft = '';
    const room = view.clientWidth;
    const narrow = room < data.width;
    view.classList.toggle('etroit', narrow);
    zoom = narrow ? room / data.width : 1;
    canvas.style.width = `${data.width * zoom}px`;
    canvas.style.height = `${data.height * zoom}px`;
    const devicePixels = (zoom * window.devicePixelRatio) / data.scale;
    canvas.style.imageRendering = Math.abs(devicePixels - Math.round(devicePixels)) < 1e-6 ? 'pixelated' : 'auto';
  }

  // ---- Start --------------------------------------------------------------

  function build() {
    canvas.width = width;
    canvas.height = height;
    scene.style.setProperty('--largeur', `${data.width}px`);
    root.style.setProperty('--largeur', `${data.width}px`);

    // The buttons sit where the program's window has them, below the picture.
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
      scenarioBar.appendChild(button);
      bottom = Math.max(bottom, scenario.y + scenario.height);
    });
    scenarioBar.style.setProperty('--hauteur', `${bottom - data.height}px`);
    onFullScreenChange(() => {
      if (!view.hidden) fit();
    });
    window.addEventListener('resize', () => {
      if (!view.hidden) fit();
    });
    fit();
  }

  async function load() {
    if (typeof DecompressionStream === 'undefined') {
      fail('Ce navigateur est trop ancien pour lire les images de cette page : ' +
           'ouvrez-la avec une version récente de Firefox, Chrome, Edge ou Safari.');
      return;
    }
    // The start-up picture first, drawn over a picture of the palette's
    // first colour, before the scenarios' pictures are read.
    const startup = reader(await inflate(document.getElementById('depart').textContent));
    palette = startup.palette();
    pixels.fill(palette[0]);
    startup.apply(startup.skip(), pixels, palette);
    startupPixels = pixels.slice();
    const background = new Uint8Array(pixels.buffer, 0, 3);
    document.documentElement.style.setProperty('--fond', `rgb(${background.join(',')})`);
    context.putImageData(image, 0, 0);
    performance.mark('antenne:premiere-image');

    await documentRead();
    changes = reader(await inflate(document.getElementById('images').textContent));
    lists = data.scenarios.map((scenario) => {
      const starts = [];
      for (let frame = 0; frame <= scenario.frames; ++frame) starts.push(changes.skip());
      return starts;
    });
    if (!changes.atEnd()) throw new Error('frames of an unexpected length');
    if (data.startupScenario !== undefined)
      shown = { scenario: data.startupScenario, frame: data.scenarios[data.startupScenario].frames };

    for (const button of scenarioBar.querySelectorAll('button')) button.disabled = false;
    update();
  }

  build();
  load().catch((error) => fail(`Les images de cette page n'ont pas pu être lues (${error.message}).`));

  // The transport's player.
  return {
    view,
    slot,
    step: 1,
    fullScreen: root,
    words: { moment: 'Instant de la scène', seek: 'Aller à un instant de la scène',
             realSpeed: 'Vitesse réelle : une image toutes les 100 ms' },
    set onChange(listener) {
      onChange = listener;
    },
    ready: () => lists !== null,
    count: frameCount,
    at: () => shown.frame,
    playing: () => playing,
    speed: () => speed,
    label: () => `${shown.frame} / ${frameCount()} · ${seconds(shown.frame)}`,
    spoken: () => `image ${shown.frame} sur ${frameCount()}, ${seconds(shown.frame)}`,
    togglePause,
    seek,
    setSpeed,
    fit,
  };
}
