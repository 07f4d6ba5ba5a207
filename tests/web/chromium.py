#!/usr/bin/env python3
"""Every check of the web page in headless Chromium, in one browser.

Writes the pages once (scale 1 and 2, in a folder with a space and an accent
in its name, as on a teacher's USB stick) with the exporter's pictures the
scenes are compared with, starts one Chromium, and runs the suites listed in
SUITES one after the other, each a class of checks; then quits the browser
and removes the folder. Exits 1 if a check failed, 77 (CTest's "skipped")
without chromium, chromium-driver or python3-selenium.

  chromium.py ANTENNE_EXPORT LABO_REFERENCE [SUITE...]   runs every suite, or those named
                                                         (page, labo, stability, sampled, accessibility, scorm)
"""
import importlib
import os
import shutil
import sys
import tempfile
import time

from browser import Failure, browser, run_checks, skip_without_browser
from test_page import make_pages_and_pictures

# The constructor's arguments of a suite in LaboChecks' style.
LABO_STYLE = ('driver', 'folder', 'page', 'program', 'reference')

# The suites, in the order they run: the module, its class of checks, the
# names of the class's constructor arguments (taken from Session below) and
# the module's tuple of the checks to run. Adding a suite is adding its row;
# a suite's close(), if it has one, runs after its checks.
SUITES = (
    ('test_page', 'PageChecks', ('driver', 'folder', 'pictures'), 'CHECKS'),
    ('test_labo', 'LaboChecks', LABO_STYLE, 'CHECKS'),
    ('test_stability', 'StabilityChecks', ('driver', 'page', 'reference'), 'CHECKS'),
    ('test_frequency', 'FrequencyChecks', ('driver', 'page', 'reference'), 'CHECKS'),
    ('test_sampled', 'SampledChecks', ('driver', 'page', 'reference'), 'CHECKS'),
    ('test_accessibility', 'AccessibilityChecks', ('driver', 'page'), 'CHECKS'),
    ('test_scorm', 'ScormChecks', LABO_STYLE, 'CHECKS'),
)


class Session:
    """What the suites are given: the browser, the folder of the pages,
    antenne.html in it, the two programs, and the exporter's pictures."""
    def __init__(self, program, reference, folder, pictures, driver):
        self.program = program
        self.reference = reference
        self.folder = folder
        self.page = os.path.join(folder, 'antenne.html')
        self.pictures = pictures
        self.driver = driver


def suite_name(module):
    return module.removeprefix('test_')


def run_suites(session, suites):
    """Runs each suite's checks in turn; returns the counts passed and failed."""
    passed = failed = 0
    for module_name, class_name, arguments, checks in suites:
        started = time.monotonic()
        print(f'-- {suite_name(module_name)}', flush=True)
        try:
            module = importlib.import_module(module_name)
            suite = getattr(module, class_name)(*(getattr(session, a) for a in arguments))
            names = getattr(module, checks)
        except Exception as failure:  # the suite could not even start
            print(f'FAIL {class_name}: {failure}', flush=True)
            failed += 1
            continue
        try:
            done = run_checks(suite, names)
        finally:
            if hasattr(suite, 'close'):  # what the suite started, a server say
                suite.close()
        passed, failed = passed + done[0], failed + done[1]
        print(f'-- {suite_name(module_name)}: {done[0]} passed, {done[1]} failed '
              f'({time.monotonic() - started:.0f} s)', flush=True)
    return passed, failed


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    program, reference, wanted = sys.argv[1], sys.argv[2], sys.argv[3:]
    known = [suite_name(s[0]) for s in SUITES]
    if set(wanted) - set(known):
        sys.exit(f'no suite {", ".join(sorted(set(wanted) - set(known)))}: the suites are {", ".join(known)}')
    suites = [s for s in SUITES if not wanted or suite_name(s[0]) in wanted]
    skip_without_browser()
    folder = tempfile.mkdtemp(prefix='antenne page é ')
    driver = None
    passed, failed = 0, 1
    try:
        started = time.monotonic()
        pictures = make_pages_and_pictures(program, folder)
        print(f'-- the pages and the exporter\'s pictures written ({time.monotonic() - started:.0f} s)', flush=True)
        driver = browser(profile=os.path.join(folder, 'chromium'))
        passed, failed = run_suites(Session(program, reference, folder, pictures, driver), suites)
    except Failure as failure:
        print(f'FAIL writing the pages and pictures: {failure}')
    except Exception as failure:  # the browser's, when it would not start
        print(f'FAIL starting Chromium: {failure}')
    finally:
        if driver:
            driver.quit()
        shutil.rmtree(folder, ignore_errors=True)
    print(f'{passed} passed, {failed} failed')
    sys.exit(1 if failed else 0)


if __name__ == '__main__':
    main()
