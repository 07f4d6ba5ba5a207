// The laboratory's controls: each setting of the link has a field (a radio
// group, a box, or a text field that takes a decimal comma or point), and
// the main numbers a slider beside it, logarithmic for the gains and times.
// A slider moves its field, and the field the slider; every change reaches
// the laboratory at once, sliders while they move.
import { linkNumber, rounded, significant, typedNumber } from '../format.js';

// The slider's own steps: 0 to 1000 along the setting's range.
const sliderSteps = 1000;

function sliderRange(slider, numbers) {
  const name = slider.dataset.pour;
  const low = Number(slider.dataset.bas || Math.max(numbers[name].low, 1));
  const high = Number(slider.dataset.haut || Math.min(numbers[name].high, 10000));
  return { low, high, log: slider.dataset.log === '1' };
}

function fromSlider(slider, numbers) {
  const { low, high, log } = sliderRange(slider, numbers);
  const fraction = Number(slider.value) / sliderSteps;
  const x = log ? low * (high / low) ** fraction : low + (high - low) * fraction;
  // Three significant digits for gains and times; whole or half units for the rest.
  return log ? rounded(x, 3) : Math.round(x * 2) / 2;
}

function toSlider(slider, numbers, x) {
  const { low, high, log } = sliderRange(slider, numbers);
  const clamped = Math.min(high, Math.max(low, x));
  const fraction = log ? Math.log(clamped / low) / Math.log(high / low) : (clamped - low) / (high - low);
  return String(Math.round(fraction * sliderSteps));
}

// The place of a gain along the K slider, as a fraction of its track.
function gainPlace(slider, numbers, K) {
  const { low, high } = sliderRange(slider, numbers);
  return Math.log(K / low) / Math.log(high / low);
}

export function createControls(form, description, onChange) {
  const numbers = description.numbers;
  const fields = {};
  for (const name of description.names) {
    const elements = form.querySelectorAll(`[name="${name}"]`);
    if (elements.length) fields[name] = Array.from(elements);
  }
  const sliders = Array.from(form.querySelectorAll('input[type="range"][data-pour]'));
  const sliderOf = Object.fromEntries(sliders.map((s) => [s.dataset.pour, s]));
  const critical = document.getElementById('K-critique');

  // Each text field says in its tooltip what it accepts, from the model.
  for (const [name, number] of Object.entries(numbers)) {
    const field = form.querySelector(`#${name}`);
    if (field) field.title = `${field.title ? `${field.title}. ` : ''}Accepte ${number.accepts}.`;
  }
  // A refused value's message stands in a field's tooltip until it is mended.
  for (const e of form.querySelectorAll('[name]')) e.dataset.aide = e.title;

  function value(name) {
    const elements = fields[name];
    const first = elements[0];
    if (first.type === 'radio') return (elements.find((e) => e.checked) || first).value;
    if (first.type === 'checkbox') return first.checked ? '1' : '0';
    return typedNumber(first.value);
  }

  function show(name, text) {
    const elements = fields[name];
    if (!elements) return;
    const first = elements[0];
    if (first.type === 'radio') for (const e of elements) e.checked = e.value === text;
    else if (first.type === 'checkbox') first.checked = text === '1';
    else if (first.value !== text.replace('.', ',')) first.value = text.replace('.', ',');
    const slider = sliderOf[name];
    if (slider && document.activeElement !== slider) {
      const x = Number(text);
      // 0 (off) is the slider's low end.
      const place = Number.isFinite(x) ? toSlider(slider, numbers, x) : slider.value;
      if (slider.value !== place) slider.value = place;
    }
  }

  // The controls that do not act on the set-up shown are held, and those an
  // exercise holds fixed.
  let fixed = [];
  function hold(settings) {
    const integral = settings.regulateur !== 'P';
    const derivative = settings.regulateur === 'PID';
    const ramp = settings.entree === 'rampe';
    const idle = { Ti: !integral, Td: !derivative, N: !derivative, antisaturation: !integral,
                   amplitude: ramp, pente: !ramp };
    for (const name of Object.keys(fields)) {
      const off = Boolean(idle[name]) || fixed.includes(name);
      for (const e of fields[name]) {
        e.disabled = off;
        if (fixed.includes(name)) e.dataset.fixe = '';
        else delete e.dataset.fixe;
      }
      if (sliderOf[name]) sliderOf[name].disabled = off;
    }
  }

  for (const [name, elements] of Object.entries(fields)) {
    for (const element of elements) {
      const event = element.type === 'text' ? 'change' : 'input';
      element.addEventListener(event, () => onChange(name, value(name), true));
      if (element.type === 'text')
        element.addEventListener('keydown', (e) => {
          if (e.key === 'Enter') {
            e.preventDefault();
            onChange(name, value(name), true);
          }
        });
    }
  }
  for (const slider of sliders) {
    const name = slider.dataset.pour;
    // While it moves, the set-up follows; once let go, the run starts over.
    slider.addEventListener('input', (event) => {
      const x = fromSlider(slider, numbers);
      fields[name][0].value = significant(x, 6);
      onChange(name, linkNumber(x), false, event);
    });
    slider.addEventListener('change', () => onChange(name, linkNumber(fromSlider(slider, numbers)), true));
  }

  return {
    value,
    // Shows a set-up, as the model read it, with the controls its exercise holds.
    show(settings, held = []) {
      fixed = held;
      for (const name of Object.keys(fields)) show(name, String(settings[name]));
      hold(settings);
    },
    // Marks a field the model refused, with the model's message.
    refuse(name, message) {
      for (const e of fields[name] || []) {
        e.setAttribute('aria-invalid', 'true');
        e.title = message;
      }
    },
    accept() {
      for (const e of form.querySelectorAll('[aria-invalid]')) {
        e.removeAttribute('aria-invalid');
        e.title = e.dataset.aide || '';
      }
    },
    // The critical gain on the K slider, so that "instable" is seen coming.
    showCritical(K) {
      const slider = sliderOf.K;
      const place = K ? gainPlace(slider, numbers, K) : -1;
      critical.hidden = !(place >= 0 && place <= 1);
      if (critical.hidden) return;
      // Chromium's and Firefox's thumbs are 16 px wide: their centre runs
      // over the track less half a thumb at each end.
      critical.style.left = `calc(${place.toFixed(4)} * (100% - 16px) + 8px)`;
      critical.classList.toggle('a-gauche', place > 0.75);
      critical.textContent = `Kc ${significant(K, 4)}`;
      critical.title = `Gain critique : au-delà de K = ${significant(K, 5)}, la boucle est instable`;
    },
  };
}
