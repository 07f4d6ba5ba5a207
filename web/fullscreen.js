// Full screen, for a projector: one element of the page at a time, through
// the standard interface or its older WebKit name.
export function fullScreenElement() {
  return document.fullscreenElement || document.webkitFullscreenElement || null;
}

export function toggleFullScreen(element) {
  if (fullScreenElement()) {
    (document.exitFullscreen || document.webkitExitFullscreen).call(document);
  } else {
    const request = element.requestFullscreen || element.webkitRequestFullscreen;
    if (request) Promise.resolve(request.call(element)).catch(() => {});
  }
}

export function onFullScreenChange(listener) {
  document.addEventListener('fullscreenchange', listener);
  document.addEventListener('webkitfullscreenchange', listener);
}
