// The page of the animation Antenne, bundled by esbuild into its one inline
// script: the six scenes, and the laboratory's model.
import { startScenes } from './replay.js';
import { loadModel } from './model.js';

startScenes();

// The model, loaded on first use: antenneModele() gives a promise of it
// (the page's tests and a curious teacher's console call it too).
let model = null;
window.antenneModele = () => {
  model = model || loadModel();
  return model;
};
