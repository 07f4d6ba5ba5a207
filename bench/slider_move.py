#!/usr/bin/python3
"""A slider move in the laboratory, with every view on screen: from the move's
input event to the frame painted after it (the page's `antenne:reglage`
measures), median and 95th percentile over 100 moves of the K slider dragged
by Chromium's own pointer, beside the display frame measured in the same
session, and the page's scripting time per move from the browser's own
performance counters (ScriptDuration: every script the page runs, ours and
uPlot's, and nothing of the browser's layout or painting).

Several pages are timed in turn in the same browser, alternating which goes
first each round, so that an older page can be measured beside a newer one:

  bench/slider_move.py PAGE.html [OTHER.html ...] [--rounds N] [--link LINK]

(needs chromium, chromium-driver, python3-selenium; write the page with
`antenne-export page PAGE.html`). The window is 1400 x 3400 px, tall enough
for the curves, the complex plane, Bode, Black and Nyquist at once.
"""
import argparse
import pathlib
import statistics
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / 'tests' / 'web'))
from browser import browser, skip_without_browser  # noqa: E402
from test_labo import percentile, slider_moves  # noqa: E402

MOVES = 100

# The median interval between animation frames over two seconds: the
# display frame this session paints at.
FRAME_JS = '''
const done = arguments[arguments.length - 1];
const times = [];
function tick(now) {
  times.push(now);
  if (times.length < 120) requestAnimationFrame(tick);
  else {
    const gaps = times.slice(1).map((t, i) => t - times[i]).sort((a, b) => a - b);
    done(gaps[Math.floor(gaps.length / 2)]);
  }
}
requestAnimationFrame(tick);
'''

# Which of the laboratory's views lie outside the window.
HIDDEN_VIEWS_JS = '''
return ['#courbe-position', '#plan-complexe', '#bode', '#black', '#nyquist']
  .filter((s) => document.querySelector(s))
  .filter((s) => { const r = document.querySelector(s).getBoundingClientRect();
                   return r.height === 0 || r.bottom > innerHeight; });
'''


def script_seconds(driver):
    metrics = driver.execute_cdp_cmd('Performance.getMetrics', {})['metrics']
    return {m['name']: m['value'] for m in metrics}


def time_page(driver, page, link):
    driver.get('about:blank')
    driver.get(pathlib.Path(page).resolve().as_uri() + '#labo?' + link)
    deadline = time.monotonic() + 30
    while not driver.execute_script("return document.querySelector('#chiffres td') !== null"):
        if time.monotonic() > deadline:
            sys.exit(f'{page}: the laboratory never showed its figures')
        time.sleep(0.1)
    time.sleep(1)
    hidden = driver.execute_script(HIDDEN_VIEWS_JS)
    frame = driver.execute_async_script(FRAME_JS)
    before = script_seconds(driver)
    costs = slider_moves(driver, MOVES)
    after = script_seconds(driver)
    moves = max(1, len(costs))
    per_move = {name: (after[name] - before[name]) * 1000 / moves for name in ('ScriptDuration', 'TaskDuration')}
    return {'frame': frame, 'median': statistics.median(costs), 'p95': percentile(costs, 0.95),
            'moves': len(costs), 'script': per_move['ScriptDuration'], 'task': per_move['TaskDuration'],
            'hidden': hidden}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('pages', nargs='+')
    parser.add_argument('--rounds', type=int, default=3)
    parser.add_argument('--link', default='K=64.2')
    arguments = parser.parse_args()
    skip_without_browser()
    driver = browser(size='1400,3400')
    try:
        driver.execute_cdp_cmd('Performance.enable', {})
        for round_ in range(arguments.rounds):
            order = arguments.pages if round_ % 2 == 0 else list(reversed(arguments.pages))
            for page in order:
                r = time_page(driver, page, arguments.link)
                note = f' (outside the window: {", ".join(r["hidden"])})' if r['hidden'] else ''
                print(f'round {round_ + 1}, {page}: frame {r["frame"]:.1f} ms; {r["moves"]} moves: '
                      f'median {r["median"]:.1f} ms ({r["median"] / r["frame"]:.2f} frames), '
                      f'95th percentile {r["p95"]:.1f} ms ({r["p95"] / r["frame"]:.2f} frames); '
                      f'scripting {r["script"]:.2f} ms a move, tasks {r["task"]:.2f} ms{note}', flush=True)
    finally:
        driver.quit()


if __name__ == '__main__':
    main()
