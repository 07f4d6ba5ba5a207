#!/usr/bin/env python3
"""The laboratory in a real browser: headless Chromium opens the page that
antenne-export writes, from file://. The model it embeds (WebAssembly) must
give, for a few set-ups, the same runs, figures and analysis as the native
build (labo_reference, through the same C interface), sample for sample, to
1e-9, and the same CSV bytes. The laboratory itself: a link restores its
set-up, a bad value in it is reported, a slider moves the curves, the
figures and the address, the figures shown are the native model's, the CSV
exported is antenne-export labo's, byte for byte; on a phone held upright
(390 x 844, three device pixels a pixel, touch) neither view scrolls
sideways and a tap on a preset works; a curve's thinned line draws the
whole line's pixels to within half their coverage; and a slider's move
costs less than two display frames (one, measured on a quiet machine with
--figures). The checks run from chromium.py, with the other suites, in one
browser.

  test_labo.py ANTENNE_EXPORT LABO_REFERENCE --figures  prints the page's size and the cost of
                                                        100 slider moves, three times
"""
import base64
import json
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.parse

from browser import DriverChecks, browser, check, export, skip_without_browser

try:
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.actions import interaction
    from selenium.webdriver.common.actions.action_builder import ActionBuilder
    from selenium.webdriver.common.actions.pointer_input import PointerInput
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
except ImportError:
    pass  # skip_without_browser() says so

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
  const setUp = model.compute(link);
  const { report, run } = setUp;
  const samples = [];
  for (let i = 0; i < run.t.length; ++i)
    for (const column of ['t', 'consigne', 'position', 'erreur', 'commande', 'tension', 'vent', 'limitee'])
      samples.push(run[column][i]);
  let csv = '';
  for (const byte of setUp.csv()) csv += String.fromCharCode(byte);
  setUp.release();
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


def native(reference, *links):
    run = subprocess.run([reference, *links], capture_output=True, text=True, check=True)
    return [json.loads(line) for line in run.stdout.splitlines()]


# The values the controls show: each setting's field, or its checked choice.
CONTROLS_JS = '''
const out = {};
for (const e of document.querySelectorAll('#reglages [name]'))
  if (e.type === 'radio') { if (e.checked) out[e.name] = e.value; }
  else if (e.type === 'checkbox') out[e.name] = e.checked ? '1' : '0';
  else out[e.name] = e.value;
return out;
'''

TABLE_JS = '''
return Array.from(document.querySelectorAll(arguments[0] + ' tr'), (r) => [r.cells[0].textContent, r.cells[1].textContent]);
'''

# The pixels of Bode's, Black's and Nyquist's canvases, as base64 RGBA.
FREQUENCY_PIXELS_JS = '''
return ['#bode', '#black', '#nyquist'].flatMap((s) => [...document.querySelectorAll(s + ' .uplot canvas')]).map((c) => {
  const bytes = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return [c.parentElement.closest('[id]').id, c.width, c.height, btoa(text)];
});
'''


# Curves of 1000 points on a 700 x 300 canvas, point i of n as [x, y] (null
# for none), with the share of points the thin line may keep at most: a
# step response and a saturated command keep few, a fast oscillation and a
# spiral many; a gap and points off the numbers are kept as the canvas
# draws them.
THIN_CURVES = (
    ('step response', '(i) => [40 + i * 0.63, 250 - 200 * (1 - Math.exp(-i / 150) * Math.cos(i / 40))]', 0.1),
    ('fast oscillation', '(i) => [40 + i * 0.63, 150 + 100 * Math.sin(i / 3) * Math.exp(-i / 600)]', 0.7),
    ('saturated command', '(i) => [40 + i * 0.63, Math.max(50, Math.min(250, 150 + 300 * Math.sin(i / 100)))]', 0.05),
    ('spiral', '(i) => [350 + (10 + i / 8) * Math.cos(i / 30), 150 + (10 + i / 8) * Math.sin(i / 30)]', 0.4),
    ('back and forth', '(i) => [350 + 200 * Math.sin(i / 50), 150 + 0.01 * i]', 0.05),
    ('gap and infinities', '(i) => (i > 400 && i < 450 ? null : [40 + i * 0.63, i % 97 ? 150 + 90 * Math.sin(i / 80) : Infinity])', 0.1),
)

