"""The laboratory's frequency views and correctors in a real browser
(headless Chromium on the page antenne-export writes, from file://),
against the native model: the frequency figures and the corrector's texts
shown are the native report's; Black's contours, margins and pointed values,
and Nyquist's arcs, verdict and pointed values, are the native model's
tables and report (labo_reference, frequency_probe); a question on the
resonance or on a lead's largest phase hides its answer until it is given;
"Placer l'avance de phase" sets the lead the model places, and says when a
gain alone is enough (offering it) or one lead is not; the harmonic
response's figures and its point on the closed loop's Bode; Bode's
asymptotes; on a phone held upright, Black and Nyquist one at a time, chosen
by a button, a tap reading a point.
The views expose what they draw on their holders (antenneVue, described in
black.js, nyquist.js and bode.js). The checks run from chromium.py, with
the other suites, in one browser.
"""
import json
import os
import re
import subprocess
import time

from browser import check
from test_labo import close, native
from test_stability import StabilityChecks, near

try:
    from selenium.webdriver.common.actions import interaction
    from selenium.webdriver.common.actions.action_builder import ActionBuilder
    from selenium.webdriver.common.actions.pointer_input import PointerInput
    from selenium.webdriver.common.by import By
except ImportError:
    pass  # skip_without_browser() says so

LEAD = 'regulateur=avance&K=300&a=6&tau=0.08'
LAG = 'regulateur=retard&K=100&a=0.2&tau=8'
SETUPS = ('K=64.2', LEAD, LAG, 'regulateur=PID&K=300&Ti=3&Td=0.2&N=8', 'K=3000')
BLACK = "document.getElementById('black').antenneVue"
NYQUIST = "document.getElementById('nyquist').antenneVue"
BODE = "document.getElementById('bode').antenneVue"
NUMBER = r'−?-?[\d\u00a0 ]+(?:,\d+)?'


def number(text):
    return float(text.replace('\u00a0', '').replace(' ', '').replace('−', '-').replace(',', '.'))


def rows(checks, table):
    return dict(checks.js(f"return Array.from(document.querySelectorAll('#{table} tr'), "
                          "(r) => [r.cells[0].textContent, r.cells[1].textContent])"))


