"""Debian's Chromium, headless, driven through chromium-driver and Selenium,
for the tests of pages the kit writes. Run with Debian's own interpreter
(/usr/bin/python3), which has python3-selenium."""
import os
import subprocess
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"


def start_browser(width=1280, height=1000):
    for program in (CHROMIUM, CHROMEDRIVER):
        if not os.access(program, os.X_OK):
            raise RuntimeError(program + " is missing: install chromium and chromium-driver")
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--window-size=%d,%d" % (width, height)):
        options.add_argument(arg)
    # The browser's console errors, so a test can see a script that failed.
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)


def run(args, **kwargs):
    """Runs a program and returns its CompletedProcess (text output)."""
    return subprocess.run(args, capture_output=True, text=True, **kwargs)


class TempDir:
    """A scratch folder that goes with the test."""

    def __init__(self):
        self._dir = tempfile.TemporaryDirectory(prefix="glint-")
        self.path = self._dir.name

    def file(self, name, data=None):
        path = os.path.join(self.path, name)
        if data is not None:
            with open(path, "wb") as f:
                f.write(data if isinstance(data, bytes) else data.encode("latin-1"))
        return path

    def cleanup(self):
        self._dir.cleanup()
