"""The laboratory's stability views in a real browser (headless Chromium on
the page antenne-export writes, from file://), against the native model
(labo_reference): the poles drawn on the complex plane are the model's, and
so is the root locus at its own gains; a click, the keys or a finger's tap
on the locus sets its gain, in the K field and in the address, and the zoom
chosen with the mouse stays; the margins Bode draws are the model's, in value
and in pulsation; on a phone held upright (390 x 844) the views fit without
scrolling sideways. The views expose what they draw on their holders
(antenneVue, described in plane.js and bode.js). And the exercises a link
sets: a goal met and one not met (how far and which way), a right and a
wrong prediction and the answer, a held control, a bad exercise reported,
and "Créer un exercice" writing a link that opens on it. The checks run
from chromium.py, with the other suites, in one browser.
"""
import math
import os
import pathlib
import re
import time
import urllib.parse

from browser import check
from test_labo import LaboChecks, close, native

try:
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.actions import interaction
    from selenium.webdriver.common.actions.action_builder import ActionBuilder
    from selenium.webdriver.common.actions.pointer_input import PointerInput
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
except ImportError:
    pass  # skip_without_browser() says so

P = 'K=64.2'
PID = 'regulateur=PID&K=120&Ti=3&Td=0.4&N=8'
# The locus's gains: 500, log spaced from 1 to 10 000.
STEP = 10000 ** (1 / 499)

PLANE = "document.getElementById('plan-complexe').antenneVue"

# A point of the locus well inside the plot, at least 40 px from every other
# branch and a pixel from its neighbours on its own, at the gain nearest
# arguments[0]: where a pointer can only mean it, to a gains' step. Its
# `spacing` is the distance to its nearer neighbour (px).
POINT_JS = '''
const vue = ''' + PLANE + ''';
const over = document.querySelector('#plan-complexe .u-over').getBoundingClientRect();
const branches = [];
for (let b = 0; ; ++b) {
  try { vue.locusPoint(b, 0); } catch (e) { break; }
  branches.push(Array.from({ length: 500 }, (_, i) => vue.locusPoint(b, i)));
}
let best = null;
branches.forEach((points, b) => points.forEach((p, i) => {
  if (p.x < over.left + 30 || p.x > over.right - 30 || p.y < over.top + 30 || p.y > over.bottom - 30) return;
  const [before, after] = [points[i - 1], points[i + 1]];
  const spacing = before && after && Math.min(Math.hypot(before.x - p.x, before.y - p.y), Math.hypot(after.x - p.x, after.y - p.y));
  if (!(spacing >= 1)) return;
  const alone = branches.every((other, c) => c === b || other.every((q) => Math.hypot(q.x - p.x, q.y - p.y) > 40));
  if (alone && (!best || Math.abs(Math.log(p.K / arguments[0])) < Math.abs(Math.log(best.K / arguments[0]))))
    best = { ...p, branch: b, index: i, spacing };
}));
return best;
'''


def french_number(text):
    return float(text.replace('\u00a0', '').replace(',', '.'))


def near(a, b, tolerance):
    return abs(a - b) <= tolerance * max(1, abs(b))


def pointing_tolerance(point):
    """How far the K read at a point may be from the point's own: half a
    pixel of the pointer along the locus, and the rounding to 3 digits."""
    return STEP ** (0.5 / point['spacing']) - 1 + 0.005


READOUT = re.compile(r'K = ([\d ,\u00a0]+) · ζ = (-?[\d,]+) · ωn = ([\d ,\u00a0]+) rad/s')

# The checks chromium.py runs, in this order.
CHECKS = (
    'the_poles_drawn_are_the_models', 'the_locus_chosen_sets_K_and_the_zoom_stays',
    'the_bode_margins_are_the_models', 'a_phone_shows_both_views_and_takes_a_tap',
    'exercises_judge_goals_and_predictions', 'creating_an_exercise_writes_its_link', 'nothing_logged')


