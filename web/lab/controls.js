// The laboratory's controls, made from the settings the model declares
// (their labels, groups, units, ranges and sliders): a radio group for a
// choice, a box for a switch, and a text field for a number, which takes
// what a student types (a decimal comma or point, "2 620"), with a slider
// beside it where the model gives one, logarithmic for gains and times. A
// slider moves its field, and the field the slider; every change reaches
// the laboratory at once, sliders while they move. The model says which
// controls the set-up uses; the others are held, as are those an exercise
// fixes.
import { significant } from '../format.js';
import { hidden } from './state.js';
import { linkNumber, rounded } from './numbers.js';

// The slider's own steps: 0 to 1000 along its range.
const sliderSteps = 1000;

function fromSlider(slider, range) {
  const fraction = Number(slider.value) / sliderSteps;
  const { low, high, logarithmic } = range;
  const x = logarithmic ? low * (high / low) ** fraction : low + (high - low) * fraction;
  // Three significant digits for gains and times; whole or half units for
  // the rest, hundredths on a short range (a delay of 0 to 2 s).
  if (logarithmic) return rounded(x, 3);
  const per = high - low <= 5 ? 100 : 2;
  return Math.round(x * per) / per;
}

// A value's place along a slider, as a fraction of its track.
function place(range, x) {
  const { low, high, logarithmic } = range;
  const clamped = Math.min(high, Math.max(low, x));
  return logarithmic ? Math.log(clamped / low) / Math.log(high / low) : (clamped - low) / (high - low);
}

function element(tag, properties = {}, ...children) {
  const e = document.createElement(tag);
  for (const [name, value] of Object.entries(properties)) {
    if (name.startsWith('data-') || name.startsWith('aria-') || name === 'role' || name === 'for')
      e.setAttribute(name, value);
    else e[name] = value;
  }
  e.append(...children);
  return e;
}

// One setting's controls: its fields (a radio a choice, or one input), and
// its slider if it has one.
function settingControls(row) {
  if (row.kind === 'choix') {
    const radios = row.choices.map((c) => element('input', { type: 'radio', name: row.name, value: c.word }));
    const group = element('div', { className: 'choix', role: 'radiogroup', 'aria-label': row.described },
                          ...row.choices.map((c, i) => element('label', {}, radios[i], ` ${c.label}`)));
    return { block: group, fields: radios };
  }
  if (row.kind === 'interrupteur') {
    const box = element('input', { type: 'checkbox', id: row.name, name: row.name });
    return { block: element('label', { className: 'case' }, box, ` ${row.label}`), fields: [box] };
  }
  const field = element('input', { type: 'text', inputMode: 'decimal', id: row.name, name: row.name, size: 7,
                                    title: `${row.help ? `${row.help}. ` : ''}Accepte ${row.accepts}.` });
  const block = element('div', { className: 'reglage' }, element('label', { for: row.name }, row.label));
  let slider = null;
  if (row.slider) {
    const unit = row.unit === '°' || !row.unit ? row.unit : ` ${row.unit}`;
    slider = element('input', {
      type: 'range', id: `${row.name}-glissiere`, min: 0, max: sliderSteps, step: 1, 'data-pour': row.name,
      'aria-label': `${row.described}, de ${row.slider.range}${unit}${row.slider.logarithmic ? ', échelle logarithmique' : ''}`,
    });
    block.append(slider);
  }
  block.append(field);
  return { block, fields: [field], slider };
}

export function createControls(form, description, onChange) {
  const rows = description.settings.filter((row) => row.group);
  const fields = {};
  const sliders = {};
  const ranges = {};
  const groups = new Map();
  for (const row of rows) {
    if (!groups.has(row.group))
      groups.set(row.group, form.appendChild(element('fieldset', {}, element('legend', {}, row.group))));
    const made = settingControls(row);
    fields[row.name] = made.fields;
    if (made.slider) {
      sliders[row.name] = made.slider;
      ranges[row.name] = row.slider;
    }
    groups.get(row.group).append(made.block);
  }
  // The critical gain, marked on the gain's track.
  const critical = element('span', { id: 'K-critique', className: 'critique', hidden: true });
  const track = element('div', { className: 'glissiere' });
  sliders.K.before(track);
  track.append(sliders.K, critical);
  sliders.K.closest('.reglage').classList.add('gain');
  // A refused value's message stands in a field's tooltip until it is mended.
  for (const e of form.querySelectorAll('[name]')) e.dataset.aide = e.title;

  function value(name) {
    const [first] = fields[name];
    if (first.type === 'radio') return (fields[name].find((e) => e.checked) || first).value;
    if (first.type === 'checkbox') return first.checked ? '1' : '0';
    return first.value;
  }

  for (const [name, elements] of Object.entries(fields)) {
    for (const e of elements) {
      e.addEventListener(e.type === 'text' ? 'change' : 'input', () => onChange(name, value(name), true));
      if (e.type === 'text')
        e.addEventListener('keydown', (event) => {
          if (event.key !== 'Enter') return;
          event.preventDefault();
          onChange(name, value(name), true);
        });
    }
  }
  for (const [name, slider] of Object.entries(sliders)) {
    // While it moves, the set-up follows; once let go, the run starts over.
    slider.addEventListener('input', (event) => {
      const x = fromSlider(slider, ranges[name]);
      fields[name][0].value = significant(x, 6);
      onChange(name, linkNumber(x), false, event);
    });
    slider.addEventListener('change', () => onChange(name, linkNumber(fromSlider(slider, ranges[name])), true));
  }

  // The critical gain on the K slider, so that "instable" is seen coming.
  function showCritical(K) {
    const at = K ? place(ranges.K, K) : -1;
    const outside = !(K >= ranges.K.low && K <= ranges.K.high);
    critical.hidden = outside;
    if (outside) return;
    // Chromium's and Firefox's thumbs are 16 px wide: their centre runs
    // over the track less half a thumb at each end.
    critical.style.left = `calc(${at.toFixed(4)} * (100% - 16px) + 8px)`;
    critical.classList.toggle('a-gauche', at > 0.75);
    critical.textContent = `Kc ${significant(K, 4)}`;
    critical.title = `Gain critique : au-delà de K = ${significant(K, 5)}, la boucle est instable`;
  }

  let shown = null;
  return {
    // The set-up shown, as the model read it: each field's text, the
    // controls it does not use and those its exercise holds.
    update(state) {
      const report = state.report;
      const masked = hidden(state);
      showCritical(report.analysis.critical && !(masked && masked.part === 'stabilite') ? report.analysis.critical.K : null);
      if (report === shown) return;
      shown = report;
      for (const [name, elements] of Object.entries(fields)) {
        const { text, used } = report.fields[name];
        const held = report.fixed.includes(name);
        for (const e of elements) {
          if (e.type === 'radio') e.checked = e.value === text;
          else if (e.type === 'checkbox') e.checked = text === '1';
          else if (e.value !== text) e.value = text;
          e.disabled = !used || held;
          e.toggleAttribute('data-fixe', held);
        }
        const slider = sliders[name];
        if (!slider) continue;
        slider.disabled = !used || held;
        const x = report.settings[name];
        const at = String(Math.round(place(ranges[name], x) * sliderSteps));
        // 0 (off) is the slider's low end; a slider being dragged stays where the finger is.
        if (document.activeElement !== slider && Number.isFinite(x) && slider.value !== at) slider.value = at;
      }
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
  };
}
