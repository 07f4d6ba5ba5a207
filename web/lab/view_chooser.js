// Black's and Nyquist's views side by side on a wide screen; on a narrow
// one (a phone), one at a time, chosen by two buttons above them (the style
// sheet hides the other). `shown` is told when the choice changes, for the
// view that comes into sight to take its size.
export function createViewChooser(holder, shown) {
  const buttons = Array.from(holder.querySelectorAll('.lieux-choix button'));
  function choose(which) {
    holder.dataset.vue = which;
    for (const b of buttons) b.setAttribute('aria-pressed', String(b.dataset.vue === which));
  }
  for (const b of buttons)
    b.addEventListener('click', () => {
      choose(b.dataset.vue);
      shown();
    });
  choose(holder.dataset.vue || buttons[0].dataset.vue);
}
