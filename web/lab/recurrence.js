// The sampled corrector's recurrence, with its numbers, as the model writes
// it ("u(k) = u(k−1) + 10,03 ε(k) − 10 ε(k−1)"), under the controls of the
// digital corrector; hidden while the corrector is continuous.
export function createRecurrence(form) {
  const group = form.querySelector('#Te').closest('fieldset');
  const block = document.createElement('div');
  block.className = 'recurrence';
  block.setAttribute('role', 'group');
  block.setAttribute('aria-label', 'Récurrence du correcteur numérique');
  const formula = document.createElement('p');
  formula.className = 'recurrence-formule';
  formula.setAttribute('aria-live', 'polite');
  const legend = document.createElement('p');
  legend.className = 'recurrence-legende';
  block.append(formula, legend);
  block.hidden = true;
  group.append(block);

  return {
    update({ report }) {
      const digital = report.digital;
      block.hidden = !digital;
      if (!digital) return;
      if (formula.textContent !== digital.recurrence) formula.textContent = digital.recurrence;
      if (legend.textContent !== digital.legend) legend.textContent = digital.legend;
    },
  };
}
