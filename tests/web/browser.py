"""What the page's tests in headless Chromium share: starting the browser,
running antenne-export, and running a list of checks with a verdict each
(chromium.py runs every suite of them in one browser).
Chromium and ChromeDriver are Debian's; Selenium is Debian's python3-selenium."""
import json
import os
import re
import subprocess
import sys
import tempfile
import time

CHROMIUM = '/usr/bin/chromium'
CHROMEDRIVER = '/usr/bin/chromedriver'
try:
    from selenium import webdriver
    from selenium.webdriver.chrome.options import Options
    from selenium.webdriver.chrome.service import Service
except ImportError:
    webdriver = None


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def skip_without_browser():
    """Exits 77 (CTest's "skipped") when the browser or its driver is missing."""
    missing = [what for what, present in (('python3-selenium', webdriver is not None),
                                          ('chromium', os.access(CHROMIUM, os.X_OK)),
                                          ('chromium-driver', os.access(CHROMEDRIVER, os.X_OK))) if not present]
    if missing:
        print('skipped: missing ' + ', '.join(missing))
        sys.exit(77)


def export(program, *arguments):
    """Runs antenne-export, which must succeed and print nothing."""
    run = subprocess.run([program, *arguments], capture_output=True, text=True,
                         env=dict(os.environ, QT_QPA_PLATFORM='offscreen'))
    check(run.returncode == 0 and not run.stdout and not run.stderr,
          f'antenne-export {" ".join(arguments)}: exit {run.returncode}, printed {run.stdout + run.stderr!r}')


def page_data(path):
    with open(path, encoding='utf-8') as page:
        return json.loads(re.search(r'<script type="application/json" id="donnees">(.*?)</script>',
                                    page.read()).group(1))


def browser(size='1400,1000', scale=1, profile=None):
    """Starts headless Chromium; its profile goes to `profile`, or to a new
    temporary folder."""
    options = Options()
    for argument in ('--headless=new', '--no-sandbox', f'--window-size={size}', f'--force-device-scale-factor={scale}',
                     '--screen-info={0,0 2560x1440}', '--disable-background-networking',
                     '--disable-component-update', '--disable-sync', '--no-first-run', '--disable-quic',
                     f'--user-data-dir={profile or tempfile.mkdtemp(prefix="antenne-chromium-")}'):
        options.add_argument(argument)
    options.binary_location = CHROMIUM
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL', 'performance': 'ALL'})
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)


class DriverChecks:
    """What the suites' checks share: a script run in the page, and a wait
    for a condition the page reaches. `self.d` is the browser's driver."""

    def js(self, script, *arguments):
        return self.d.execute_script(script, *arguments)

    def wait(self, condition, message, timeout=10.0):
        end = time.monotonic() + timeout
        while not self.js('return ' + condition):
            check(time.monotonic() < end, message)
            time.sleep(0.02)


def run_checks(checks, names):
    """Runs each named method of `checks`, prints its verdict; returns the
    counts of checks passed and failed."""
    passed = failed = 0
    for name in names:
        started = time.monotonic()
        try:
            getattr(checks, name)()
            passed += 1
            print(f'PASS {name} ({time.monotonic() - started:.1f} s)', flush=True)
        except Exception as failure:  # a check's own, or the browser's
            failed += 1
            print(f'FAIL {name}: {failure}', flush=True)
    return passed, failed
