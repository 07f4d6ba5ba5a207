#!/usr/bin/env python3
"""The laboratory in a real browser: headless Chromium opens the page that
antenne-export writes, from file://, and the model it embeds (WebAssembly)
must give, for a few set-ups, the same runs, figures and analysis as the
native build (labo_reference, through the same C interface), sample for
sample, to 1e-9, and the same CSV bytes.

  test_labo.py ANTENNE_EXPORT LABO_REFERENCE    exits 77 (skipped) without chromium,
                                                chromedriver or selenium
"""
import json
import os
import pathlib
import subprocess
import sys
import tempfile

from browser import check, export, run_in_browser, skip_without_browser

SETUPS = [
    'K=64.2',
    'preset=instabilite',
    'preset=perturbationPI',
    'regulateur=PID&K=100&Ti=2&Td=0.01&N=50&entree=rampe&vent=-3&debutVent=1&dureeVent=2&duree=5',
    'K=5000&saturation=0&duree=30',
    'K=abc&duree=200&inconnu=1',
]

COMPUTE_JS = '''
const [links, done] = arguments;
window.antenneModele().then((model) => done(links.map((link) => {
  const { report, run } = model.compute(link);
  const samples = [];
  for (let i = 0; i < run.t.length; ++i)
    for (const column of ['t', 'consigne', 'position', 'erreur', 'commande', 'tension', 'vent'])
      samples.push(run[column][i]);
  let csv = '';
  for (const byte of model.csv()) csv += String.fromCharCode(byte);
  return { report, samples, csv: btoa(csv) };
})), (error) => done(String(error)));
'''


def close(a, b, where):
    """Numbers within 1e-9 (relative to their size past 1), the rest equal."""
    if isinstance(a, float) or isinstance(b, float):
        check(isinstance(a, (int, float)) and isinstance(b, (int, float)) and abs(a - b) <= 1e-9 * max(1, abs(b)),
              f'{where}: {a!r} in the page, {b!r} natively')
    elif isinstance(a, dict):
        check(isinstance(b, dict) and a.keys() == b.keys(), f'{where}: keys {list(a)} and {list(b)}')
        for key in a:
            close(a[key], b[key], f'{where}.{key}')
    elif isinstance(a, list):
        check(isinstance(b, list) and len(a) == len(b), f'{where}: {len(a)} items in the page, {len(b)} natively')
        for i, (x, y) in enumerate(zip(a, b)):
            close(x, y, f'{where}[{i}]')
    else:
        check(a == b, f'{where}: {a!r} in the page, {b!r} natively')


class LaboChecks:
    def __init__(self, driver, page, reference):
        self.d = driver
        self.page = page
        self.reference = reference

    def the_page_model_is_the_native_one(self):
        self.d.get(pathlib.Path(self.page).as_uri())
        native = [json.loads(line) for line in
                  subprocess.run([self.reference, *SETUPS], capture_output=True, text=True, check=True).stdout.splitlines()]
        page = self.d.execute_async_script(COMPUTE_JS, SETUPS)
        check(isinstance(page, list), f'the page\'s model failed: {page}')
        for link, mine, theirs in zip(SETUPS, page, native):
            check(len(mine['samples']) > 100, f'{link}: only {len(mine["samples"])} numbers')
            close(mine, theirs, link)

    def nothing_fetched_and_no_console_errors(self):
        self.d.get_log('performance')
        self.d.get(pathlib.Path(self.page).as_uri())
        self.d.execute_async_script(COMPUTE_JS, SETUPS[:1])
        events = (json.loads(entry['message'])['message'] for entry in self.d.get_log('performance'))
        requested = [event['params']['request']['url'] for event in events
                     if event['method'] == 'Network.requestWillBeSent']
        check(requested == [pathlib.Path(self.page).as_uri()], f'requests: {requested}')
        errors = [entry for entry in self.d.get_log('browser') if entry['level'] in ('SEVERE', 'WARNING')]
        check(errors == [], f'console: {errors}')


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    program, reference = sys.argv[1:3]
    skip_without_browser()
    folder = tempfile.mkdtemp(prefix='antenne labo é ')
    page = os.path.join(folder, 'antenne.html')
    export(program, 'page', page)
    run_in_browser(folder, lambda driver: LaboChecks(driver, page, reference),
                   ('the_page_model_is_the_native_one', 'nothing_fetched_and_no_console_errors'))


if __name__ == '__main__':
    main()
