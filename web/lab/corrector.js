// The corrector beside its controls: its formula with its numbers, and for
// a phase lead or lag its largest phase and where (the model's texts); then
// the textbook's placing of a phase lead, "Placer l'avance de phase": the
// crossover pulsation and the phase margin wanted go in, the model works out
// a, τ and K and the set-up takes them; or it says why not (a gain alone is
// enough: it offers that gain; one lead is not enough: it says the phase it
// would need).
import { hidden } from './state.js';

function element(tag, properties = {}, ...children) {
  const e = document.createElement(tag);
  for (const [name, value] of Object.entries(properties)) {
    if (name === 'for' || name.startsWith('aria-')) e.setAttribute(name, value);
    else e[name] = value;
  }
  e.append(...children);
  return e;
}

function field(id, label, unit, value) {
  const input = element('input', { type: 'text', inputMode: 'decimal', id, size: 6, value, autocomplete: 'off' });
  return { input, block: element('div', { className: 'reglage' }, element('label', { for: id }, `${label} (${unit})`), input) };
}

// `place(omega, margin)` asks the model for the lead ({ placed, text, pairs });
// `apply(pairs)` changes the set-up.
export function createCorrector(fieldset, { place, apply }) {
  const formula = element('p', { className: 'correcteur-formule' });
  const phase = element('p', { className: 'correcteur-phase', hidden: true });
  const omega = field('avance-omega', 'ωc voulue', 'rad/s', '5');
  const margin = field('avance-marge', 'MP voulue', '°', '45');
  const compute = element('button', { type: 'button', textContent: 'Placer' });
  const take = element('button', { type: 'button', textContent: 'Prendre ce gain', hidden: true });
  const result = element('p', { className: 'etat', role: 'status' });
  const form = element('details', { className: 'placer-avance' },
                       element('summary', {}, 'Placer l\'avance de phase'),
                       element('p', { className: 'aide-creation' },
                               'Le passage à 0 dB voulu ωc et la marge de phase MP voulue : le modèle en déduit a, τ et K.'),
                       omega.block, margin.block, compute, take, result);
  fieldset.append(formula, phase, form);

  let offered = '';
  compute.addEventListener('click', () => {
    const lead = place(omega.input.value, margin.input.value);
    result.textContent = lead.text;
    offered = lead.placed ? '' : lead.pairs;
    take.hidden = !offered;
    if (lead.placed) apply(lead.pairs);
  });
  take.addEventListener('click', () => {
    if (offered) apply(offered);
    take.hidden = true;
  });
  for (const { input } of [omega, margin])
    input.addEventListener('keydown', (event) => {
      if (event.key !== 'Enter') return;
      event.preventDefault();
      compute.click();
    });

  return {
    update(state) {
      const { corrector } = state.report;
      if (formula.textContent !== corrector.formula) formula.textContent = corrector.formula;
      phase.hidden = !corrector.phase;
      if (corrector.phase) {
        const masked = hidden(state);
        const text = `${corrector.phase.name} : ${masked && masked.rows.includes(corrector.phase.name)
          ? 'à prédire' : corrector.phase.text}`;
        if (phase.textContent !== text) phase.textContent = text;
      }
      // What an exercise holds, the form cannot change.
      const held = ['regulateur', 'K', 'a', 'tau'].some((name) => state.report.fixed.includes(name));
      compute.disabled = held;
      take.disabled = held;
    },
  };
}
