#!/usr/bin/env python3
"""The model's speed in the page's WebAssembly beside the native build, in
one session: each round times the native program (antenne-model-speed) and
the page's module in headless Chromium, in turn, alternating which goes
first, on the same work: a 20 s run (read, integrated, its figures and
analysis) and a root-locus sweep over 500 gains, each the median of 30
timings of ten; then a 120 s run, plain and with dry friction and backlash
(whose stick, slip and contact events the run locates in time), each the
median of 10 timings of ten, and how much dearer the second is than the
first, natively and in WebAssembly.

  bench/model_speed.py BUILD [ROUNDS]     (after a build; needs chromium,
                                           chromium-driver, python3-selenium)
"""
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / 'tests' / 'web'))
from browser import browser, export, skip_without_browser  # noqa: E402

LINK = 'K=64.2&duree=20'
REPETITIONS = 30
# A long run, plain, and with dry friction and backlash: a limit cycle
# whose every swing has its contacts, partings, stops and moves off.
PLAIN_120 = 'K=500&duree=120'
IMPERFECT_120 = 'K=500&jeu=2&frottement=0.2&duree=120'
LONG_REPETITIONS = 10

BROWSER_JS = '''
const [link, repetitions, done] = arguments;
window.antenneModele().then((model) => {
  const median = (work) => {
    const times = [];
    for (let i = 0; i < repetitions; ++i) {
      const start = performance.now();
      for (let j = 0; j < 10; ++j) work();
      times.push((performance.now() - start) / 10);
    }
    times.sort((a, b) => a - b);
    return times[Math.floor(times.length / 2)];
  };
  // Warmed up as natively, and past the browser's first, unoptimized tier.
  const kept = model.compute(link);
  const run = () => model.compute(link).release();
  const locus = () => kept.locus(1, 10000, 500);
  for (let i = 0; i < 10; ++i) { run(); locus(); }
  done({ run: median(run), locus: median(locus) });
}, (error) => done(String(error)));
'''


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = pathlib.Path(sys.argv[1])
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    skip_without_browser()
    folder = tempfile.mkdtemp(prefix='antenne-speed-')
    driver = browser()
    try:
        page = os.path.join(folder, 'antenne.html')
        export(str(build / 'export' / 'antenne-export'), 'page', page)
        driver.get(pathlib.Path(page).as_uri())
        driver.set_script_timeout(120)
        native_program = [str(build / 'bench' / 'antenne-model-speed'), LINK, str(REPETITIONS)]
        results = []
        for r in range(rounds):
            measures = {}
            for side in (('native', 'wasm') if r % 2 == 0 else ('wasm', 'native')):
                if side == 'native':
                    measures[side] = json.loads(subprocess.run(native_program, capture_output=True, text=True,
                                                               check=True).stdout)
                else:
                    measures[side] = driver.execute_async_script(BROWSER_JS, LINK, REPETITIONS)
            results.append(measures)
            print(f'round {r + 1}: ' + ', '.join(
                f'{work} native {measures["native"][work]:.2f} ms, wasm {measures["wasm"][work]:.2f} ms '
                f'(x {measures["wasm"][work] / measures["native"][work]:.2f})' for work in ('run', 'locus')))
        for work, what in (('run', 'a 20 s run'), ('locus', 'root locus, 500 gains')):
            native = [m['native'][work] for m in results]
            wasm = [m['wasm'][work] for m in results]
            ratios = sorted(m['wasm'][work] / m['native'][work] for m in results)
            print(f'{what}: native {min(native):.2f}-{max(native):.2f} ms, wasm {min(wasm):.2f}-{max(wasm):.2f} ms, '
                  f'ratio {ratios[0]:.2f}-{ratios[-1]:.2f} (median {ratios[len(ratios) // 2]:.2f})')
        long_runs(driver, build, rounds)
    finally:
        driver.quit()
        shutil.rmtree(folder, ignore_errors=True)


def long_runs(driver, build, rounds):
    """A 120 s run with friction and backlash beside the plain one, natively
    and in WebAssembly, in turn, alternating which goes first."""
    native_program = str(build / 'bench' / 'antenne-model-speed')
    results = []
    for r in range(rounds):
        measures = {}
        for side in (('native', 'wasm') if r % 2 == 0 else ('wasm', 'native')):
            for name, link in (('plain', PLAIN_120), ('imperfect', IMPERFECT_120)):
                if side == 'native':
                    run = subprocess.run([native_program, link, str(LONG_REPETITIONS)], capture_output=True,
                                         text=True, check=True)
                    measures[side, name] = json.loads(run.stdout)['run']
                else:
                    measures[side, name] = driver.execute_async_script(BROWSER_JS, link, LONG_REPETITIONS)['run']
        results.append(measures)
        print(f'round {r + 1}, 120 s: ' + ', '.join(
            f'{side} plain {measures[side, "plain"]:.1f} ms, with friction and backlash '
            f'{measures[side, "imperfect"]:.1f} ms (x {measures[side, "imperfect"] / measures[side, "plain"]:.2f})'
            for side in ('native', 'wasm')))
    for side in ('native', 'wasm'):
        ratios = sorted(m[side, 'imperfect'] / m[side, 'plain'] for m in results)
        print(f'a 120 s run with friction and backlash over the plain one, {side}: '
              f'{ratios[0]:.2f}-{ratios[-1]:.2f} (median {ratios[len(ratios) // 2]:.2f}; target <= 2)')


if __name__ == '__main__':
    main()
