// The six scenes: replays the pictures that antenne-export drew with the
// program's own code and wrote into this page, exactly as the program shows
// them, one every 100 ms after a click on a scenario's button; and gives the
// teacher pause, frame by frame, seeking, speed and full screen, from the
// mouse or the keyboard.
import { documentRead, inflate, reader } from './frames.js';

export function startScenes() {
  // The program's clock: one picture every 100 ms.
  const tickMilliseconds = 100;

  const data = JSON.parse(document.getElementById('donnees').textContent);
  const root = document.getElementById('antenne');
  const holder = document.getElementById('cadre');
  const scene = document.getElementById('scene');
  const commandBar = document.getElementById('commandes');
  const canvas = document.getElementById('image');
  const context = canvas.getContext('2d');
  const scenarioBar = document.getElementById('scenarios');
  const pauseButton = document.getElementById('pause');
  const slider = document.getElementById('curseur');
  const position = document.getElementById('position');
  const speedButtons = Array.from(document.querySelectorAll('[data-vitesse]'));
  const controls = Array.from(document.querySelectorAll('#commandes button, #commandes input'));

  function fail(message) {
    const element = document.getElementById('message');
    element.textContent = message;
    element.hidden = false;
  }

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

  function update() {
    const count = frameCount();
    slider.max = String(count);
    slider.value = String(shown.frame);
    slider.disabled = shown.scenario === null;
    position.textContent = `${shown.frame} / ${count} · ${seconds(shown.frame)}`;
    slider.setAttribute('aria-valuetext', `image ${shown.frame} sur ${count}, ${seconds(shown.frame)}`);
    if (shown.scenario !== null)
      canvas.setAttribute('aria-label', `${data.scenarios[shown.scenario].title}, image ${shown.frame} sur ${count}`);
    pauseButton.textContent = playing ? 'Pause' : 'Lecture';
    for (const button of speedButtons)
      button.setAttribute('aria-pressed', String(Number(button.dataset.vitesse) === speed));
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

  // ---- Full screen --------------------------------------------------------

  function fullScreenElement() {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
  }

  function toggleFullScreen() {
    if (fullScreenElement()) {
      (document.exitFullscreen || document.webkitExitFullscreen).call(document);
    } else {
      const request = root.requestFullscreen || root.webkitRequestFullscreen;
      if (request) Promise.resolve(request.call(root)).catch(() => {});
    }
  }

  // In full screen, the picture and its buttons are enlarged by the largest
  // whole number that still leaves room for the controls, and everything is
  // centred on whole pixels, so that the picture's pixels stay sharp.
  function fitToScreen() {
    const full = fullScreenElement() === root;
    // The controls' height with the space above them, whatever the zoom.
    const below = commandBar.getBoundingClientRect().bottom - holder.getBoundingClientRect().bottom;
    let zoom = 1;
    if (full) {
      const room = window.innerHeight - below;
      zoom = Math.max(1, Math.floor(Math.min(window.innerWidth / scene.offsetWidth, room / scene.offsetHeight)));
    }
    const width = scene.offsetWidth * zoom;
    const height = scene.offsetHeight * zoom;
    const left = Math.max(0, Math.floor((window.innerWidth - width) / 2));
    const top = Math.max(0, Math.floor((window.innerHeight - height - below) / 2));
    scene.style.setProperty('--zoom', String(zoom));
    holder.style.width = full ? `${width}px` : '';
    holder.style.height = full ? `${height}px` : '';
    root.style.padding = full ? `${top}px 0 0 ${left}px` : '';
    commandBar.style.marginLeft = full ? `${Math.floor((width - commandBar.offsetWidth) / 2)}px` : '';
  }

  // ---- Keyboard -----------------------------------------------------------

  // Page-wide keys. The default action is prevented on key-down: a focused
  // button is otherwise pressed by Space when the key goes up, which would
  // start the scenario just clicked over again instead of pausing.
  const keys = {
    ' ': () => togglePause(),
    ArrowLeft: () => seek(shown.frame - 1),
    ArrowRight: () => seek(shown.frame + 1),
    Home: () => seek(0),
    End: () => seek(frameCount()),
    f: () => toggleFullScreen(),
    F: () => toggleFullScreen(),
  };

  function onKey(event) {
    if (event.ctrlKey || event.altKey || event.metaKey) return;
    const action = keys[event.key];
    if (!action || lists === null) return;
    event.preventDefault();
    if (event.repeat && event.key === ' ') return;
    action();
  }

  // ---- Start --------------------------------------------------------------

  function build() {
    canvas.width = width;
    canvas.height = height;
    canvas.style.width = `${data.width}px`;
    canvas.style.height = `${data.height}px`;
    scene.style.width = `${data.width}px`;
    root.style.setProperty('--largeur', `${data.width}px`);

    // The buttons sit where the program's window has them, below the picture.
    let bottom = data.height;
    data.scenarios.forEach((scenario, index) => {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = scenario.caption;
      button.title = scenario.title;
      button.disabled = true;
      Object.assign(button.style, {
        left: `${scenario.x}px`,
        top: `${scenario.y - data.height}px`,
        width: `${scenario.width}px`,
        height: `${scenario.height}px`,
      });
      button.addEventListener('click', () => start(index));
      scenarioBar.appendChild(button);
      bottom = Math.max(bottom, scenario.y + scenario.height);
    });
    scenarioBar.style.height = `${bottom - data.height}px`;

    document.getElementById('debut').addEventListener('click', () => seek(0));
    document.getElementById('precedente').addEventListener('click', () => seek(shown.frame - 1));
    document.getElementById('suivante').addEventListener('click', () => seek(shown.frame + 1));
    document.getElementById('fin').addEventListener('click', () => seek(frameCount()));
    document.getElementById('plein-ecran').addEventListener('click', toggleFullScreen);
    pauseButton.addEventListener('click', togglePause);
    slider.addEventListener('input', () => seek(Number(slider.value)));
    for (const button of speedButtons)
      button.addEventListener('click', () => setSpeed(Number(button.dataset.vitesse)));
    for (const control of controls) control.disabled = true;
    document.addEventListener('keydown', onKey);
    document.addEventListener('fullscreenchange', fitToScreen);
    document.addEventListener('webkitfullscreenchange', fitToScreen);
    window.addEventListener('resize', fitToScreen);
    update();
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
    for (const control of controls) control.disabled = false;
    update();
  }

  build();
  load().catch((error) => fail(`Les images de cette page n'ont pas pu être lues (${error.message}).`));
}
