// Views drawn only while they are on screen: a slider moved at the top of
// the page does not pay for charts scrolled out of sight, which are drawn
// with the latest state as soon as they come back.
export function whenVisible(element, views) {
  let shown = true;
  let waiting = null;
  new IntersectionObserver((entries) => {
    shown = entries.some((entry) => entry.isIntersecting);
    if (!shown || !waiting) return;
    const state = waiting;
    waiting = null;
    for (const view of views) view.update(state);
  }).observe(element);
  return {
    update(state) {
      if (shown) for (const view of views) view.update(state);
      else waiting = state;
    },
  };
}
