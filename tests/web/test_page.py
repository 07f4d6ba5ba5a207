#!/usr/bin/env python3
"""The web page that antenne-export writes, in a real browser.

Headless Chromium, driven by Selenium, opens pages written by the
antenne-export under test from file:// and checks that the page needs nothing
else, shows exactly the exporter's pictures (compared pixel for pixel with
its PNGs of the same frames) and behaves as the program does, and that the
teacher's controls, keys, full screen and high-density canvas work. The
checks run from chromium.py, with the other suites, in one browser.

  test_page.py ANTENNE_EXPORT --figures [RUNS] prints the page's size and its time to
                                               the first picture, RUNS times (default 5)
"""
import base64
import concurrent.futures
import functools
import http.server
import json
import os
import pathlib
import shutil
import sys
import tempfile
import threading
import time

from browser import DriverChecks, browser, check, export, page_data, skip_without_browser

try:
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
except ImportError:
    pass  # skip_without_browser() says so

CAPTION = "Asservissement de position d'une antenne"
# The program's buttons in their order: scenario, caption, x and width in
# the window, whose buttons sit at y 496 (8 px below the picture), 25 high.
BUTTONS = [
    ('presentation', 'Présentation', 16, 75),
    ('aperiodique', 'Réponse Indicielle Apériodique', 96, 161),
    ('oscillatoire', 'Rép. Ind. Oscillatoire Amortie', 264, 161),
    ('instabilite', 'Instabilité Oscillatoire', 432, 121),
    ('rampe', 'Réponse à une Rampe', 560, 129),
    ('perturbation', 'Perturbation', 696, 75),
]
NAMES = [b[0] for b in BUTTONS]

# Compares a PNG (base64) with the canvas as toDataURL gives it, or with a
# screenshot (base64) in which the picture sits at (left, top) enlarged
# `zoom` times. Returns the number of picture pixels that differ, or a
# message. The images are decoded without any colour conversion.
COMPARE_JS = r'''
const [reference, shot, left, top, zoom, done] = arguments;
const bitmap = (b64) => {
  const text = atob(b64);
  const bytes = Uint8Array.from(text, (c) => c.charCodeAt(0));
  return createImageBitmap(new Blob([bytes], {type: 'image/png'}),
                           {colorSpaceConversion: 'none', premultiplyAlpha: 'none'});
};
const pixels = (b) => {
  const g = new OffscreenCanvas(b.width, b.height).getContext('2d');
  g.drawImage(b, 0, 0);
  return g.getImageData(0, 0, b.width, b.height);
};
(async () => {
  const want = pixels(await bitmap(reference));
  const got = pixels(await bitmap(shot || document.getElementById('image').toDataURL('image/png').split(',')[1]));
  if (!shot && (got.width !== want.width || got.height !== want.height))
    return `canvas ${got.width} x ${got.height}, picture ${want.width} x ${want.height}`;
  let differ = 0;
  for (let y = 0; y < want.height * zoom; ++y)
    for (let x = 0; x < want.width * zoom; ++x) {
      const w = 4 * (Math.floor(y / zoom) * want.width + Math.floor(x / zoom));
      const g = 4 * ((top + y) * got.width + left + x);
      if (want.data[w] !== got.data[g] || want.data[w + 1] !== got.data[g + 1] || want.data[w + 2] !== got.data[g + 2])
        ++differ;
    }
  return differ;
})().then(done, (e) => done(String(e)));
'''

STATE_JS = '''
const slider = document.getElementById('curseur');
return {frame: Number(slider.value), frames: Number(slider.max),
        playing: document.getElementById('pause').textContent === 'Pause',
        text: document.getElementById('position').textContent};
'''


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *_):
        pass


