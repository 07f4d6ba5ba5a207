#!/usr/bin/env python3
"""An exercise's SCORM 1.2 package, under a real runtime.

"Paquet SCORM" in the page's "Créer un exercice" downloads the package; it
must hold the page antenne-export writes, byte for byte, and the very
manifest antenne-export scorm writes, whose required elements are there and
whose files are all in the zip. A link that makes no exercise makes no
package, and the page says why.

Then a learning platform: a host page served from 127.0.0.1 (file:// pages
cannot reach their parent's API) puts scorm-again's runtime (npm, pinned in
package.json, installed by `npm ci` into node_modules/) as window.API,
records every call the page makes to it, and opens the package's page in an
iframe where the manifest launches it. What the runtime holds after a goal
missed then met, a right and a wrong prediction, a student resuming where
they left; the calls' order (LMSInitialize first, LMSCommit after each
verdict, LMSFinish last); and, outside a platform, a page that behaves as
ever and logs nothing.

The checks run from chromium.py, with the other suites, in one browser; or
alone:
  test_scorm.py ANTENNE_EXPORT      exits 77 (skipped) without chromium,
                                    chromedriver or selenium
"""
import functools
import http.server
import os
import pathlib
import re
import shutil
import sys
import tempfile
import threading
import time
import urllib.parse
import xml.etree.ElementTree as ElementTree
import zipfile

from browser import DriverChecks, browser, check, export, run_checks, skip_without_browser

try:
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
except ImportError:
    pass  # skip_without_browser() says so

RUNTIME = pathlib.Path(__file__).resolve().parent / 'node_modules' / 'scorm-again' / 'dist' / 'scorm12.js'

GOAL = 'regulateur=P&K=10&exercice=D1:25&fixe=regulateur'
QUESTION = 'regulateur=P&K=64.2&question=Kcrit'

CP = '{http://www.imsproject.org/xsd/imscp_rootv1p1p2}'
ADLCP = '{http://www.adlnet.org/xsd/adlcp_rootv1p2}'

# The platform: scorm-again's SCORM 1.2 runtime as window.API, started with
# a learner's saved state, if any, every call to it recorded with its
# arguments and its answer.
HOST = '''<!DOCTYPE html>
<html lang="fr"><head><meta charset="utf-8"><title>Plateforme</title>
<script src="scorm12.js"></script></head>
<body style="margin: 0">
<iframe id="sco" title="Activité" style="border: 0; width: 1380px; height: 980px"></iframe>
<script>
window.calls = [];
window.startPlatform = (state, launch) => {
  window.API = new Scorm12API({ autocommit: false, logLevel: 5 });
  if (state) API.loadFromJSON(state, '');
  for (const name of ['LMSInitialize', 'LMSFinish', 'LMSGetValue', 'LMSSetValue', 'LMSCommit']) {
    const call = API[name].bind(API);
    API[name] = (...args) => {
      const answer = call(...args);
      calls.push([name, ...args.map(String), String(answer)]);
      return answer;
    };
  }
  document.getElementById('sco').src = launch;
};
</script>
</body></html>
'''


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *arguments):
        pass


def manifest_problems(manifest, names):
    """What a SCORM 1.2 manifest lacks, against the zip's file names; and its launch."""
    root = ElementTree.fromstring(manifest)
    problems = []
    if root.tag != CP + 'manifest':
        problems.append(f'the root is {root.tag}')
    if root.findtext(f'{CP}metadata/{CP}schema') != 'ADL SCORM':
        problems.append('no schema "ADL SCORM"')
    if root.findtext(f'{CP}metadata/{CP}schemaversion') != '1.2':
        problems.append('no schemaversion 1.2')
    organizations = root.find(f'{CP}organizations')
    found = organizations.findall(f'{CP}organization') if organizations is not None else []
    if len(found) != 1 or organizations.get('default') != found[0].get('identifier'):
        return problems + ['not one organization, the default']
    items = found[0].findall(f'{CP}item')
    resources = root.findall(f'{CP}resources/{CP}resource')
    if len(items) != 1 or len(resources) != 1:
        return problems + [f'{len(items)} items and {len(resources)} resources']
    item, resource = items[0], resources[0]
    if not item.findtext(f'{CP}title') or not found[0].findtext(f'{CP}title'):
        problems.append('an untitled item or organization')
    if item.get('identifierref') != resource.get('identifier'):
        problems.append('the item launches no resource')
    if resource.get('type') != 'webcontent' or resource.get(ADLCP + 'scormtype') != 'sco':
        problems.append(f'the resource is {resource.attrib}')
    listed = [f.get('href') for f in resource.findall(f'{CP}file')]
    if sorted(listed + ['imsmanifest.xml']) != sorted(names) or resource.get('href') not in listed:
        problems.append(f'files listed {listed}, in the zip {names}')
    return problems


