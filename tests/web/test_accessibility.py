"""The page's accessibility, judged in the browser by axe-core (npm, pinned
in package.json, installed by `npm ci` into node_modules/): the scenes, the
laboratory, and the laboratory asking an exercise's question or setting a
goal break none of its rules (WCAG 2 A and AA, and its best practices).
The checks run from chromium.py, with the other suites, in one browser.
"""
import pathlib
import time

from browser import check

AXE = pathlib.Path(__file__).resolve().parent / 'node_modules' / 'axe-core' / 'axe.min.js'

# Each view: what it is, the link that opens it (None: the scenes), and
# what shows once it is ready.
VIEWS = (
    ('the scenes', None, "!document.getElementById('curseur').disabled"),
    ('the laboratory', 'K=64.2', "document.querySelector('#bode canvas') !== null"),
    ('a question', 'K=64.2&question=Kcrit', "!document.getElementById('exercice').hidden"),
    ('a goal', 'K=10&exercice=D1:25&fixe=regulateur', "!document.getElementById('exercice').hidden"),
    ('a sampled, delayed and imperfect loop', 'regulateur=PI&K=30&Ti=4&Te=0.05&retard=0.1&frottement=0.3&jeu=1',
     "document.querySelector('.recurrence')?.hidden === false && document.querySelector('#bode canvas') !== null"),
)

# Each rule broken: its name, how much it matters, and where (a few places).
AXE_JS = '''
const done = arguments[0];
axe.run(document, { resultTypes: ['violations'] }).then(
  (results) => done(results.violations.map((v) =>
    `${v.id} (${v.impact}) at ${v.nodes.slice(0, 3).map((n) => n.target.join(' ')).join(', ')}`)),
  (error) => done([`axe failed: ${error}`]));
'''


class AccessibilityChecks:
    def __init__(self, driver, page):
        self.d = driver
        self.page = page

    def no_view_breaks_a_rule(self):
        check(AXE.is_file(), f'no {AXE}: run "npm ci" in {AXE.parents[2]}')
        engine = AXE.read_text(encoding='utf-8')
        broken = []
        for name, link, ready in VIEWS:
            self.d.get('about:blank')
            self.d.get(pathlib.Path(self.page).as_uri() + ('' if link is None else '#labo?' + link))
            end = time.monotonic() + 10
            while not self.d.execute_script('return ' + ready):
                check(time.monotonic() < end, f'{name} never showed')
                time.sleep(0.02)
            self.d.execute_script(engine)
            broken += [f'{name}: {rule}' for rule in self.d.execute_async_script(AXE_JS)]
        check(not broken, '; '.join(broken))


# The checks chromium.py runs.
CHECKS = ('no_view_breaks_a_rule',)
