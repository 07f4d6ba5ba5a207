// An exercise's SCORM 1.2 package, as antenne-export scorm writes it: the
// manifest the model's bridge writes for the exercise's link (the same C++
// for both), and this very page, byte for byte, zipped by fflate (vendored,
// see vendor/fflate/README.md). A learning platform takes the zip as an
// activity; session.js is the page's side of it there.
import { strToU8, zipSync } from '../vendor/fflate/browser.js';
import { pageSource } from '../page_source.js';

// The package of an exercise's link (the pairs, or a whole address), made
// with the model's `scorm(link)`: { file, title, bytes } with the package's
// name and its bytes, or { problems } when the link makes none, each
// problem a sentence in French that names what is wrong.
export async function exercisePackage(model, link) {
  const made = model.scorm(link);
  if (made.problems.length) return { problems: made.problems };
  const page = await pageSource();
  // The manifest first, as antenne-export orders them.
  const bytes = zipSync({ 'imsmanifest.xml': strToU8(made.manifest), [made.page]: page }, { level: 9 });
  return { file: made.file, title: made.title, bytes };
}