# Draws each curve of THIN_CURVES whole and through thin_line.js (read from
# the sources), 2 px wide: how many points the thin line kept, the worst
# difference of coverage (0-255) on a pixel, and the share of the line's
# pixels that differ by more than a quarter. Tolerated: half a pixel's
# coverage, on 2 % of the pixels at most (where a line turns back on itself).
THIN_JS = '''
const [source, curves, done] = arguments;
import('data:text/javascript;base64,' + source).then(({ thinLine }) => done(curves.map((curve) => {
  const at = eval(curve);
  const points = Array.from({ length: 1000 }, (_, i) => at(i));
  const whole = new Path2D();
  let open = false;
  for (const p of points) {
    if (p === null) open = false;
    else if (open) whole.lineTo(...p);
    else if (Number.isFinite(p[0] + p[1])) { whole.moveTo(...p); open = true; }
  }
  const thin = new Path2D();
  let kept = 0;
  const counted = { moveTo: (x, y) => { ++kept; thin.moveTo(x, y); }, lineTo: (x, y) => { ++kept; thin.lineTo(x, y); } };
  thinLine(counted, points.length, (i) => (points[i] ? points[i][0] : null), (i) => (points[i] ? points[i][1] : null));
  const drawn = (path) => {
    const g = Object.assign(document.createElement('canvas'), { width: 700, height: 300 }).getContext('2d');
    Object.assign(g, { lineWidth: 2, lineJoin: 'round' }).stroke(path);
    return g.getImageData(0, 0, 700, 300).data;
  };
  const a = drawn(whole), b = drawn(thin);
  let worst = 0, off = 0, line = 0;
  for (let i = 3; i < a.length; i += 4) {
    worst = Math.max(worst, Math.abs(a[i] - b[i]));
    if (a[i] || b[i]) ++line;
    if (Math.abs(a[i] - b[i]) > 64) ++off;
  }
  return { kept: kept / points.length, worst, off: off / line };
}))).catch((e) => done(String(e)));
'''


def slider_moves(driver, count):
    """Drags the K slider by `count` moves, one a display frame or so, and
    returns each move's cost (ms) from the page's performance measures."""
    driver.execute_script("performance.clearMeasures('antenne:reglage')")
    slider = driver.find_element(By.ID, 'K-glissiere')
    actions = ActionChains(driver, duration=0)
    actions.click_and_hold(slider)
    for i in range(count):
        actions.move_by_offset(1 if i % 40 < 20 else -1, 0).pause(0.02)
    actions.release().perform()
    time.sleep(0.3)
    return sorted(driver.execute_script(
        "return performance.getEntriesByName('antenne:reglage').map((e) => e.duration)"))


def percentile(sorted_values, fraction):
    return sorted_values[min(len(sorted_values) - 1, int(fraction * len(sorted_values)))]


