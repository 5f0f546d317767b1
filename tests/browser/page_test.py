"""zelmor.html in a real browser (Debian's headless Chromium): opened from a file:// address (and once from a
web server on 127.0.0.1), fed the shipped example and a made-up file of a million mixed lines, and held to
the native program on the same files:
the same console text and exit status, and the same wyniki.txt but for lines whose exact value lies next to
a rounding boundary (the browser's math library is not glibc's). Takes the README's screenshot.

    ZELMOR_PAGE=build-web/zelmor.html ZELMOR_PROGRAM=build/zelmor PYTHONPATH=build/python \\
        python3 -m pytest tests/browser   [ZELMOR_SCREENSHOT=docs/zelmor-page.png to keep the screenshot]
"""

import functools
import http.server
import os
import subprocess
import threading
import time
from pathlib import Path

import numpy as np
import pytest
from selenium.webdriver.common.by import By

import zelmor
from browser_page import mixed_lines, run_page, start_browser

ROOT = Path(__file__).resolve().parents[2]
PAGE = Path(os.environ.get("ZELMOR_PAGE", ROOT / "build-web" / "zelmor.html")).resolve()
PROGRAM = Path(os.environ.get("ZELMOR_PROGRAM", ROOT / "build" / "zelmor")).resolve()


@pytest.fixture(scope="module")
def browser(tmp_path_factory):
    downloads = tmp_path_factory.mktemp("downloads")
    driver = start_browser(PAGE, downloads)
    yield driver, downloads
    driver.quit()


def run_native(path, work):
    (work / "dane.txt").write_bytes(path.read_bytes())
    start = time.perf_counter()
    run = subprocess.run([PROGRAM], cwd=work, capture_output=True)
    return run.stdout, run.returncode, (work / "wyniki.txt").read_bytes(), time.perf_counter() - start


def rounding_differences(dane, console, page_results, native_results):
    """How many result lines differ, each by one unit in the last digit of a value whose exact value (this
    build's library) lies within 1e-6 of the rounding boundary; fails on any other difference."""
    rejected = {int(line.split()[2].rstrip(":")) for line in console.decode().splitlines() if line.startswith("dane.txt:")}
    inputs = [line.split() for number, line in enumerate(dane.decode("utf-8-sig").splitlines(), 1) if number not in rejected]
    differing = 0
    for source, page, native in zip(inputs, page_results.splitlines(), native_results.splitlines()):
        if page != native:
            convert = zelmor.to_grid if source[0] == "W" else zelmor.to_geodetic
            exact = np.array(convert(float(source[1]), float(source[2]))[:2])
            printed = np.array([[float(word) for word in line.split()[1:]] for line in (page, native)])
            assert np.all(np.abs(printed[0] - printed[1]) < 1.5e-4), (page, native)
            scaled = exact * 1e4
            assert np.all((printed[0] == printed[1]) | (np.abs(scaled - np.floor(scaled) - 0.5) < 1e-2)), (page, native)
            differing += 1
    assert len(page_results.splitlines()) == len(native_results.splitlines()) == len(inputs)
    return differing


@pytest.fixture(scope="module")
def served_page():
    """The page's address on a static web server listening on 127.0.0.1 only."""
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=str(PAGE.parent))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    yield f"http://127.0.0.1:{server.server_address[1]}/{PAGE.name}"
    server.shutdown()


@pytest.mark.parametrize("name", ["example", "example from a web server", "a million mixed lines"])
def test_the_page_runs_the_program(browser, served_page, tmp_path, name):
    path = ROOT / "examples" / "dane.txt"
    if name == "a million mixed lines":
        path = tmp_path / "dane.txt"
        path.write_bytes(mixed_lines(1_000_000))
    driver, _ = browser
    driver.get(served_page if name == "example from a web server" else PAGE.as_uri())
    if name == "example":
        driver.find_element(By.ID, "language").click()  # this run in English: the page's own words only
    console, status, results, seconds = run_page(*browser, path)
    native_console, native_status, native_results, native_seconds = run_native(path, tmp_path)
    assert (console, status) == (native_console, native_status)
    differing = rounding_differences(path.read_bytes(), console, results, native_results)
    print(f"{name}: {differing} result lines at a rounding boundary; page {seconds:.2f} s, native {native_seconds:.2f} s")
    if name == "example":
        assert driver.find_element(By.ID, "status").text.startswith("Done in")
        assert driver.find_element(By.ID, "console").text == console.decode().rstrip("\n")
        driver.find_element(By.ID, "language").click()
        assert driver.find_element(By.ID, "status").text.startswith("Gotowe w")
        driver.save_screenshot(str(tmp_path / "zelmor-page.png"))
        if os.environ.get("ZELMOR_SCREENSHOT"):
            driver.save_screenshot(os.environ["ZELMOR_SCREENSHOT"])
    elif name == "a million mixed lines":
        assert differing <= 20