class FrequencyChecks(StabilityChecks):
    def __init__(self, driver, page, reference):
        super().__init__(driver, page, reference)
        # The native tables come from the probe built beside the tests of the model.
        self.probe = os.path.join(os.path.dirname(os.path.dirname(reference)), 'model', 'frequency_probe')

    def tables(self, link):
        check(os.access(self.probe, os.X_OK), f'no frequency_probe at {self.probe}')
        out = subprocess.run([self.probe, link], capture_output=True, text=True, check=True).stdout
        return json.loads(out)

    def show(self, holder):
        """Scrolls a view into sight, so that it draws."""
        self.js(f"document.getElementById('{holder}').scrollIntoView({{block: 'center'}})")
        self.wait(f"document.querySelector('#{holder} canvas') !== null", f'{holder} never drew')
        time.sleep(0.1)

    def hover(self, point):
        self.mouse('mouseMoved', point['x'], point['y'])

    def the_figures_and_texts_are_the_models(self):
        for link in SETUPS:
            self.open(link)
            report = native(self.reference, link)[0]['report']
            shown = rows(self, 'analyse')
            for name, text in report['analysis']['lines']:
                check(shown.get(name) == text, f'{link}: {name} reads {shown.get(name)!r}, natively {text!r}')
            for name in ('Marge de module', 'Facteur de résonance', 'Bande passante à −3 dB'):
                check(name in shown, f'{link}: no row {name}')
            formula = self.js("return document.querySelector('.correcteur-formule').textContent")
            check(formula == report['corrector']['formula'], f'{link}: the formula reads {formula!r}')
            phase = self.js("const p = document.querySelector('.correcteur-phase'); return p.hidden ? null : p.textContent")
            want = report['corrector']['phase']
            check(phase == (f"{want['name']} : {want['text']}" if want else None), f'{link}: the largest phase reads {phase!r}')
        # The lead's largest phase, 45,6° at 1 / (0,08 √6) = 5,10 rad/s.
        self.open(LEAD)
        check('φmax = 45,6° à ωm = 5,103 rad/s' in self.js("return document.querySelector('.correcteur-phase').textContent"),
              'the lead\'s largest phase is not arcsin(5/7) at 1 / (τ √a)')

    def a_question_hides_its_answer(self):
        # The resonance: its row reads "à prédire", the views are out of sight.
        self.open('K=64.2&question=Q')
        check(rows(self, 'analyse')['Facteur de résonance'] == 'à prédire', 'the resonance to predict is shown')
        check(self.js("return document.getElementById('vue-labo').dataset.masque") == 'stabilite', 'the views show')
        field = self.d.find_element(By.ID, 'prediction')
        field.send_keys('2,6')
        self.d.find_element(By.ID, 'verifier').click()
        verdict = self.js("return document.getElementById('verdict').textContent")
        check('Juste' in verdict, f'predicting 2,6 dB: {verdict!r}')
        check(rows(self, 'analyse')['Facteur de résonance'].startswith('2,63 dB'), 'the answer stays hidden')
        # A lead's largest phase, beside its formula.
        self.open(LEAD + '&question=phimax')
        phase = self.js("return document.querySelector('.correcteur-phase').textContent")
        check(phase == 'Avance de phase maximale : à prédire', f'the lead\'s largest phase reads {phase!r}')
        self.d.find_element(By.ID, 'voir-reponse').click()
        check('45,6°' in self.js("return document.getElementById('verdict').textContent"), 'no answer shown')
        check('φmax = 45,6°' in self.js("return document.querySelector('.correcteur-phase').textContent"),
              'the largest phase stays hidden')

    def black_draws_the_model(self):
        for link in ('K=64.2', LEAD):
            self.open(link)
            self.show('black')
            report = native(self.reference, link)[0]['report']
            levels = set(self.js(f'return {BLACK}.levels()'))
            check({6, 3, 2.3, 1, 0, -1, -3, -6, -12} <= levels, f'{link}: contours {sorted(levels)}')
            margins = self.js(f'return {BLACK}.margins()')
            gm, pm = report['black']['gainMargin'], report['black']['phaseMargin']
            check(margins['gain']['phase'] == gm['phase'] and near(margins['gain']['from'], gm['from'], 1e-12) and
                  margins['gain']['label'] == report['analysis']['bode']['gainLabel'], f'{link}: MG drawn {margins["gain"]}')
            check(near(margins['phase']['to'], pm['to'], 1e-12) and near(margins['phase']['from'], pm['from'], 1e-12),
                  f'{link}: MP drawn {margins["phase"]}, natively {pm}')
            # Pointing at the curve reads the model's ω, gains and phase there.
            bode = self.tables(link)['bode']
            for i in (130, 160, 190):
                point = self.js(f'return {BLACK}.pointAt(arguments[0])', i)
                if point is None:
                    continue
                self.hover(point)
                readout = self.js(f'return {BLACK}.readout()')
                found = re.fullmatch(rf'ω = ({NUMBER}) rad/s · boucle ouverte ({NUMBER}) dB, ({NUMBER})° · '
                                     rf'boucle fermée ({NUMBER}) dB', readout)
                check(found, f'{link}: Black reads {readout!r}')
                w, gain, phase, closed = (number(g) for g in found.groups())
                # The point pointed: the nearest to the pointer, this one or its neighbour.
                j = min(range(i - 1, i + 2), key=lambda k: abs(bode['omega'][k] - w))
                check(near(w, bode['omega'][j], 0.006) and abs(gain - bode['gain'][j]) <= 0.051 and
                      abs(phase - bode['phase'][j]) <= 0.051 and abs(closed - bode['gainBF'][j]) <= 0.051,
                      f'{link}: Black reads {readout!r} at point {j}: {[bode[c][j] for c in bode]}')

    def nyquist_draws_the_model(self):
        for link, side in (('K=64.2', 'à gauche'), ('K=3000', 'à droite'), ('regulateur=PI&K=64.2&Ti=4', 'à gauche')):
            self.open(link)
            self.show('nyquist')
            report = native(self.reference, link)[0]['report']
            verdict = self.js(f'return {NYQUIST}.verdict()')
            check(verdict == report['nyquist']['verdict'] and side in verdict, f'{link}: the verdict reads {verdict!r}')
            arc = self.js(f'return {NYQUIST}.arc()')
            want = report['nyquist']['arc']
            check(arc and all(near(arc[k], want[k], 1e-12) for k in ('radius', 'from', 'to')), f'{link}: arc {arc}, {want}')
            # From the mirror's end (ω = 0−) clockwise to the curve's start
            # (ω = 0+), on the circle through it.
            curve = self.tables(link)['nyquist']
            check(near(arc['to'], curve['phase'][0], 1e-12) and near(arc['from'], -arc['to'], 1e-12) and
                  near(arc['radius'], curve['module'][0], 1e-12), f'{link}: the arc {arc} misses the curve\'s ends')
            n = len(curve['omega'])
            for i, sign in ((n // 3, 1), (n // 3 + n, -1)):
                point = self.js(f'return {NYQUIST}.pointAt(arguments[0])', i)
                check(point is not None, f'{link}: point {i} is off the plot')
                self.hover(point)
                readout = self.js(f'return {NYQUIST}.readout()')
                found = re.fullmatch(rf'ω = ({NUMBER}) rad/s · \|L\| = ({NUMBER}) · arg L = ({NUMBER})° · '
                                     rf'L = ([−+][\d,]+) ([−+][\d,]+) j', readout)
                check(found, f'{link}: Nyquist reads {readout!r}')
                w, module, phase, re_, im = (number(g) for g in found.groups())
                j = min(range(n), key=lambda k: abs(curve['omega'][k] - abs(w)))
                check(w * sign > 0 and near(abs(w), curve['omega'][j], 0.006) and near(module, curve['module'][j], 0.006)
                      and abs(phase - sign * curve['phase'][j]) <= 0.051 and abs(re_ - curve['re'][j]) <= 0.0006
                      and abs(im - sign * curve['im'][j]) <= 0.0006, f'{link}: Nyquist reads {readout!r} at {j}')
        self.d.find_element(By.XPATH, '//div[@id="nyquist"]//button[text()="Autour de −1"]').click()
        view = self.js(f'return {NYQUIST}.view()')
        check(view['mode'] == 'critique' and view['x'][0] < -1.5 and view['x'][1] > 0 and view['y'][1] < 3,
              f'"Autour de −1" shows {view}')

    def placing_a_lead_sets_it_or_says_why_not(self):
        self.open('K=500')
        self.d.find_element(By.CSS_SELECTOR, '.placer-avance summary').click()
        cases = (('5,63', '50', 'placed'), ('1', '30', 'alone'), ('40', '60', 'too much'), ('abc', '45', 'refused'))
        for omega, margin, outcome in cases:
            for field, value in (('avance-omega', omega), ('avance-marge', margin)):
                element = self.d.find_element(By.ID, field)
                element.clear()
                element.send_keys(value)
            before = self.address()
            self.d.find_element(By.XPATH, '//details[@class="placer-avance"]//button[text()="Placer"]').click()
            text = self.js("return document.querySelector('.placer-avance .etat').textContent")
            offer = self.d.find_element(By.XPATH, '//details[@class="placer-avance"]//button[text()="Prendre ce gain"]')
            if outcome == 'placed':
                self.wait(f"!decodeURIComponent(location.hash).includes({before!r})", 'placing a lead changed nothing')
                link = self.address().split('?', 1)[1]
                check('regulateur=avance' in link and 'a=3.9' in link, f'the lead placed: {link}')
                shown = rows(self, 'analyse')['Marge de phase']
                check(shown == '50,0°, ω = 5,63 rad/s', f'the lead placed leaves a phase margin {shown!r}')
            elif outcome == 'alone':
                check('Un gain seul suffit' in text and offer.is_displayed(), f'ωc = 1, MP = 30: {text!r}')
                offer.click()
                self.wait("decodeURIComponent(location.hash).includes('regulateur=P&')", 'the gain offered was not taken')
                shown = rows(self, 'analyse')['Marge de phase']
                check(shown == '59,1°, ω = 1 rad/s', f'the gain offered leaves a phase margin {shown!r}')
            else:
                check(self.address() == before and not offer.is_displayed(), f'{omega}, {margin}: the set-up changed')
                want = 'Une seule avance de phase ne suffit pas' if outcome == 'too much' else '«\u00a0abc\u00a0»'
                check(want in text, f'{omega}, {margin}: {text!r}')

    def the_harmonic_response_is_read_and_marked(self):
        link = 'preset=harmonique'
        self.open(link)
        report = native(self.reference, link)[0]['report']
        shown = rows(self, 'chiffres')
        for f in report['figures']:
            check(shown[f['name']] == f['text'], f'{f["name"]} reads {shown[f["name"]]!r}, natively {f["text"]!r}')
        ratio = shown['Rapport d\'amplitudes']
        check(ratio.startswith('1,354 (2,63 dB) · prévu : 1,354'), f'the ratio reads {ratio!r}')
        self.show('bode')
        extras = self.js(f'return {BODE}.extras()')
        check(extras['closed'], 'the closed loop is not shown for a sine')
        close(extras['harmonic'], report['harmonic'], 'the sine\'s point on Bode')
        # A run too short for two periods says so.
        self.open('preset=harmonique&duree=5')
        check(rows(self, 'chiffres')['Déphasage'].startswith('non atteint : l\'essai (5 s) dure moins de deux périodes'),
              'a run too short gives a phase shift')

    def bode_draws_the_asymptotes_and_breaks(self):
        link = 'regulateur=PID&K=100&Ti=0.5&Td=0.5&N=10'
        self.open(link)
        self.show('bode')
        report = native(self.reference, link)[0]['report']
        box = self.d.find_element(By.XPATH, '//div[@id="bode"]//label[contains(., "Asymptotes")]/input')
        box.click()
        extras = self.js(f'return {BODE}.extras()')
        lines = self.tables(link)['asymptotes']
        check(extras['asymptotes'] == lines, f'the asymptotes drawn: {extras["asymptotes"]}')
        check(report['asymptotes']['breaksText'] in extras['caption'] and 'paire de zéros' in extras['caption']
              and report['asymptotes']['startText'] in extras['caption'], f'the caption reads {extras["caption"]!r}')

    def a_phone_shows_black_or_nyquist(self):
        self.d.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                               {'width': 390, 'height': 844, 'deviceScaleFactor': 3, 'mobile': True})
        self.d.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': True, 'maxTouchPoints': 5})
        try:
            self.open('K=64.2')
            wide = self.js('return [document.documentElement.scrollWidth, innerWidth]')
            check(wide[0] <= wide[1], f'the laboratory is {wide[0]} px wide in {wide[1]}')
            self.show('black')
            shown = "return [getComputedStyle(document.querySelector('.vue-black')).display, " \
                    "getComputedStyle(document.querySelector('.vue-nyquist')).display]"
            check(self.js(shown) == ['block', 'none'], f'on a phone: {self.js(shown)}')
            self.d.find_element(By.XPATH, '//div[@id="lieux"]//button[text()="Lieu de Nyquist"]').click()
            check(self.js(shown) == ['none', 'block'], f'Nyquist chosen: {self.js(shown)}')
            self.show('nyquist')
            box = self.js("return document.querySelector('#nyquist canvas').getBoundingClientRect().toJSON()")
            check(box['left'] >= 0 and box['right'] <= wide[1] and box['width'] > 300, f'Nyquist at {box}')
            over = self.d.find_element(By.CSS_SELECTOR, '#nyquist .u-over')
            rect = self.js('return arguments[0].getBoundingClientRect().toJSON()', over)
            point = self.js(f'return {NYQUIST}.pointAt(150)')
            finger = PointerInput(interaction.POINTER_TOUCH, 'doigt')
            tap = ActionBuilder(self.d, mouse=finger)
            tap.pointer_action.move_to(over, round(point['x'] - rect['left'] - rect['width'] / 2),
                                       round(point['y'] - rect['top'] - rect['height'] / 2))
            tap.pointer_action.pointer_down().pause(0.05).pointer_up()
            tap.perform()
            check(self.js(f'return {NYQUIST}.readout()').startswith('ω = '), 'a tap on the curve read nothing')
        finally:
            self.d.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': False})
            self.d.execute_cdp_cmd('Emulation.clearDeviceMetricsOverride', {})


# The checks chromium.py runs, in this order.
CHECKS = (
    'the_figures_and_texts_are_the_models', 'a_question_hides_its_answer', 'black_draws_the_model', 'nyquist_draws_the_model',
    'placing_a_lead_sets_it_or_says_why_not', 'the_harmonic_response_is_read_and_marked',
    'bode_draws_the_asymptotes_and_breaks', 'a_phone_shows_black_or_nyquist', 'nothing_logged')