class StabilityChecks(LaboChecks):
    def __init__(self, driver, page, reference):
        super().__init__(driver, os.path.dirname(page), page, None, reference)

    def open(self, link):
        self.d.get('about:blank')
        self.d.get(pathlib.Path(self.page).as_uri() + '#labo?' + link)
        self.wait(PLANE + " !== undefined && document.querySelector('#bode canvas') !== null",
                  'the stability views never showed')

    def mouse(self, kind, x, y, buttons=0):
        event = {'type': kind, 'x': x, 'y': y, 'buttons': buttons}
        if kind != 'mouseMoved':
            event.update(button='left', clickCount=1)
        self.d.execute_cdp_cmd('Input.dispatchMouseEvent', event)

    def chosen_K(self, before):
        """The K the field shows once it changed from `before`, the address agreeing."""
        self.wait(f"document.getElementById('K').value !== {before!r}", 'choosing a point of the locus left K as it was')
        field = self.js("return document.getElementById('K').value")
        address = urllib.parse.unquote(self.js('return location.hash'))
        check(f'K={field.replace(",", ".")}&' in address, f'the K field says {field}, the address {address}')
        return french_number(field)

    def the_poles_drawn_are_the_models(self):
        for link in (P, PID):
            self.open(link)
            theirs = native(self.reference, link)[0]['report']['analysis']
            close(self.js(f'return {PLANE}.poles()'), theirs['poles'], f'{link}: poles')
            close(self.js(f'return {PLANE}.zeros()'), theirs['zeros'], f'{link}: zeros')
            # The locus, at one of its gains, goes through the model's poles there.
            at = self.js(f'return {PLANE}.locusAt(arguments[0])', 300)
            poles = native(self.reference, re.sub(r'K=[^&]*', f'K={at["K"]!r}', link))[0]['report']['analysis']['poles']
            check(len(at['poles']) == len(poles), f'{link}: {len(at["poles"])} branches, {len(poles)} poles')
            for re_, im in poles:
                gap = min(math.hypot(re_ - x, im - y) for x, y in at['poles'])
                check(gap <= 1e-7 * max(1, math.hypot(re_, im)),
                      f'{link}: at K = {at["K"]} the locus misses the pole {re_} {im:+}j by {gap}')

    def the_locus_chosen_sets_K_and_the_zoom_stays(self):
        self.open(P)
        over = self.js("const over = document.querySelector('#plan-complexe .u-over'); over.scrollIntoView();"
                       "return over.getBoundingClientRect().toJSON()")
        # A zone dragged out with the mouse, round the upper dominant branch.
        start, end = (over['left'] + over['width'] * 0.42, over['top'] + over['height'] * 0.1), \
                     (over['left'] + over['width'] * 0.62, over['top'] + over['height'] * 0.45)
        self.mouse('mouseMoved', *start)
        self.mouse('mousePressed', *start, buttons=1)
        for f in (0.3, 0.7, 1):
            self.mouse('mouseMoved', start[0] + f * (end[0] - start[0]), start[1] + f * (end[1] - start[1]), buttons=1)
        self.mouse('mouseReleased', *end)
        zoomed = self.js(f'return {PLANE}.view()')
        check(zoomed['mode'] == 'user', f'the drag did not zoom: {zoomed}')
        # Pointing shows the point's K, ζ and ωn; a click takes its K, and the zoom stays.
        point = self.js(POINT_JS, 30)
        check(point is not None, 'no point of the locus alone in the zoomed plot')
        self.mouse('mouseMoved', point['x'], point['y'])
        readout = self.js(f'return {PLANE}.readout()')
        found = READOUT.fullmatch(readout)
        check(found, f'the readout says {readout!r}')
        K, zeta, omega = (french_number(g) for g in found.groups())
        modulus = math.hypot(point['re'], point['im'])
        close_enough = pointing_tolerance(point)
        check(near(K, point['K'], close_enough) and abs(zeta + point['re'] / modulus) <= 0.01 and
              near(omega, modulus, 0.01), f'the readout {readout!r} for the point {point}')
        before = self.js("return document.getElementById('K').value")
        self.mouse('mousePressed', point['x'], point['y'], buttons=1)
        self.mouse('mouseReleased', point['x'], point['y'])
        chosen = self.chosen_K(before)
        check(chosen == K, f'a click where the readout said {readout!r} set K = {chosen}')
        check(self.js(f'return {PLANE}.view()') == zoomed, 'the zoom chosen did not survive the new K')
        # The keys: five steps along the dominant branch from the current K, then Enter.
        start_K = self.js(f'return {PLANE}.locusAt(arguments[0]).K', chosen)
        self.js("document.querySelector('#plan-complexe .plan-trace').focus()")
        ActionChains(self.d).send_keys(Keys.ARROW_RIGHT * 6 + Keys.ARROW_LEFT).perform()
        check(near(float(self.js("return document.querySelector('#plan-complexe .plan-trace').getAttribute('aria-valuenow')")),
                   start_K * STEP ** 5, 0.005), 'the arrow keys did not run along the locus')
        before = self.js("return document.getElementById('K').value")
        ActionChains(self.d).send_keys(Keys.ENTER).perform()
        chosen = self.chosen_K(before)
        check(near(chosen, start_K * STEP ** 5, 0.005), f'Enter set K = {chosen}, five steps from {start_K}')
        # Everything, the chopper's pole included, and back to the dominant poles.
        for button, inside in (('Tout voir', lambda v: v['x'][0] < -100 and v['y'][1] > 20),
                               ('Pôles dominants', lambda v: -20 < v['x'][0] and v['y'][1] < 20)):
            self.d.find_element(By.XPATH, f'//div[@id="plan-complexe"]//button[text()="{button}"]').click()
            view = self.js(f'return {PLANE}.view()')
            check(inside(view), f'{button}: {view}')

    def the_bode_margins_are_the_models(self):
        for link in (P, PID, 'K=5000', 'regulateur=PI&K=64.2&Ti=0.1', 'regulateur=PID&K=10&Ti=0.3&Td=0.5'):
            self.open(link)
            theirs = native(self.reference, link)[0]['report']['analysis']
            shown = self.js("return document.getElementById('bode').antenneVue.margins()")
            gm, pm = theirs['gainMargin'], theirs['phaseMargin']
            if isinstance(gm, (int, float)):
                dB = 20 * math.log10(gm)
                gain = shown['gain']
                check(gain and gain['label'] == f'MG = {dB:.1f} dB'.replace('.', ','), f'{link}: {gain}, MG {dB} dB')
                check(near(gain['omega'], theirs['gainMarginOmega'], 1e-9), f'{link}: MG drawn at {gain["omega"]}')
                # Drawn from the gain curve there, -MG dB (+MG dB when the
                # margin is read lowering K), up to 0 dB.
                curve = dB if theirs['gainMarginBelow'] else -dB
                check(abs(gain['from'] - curve) <= 0.05 and gain['to'] == 0, f'{link}: MG drawn from {gain}')
            else:
                check(shown['gain'] is None and ('infinie' if gm == 'infinite' else 'Pas de marge de gain') in shown['caption'],
                      f'{link}: MG {gm}, shown {shown}')
            check(pm is not None, f'{link}: no phase margin')
            phase = shown['phase']
            check(phase and phase['label'] == f'MP = {pm:.1f}°'.replace('.', ','), f'{link}: {phase}, MP {pm}°')
            check(near(phase['omega'], theirs['phaseMarginOmega'], 1e-9), f'{link}: MP drawn at {phase["omega"]}')
            check(abs(phase['from'] + 180) <= 0.05 and near(phase['to'] - phase['from'], pm, 1e-9),
                  f'{link}: MP drawn from {phase}')

    def a_phone_shows_both_views_and_takes_a_tap(self):
        self.d.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                               {'width': 390, 'height': 844, 'deviceScaleFactor': 3, 'mobile': True})
        self.d.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': True, 'maxTouchPoints': 5})
        try:
            self.open(PID)
            time.sleep(0.3)
            wide = self.js('return [document.documentElement.scrollWidth, innerWidth]')
            check(wide[0] <= wide[1], f'the laboratory is {wide[0]} px wide in {wide[1]}')
            for holder in ('plan-complexe', 'bode'):
                for box in self.js(f"return Array.from(document.querySelectorAll('#{holder} canvas'), "
                                   "(c) => c.getBoundingClientRect().toJSON())"):
                    check(box['left'] >= 0 and box['right'] <= wide[1] and box['width'] > 300 and box['height'] > 120,
                          f'{holder}: a chart at {box}')
            self.js("document.querySelector('#plan-complexe .u-over').scrollIntoView({block: 'center'})")
            point = self.js(POINT_JS, 60)
            check(point is not None, 'no point of the locus alone on the phone')
            over = self.d.find_element(By.CSS_SELECTOR, '#plan-complexe .u-over')
            box = self.js('return arguments[0].getBoundingClientRect().toJSON()', over)
            before = self.js("return document.getElementById('K').value")
            finger = PointerInput(interaction.POINTER_TOUCH, 'doigt')
            tap = ActionBuilder(self.d, mouse=finger)
            tap.pointer_action.move_to(over, round(point['x'] - box['left'] - box['width'] / 2),
                                       round(point['y'] - box['top'] - box['height'] / 2))
            tap.pointer_action.pointer_down().pause(0.05).pointer_up()
            tap.perform()
            chosen = self.chosen_K(before)
            readout = self.js(f'return {PLANE}.readout()')
            found = READOUT.fullmatch(readout)
            check(found and french_number(found.group(1)) == chosen and near(chosen, point['K'], pointing_tolerance(point)),
                  f'a tap on the point {point} set K = {chosen}, the readout saying {readout!r}')
        finally:
            self.d.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': False})
            self.d.execute_cdp_cmd('Emulation.clearDeviceMetricsOverride', {})

    def exercises_judge_goals_and_predictions(self):
        # Goal met, goal not met (how far and which way).
        for link, says in (('K=64.2&exercice=D1:25', 'Réussi'), ('K=200&exercice=D1:25', 'de trop'),
                           ('K=10&exercice=D1:25', 'de moins')):
            self.open(link)
            self.d.find_element(By.ID, 'verifier').click()
            verdict = self.js("return document.getElementById('verdict').textContent")
            check(says in verdict, f'{link}: the verdict reads {verdict!r}')
        # What an exercise holds stays held: the locus reads K but does not
        # set it, and a preset that would change it is not offered. A preset
        # keeps the exercise, and a verdict goes with the set-up it judged.
        self.open('K=64.2&exercice=D1:25&fixe=K')
        self.d.find_element(By.ID, 'verifier').click()
        self.js("document.querySelector('#plan-complexe .plan-trace').focus()")
        ActionChains(self.d).send_keys(Keys.ARROW_RIGHT * 3 + Keys.ENTER).perform()
        check('K=64.2&' in self.js('return location.hash'), f'the locus changed a held K: {self.js("return location.hash")}')
        offered = self.js("return Object.fromEntries(Array.from(document.querySelectorAll('#prereglages button'), "
                          "(b) => [b.dataset.preset, !b.disabled]))")
        check(not offered['oscillatoire'] and offered['rampe'], f'presets offered: {offered}')
        self.d.find_element(By.CSS_SELECTOR, '[data-preset="rampe"]').click()
        check('exercice=D1:25&fixe=K' in self.js('return location.hash'), 'the preset dropped the exercise')
        check(self.js("return document.getElementById('verdict').textContent") == '', 'a verdict outlived its set-up')
        # A question: the critical gain is out of sight until predicted.
        self.open('K=64.2&question=Kcrit')
        check(self.js("return document.getElementById('K-critique').hidden"), 'the critical gain shows on the slider')
        rows = dict(self.js("return Array.from(document.querySelectorAll('#analyse tr'), "
                            "(r) => [r.cells[0].textContent, r.cells[1].textContent])"))
        check(rows['Gain critique'] == 'à prédire', f'the critical gain is shown: {rows["Gain critique"]!r}')
        field = self.d.find_element(By.ID, 'prediction')
        # Thousands set apart by a space, as French writes them, are read.
        for typed, says in (('2000', 'trop faible'), ('0x0A3C', 'Tapez'), ('26 00', 'Tapez'), ('2\u00a0600', 'Juste')):
            field.clear()
            field.send_keys(typed)
            self.d.find_element(By.ID, 'verifier').click()
            verdict = self.js("return document.getElementById('verdict').textContent")
            check(says in verdict, f'prediction {typed}: the verdict reads {verdict!r}')
        self.d.find_element(By.ID, 'voir-reponse').click()
        check('2620,1' in self.js("return document.getElementById('verdict').textContent"), 'no answer shown')
        check(not self.js("return document.getElementById('K-critique').hidden"), 'the critical gain stays hidden')
        # A held control, and a bad exercise: reported, the lab opens without it.
        self.open('K=64.2&fixe=regulateur')
        check(self.js("return Array.from(document.querySelectorAll('[name=regulateur]')).every((e) => e.disabled)"),
              'the controller is not held')
        self.open('K=64.2&exercice=D1:beaucoup')
        message = self.js("return document.getElementById('labo-message').textContent")
        check('«\u00a0exercice=D1:beaucoup\u00a0»' in message and 'sans exercice' in message,
              f'the bad exercise is not reported: {message!r}')
        check(self.js("return document.getElementById('exercice').hidden"), 'a bad exercise is shown')

    def creating_an_exercise_writes_its_link(self):
        self.open('K=64.2')
        self.d.find_element(By.CSS_SELECTOR, '#creer-exercice summary').click()
        self.d.find_element(By.CSS_SELECTOR, '#creation-fixes input[value="regulateur"]').click()
        self.d.find_element(By.ID, 'creation-ecrire').click()
        address = self.js("return document.getElementById('creation-adresse').value")
        check('#labo?' in address and 'exercice=D1:25' in address and 'fixe=regulateur' in address,
              f'the exercise\'s link is {address!r}')
        self.d.get('about:blank')
        self.d.get(address)
        self.wait("!document.getElementById('exercice').hidden", 'the written link opens no exercise')
        statement = self.js("return document.getElementById('exercice-enonce').textContent")
        check('25 %' in statement, f'the statement is {statement!r}')

    def nothing_logged(self):
        logged = self.d.get_log('browser')
        check(logged == [], f'console: {logged}')
