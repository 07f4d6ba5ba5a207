"""The loops beyond the linear one in a real browser (headless Chromium on the
page antenne-export writes, from file://), against the native model
(labo_reference): the page's WebAssembly model runs and analyses sampled,
delayed and imperfect loops as the native build does, to 1e-9; a sampled
loop's poles are drawn in the plane z, its unit disc shaded, and the
corrector's recurrence is written under its controls; Bode runs up to pi/Te;
a delayed loop's plane says which Padé approximant its poles come from; the
new presets show the native model's figures (a limit cycle's among them) and
their comments; the analysis says what it leaves out; a slider moved with
these settings costs less than two display frames. The checks run from
chromium.py, with the other suites, in one browser.
"""
import math
import pathlib
import statistics

from browser import check
from test_labo import COMPUTE_JS, TABLE_JS, LaboChecks, close, native, percentile, slider_moves

try:
    from selenium.webdriver.common.by import By
except ImportError:
    pass  # skip_without_browser() says so

PLANE = "document.getElementById('plan-complexe').antenneVue"
PRESETS = ('echantillonnage', 'retardPur', 'frottement', 'jeu')
SETUPS = [
    'preset=echantillonnage', 'preset=retardPur', 'preset=frottement', 'preset=jeu',
    'regulateur=PI&K=64.2&Ti=2&Te=0.03&discretisation=tustin&retard=0.07&capteur=0.5&vent=1&debutVent=4&duree=8',
    'regulateur=PID&K=80&Ti=3&Td=0.3&Te=0.02&frottement=0.4&entree=rampe&duree=8',
]
TUSTIN_PI = 'regulateur=PI&K=12&Ti=0.5&Te=0.01&discretisation=tustin'

# The checks chromium.py runs, in this order.
CHECKS = (
    'the_page_model_is_the_native_one', 'a_sampled_loop_is_drawn_in_the_plane_z',
    'the_recurrence_is_written_under_its_controls', 'bode_runs_to_pi_over_Te_with_the_models_margins',
    'a_delayed_loops_plane_names_its_pade_approximant', 'a_loop_too_long_for_its_poles_says_so',
    'the_presets_show_the_native_figures',
    'the_analysis_says_what_it_leaves_out', 'a_slider_move_with_these_settings_costs_less_than_two_frames',
    'nothing_logged')


