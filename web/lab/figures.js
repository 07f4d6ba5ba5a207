// The figures of the run and the linear analysis, as tables: the names on
// screen and the model's own texts, a figure not reached saying so, with its
// reason.
import { hidden } from './state.js';

// Rows are written again only where their text changed: a slider's move
// then costs the page no new layout of the tables it leaves as they were.
function rows(table, entries) {
  const body = table.tBodies[0];
  const same = body.rows.length === entries.length && entries.every((entry, i) => {
    const row = body.rows[i];
    return row.cells[0].textContent === entry.name && (row.dataset.etat || '') === (entry.state || '');
  });
  if (same) {
    entries.forEach(({ text }, i) => {
      const cell = body.rows[i].cells[1];
      if (cell.textContent !== text) cell.textContent = text;
    });
    return;
  }
  body.replaceChildren(...entries.map(({ name, text, state }) => {
    const row = document.createElement('tr');
    if (state) row.dataset.etat = state;
    const head = document.createElement('th');
    head.scope = 'row';
    head.textContent = name;
    const cell = document.createElement('td');
    cell.textContent = text;
    row.append(head, cell);
    return row;
  }));
}

// The run's figures and the linear analysis, as the model wrote them; the
// rows a question asks to predict read "à prédire" until it is answered.
export function createFigures(figureTable, analysisTable) {
  return {
    update(state) {
      const { report } = state;
      const masked = hidden(state);
      const shown = (name, text) => (masked && masked.rows.includes(name) ? 'à prédire' : text);
      rows(figureTable, report.figures.map((f) => ({ name: f.name, text: shown(f.name, f.text), state: f.state })));
      rows(analysisTable, report.analysis.lines.map(([name, text]) => ({ name, text: shown(name, text) })));
    },
  };
}
