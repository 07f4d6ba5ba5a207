// The laboratory's address: the page's address ends in "#labo?" and the
// whole set-up as the model writes it ("#labo?regulateur=PI&K=64.2&..."),
// rewritten as the student changes anything, so that copying the address
// copies the set-up. Without "#labo", the page opens on the scenes. The
// page only carries the link: the model alone reads and writes it.
const prefix = '#labo';

export function wantsLab() {
  return location.hash.startsWith(prefix);
}

// The set-up's string the address holds, or '' for the defaults.
export function linkInAddress() {
  const hash = location.hash;
  if (!hash.startsWith(prefix)) return '';
  const question = hash.indexOf('?');
  return question < 0 ? '' : hash.slice(question + 1);
}

// Writes the set-up into the address without a new history entry for each
// move of a slider.
export function writeAddress(link) {
  history.replaceState(null, '', `${prefix}?${link}`);
}

export function leaveLabAddress() {
  if (location.hash) history.replaceState(null, '', location.pathname + location.search);
}

// Copies text to the clipboard: through the asynchronous interface where the
// page may use it, else through a selected field, as older browsers do.
export async function copyText(text) {
  try {
    await navigator.clipboard.writeText(text);
    return true;
  } catch {
    const field = document.createElement('textarea');
    field.value = text;
    field.setAttribute('readonly', '');
    field.style.position = 'fixed';
    field.style.opacity = '0';
    document.body.appendChild(field);
    field.select();
    const copied = document.execCommand('copy');
    field.remove();
    return copied;
  }
}
