// The scenes' picture fitted to the screen: whole-number zooms with sharp
// pixels in full screen, shrunk to a narrow screen otherwise.
import { fullScreenElement } from '../fullscreen.js';

// In full screen, the picture and its buttons are enlarged by the largest
// whole number that still leaves room for the controls, and everything is
// centred on whole pixels, so that the picture's pixels stay sharp. Out of
// full screen, a screen narrower than the picture shrinks it to fit, its
// buttons flowing below; the canvas's pixels are kept sharp when they fall
// on whole device pixels, smoothed otherwise.
export function fitScene({ root, view, holder, scene, canvas }, data) {
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
