#!/usr/bin/env python3
"""Writes docs/laboratoire.png, the laboratory's picture for the README and
the AppStream metainfo: the page that antenne-export writes, opened in
headless Chromium at 1400 x 1000 on a P controller tuned for a 25 %
overshoot, its run shown at its first peak.

  lab_screenshot.py ANTENNE_EXPORT OUTPUT.png [SIZE] [LINK]
"""
import os
import pathlib
import shutil
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / 'tests' / 'web'))
from browser import browser, export, skip_without_browser  # noqa: E402


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    program, output = sys.argv[1:3]
    size = sys.argv[3] if len(sys.argv) > 3 else '1400,1000'
    link = sys.argv[4] if len(sys.argv) > 4 else 'K=64.2&exercice=D1:25'
    skip_without_browser()
    folder = tempfile.mkdtemp(prefix='antenne-docs-')
    driver = None
    try:
        page = os.path.join(folder, 'antenne.html')
        export(program, 'page', page)
        driver = browser(size=size)
        driver.get(pathlib.Path(page).as_uri() + '#labo?' + link)
        time.sleep(1)
        # The run at its first peak, 1.67 s, the verdict on the goal shown.
        driver.execute_script("const s = document.getElementById('curseur');"
                              "s.value = '167'; s.dispatchEvent(new Event('input'));"
                              "const v = document.getElementById('verifier'); if (!v.hidden) v.click();")
        time.sleep(0.3)
        driver.save_screenshot(output)
    finally:
        if driver:
            driver.quit()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == '__main__':
    main()