class PageChecks(DriverChecks):
    def __init__(self, driver, folder, pictures):
        self.d = driver
        self.folder = folder
        self.pictures = pictures  # (scenario, frame or 'end', scale) -> PNG in base64
        self.frames = {s['name']: s['frames'] for s in page_data(os.path.join(folder, 'antenne.html'))['scenarios']}

    # ---- helpers --------------------------------------------------------
    def open(self, name):
        self.d.get(pathlib.Path(self.folder, name).as_uri())
        self.wait("!document.getElementById('curseur').disabled", 'the page never finished loading')

    def state(self):
        return self.js(STATE_JS)

    def keys(self, *keys):
        ActionChains(self.d).send_keys(*keys).perform()

    def button(self, selector):
        return self.d.find_element(By.CSS_SELECTOR, selector)

    def scenario_button(self, name):
        return self.d.find_elements(By.CSS_SELECTOR, '#scenarios button')[NAMES.index(name)]

    def click_from_script(self, name):
        """Clicks a scenario's button from a script: the click's first
        picture is on the canvas when the script returns, before any tick."""
        self.js("document.querySelectorAll('#scenarios button')[arguments[0]].click()", NAMES.index(name))

    def slide_to(self, frame):
        self.js("const s = document.getElementById('curseur');"
                "s.value = arguments[0]; s.dispatchEvent(new Event('input'));", frame)

    def picture(self, name, frame, scale=1):
        return self.pictures[(name, 'end' if frame == self.frames[name] else frame, scale)]

    def shows(self, name, frame, scale=1, shot=None, left=0, top=0, zoom=1):
        differ = self.d.execute_async_script(COMPARE_JS, self.picture(name, frame, scale), shot, left, top, zoom)
        check(differ == 0, f'{name} frame {frame}: {differ} pixels differ from the exporter\'s picture')

    def at(self, name, frame, playing=False):
        state = self.state()
        check((state['frames'], state['frame'], state['playing']) == (self.frames[name], frame, playing),
              f'expected {name} at frame {frame} ({"playing" if playing else "paused"}), found {state}')

    # ---- checks ----------------------------------------------------------
    def opens_offline_on_the_startup_picture(self):
        self.open('antenne.html')
        check(self.js('return document.documentElement.lang') == 'fr', 'the page is not in French')
        check(self.d.title == CAPTION, f'title {self.d.title!r}')
        size = self.js("const c = document.getElementById('image'), r = c.getBoundingClientRect();"
                       "return [c.width, c.height, r.width, r.height]")
        check(size == [800, 488, 800, 488], f'canvas and its size on the page: {size}')
        self.shows('presentation', self.frames['presentation'])
        self.at('presentation', self.frames['presentation'])

    def buttons_sit_as_in_the_window(self):
        placed = self.js('''const c = document.getElementById('image').getBoundingClientRect();
            return Array.from(document.querySelectorAll('#scenarios button'), (b) => {
              const r = b.getBoundingClientRect();
              return [b.textContent, r.left - c.left, r.top - c.bottom, r.width, r.height]; });''')
        check(placed == [[caption, x, 8, width, 25] for _, caption, x, width in BUTTONS], f'buttons: {placed}')

    def controls_have_french_tooltips_and_take_the_keyboard(self):
        controls = self.js('''return Array.from(document.querySelectorAll('#commandes button, #commandes input'),
            (e) => [e.id || e.textContent, e.title, e.tabIndex, e.disabled]);''')
        check(len(controls) == 10, f'{len(controls)} controls')
        for name, title, tab, disabled in controls:
            check(title and tab >= 0 and not disabled, f'control {name}: tooltip {title!r}, tab index {tab}')

    def every_scenario_shows_the_exporters_pictures(self):
        for name in NAMES:
            last, middle = self.frames[name], self.frames[name] // 2
            self.click_from_script(name)
            self.shows(name, 0)
            self.slide_to(middle)
            self.at(name, middle)
            self.shows(name, middle)
            self.keys(Keys.END)
            self.at(name, last)
            self.shows(name, last)
            self.keys(Keys.HOME)
            self.at(name, 0)
            self.shows(name, 0)

    def a_click_abandons_the_scene_playing(self):
        self.scenario_button('perturbation').click()
        time.sleep(0.3)
        self.click_from_script('aperiodique')
        self.shows('aperiodique', 0)
        time.sleep(0.3)
        self.scenario_button('presentation').click()
        self.wait("document.getElementById('curseur').value === '1'", 'the presentation never ended')
        time.sleep(0.3)  # nothing of the abandoned scenes is drawn any more
        self.at('presentation', 1)
        self.shows('presentation', 1)

    def scenes_play_in_time_at_each_speed(self):
        # Speed, scenario, the frame waited for, and when it is due.
        for speed, name, frame, due in (('×1', 'aperiodique', 40, 4000), ('×2', 'oscillatoire', 60, 3000),
                                        ('×0,5', 'rampe', 10, 2000)):
            self.d.find_element(By.XPATH, f'//button[text()="{speed}"]').click()
            elapsed = self.d.execute_async_script('''const [index, frame, done] = arguments;
                const slider = document.getElementById('curseur');
                const start = performance.now();
                document.querySelectorAll('#scenarios button')[index].click();
                const poll = setInterval(() => { if (Number(slider.value) >= frame) {
                    clearInterval(poll); done(performance.now() - start); } }, 5);''', NAMES.index(name), frame)
            check(due - 20 <= elapsed <= due * 1.15 + 150, f'{name} at {speed}: frame {frame} after {elapsed:.0f} ms')
            if frame == self.frames[name]:  # at the end, the last picture stays
                time.sleep(0.3)
                self.at(name, frame)
                self.shows(name, frame)
        self.d.find_element(By.XPATH, '//button[text()="×1"]').click()

    def space_pauses_and_resumes_even_after_a_click(self):
        # The clicked button keeps the focus: Space must not press it again.
        self.scenario_button('instabilite').click()
        time.sleep(0.25)
        self.keys(Keys.SPACE)
        paused = self.state()
        time.sleep(0.3)
        check(not paused['playing'] and paused['frame'] > 0 and self.state() == paused,
              f'Space did not pause: {paused} then {self.state()}')
        self.keys(Keys.SPACE)
        time.sleep(0.3)
        check(self.state()['playing'] and self.state()['frame'] > paused['frame'], 'Space did not resume')
        self.button('#pause').click()
        paused = self.state()
        time.sleep(0.3)
        check(not paused['playing'] and self.state() == paused, 'the pause button did not pause')

    def stepping_and_seeking_pause_on_the_right_frame(self):
        name, last = 'oscillatoire', self.frames['oscillatoire']
        middle = last // 2
        self.scenario_button(name).click()
        time.sleep(0.15)
        self.keys(Keys.ARROW_RIGHT)  # stepping pauses a scene that plays
        self.at(name, self.state()['frame'])
        self.slide_to(middle + 1)
        seconds = f'{middle / 10:.1f}'.replace('.', ',')
        # Each step: a key or a control, then the frame shown; pictures are
        # compared where the exporter's are at hand.
        for action, frame in ((Keys.ARROW_LEFT, middle), (Keys.ARROW_RIGHT, middle + 1), ('#precedente', middle),
                              ('#fin', last), (Keys.ARROW_RIGHT, last), ('#debut', 0), (Keys.ARROW_LEFT, 0),
                              ('#suivante', 1), (Keys.END, last), (Keys.HOME, 0)):
            if action.startswith('#'):
                self.button(action).click()
            else:
                self.keys(action)
            self.at(name, frame)
            if frame in (0, middle, last):
                self.shows(name, frame)
            if frame == middle:
                text = self.state()['text']
                check(text == f'{middle} / {last} · {seconds} s', f'position shown as {text!r}')

    def full_screen_enlarges_by_whole_numbers_with_sharp_pixels(self):
        self.open('antenne.html')
        for enter, leave in (('f', 'F'), ('#plein-ecran', 'f')):
            if enter.startswith('#'):
                self.button(enter).click()
            else:
                self.keys(enter)
            self.wait('document.fullscreenElement === document.getElementById("antenne")', 'no full screen')
            time.sleep(0.2)
            box = self.js("const r = document.getElementById('image').getBoundingClientRect();"
                          "return [r.left, r.top, r.width, r.height, innerWidth, innerHeight]")
            zoom = box[2] / 800
            check(zoom == int(zoom) and zoom >= 2 and box[3] == 488 * zoom, f'canvas in full screen: {box}')
            check(box[0] >= 0 and box[1] >= 0 and box[0] + box[2] <= box[4] and box[1] + box[3] <= box[5],
                  f'the picture leaves the screen: {box}')
            self.shows('presentation', 1, shot=self.d.get_screenshot_as_base64(),
                       left=int(box[0]), top=int(box[1]), zoom=int(zoom))
            self.keys(leave)
            self.wait('document.fullscreenElement === null', 'full screen does not end')
            time.sleep(0.2)
            width = self.js("return document.getElementById('image').getBoundingClientRect().width")
            check(width == 800, f'after full screen the canvas is {width} px wide')

    def twice_the_pixels_at_scale_two(self):
        self.open('antenne-2.html')
        size = self.js("const c = document.getElementById('image'), r = c.getBoundingClientRect();"
                       "return [c.width, c.height, r.width, r.height, r.left, r.top]")
        check(size[:4] == [1600, 976, 800, 488], f'canvas and its size on the page: {size}')
        self.keys(Keys.HOME)
        self.shows('presentation', 0, scale=2)
        # On a high-density screen each of the canvas's pixels is one of the screen's.
        self.d.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                               {'width': 1000, 'height': 800, 'deviceScaleFactor': 2, 'mobile': False})
        try:
            time.sleep(0.2)
            self.shows('presentation', 0, scale=2, shot=self.d.get_screenshot_as_base64(),
                       left=2 * int(size[4]), top=2 * int(size[5]))
        finally:
            self.d.execute_cdp_cmd('Emulation.clearDeviceMetricsOverride', {})

    def nothing_fetched_and_no_console_errors(self):
        # From file://, Chromium's resource timing lists nothing whatever is
        # fetched: the requests are read from its network log instead.
        self.d.get_log('performance')
        names = ('antenne.html', 'antenne-2.html')
        for name in names:
            self.open(name)
        events = (json.loads(entry['message'])['message'] for entry in self.d.get_log('performance'))
        requested = [event['params']['request']['url'] for event in events
                     if event['method'] == 'Network.requestWillBeSent']
        check(requested == [pathlib.Path(self.folder, name).as_uri() for name in names], f'requests: {requested}')
        # Served by a web server, as from a learning platform, the page's
        # resource timing is filled in too.
        handler = functools.partial(QuietHandler, directory=self.folder)
        with http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler) as server:
            threading.Thread(target=server.serve_forever, daemon=True).start()
            try:
                self.d.get(f'http://127.0.0.1:{server.server_address[1]}/antenne.html')
                self.wait("!document.getElementById('curseur').disabled", 'the served page never finished loading')
                self.shows('presentation', self.frames['presentation'])
                fetched = self.js("return performance.getEntriesByType('resource').map((e) => e.name)")
                check(fetched == [], f'the served page fetched {fetched}')
            finally:
                server.shutdown()
        errors = [entry for entry in self.d.get_log('browser') if entry['level'] == 'SEVERE']
        check(errors == [], f'console errors: {errors}')


