// The laboratory's picture, in the program's visual language: its block
// diagram, with the run's values at the moment shown written beside the
// arrows (the set point, the error, the controller's command, marked when
// the chopper limits it, the motor's voltage and the dish's angle), and the
// antenna drawn as the program draws it: the green support and pivot, the
// red dish at the run's angle, and the yellow wind while the gust blows.
// Coordinates are the program's drawing area's, in its pixels; the picture
// shows its part from x = 50 to 710, the diagram, the antenna and the wind.
import { french } from '../format.js';
import { fullScreenElement } from '../fullscreen.js';

const left = 50;
const width = 660;
const height = 420;
const diagramAt = { x: 70, y: 65 };
const green = '#008000';
const red = '#ff0000';
const blue = '#0000ff';
const yellow = '#ffff00';
const font = '8pt "Liberation Sans", Arial, Helvetica, sans-serif';

// The diagram's white is the page's background, as in the program.
async function diagramImage(base64) {
  const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
  const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/png' }));
  const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
  const context = canvas.getContext('2d');
  context.drawImage(bitmap, 0, 0);
  const pixels = context.getImageData(0, 0, bitmap.width, bitmap.height);
  for (let i = 0; i < pixels.data.length; i += 4)
    if (pixels.data[i] === 255 && pixels.data[i + 1] === 255 && pixels.data[i + 2] === 255) pixels.data[i + 3] = 0;
  context.putImageData(pixels, 0, 0);
  return canvas;
}

function line(context, x1, y1, x2, y2) {
  context.beginPath();
  context.moveTo(x1, y1);
  context.lineTo(x2, y2);
  context.stroke();
}

// The dish: the half of the circle of the dish's radius whose centre lies
// that far from the pivot in the direction the dish faces, on the pivot's
// side. theta is the lab's angle (counterclockwise, radians); the screen's y
// goes down. `antenna` is the program's: { x, y } its pivot, and radius.
function dish(context, antenna, theta, background) {
  const { x, y, radius } = antenna;
  const facing = -theta;
  const cx = x + radius * Math.cos(facing);
  const cy = y + radius * Math.sin(facing);
  context.beginPath();
  context.arc(cx, cy, radius, facing + Math.PI / 2, facing + (3 * Math.PI) / 2);
  context.closePath();
  context.fillStyle = background;
  context.fill();
  context.strokeStyle = red;
  context.lineWidth = 3;
  context.stroke();
}

// The gust: a wind arrow with three chevrons pointing at the dish, above the
// pivot for a wind that turns it upward, below for one that turns it down.
function wind(context, torque) {
  const y = torque > 0 ? 180 : 350;
  context.strokeStyle = yellow;
  context.lineWidth = 2;
  line(context, 600, y, 700, y);
  for (const x of [600, 620, 640]) {
    line(context, x, y, x + 10, y - 10);
    line(context, x, y, x + 10, y + 10);
  }
  context.fillStyle = blue;
  context.fillText(`VENT ${french(torque, 1)} N·m`, 600, y + 24);
}

// `antenna` is the dish's pivot and radius as the program has them:
// { x, y, radius }, in its drawing area's pixels.
export async function createPicture(canvas, diagramBase64, antenna) {
  const pivot = antenna;
  const context = canvas.getContext('2d');
  const diagram = await diagramImage(diagramBase64);
  let scale = 1;

  // The canvas at the size its box gives it, in device pixels: never larger
  // than the program's picture, but in full screen as large as its column,
  // to be read from the back of the room. The diagram stays pixel-sharp at
  // whole-number zooms.
  // The page's background, read when the picture takes its size rather than
  // at each frame: reading a computed style makes the browser work out the
  // page's style again in the middle of a frame.
  let background = '#f0f0f0';
  function fit() {
    background = getComputedStyle(document.documentElement).getPropertyValue('--fond').trim() || '#f0f0f0';
    const shown = canvas.parentElement.clientWidth || width;
    const full = fullScreenElement() !== null && fullScreenElement().contains(canvas);
    const cssWidth = full ? shown : Math.min(width, shown);
    scale = (cssWidth / width) * window.devicePixelRatio;
    canvas.width = Math.round(width * scale);
    canvas.height = Math.round(height * scale);
    canvas.style.width = `${cssWidth}px`;
    canvas.style.height = `${(cssWidth * height) / width}px`;
  }

  // The moment `at` of the run (an index into its samples).
  function draw({ run, at }) {
    context.setTransform(scale, 0, 0, scale, -left * scale, 0);
    context.fillStyle = background;
    context.fillRect(left, 0, width, height);
    context.imageSmoothingEnabled = Number.isInteger(scale) ? false : true;
    context.drawImage(diagram, diagramAt.x, diagramAt.y);
    context.lineCap = 'butt';
    context.font = font;
    context.textBaseline = 'alphabetic';

    const theta = (run.position[at] * Math.PI) / 180;
    context.strokeStyle = green;
    context.lineWidth = 2;
    line(context, 480, 400, pivot.x, pivot.y);
    dish(context, antenna, theta, background);
    context.fillStyle = green;
    context.beginPath();
    context.arc(pivot.x, pivot.y, 5, 0, 2 * Math.PI);
    context.fill();
    context.strokeStyle = green;
    context.lineWidth = 2;
    line(context, pivot.x, pivot.y, 400, 400);
    line(context, 400, 400, 480, 400);
    if (run.vent[at] !== 0) wind(context, run.vent[at]);

    // The values beside their arrows.
    const limited = run.limitee[at] === 1;
    context.fillStyle = blue;
    context.fillText(`t = ${french(run.t[at], 2)} s`, left + 8, 20);
    context.fillText(`θc = ${french(run.consigne[at], 1)}°`, 72, 108);
    context.fillText(`ε = ${french(run.erreur[at], 2)}°`, 130, 60);
    context.fillText(`Ea = ${french(run.tension[at], 1)} V`, 318, 192);
    context.fillText(`θ = ${french(run.position[at], 1)}°`, 346, 258);
    context.fillStyle = limited ? red : blue;
    context.fillText(`u = ${french(run.commande[at], 1)} V${limited ? ' (limitée)' : ''}`, 318, 114);
  }

  fit();
  return {
    fit,
    update(state) {
      if (state.run) draw(state);
    },
  };
}