class SampledChecks(LaboChecks):
    def __init__(self, driver, page, reference):
        super().__init__(driver, str(pathlib.Path(page).parent), page, None, reference)

    def open_views(self, link):
        self.open(link)
        self.wait(PLANE + " !== undefined && document.querySelector('#bode canvas') !== null",
                  'the stability views never showed')

    def rows(self, table):
        return dict(map(tuple, self.js(TABLE_JS, table)))

    def the_page_model_is_the_native_one(self):
        self.open()
        page = self.d.execute_async_script(COMPUTE_JS, SETUPS)
        check(isinstance(page, list), f'the page\'s model failed: {page}')
        for link, mine, theirs in zip(SETUPS, page, native(self.reference, *SETUPS)):
            close(mine, theirs, link)

    def a_sampled_loop_is_drawn_in_the_plane_z(self):
        link = 'preset=echantillonnage'
        self.open_views(link)
        theirs = native(self.reference, link)[0]['report']
        plane = self.js(f'return {PLANE}.plane()')
        check(plane['domain'] == 'z' and plane['period'] == 0.1, f'the plane drawn: {plane}')
        close(self.js(f'return {PLANE}.poles()'), theirs['analysis']['poles'], 'poles in z')
        check(self.js(f'return {PLANE}.view()')['x'][1] > 1, 'the dominant view leaves out the unit circle')
        # Shaded inside the unit circle, not outside it.
        shades = self.js('''
          const canvas = document.querySelector('#plan-complexe canvas');
          const rect = canvas.getBoundingClientRect();
          const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
          return arguments[0].map(([re, im]) => {
            const { x, y } = ''' + PLANE + '''.at(re, im);
            const at = 4 * (Math.round((y - rect.top) * canvas.height / rect.height) * canvas.width +
                            Math.round((x - rect.left) * canvas.width / rect.width));
            return pixels[at + 1] - pixels[at];
          });''', [[0.3, -0.4], [-0.5, 0.5], [1.3, -0.6], [-0.9, -0.9]])
        check(shades[0] > 0 and shades[1] > 0 and shades[2] <= 0 and shades[3] <= 0,
              f'the unit disc is not what is shaded (green over red inside, then outside: {shades})')
        caption = self.js("return document.querySelector('#plan-complexe .plan-legende').textContent")
        check('cercle unité' in caption, f'the plane\'s caption: {caption!r}')

    def the_recurrence_is_written_under_its_controls(self):
        self.open(TUSTIN_PI)
        shown = self.js("return document.querySelector('.recurrence-formule').textContent")
        # Tustin on K (1 + 1/(Ti s)): K (1 + Te/(2 Ti)) = 12.12, K (1 - Te/(2 Ti)) = 11.88.
        check(shown == 'u(k) = u(k−1) + 12,12 ε(k) − 11,88 ε(k−1)', f'the recurrence shown: {shown!r}')
        check(shown == native(self.reference, TUSTIN_PI)[0]['report']['digital']['recurrence'], 'not the model\'s')
        check(self.js("return document.querySelector('.recurrence').closest('fieldset').contains(document.getElementById('Te'))"),
              'the recurrence is not with the digital corrector\'s controls')
        self.d.find_element(By.ID, 'Te').clear()
        self.d.find_element(By.ID, 'Te').send_keys('0\n')
        self.wait("document.querySelector('.recurrence').hidden", 'a continuous corrector still shows a recurrence')

    def bode_runs_to_pi_over_Te_with_the_models_margins(self):
        link = 'K=64.2&Te=0.1'
        self.open_views(link)
        theirs = native(self.reference, link)[0]['report']['analysis']
        last = self.d.execute_async_script('''
          const [link, done] = arguments;
          window.antenneModele().then((model) => { const s = model.compute(link); const b = s.bode();
            s.release(); done(b.omega[b.omega.length - 1]); });''', link)
        check(abs(last - math.pi / 0.1) < 1e-9, f'Bode ends at {last} rad/s, not pi/Te')
        shown = self.js("return document.getElementById('bode').antenneVue.margins()")
        check(shown['gain']['label'] == f'MG = {theirs["gainMarginDb"]:.1f} dB'.replace('.', ','), f'MG shown: {shown}')
        check(abs(shown['gain']['omega'] - theirs['critical']['omega']) < 1e-9, f'MG drawn at {shown["gain"]["omega"]}')
        check(shown['phase']['label'] == f'MP = {theirs["phaseMargin"]:.1f}°'.replace('.', ','), f'MP shown: {shown}')

    def a_delayed_loops_plane_names_its_pade_approximant(self):
        link = 'preset=retardPur'
        self.open_views(link)
        theirs = native(self.reference, link)[0]['report']
        caption = self.js("return document.querySelector('#plan-complexe .plan-legende').textContent")
        check(theirs['plane']['note'] and theirs['plane']['note'] in caption, f'the caption: {caption!r}')
        check('Padé d\'ordre' in self.rows('#analyse')['Méthode'], 'the analysis does not state its method')
        close(self.js(f'return {PLANE}.poles()'), theirs['analysis']['poles'], 'poles')

    def a_loop_too_long_for_its_poles_says_so(self):
        # 2 000 periods of delay: the poles are not worked out, the rest is.
        link = 'K=64.2&Te=0.001&retard=2'
        self.open_views(link)
        check(self.js(f'return {PLANE}.poles()') == [], 'poles drawn where the model gives none')
        caption = self.js("return document.querySelector('#plan-complexe .plan-legende').textContent")
        check('Pôles non calculés' in caption, f'the plane\'s caption: {caption!r}')
        rows = self.rows('#analyse')
        check(rows['Pôles en boucle fermée'].startswith('non calculés'), f'the poles\' row: {rows["Pôles en boucle fermée"]!r}')
        theirs = native(self.reference, link)[0]['report']['analysis']
        check(rows['Gain critique'] == dict(map(tuple, theirs['lines']))['Gain critique'], 'not the model\'s critical gain')

    def the_presets_show_the_native_figures(self):
        self.open('K=64.2')
        for preset in PRESETS:
            button = self.d.find_element(By.CSS_SELECTOR, f'#prereglages [data-preset="{preset}"]')
            self.js('arguments[0].scrollIntoView({block: "center"})', button)
            button.click()
            self.wait(f"location.hash.includes('preset={preset}')", f'{preset}: the address did not follow')
            theirs = native(self.reference, f'preset={preset}')[0]['report']
            self.wait(f"document.querySelector('#chiffres td') && "
                      f"document.querySelector('#chiffres td').textContent === {theirs['figures'][0]['text']!r}",
                      f'{preset}: the figures shown are not the model\'s')
            shown = self.rows('#chiffres')
            for f in theirs['figures']:
                check(shown.get(f['name']) == f['text'], f'{preset}: «{f["name"]}» shows {shown.get(f["name"])!r}')
            comment = self.js("return document.getElementById('commentaire').textContent")
            check(len(comment) > 40, f'{preset}: its comment is {comment!r}')
        check('cycle limite' in shown['Dépassement D1'], 'the backlash preset shows no limit cycle')

    def the_analysis_says_what_it_leaves_out(self):
        self.open('preset=frottement&jeu=1&capteur=0.5')
        check(self.rows('#analyse').get('Modèle linéaire') == 'sans le frottement sec, le jeu ni la résolution du capteur',
              f'the analysis says {self.rows("#analyse").get("Modèle linéaire")!r}')

    def a_slider_move_with_these_settings_costs_less_than_two_frames(self):
        """As test_labo's check: two display frames at most (one is the
        target, measured with test_labo.py --figures), or, on a machine busy
        enough for 1.7's own set-up to come near that, no more than half
        as much again as it, measured alongside: backlash's limit cycle is
        read on up to 40 s run on after the run, at each move."""
        medians = {}
        for link in ('K=64.2', *(f'preset={p}' for p in PRESETS)):
            self.open(link)
            costs = slider_moves(self.d, 60)
            check(len(costs) >= 50, f'{link}: {len(costs)} moves measured')
            medians[link] = statistics.median(costs)
            print(f'  {link}: 60 slider moves, median {medians[link]:.1f} ms, '
                  f'95th percentile {percentile(costs, 0.95):.1f} ms')
        allowed = max(33.4, 1.5 * medians['K=64.2'])
        for link, median in medians.items():
            check(median <= allowed, f'{link}: a slider move costs {median:.1f} ms (median), over {allowed:.1f} ms')

    def nothing_logged(self):
        logged = self.d.get_log('browser')
        check(logged == [], f'console: {logged}')
