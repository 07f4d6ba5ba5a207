// The scenes' pictures, as antenne-export drew them with the program's own
// code and wrote them into this page: the start-up picture, then each
// scenario's pictures as the runs of pixels that change from one to the
// next, inflated by the browser and applied to the canvas's own copy.
import { documentRead, inflate, reader } from '../frames.js';

export function createPictures(data, canvas) {
  const context = canvas.getContext('2d');
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
  canvas.width = width;
  canvas.height = height;

  return {
    shown: () => shown,
    ready: () => lists !== null,

    // Puts picture `frame` of `scenario` on the canvas: from the one shown if
    // it comes later in the same scenario, otherwise from the start-up
    // picture (at most 191 change lists: about 10 ms, measured, even at scale 2).
    show(scenario, frame) {
      let from = shown.frame + 1;
      if (scenario !== shown.scenario || frame < shown.frame) {
        pixels.set(startupPixels);
        from = 0;
      }
      for (let i = from; i <= frame; ++i) changes.apply(lists[scenario][i], pixels, palette);
      shown = { scenario, frame };
      context.putImageData(image, 0, 0);
    },

    // The start-up picture first, drawn over a picture of the palette's
    // first colour, before the scenarios' pictures are read.
    async load() {
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
    },
  };
}
