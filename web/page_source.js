// The page's own file, byte for byte as antenne-export wrote it, for an
// exercise's package to carry (scorm/package.js). antenne-export fills a
// template (page.html in the sources) with parts; the template travels in
// the page too, deflated and in base64 like the pictures (the element
// "gabarit"), and every part is still in the document as it was written:
// the text of the style and script elements, the first comment (the
// libraries' notices), the icon's address and the title. Filling the
// template again with them gives the file back.
//
// So nothing in the page may change the text of those elements, nor the
// title or the icon. antenne-export refuses a part the browser would not
// read back as written (a carriage return, a NUL); a part that cannot be
// found again here is an error, never a different file.
import { inflate } from './frames.js';

// The title as antenne-export escapes it (Qt's toHtmlEscaped).
function escaped(text) {
  return text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');
}

// What a part filled into `stretch`, a stretch of the template that holds
// its marker once, where the document now reads `live`.
function partIn(live, stretch, name) {
  const pieces = stretch === undefined ? [] : stretch.split(`{{${name}}}`);
  if (pieces.length !== 2) throw new Error(`le gabarit de la page n'a pas la partie ${name} à sa place`);
  const [before, after] = pieces;
  if (live === null || live === undefined || live.length < before.length + after.length ||
      !live.startsWith(before) || !live.endsWith(after))
    throw new Error(`la partie ${name} de la page n'est plus telle qu'elle a été écrite`);
  return live.slice(before.length, live.length - after.length);
}

// Every part the template names, read back from the document.
function parts(template) {
  const found = {};
  const comment = Array.from(document.childNodes).find((node) => node.nodeType === Node.COMMENT_NODE);
  found.licences = partIn(comment && comment.data, (template.match(/<!--([^]*?)-->/) || [])[1], 'licences');
  found.style = partIn(document.querySelector('style')?.textContent, (template.match(/<style>([^]*?)<\/style>/) || [])[1],
                       'style');
  const script = Array.from(document.scripts).find((element) => element.attributes.length === 0);
  found.script = partIn(script?.textContent, (template.match(/<script>([^]*?)<\/script>/) || [])[1], 'script');
  found.icon = partIn(document.querySelector('link[rel="icon"]')?.getAttribute('href'), '{{icon}}', 'icon');
  found.title = escaped(partIn(document.querySelector('title')?.textContent,
                               (template.match(/<title>([^]*?)<\/title>/) || [])[1], 'title'));
  // The data, the pictures, the model and the template itself: each the
  // whole text of a script element of its own.
  for (const [, id, name] of template.matchAll(/<script [^>]*id="([^"]+)"[^>]*>\{\{(\w+)\}\}<\/script>/g))
    found[name] = partIn(document.getElementById(id)?.textContent, '{{' + name + '}}', name);
  return found;
}

// Replaces each {{name}} of the template by its part, as antenne-export does.
function fill(template, found) {
  return template.replace(/\{\{(\w+)\}\}/g, (marker, name) => {
    if (!(name in found)) throw new Error(`le gabarit de la page a une partie inconnue ${marker}`);
    return found[name];
  });
}

// The page's file, as a Uint8Array of its bytes.
export async function pageSource() {
  const template = new TextDecoder().decode(await inflate(document.getElementById('gabarit').textContent));
  return new TextEncoder().encode(fill(template, parts(template)));
}
