// The page of the animation Antenne, bundled by esbuild into its one inline
// script: two views, the six scenes and the laboratory, shown as tabs, the
// teacher's controls driving the one shown. An address ending in "#labo?..."
// opens the laboratory on that set-up; any other opens the scenes.
import { createLab } from './lab/lab.js';
import { leaveLabAddress, wantsLab, writeAddress } from './lab/link.js';
import { loadModel } from './bridge/model.js';
import { createScenes } from './scenes/replay.js';
import { createTransport } from './transport.js';
import { joinPlatform } from './scorm/session.js';

function fail(message) {
  const element = document.getElementById('message');
  element.textContent = message;
  element.hidden = false;
}

// The model, loaded on first use: antenneModele() gives a promise of it
// (the page's tests and a curious teacher's console call it too).
let model = null;
window.antenneModele = () => {
  model = model || loadModel();
  return model;
};

const transport = createTransport();
const scenes = createScenes(fail);
let lab = null;
let labLoading = null;
const tabs = { scenes: document.getElementById('onglet-scenes'), lab: document.getElementById('onglet-labo') };

function labView() {
  labLoading = labLoading || (async () => {
    const data = JSON.parse(document.getElementById('donnees').textContent);
    lab = await createLab(await window.antenneModele(), data);
    lab.onChange = () => {
      if (shown === lab) transport.update();
    };
    return lab;
  })();
  return labLoading;
}

let shown = null;
async function showView(which) {
  const toLab = which === 'lab';
  tabs.scenes.setAttribute('aria-selected', String(!toLab));
  tabs.lab.setAttribute('aria-selected', String(toLab));
  tabs.scenes.tabIndex = toLab ? -1 : 0;
  tabs.lab.tabIndex = toLab ? 0 : -1;
  document.getElementById('vue-scenes').hidden = toLab;
  document.getElementById('vue-labo').hidden = !toLab;
  if (toLab) {
    try {
      const next = await labView();
      shown = next;
      transport.attach(next, next.slot);
      next.open();
    } catch (error) {
      fail(`Le laboratoire n'a pas pu démarrer (${error.message}).`);
    }
  } else {
    if (lab) lab.leave();
    shown = scenes;
    transport.attach(scenes, scenes.slot);
    scenes.fit();
  }
}

scenes.onChange = () => {
  if (shown === scenes) transport.update();
};
tabs.scenes.addEventListener('click', () => {
  leaveLabAddress();
  showView('scenes');
});
tabs.lab.addEventListener('click', () => {
  if (!wantsLab()) writeAddress(lab ? lab.link() : '');
  showView('lab');
});
// The tabs as a tab list: the arrows move between them.
for (const tab of Object.values(tabs))
  tab.addEventListener('keydown', (event) => {
    if (event.key !== 'ArrowLeft' && event.key !== 'ArrowRight') return;
    event.preventDefault();
    event.stopPropagation();
    const other = tab === tabs.scenes ? tabs.lab : tabs.scenes;
    other.focus();
    other.click();
  });
window.addEventListener('hashchange', () => {
  const toLab = wantsLab();
  if (toLab !== (shown === lab && lab !== null)) showView(toLab ? 'lab' : 'scenes');
});

// Launched by a learning platform from an exercise's package, the page
// reports to it, and resumes where the student left (in the address).
joinPlatform();
showView(wantsLab() ? 'lab' : 'scenes');