class LaboChecks(DriverChecks):
    def __init__(self, driver, folder, page, program, reference):
        self.d = driver
        self.folder = folder
        self.page = page
        self.program = program
        self.reference = reference

    def open(self, link=None):
        """Opens the page afresh: a new address differing by its fragment alone would not load it again."""
        self.d.get('about:blank')
        self.d.get(pathlib.Path(self.page).as_uri() + ('' if link is None else '#labo?' + link))
        if link is not None:
            self.wait("document.querySelector('#chiffres td') !== null", 'the laboratory never showed its figures')

    def address(self):
        return urllib.parse.unquote(self.js('return location.hash'))

    def the_page_model_is_the_native_one(self):
        self.open()
        page = self.d.execute_async_script(COMPUTE_JS, SETUPS)
        check(isinstance(page, list), f'the page\'s model failed: {page}')
        for link, mine, theirs in zip(SETUPS, page, native(self.reference, *SETUPS)):
            check(len(mine['samples']) > 100, f'{link}: only {len(mine["samples"])} numbers')
            close(mine, theirs, link)

    def a_link_restores_its_set_up(self):
        link = ('regulateur=PID&K=120&Ti=3&Td=0.4&N=8&antisaturation=0&entree=rampe&amplitude=30&pente=-5'
                '&vent=2.5&debutVent=4&dureeVent=3&saturation=50&duree=15')
        self.open(link)
        check(self.address() == '#labo?' + link, f'the address became {self.address()}')
        shown = self.js(CONTROLS_JS)
        for pair in link.split('&'):
            name, value = pair.split('=')
            check(shown[name] == value.replace('.', ','), f'{name} shows {shown[name]!r}, the link says {value}')
        check(self.js("return document.getElementById('labo-message').hidden"), 'a message for a good link')
        check(self.js("return document.getElementById('onglet-labo').getAttribute('aria-selected')") == 'true',
              'the laboratory\'s tab is not the one selected')
        # A value typed as French writes it, thousands apart, is taken.
        self.js("const k = document.getElementById('K'); k.value = '1\u00a0500,5';"
                "k.dispatchEvent(new Event('change'))")
        check('K=1500.5&' in self.address(), f'typed "1 500,5", the address became {self.address()}')

    def a_bad_value_is_reported_and_falls_back(self):
        self.open('K=abc&regulateur=PD&duree=60&inconnu=3')
        text = self.js("const m = document.getElementById('labo-message'); return m.hidden ? '' : m.textContent")
        for named in ('«\u00a0K=abc\u00a0»', '«\u00a0regulateur=PD\u00a0»', '«\u00a0inconnu\u00a0»'):
            check(named in text, f'{named} is not reported in {text!r}')
        shown = self.js(CONTROLS_JS)
        check((shown['K'], shown['regulateur'], shown['duree']) == ('10', 'P', '60'), f'controls: {shown}')
        check('K=10&' in self.address() and 'duree=60' in self.address(), f'address {self.address()}')

    def a_slider_moves_curves_figures_and_address(self):
        self.open('K=64.2')
        before = (self.address(), self.js(TABLE_JS, '#chiffres'),
                  self.js("return document.querySelector('#courbe-position canvas').toDataURL()"))
        slider_moves(self.d, 30)
        after = (self.address(), self.js(TABLE_JS, '#chiffres'),
                 self.js("return document.querySelector('#courbe-position canvas').toDataURL()"))
        check(after[0] != before[0] and 'K=64.2&' not in after[0], f'the address stayed {after[0]}')
        check(after[1][0] != before[1][0], f'the overshoot stayed {after[1][0]}')
        check(after[2] != before[2], 'the curves did not change')
        # What the page shows is the model's for the address it wrote.
        link = after[0][len('#labo?'):]
        reference = native(self.reference, link)[0]['report']
        check(after[1][0][1] == reference['figures'][0]['text'], f'{after[1][0]} against {reference["figures"][0]}')
        # While the slider is held the run waits where it stands; let go, it plays again.
        transport = "return ['pause', 'position'].map((id) => document.getElementById(id).textContent)"
        ActionChains(self.d, duration=0).click_and_hold(self.d.find_element(By.ID, 'K-glissiere')) \
            .move_by_offset(2, 0).perform()
        held = self.js(transport)
        time.sleep(0.3)
        check(held[0] == 'Lecture' and self.js(transport) == held, f'held, the transport went {held} -> {self.js(transport)}')
        ActionChains(self.d).release().perform()
        self.wait("document.getElementById('pause').textContent === 'Pause'", 'the run did not play once let go')

    def the_views_moved_to_are_drawn_as_afresh(self):
        # The views keep their axes from one move to the next while they stay
        # as they were. With every view on screen, after a gain typed far
        # away and moves from there, Bode, Black and Nyquist are what a page
        # opened at the address draws afresh (the complex plane keeps its
        # frame as K moves, and the curves follow the run's moment).
        self.d.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                               {'width': 1400, 'height': 3400, 'deviceScaleFactor': 1, 'mobile': False})
        try:
            self.open('K=64.2')
            slider_moves(self.d, 20)
            self.js("const k = document.getElementById('K'); k.value = '900'; k.dispatchEvent(new Event('change'))")
            slider_moves(self.d, 10)
            moved = self.js(FREQUENCY_PIXELS_JS)
            self.open(self.address()[len('#labo?'):])
            fresh = self.js(FREQUENCY_PIXELS_JS)
        finally:
            self.d.execute_cdp_cmd('Emulation.clearDeviceMetricsOverride', {})
        check(len(moved) == 4, f'{len(moved)} frequency views\' canvases')
        for (view, *size, mine), (_, *fresh_size, theirs) in zip(moved, fresh):
            mine, theirs = base64.b64decode(mine), base64.b64decode(theirs)
            worst = max((abs(a - b) for a, b in zip(mine, theirs)), default=0) if size == fresh_size else 255
            check(worst <= 8, f'{view}: after the moves, {worst} of 255 away from a fresh page\'s on a pixel')

    def the_figures_shown_are_the_native_models(self):
        for link in ('K=64.2', 'preset=perturbationPI', 'regulateur=PI&K=200&Ti=1&amplitude=150&duree=20',
                     'preset=instabilite'):
            self.open(link)
            reference = native(self.reference, link)[0]['report']
            figures = [text for _, text in self.js(TABLE_JS, '#chiffres')]
            check(figures == [f['text'] for f in reference['figures']], f'{link}: {figures}')
            lines = self.js(TABLE_JS, '#analyse')
            check(lines == reference['analysis']['lines'], f'{link}: {lines}')

    def the_csv_export_is_antenne_export_labos(self):
        link = 'regulateur=PI&K=64.2&Ti=4&amplitude=0&vent=1&debutVent=2&duree=20'
        downloads = os.path.join(self.folder, 'téléchargements')
        os.makedirs(downloads, exist_ok=True)
        self.d.execute_cdp_cmd('Page.setDownloadBehavior', {'behavior': 'allow', 'downloadPath': downloads})
        self.open(link)
        self.d.find_element(By.ID, 'exporter-csv').click()
        name = 'antenne-labo-PI-K64,2-Ti4-vent1.csv'
        path = os.path.join(downloads, name)
        end = time.monotonic() + 10
        while not os.path.exists(path):
            check(time.monotonic() < end, f'no {name} among the downloads: {os.listdir(downloads)}')
            time.sleep(0.05)
        time.sleep(0.2)
        theirs = os.path.join(self.folder, 'labo.csv')
        export(self.program, 'labo', link, theirs)
        with open(path, 'rb') as mine, open(theirs, 'rb') as written:
            check(mine.read() == written.read(), 'the page\'s CSV differs from antenne-export labo\'s')

    def a_phone_neither_scrolls_sideways_and_takes_a_tap(self):
        self.d.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                               {'width': 390, 'height': 844, 'deviceScaleFactor': 3, 'mobile': True})
        self.d.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': True, 'maxTouchPoints': 5})
        try:
            for link in (None, 'K=64.2'):
                self.open(link)
                time.sleep(0.3)
                wide = self.js('return [document.documentElement.scrollWidth, innerWidth]')
                check(wide[0] <= wide[1], f'{"scenes" if link is None else "laboratory"}: {wide[0]} px wide in {wide[1]}')
                if link is None:
                    box = self.js("return document.getElementById('image').getBoundingClientRect().toJSON()")
                    check(box['left'] >= 0 and box['right'] <= wide[1] and box['width'] > 300,
                          f'the scenes\' picture is not whole: {box}')
            preset = self.d.find_element(By.CSS_SELECTOR, '[data-preset="oscillatoire"]')
            self.js('arguments[0].scrollIntoView({block: "center"})', preset)
            finger = PointerInput(interaction.POINTER_TOUCH, 'doigt')
            tap = ActionBuilder(self.d, mouse=finger)
            tap.pointer_action.move_to(preset).pointer_down().pause(0.05).pointer_up()
            tap.perform()
            self.wait("location.hash.includes('preset=oscillatoire')", 'the tap on a preset did nothing')
            check('K=200&' in self.address(), f'the preset set {self.address()}')
        finally:
            self.d.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': False})
            self.d.execute_cdp_cmd('Emulation.clearDeviceMetricsOverride', {})

    def the_picture_follows_the_run_and_goes_full_screen(self):
        self.open('K=200')
        reference = native(self.reference, 'K=200')[0]['samples']
        canvas = "return document.getElementById('labo-image').toDataURL()"
        shown = {}
        for key, sample in ((Keys.HOME, 0), (Keys.END, len(reference) // 8 - 1)):
            ActionChains(self.d).send_keys(key).perform()
            position = reference[8 * sample + 2]
            text = f'{position:.1f}'.replace('.', ',').replace('-0,0', '0,0')
            readout = self.js("return document.getElementById('labo-valeurs').textContent")
            check(f'position {text}°' in readout, f'at sample {sample} the readout says {readout!r}, the run {position}')
            shown[key] = self.js(canvas)
        check(shown[Keys.HOME] != shown[Keys.END], 'the dish did not move between the start and the end')
        # Space presses the laboratory's own buttons, not the transport's pause.
        self.d.find_element(By.ID, 'garder').click()
        ActionChains(self.d).send_keys(' ').perform()
        check(self.js("return document.getElementById('outils-etat').textContent") == 'Courbe gardée (2).',
              'Space on "Garder la courbe" did not keep a second curve')
        self.js('document.activeElement.blur()')
        ActionChains(self.d).send_keys('f').perform()
        self.wait("document.fullscreenElement === document.getElementById('vue-labo')", 'no full screen for the laboratory')
        ActionChains(self.d).send_keys('f').perform()
        self.wait('document.fullscreenElement === null', 'full screen does not end')

    def a_curve_s_thin_line_draws_its_pixels(self):
        source = pathlib.Path(__file__).resolve().parents[2] / 'web' / 'views' / 'thin_line.js'
        self.d.get('about:blank')
        found = self.d.execute_async_script(THIN_JS, base64.b64encode(source.read_bytes()).decode(),
                                            [curve for _, curve, _ in THIN_CURVES])
        check(isinstance(found, list), f'thin_line.js: {found}')
        for (name, _, share), r in zip(THIN_CURVES, found):
            check(r['kept'] <= share, f'{name}: the thin line kept {r["kept"]:.0%} of the points')
            check(r['worst'] <= 128 and r['off'] <= 0.02,
                  f'{name}: the thin line differs from the whole by {r["worst"]} of 255 on a pixel, '
                  f'by more than a quarter on {r["off"]:.1%} of the line\'s pixels')

    def a_slider_move_costs_less_than_a_frame(self):
        self.open('K=64.2')
        costs = slider_moves(self.d, 100)
        check(len(costs) >= 90, f'{len(costs)} moves measured')
        median, worst = statistics.median(costs), percentile(costs, 0.95)
        print(f'  100 slider moves: median {median:.1f} ms, 95th percentile {worst:.1f} ms')
        # The target is one display frame (16.7 ms), met here with room to
        # spare on a quiet machine (--figures measures it); the check allows
        # two frames, for a busy one, and still catches a page that got
        # slower at heart.
        check(median <= 33.4, f'a slider move costs {median:.1f} ms (median)')

    def nothing_fetched_and_no_console_errors(self):
        self.d.get_log('performance')
        self.d.get_log('browser')
        self.open('K=64.2')
        self.d.execute_async_script(COMPUTE_JS, SETUPS[:1])
        self.d.find_element(By.ID, 'onglet-scenes').click()
        self.d.find_element(By.ID, 'onglet-labo').click()
        time.sleep(0.3)
        events = (json.loads(entry['message'])['message'] for entry in self.d.get_log('performance'))
        requested = [event['params']['request']['url'] for event in events
                     if event['method'] == 'Network.requestWillBeSent']
        check(requested == [pathlib.Path(self.page).as_uri()], f'requests: {requested}')
        logged = self.d.get_log('browser')
        check(logged == [], f'console: {logged}')


# The checks chromium.py runs, in this order. The slider's cost is timed
# with the machine otherwise idle: the chromium test runs alone.
CHECKS = (
    'the_page_model_is_the_native_one', 'a_link_restores_its_set_up', 'a_bad_value_is_reported_and_falls_back',
    'a_slider_moves_curves_figures_and_address', 'the_views_moved_to_are_drawn_as_afresh',
    'the_figures_shown_are_the_native_models',
    'the_csv_export_is_antenne_export_labos', 'a_phone_neither_scrolls_sideways_and_takes_a_tap',
    'the_picture_follows_the_run_and_goes_full_screen', 'a_curve_s_thin_line_draws_its_pixels',
    'a_slider_move_costs_less_than_a_frame', 'nothing_fetched_and_no_console_errors')


# The set-ups whose slider moves --figures times: 1.7's, then the presets
# of the sampled corrector, the delay, dry friction and backlash.
TIMED = ('K=64.2', 'preset=echantillonnage', 'preset=retardPur', 'preset=frottement', 'preset=jeu')


def figures(program, runs):
    """The page's size, and the cost of 100 slider moves on each set-up
    of TIMED in each of `runs` browsers."""
    folder = tempfile.mkdtemp(prefix='antenne-labo-')
    page = os.path.join(folder, 'antenne.html')
    export(program, 'page', page)
    print(f'page at scale 1: {os.path.getsize(page)} bytes')
    for _ in range(runs):
        driver = browser()
        try:
            for link in TIMED:
                driver.get('about:blank')
                driver.get(pathlib.Path(page).as_uri() + '#labo?' + link)
                time.sleep(1)
                costs = slider_moves(driver, 100)
                print(f'{link}: 100 slider moves: median {statistics.median(costs):.1f} ms, '
                      f'95th percentile {percentile(costs, 0.95):.1f} ms, largest {costs[-1]:.1f} ms')
        finally:
            driver.quit()


def main():
    if len(sys.argv) < 4 or sys.argv[3] != '--figures':
        sys.exit(__doc__)
    skip_without_browser()
    figures(sys.argv[1], 3)


if __name__ == '__main__':
    main()