# The checks chromium.py runs, in this order.
CHECKS = (
    'opens_offline_on_the_startup_picture', 'buttons_sit_as_in_the_window',
    'controls_have_french_tooltips_and_take_the_keyboard',
    'every_scenario_shows_the_exporters_pictures', 'a_click_abandons_the_scene_playing',
    'scenes_play_in_time_at_each_speed', 'space_pauses_and_resumes_even_after_a_click',
    'stepping_and_seeking_pause_on_the_right_frame',
    'full_screen_enlarges_by_whole_numbers_with_sharp_pixels', 'twice_the_pixels_at_scale_two',
    'nothing_fetched_and_no_console_errors')


def make_pages_and_pictures(program, folder):
    """The pages at scale 1 and 2, and the exporter's PNGs of each scenario's
    first, middle and last frames (in base64), made two at a time."""
    jobs = {}
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        pages = [pool.submit(export, program, 'page', os.path.join(folder, 'antenne.html')),
                 pool.submit(export, program, 'page', os.path.join(folder, 'antenne-2.html'), '--scale', '2')]
        pages[0].result()
        frames = {s['name']: s['frames'] for s in page_data(os.path.join(folder, 'antenne.html'))['scenarios']}
        wanted = [(name, frame, 1) for name in NAMES for frame in (0, frames[name] // 2, 'end')]
        wanted.append(('presentation', 0, 2))
        for name, frame, scale in wanted:
            path = os.path.join(folder, f'{name}-{frame}-{scale}.png')
            arguments = [name, path, '--scale', str(scale)] + ([] if frame == 'end' else ['--frame', str(frame)])
            jobs[(name, frame, scale)] = (path, pool.submit(export, program, *arguments))
        pages[1].result()
    pictures = {}
    for key, (path, job) in jobs.items():
        job.result()
        with open(path, 'rb') as png:
            pictures[key] = base64.b64encode(png.read()).decode()
    return pictures


def figures(program, runs):
    """The page's size and, over several runs, the time from opening it to
    its first picture (the mark the page sets once it is drawn): from the
    start of navigation, and from the driver's request, in a browser just
    started and again in the same browser."""
    folder = tempfile.mkdtemp(prefix='antenne-page-')
    try:
        path = os.path.join(folder, 'antenne.html')
        export(program, 'page', path)
        print(f'page at scale 1: {os.path.getsize(path)} bytes')
        mark = "return performance.getEntriesByName('antenne:premiere-image').map((e) => e.startTime)[0]"
        times = {'just started': [], 'running': []}
        for _ in range(runs):
            driver = browser()
            try:
                for when in times:
                    start = time.monotonic()
                    driver.get(pathlib.Path(path).as_uri())
                    while driver.execute_script(mark) is None:
                        time.sleep(0.005)
                    times[when].append((driver.execute_script(mark), (time.monotonic() - start) * 1000))
            finally:
                driver.quit()
        for when, pairs in times.items():
            marks, walls = [m for m, _ in pairs], [w for _, w in pairs]
            print(f'first picture, browser {when}, {runs} runs: {min(marks):.0f} to {max(marks):.0f} ms after '
                  f'navigation start, {min(walls):.0f} to {max(walls):.0f} ms after the driver asked for the page')
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    if len(sys.argv) < 3 or sys.argv[2] != '--figures':
        sys.exit(__doc__)
    skip_without_browser()
    figures(sys.argv[1], int(sys.argv[3]) if len(sys.argv) > 3 else 5)


if __name__ == '__main__':
    main()
