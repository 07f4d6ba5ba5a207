// The laboratory's tools above its curves: keep the run in grey to compare
// it with the next ones, clear the kept runs, copy the link that reopens
// the set-up, and export the run for a lab report, as CSV (the model's
// very bytes) or as a picture of the curves.
import { exportCsv, exportPicture } from './exports.js';
import { copyText, writeAddress } from './link.js';

export function createTools(state, plots) {
  const status = document.getElementById('outils-etat');

  // A short message beside the tools, gone after a while.
  function say(text) {
    status.textContent = text;
    setTimeout(() => {
      if (status.textContent === text) status.textContent = '';
    }, 4000);
  }

  document.getElementById('garder').addEventListener('click', () => {
    state.kept = [...state.kept, { label: state.report.summary, run: state.run }];
    plots.update(state);
    say(`Courbe gardée (${state.kept.length}).`);
  });
  document.getElementById('effacer').addEventListener('click', () => {
    state.kept = [];
    plots.update(state);
    say('Courbes gardées effacées.');
  });
  document.getElementById('copier').addEventListener('click', async () => {
    writeAddress(state.report.link);
    say((await copyText(location.href)) ? 'Lien copié : il rouvre ce réglage.' : 'Copiez l\'adresse de la page.');
  });
  document.getElementById('exporter-csv').addEventListener('click', () => {
    exportCsv(state.setUp.csv(), state.report.csvName);
  });
  document.getElementById('exporter-image').addEventListener('click', () => {
    exportPicture(plots.canvases(), plots.legends(), ['Consigne et position (°)', 'Commande et tension moteur (V)'],
                  state.report.summary, state.report.csvName.replace(/\.csv$/, '.png'));
  });

  return { say };
}
