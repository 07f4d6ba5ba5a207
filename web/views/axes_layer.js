// A chart's axes (grid, ticks, numbers and titles), with what lies under
// them, kept on a canvas of their own and copied at each redraw while they
// stay as they were. A slider's move redraws every chart and leaves most
// scales where they were: uPlot would otherwise write the same numbers
// again each time, a good part of a move's drawing. The layer is made when
// the same axes come twice in a row, so a view that rescales at every move
// costs nothing more. The hooks go first in their lists:
//   hooks: { drawClear: [layer.drawClear], drawAxes: [layer.drawAxes, ...] }
// `background(u)` draws what lies under the axes; it may change only with
// the scales (a chart is made anew for anything else).

// What the axes' pixels depend on: the canvas, the plot's box, and each
// shown axis's scale, places and numbers, as uPlot worked them out for
// this redraw (its axes' own fields in the version vendored, 1.6.32).
function axesKey(u) {
  const { left, top, width, height } = u.bbox;
  const parts = [u.ctx.canvas.width, u.ctx.canvas.height, left, top, width, height];
  for (const axis of u.axes) {
    if (!axis.show) continue;
    const scale = u.scales[axis.scale];
    parts.push(axis._show, scale.min, scale.max, axis._pos, axis._lpos, axis._size, axis._rotate,
               ...(axis._splits || []), '/', ...(axis._values || []), '/');
  }
  return parts.join('|');
}

export function createAxesLayer(background = () => {}) {
  const layer = document.createElement('canvas');
  let last = '';  // the axes of the redraw before
  let kept = '';  // the axes the layer holds
  let state = 'draw';  // this redraw's: 'draw' as uPlot does, 'keep' on the layer too, 'copy' from it
  let skipped = [];  // the axes uPlot leaves out of this redraw
  return {
    drawClear(u) {
      for (const axis of skipped) axis.show = true;  // should a redraw have stopped half-way
      skipped = [];
      const now = axesKey(u);
      state = now !== last ? 'draw' : now !== kept ? 'keep' : 'copy';
      last = now;
      if (state !== 'copy') {
        background(u);
        return;
      }
      const { ctx } = u;
      ctx.save();
      ctx.globalCompositeOperation = 'copy';
      ctx.drawImage(layer, 0, 0);
      ctx.restore();
      skipped = u.axes.filter((axis) => axis.show);
      for (const axis of skipped) axis.show = false;
    },
    // uPlot has just drawn the axes over the background, or left them out.
    drawAxes(u) {
      for (const axis of skipped) axis.show = true;
      skipped = [];
      if (state !== 'keep') return;
      kept = last;
      layer.width = u.ctx.canvas.width;
      layer.height = u.ctx.canvas.height;
      layer.getContext('2d').drawImage(u.ctx.canvas, 0, 0);
    },
  };
}
