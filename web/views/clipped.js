// Draws on a uPlot chart's canvas within its plot area only, solid lines
// unless `draw` sets a dash; `draw(ctx, pixelRatio)`.
export function clipped(u, draw) {
  const { ctx } = u;
  const { left, top, width, height } = u.bbox;
  ctx.save();
  ctx.beginPath();
  ctx.rect(left, top, width, height);
  ctx.clip();
  ctx.setLineDash([]);
  draw(ctx, devicePixelRatio);
  ctx.restore();
}