def launch_address(manifest):
    """Where a platform launches the item: its resource's href with the item's parameters."""
    root = ElementTree.fromstring(manifest)
    item = root.find(f'{CP}organizations/{CP}organization/{CP}item')
    resource = root.find(f'{CP}resources/{CP}resource')
    return resource.get('href') + (item.get('parameters') or '')


class ScormChecks(DriverChecks):
    def __init__(self, driver, folder, page, program, reference=None):
        self.d = driver
        self.folder = folder
        self.page = page
        self.program = program
        self.reference = reference
        self.server = None
        self.packed = None

    # ---- The package -------------------------------------------------------

    def open_lab(self, link):
        self.d.switch_to.default_content()
        self.d.get('about:blank')
        self.d.get(pathlib.Path(self.page).as_uri() + '#labo?' + link)
        self.wait("document.querySelector('#chiffres td') !== null", 'the laboratory never showed its figures')

    def fill_form(self, target):
        """Opens "Créer un exercice" on a D1 goal of `target`, the controller held."""
        self.d.find_element(By.CSS_SELECTOR, '#creer-exercice summary').click()
        field = self.d.find_element(By.ID, 'creation-cible')
        field.clear()
        field.send_keys(target)
        box = self.d.find_element(By.CSS_SELECTOR, '#creation-fixes input[value="regulateur"]')
        if not box.is_selected():
            box.click()

    def package(self):
        """The package the page's button downloads for D1 = 25 %, the
        controller held (made once): its name, its files, and the link."""
        if self.packed:
            return self.packed
        downloads = os.path.join(self.folder, 'paquets')
        shutil.rmtree(downloads, ignore_errors=True)
        os.makedirs(downloads)
        self.d.execute_cdp_cmd('Page.setDownloadBehavior', {'behavior': 'allow', 'downloadPath': downloads})
        self.open_lab('K=10')
        self.fill_form('25')
        self.d.find_element(By.ID, 'creation-scorm').click()
        end = time.monotonic() + 20
        while not [n for n in os.listdir(downloads) if n.endswith('.zip')]:
            if time.monotonic() > end:
                said = self.js("return document.getElementById('creation-etat').textContent")
                check(False, f'no package among the downloads: {os.listdir(downloads)}; the form says {said!r}')
            time.sleep(0.05)
        time.sleep(0.2)
        name = [n for n in os.listdir(downloads) if n.endswith('.zip')][0]
        with zipfile.ZipFile(os.path.join(downloads, name)) as archive:
            check(archive.testzip() is None, f'{name} is a damaged zip')
            files = [(info.filename, archive.read(info)) for info in archive.infolist()]
        link = self.js("return document.getElementById('creation-adresse').value")
        self.packed = (name, files, link)
        return self.packed

    def the_package_holds_the_page_and_antenne_export_scorms_manifest(self):
        name, files, link = self.package()
        check(name == 'antenne-exercice-D1-25.zip', f'the package is called {name}')
        names = [n for n, _ in files]
        check(names == ['imsmanifest.xml', 'antenne.html'], f'the package holds {names}')
        contents = dict(files)
        check(contents['antenne.html'] == pathlib.Path(self.page).read_bytes(),
              'the package\'s page is not the one antenne-export page writes')
        problems = manifest_problems(contents['imsmanifest.xml'], names)
        check(not problems, 'the manifest: ' + '; '.join(problems))
        # antenne-export scorm, on the same link, writes the same manifest and page.
        zip_path = os.path.join(self.folder, 'paquets', 'antenne-export.zip')
        export(self.program, 'scorm', link, zip_path)
        with zipfile.ZipFile(zip_path) as archive:
            theirs = [(info.filename, archive.read(info)) for info in archive.infolist()]
        check(theirs == files, 'antenne-export scorm writes another package: '
                               f'{[(n, len(b)) for n, b in theirs]} against {[(n, len(b)) for n, b in files]}')
        launch = launch_address(contents['imsmanifest.xml'])
        check(launch.startswith('antenne.html#labo?') and 'exercice=D1:25' in launch and 'fixe=regulateur' in launch,
              f'the item launches {launch}')

    def a_link_that_is_no_exercise_makes_no_package(self):
        downloads = os.path.join(self.folder, 'refus')
        os.makedirs(downloads, exist_ok=True)
        self.d.execute_cdp_cmd('Page.setDownloadBehavior', {'behavior': 'allow', 'downloadPath': downloads})
        self.open_lab('K=10')
        self.fill_form('beaucoup')
        self.d.find_element(By.ID, 'creation-scorm').click()
        time.sleep(0.5)
        said = self.js("return document.getElementById('creation-etat').textContent")
        check('cible' in said, f'the form says {said!r}')
        check(os.listdir(downloads) == [], f'downloaded {os.listdir(downloads)}')
        # The model refuses any link that sets no exercise, or sets one badly, and says why.
        refusals = self.d.execute_async_script('''
const done = arguments[0];
window.antenneModele().then((model) => done(['K=5', 'exercice=D9:25', 'exercice=D1:25&bruit=3']
  .map((link) => model.scorm(link).problems.join(' '))), (error) => done([String(error)]));''')
        for link, says, problems in zip(('K=5', 'exercice=D9:25', 'exercice=D1:25&bruit=3'),
                                        ('ne donne pas d\'exercice', '«\u00a0exercice=D9:25\u00a0»', 'bruit'),
                                        refusals):
            check(says in problems, f'{link}: the model says {problems!r}')

    # ---- In a platform -------------------------------------------------------

    def platform_folder(self):
        """The host, the runtime and the unzipped package, served from 127.0.0.1 (started once)."""
        if self.server:
            return self.server
        check(RUNTIME.is_file(), f'no {RUNTIME}: run "npm ci" in {RUNTIME.parents[2]}')
        _, files, _ = self.package()
        root = os.path.join(self.folder, 'plateforme')
        os.makedirs(os.path.join(root, 'paquet'), exist_ok=True)
        for name, data in files:
            pathlib.Path(root, 'paquet', name).write_bytes(data)
        pathlib.Path(root, 'hote.html').write_text(HOST, encoding='utf-8')
        shutil.copy(RUNTIME, os.path.join(root, 'scorm12.js'))
        server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(QuietHandler, directory=root))
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.server = server
        self.manifest = dict(files)['imsmanifest.xml']
        return server

    def base(self):
        return f'http://127.0.0.1:{self.platform_folder().server_address[1]}/'

    def launch(self, link=None, state=None):
        """The host page, a learner's `state` loaded, the package's page
        launched in its iframe as the manifest says, or on `link` ('' for none)."""
        base = self.base()
        address = launch_address(self.manifest) if link is None else 'antenne.html' + ('#labo?' + link if link else '')
        self.d.switch_to.default_content()
        self.d.get('about:blank')
        self.d.get(base + 'hote.html')
        self.js('startPlatform(arguments[0], arguments[1])', state, base + 'paquet/' + address)
        self.wait("document.getElementById('sco').contentDocument !== null && "
                  "document.getElementById('sco').contentDocument.querySelector('#chiffres td') !== null",
                  'the package\'s page never showed the laboratory in the platform')
        self.d.switch_to.frame('sco')
        self.wait("!document.getElementById('exercice').hidden", 'the exercise never showed')

    def set_K(self, value):
        field = self.d.find_element(By.ID, 'K')
        field.clear()
        field.send_keys(value, Keys.ENTER)
        self.wait(f"location.hash.includes('K={value}&')", f'K={value} did not reach the address')

    def check_verdict(self, says):
        self.d.find_element(By.ID, 'verifier').click()
        verdict = self.js("return document.getElementById('verdict').textContent")
        check(says in verdict, f'the verdict reads {verdict!r}')

    def predict(self, typed, says):
        field = self.d.find_element(By.ID, 'prediction')
        field.clear()
        field.send_keys(typed)
        self.check_verdict(says)

    def leave(self):
        """Leaves the activity as a platform does, and returns the calls and
        what the runtime holds then."""
        self.d.switch_to.default_content()
        self.js("document.getElementById('sco').src = 'about:blank'")
        self.wait("calls.some((c) => c[0] === 'LMSFinish')", 'the page never called LMSFinish on leaving')
        calls = self.js('return calls')
        # What reads back; exit and session_time are write-only, read from the calls.
        held = self.js('return { raw: API.cmi.core.score.raw, min: API.cmi.core.score.min, max: API.cmi.core.score.max,'
                       ' status: API.cmi.core.lesson_status, suspend: API.cmi.suspend_data }')
        for name in ('exit', 'session_time'):
            held[name] = ([c[2] for c in calls if c[0] == 'LMSSetValue' and c[1] == 'cmi.core.' + name] or [None])[-1]
        return calls, held

    def check_order(self, calls, verdicts):
        """LMSInitialize first, LMSFinish last, each call answered "true" (but
        reads of what the platform has not set), and an LMSCommit after each
        of the `verdicts`, before the next."""
        names = [c[0] for c in calls]
        check(names[0] == 'LMSInitialize' and names.count('LMSInitialize') == 1, f'calls begin {names[:3]}')
        check(names[-1] == 'LMSFinish' and names.count('LMSFinish') == 1, f'calls end {names[-3:]}')
        refused = [c for c in calls if c[-1] != 'true' and c[0] != 'LMSGetValue']
        check(not refused, f'the runtime refused {refused}')
        starts = [i for i, c in enumerate(calls) if c[0] == 'LMSSetValue' and re.fullmatch(r'cmi\.interactions\.\d+\.id', c[1])]
        check(len(starts) == verdicts, f'{len(starts)} interactions for {verdicts} verdicts')
        for k, start in enumerate(starts):
            end = starts[k + 1] if k + 1 < len(starts) else len(calls)
            check('LMSCommit' in names[start:end], f'no LMSCommit after verdict {k + 1}')

    def interactions(self, calls):
        """The interactions set, each as {field: value}, in order."""
        found = {}
        for c in calls:
            match = re.fullmatch(r'cmi\.interactions\.(\d+)\.(\w+)', c[1]) if c[0] == 'LMSSetValue' else None
            if match:
                found.setdefault(int(match[1]), {})[match[2]] = c[2]
        return [found[n] for n in sorted(found)]

    def set_values(self, calls, name):
        return [c[2] for c in calls if c[0] == 'LMSSetValue' and c[1] == name]

    def a_goal_missed_then_met_reaches_the_gradebook(self):
        self.launch()
        self.check_verdict('de moins')        # K = 10: no overshoot
        self.set_K('64.2')
        self.check_verdict('Réussi')
        self.set_K('200')
        self.check_verdict('de trop')         # missed again: passed is kept
        calls, held = self.leave()
        self.check_order(calls, 3)
        status = self.set_values(calls, 'cmi.core.lesson_status')
        check(status == ['incomplete', 'failed', 'passed', 'passed'], f'lesson_status set to {status}')
        raw = self.set_values(calls, 'cmi.core.score.raw')
        check(raw == ['4', '100', '100'], f'score.raw set to {raw}')
        found = self.interactions(calls)
        check([i['id'] for i in found] == ['objectif-D1'] * 3, f'interactions {found}')
        check([i['type'] for i in found] == ['performance'] * 3, f'interactions {found}')
        check([i['result'] for i in found] == ['wrong', 'correct', 'wrong'], f'interactions {found}')
        for i, K in zip(found, ('10', '64.2', '200')):
            check(f'K={K}&' in i['student_response'] + '&' and 'exercice' not in i['student_response'],
                  f'the set-up recorded is {i["student_response"]!r}')
            check(re.fullmatch(r'\d\d:\d\d:\d\d', i['time']), f'the time recorded is {i["time"]!r}')
        check(held['raw'] == '100' and held['min'] == '0' and held['max'] == '100' and held['status'] == 'passed',
              f'the runtime holds {held}')
        check('K=200&' in held['suspend'] + '&' and 'exercice=D1:25' in held['suspend'], f'suspend_data {held["suspend"]!r}')
        check(held['exit'] == 'suspend' and re.fullmatch(r'\d{2,4}:\d\d:\d\d(\.\d{1,2})?', held['session_time'] or ''),
              f'exit {held["exit"]!r}, session time {held["session_time"]!r}')

    def a_right_and_a_wrong_prediction(self):
        # Wrong first: the question is settled then, as the answer is on
        # screen; a right prediction after it is recorded but counts not.
        self.launch(QUESTION)
        self.predict('2000', 'trop faible')
        self.predict('2620', 'Juste')
        calls, held = self.leave()
        self.check_order(calls, 2)
        found = self.interactions(calls)
        check([(i['id'], i['type'], i['student_response'], i['result']) for i in found] ==
              [('question-Kcrit', 'numeric', '2000', 'wrong'), ('question-Kcrit', 'numeric', '2620', 'correct')],
              f'interactions {found}')
        check(held['raw'] == '4' and held['status'] == 'failed', f'after a wrong prediction the runtime holds {held}')
        # Right at once: passed, full marks. A prediction that is no number is no verdict.
        self.launch(QUESTION)
        self.predict('beaucoup', 'Tapez')
        self.predict('2 600', 'Juste')
        calls, held = self.leave()
        self.check_order(calls, 1)
        check(held['raw'] == '100' and held['status'] == 'passed', f'after a right prediction the runtime holds {held}')
        check(self.interactions(calls)[0]['student_response'] == '2600', f'interactions {self.interactions(calls)}')
        # The answer shown before any prediction: worth nothing.
        self.launch(QUESTION)
        self.d.find_element(By.ID, 'voir-reponse').click()
        calls, held = self.leave()
        check(held['raw'] == '0' and held['status'] == 'failed', f'after the answer shown the runtime holds {held}')

    def a_student_resumes_where_they_left(self):
        saved = GOAL.replace('K=10', 'K=64.2')
        state = {'cmi': {'suspend_data': saved, 'core': {'entry': 'resume', 'lesson_status': 'failed',
                                                         'score': {'raw': '4'}}}}
        self.launch(state=state)
        check('K=64.2&' in urllib.parse.unquote(self.js('return location.hash')), 'the page did not resume')
        check(self.js("return document.getElementById('K').value") == '64,2', 'the K field did not resume')
        self.check_verdict('Réussi')
        calls, held = self.leave()
        status = self.set_values(calls, 'cmi.core.lesson_status')
        check(status == ['passed'], f'a resumed attempt set lesson_status to {status}')
        check(held['raw'] == '100' and held['status'] == 'passed', f'the runtime holds {held}')
        # Saved on another exercise (the package changed since): the launch's stands.
        self.launch(state={'cmi': {'suspend_data': 'K=64.2&question=Kcrit'}})
        check('K=10&' in urllib.parse.unquote(self.js('return location.hash')), 'the page resumed another exercise')
        self.leave()
        # A platform that drops the item's parameters from the address: the
        # manifest's launch data opens the exercise all the same.
        data = ElementTree.fromstring(self.manifest).findtext(f'{CP}organizations/{CP}organization/{CP}item/{ADLCP}datafromlms')
        self.launch('', state={'cmi': {'launch_data': data}})
        check(urllib.parse.unquote(self.js('return location.hash')) == '#labo?' + data,
              f'launched without parameters, the page is at {self.js("return location.hash")}')
        self.leave()

    def outside_a_platform_nothing_changes(self):
        base = self.base()
        self.d.get_log('browser')
        self.d.switch_to.default_content()
        self.d.get('about:blank')
        self.d.get(base + 'paquet/' + launch_address(self.manifest))
        self.wait("document.querySelector('#chiffres td') !== null && !document.getElementById('exercice').hidden",
                  'the package\'s page alone never showed its exercise')
        self.check_verdict('de moins')
        self.d.get('about:blank')
        logged = self.d.get_log('browser')
        check(logged == [], f'console: {logged}')


# The checks chromium.py runs, in this order (the package first: the
# platform's checks launch it).
CHECKS = (
    'the_package_holds_the_page_and_antenne_export_scorms_manifest', 'a_link_that_is_no_exercise_makes_no_package',
    'a_goal_missed_then_met_reaches_the_gradebook', 'a_right_and_a_wrong_prediction',
    'a_student_resumes_where_they_left', 'outside_a_platform_nothing_changes')


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    skip_without_browser()
    folder = tempfile.mkdtemp(prefix='antenne scorm é ')
    page = os.path.join(folder, 'antenne.html')
    driver = None
    failed = 1
    try:
        export(sys.argv[1], 'page', page)
        driver = browser()
        checks = ScormChecks(driver, folder, page, sys.argv[1])
        passed, failed = run_checks(checks, CHECKS)
        print(f'{passed} passed, {failed} failed')
        if checks.server:
            checks.server.shutdown()
    finally:
        if driver:
            driver.quit()
        shutil.rmtree(folder, ignore_errors=True)
    sys.exit(1 if failed else 0)


if __name__ == '__main__':
    main()
