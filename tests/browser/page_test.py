"""zelmor.html in a real browser (Debian's headless Chromium): opened from a file:// address (and once from a
web server on 127.0.0.1), fed the shipped example and a made-up file of 1.6 million mixed lines (40 MB, more
than the worker's 32 MiB read-ahead window, and more than the megabyte of messages the page shows), and held
to the native program on the same files: the same console text and exit status, and the same wyniki.txt but
for lines whose exact value lies next to a rounding boundary (the browser's math library is not glibc's).
Then what a user does to it: a second file during a run, a file that changes on disk while it converts, the
same file chosen again after an edit, a browser that refuses the program, and, by a clock and workers' start
that the test controls, a file chosen long after the page opened, a second run after a finished one, files
chosen while the worker starts, and a worker that never answers. Takes the README's screenshot.

    ZELMOR_PAGE=build-web/zelmor.html ZELMOR_PROGRAM=build/zelmor PYTHONPATH=build/python \\
        python3 -m pytest tests/browser   [ZELMOR_SCREENSHOT=docs/zelmor-page.png to keep the screenshot]
"""

import functools
import http.server
import os
import re
import subprocess
import threading
import time
from pathlib import Path

import numpy as np
import pytest
from selenium.webdriver.common.by import By

import zelmor
from browser_page import (choose, mixed_lines, open_controlled, run_page, save_both, seen, start_browser, wait_for,
                          wait_for_end)

ROOT = Path(__file__).resolve().parents[2]
PAGE = Path(os.environ.get("ZELMOR_PAGE", ROOT / "build-web" / "zelmor.html")).resolve()
PROGRAM = Path(os.environ.get("ZELMOR_PROGRAM", ROOT / "build" / "zelmor")).resolve()
TABLE_PROGRAM = PROGRAM.with_name("zelmor-csv")
EXAMPLE = ROOT / "examples" / "dane.txt"
SHOWN_BYTES = 1 << 20  # the console bytes the page shows


@pytest.fixture(scope="module")
def browser(tmp_path_factory):
    downloads = tmp_path_factory.mktemp("downloads")
    driver = start_browser(PAGE, downloads)
    yield driver, downloads
    driver.quit()


@pytest.fixture(scope="module")
def large_file(tmp_path_factory):
    path = tmp_path_factory.mktemp("large") / "punkty.txt"
    path.write_bytes(mixed_lines(1_600_000))
    return path


def run_native(path, work):
    (work / "dane.txt").write_bytes(path.read_bytes())
    start = time.perf_counter()
    run = subprocess.run([PROGRAM], cwd=work, capture_output=True)
    return run.stdout, run.returncode, (work / "wyniki.txt").read_bytes(), time.perf_counter() - start


def rounding_differences(dane, console, page_results, native_results):
    """How many result lines differ, each by one unit in the last digit of a value whose exact value (this
    build's library) lies within 1e-6 of the rounding boundary; fails on any other difference. The page's
    results may stop early (a run that failed part way): then they must be the start of the native ones."""
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
    assert page_results.endswith(b"\n") or not page_results
    assert len(page_results.splitlines()) <= len(native_results.splitlines()) == len(inputs)
    return differing


@pytest.fixture(scope="module")
def served_page():
    """The page's address on a static web server listening on 127.0.0.1 only."""
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=str(PAGE.parent))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    yield f"http://127.0.0.1:{server.server_address[1]}/{PAGE.name}"
    server.shutdown()


def text_of(driver, element):
    return driver.find_element(By.ID, element).text


def saved_again(driver, downloads):
    """Saves wyniki.txt a second time, the first one taken away, and returns it."""
    saved = downloads / "wyniki.txt"
    saved.unlink()
    driver.find_element(By.ID, "save").click()
    wait_for(driver, lambda: saved.exists() and not list(downloads.glob("*.crdownload")), 60,
             "wyniki.txt saved a second time")
    return saved.read_bytes()


@pytest.mark.parametrize("name", ["example", "example from a web server", "an empty file, in English",
                                  "1.6 million mixed lines"])
def test_the_page_runs_the_program(browser, served_page, large_file, tmp_path, name):
    path = {"1.6 million mixed lines": large_file, "an empty file, in English": tmp_path / "pusty.txt"}.get(name, EXAMPLE)
    path.touch()
    driver, downloads = browser
    driver.get(served_page if name == "example from a web server" else PAGE.as_uri())
    if name in ("example", "an empty file, in English"):
        driver.find_element(By.ID, "language").click()  # this run in English: the page's own words only
        assert driver.execute_script("return document.documentElement.lang") == "en"
    console, status, results, seconds, progress = run_page(*browser, path)
    native_console, native_status, native_results, native_seconds = run_native(path, tmp_path)
    assert (console, status) == (native_console, native_status)
    differing = rounding_differences(path.read_bytes(), console, results, native_results)
    print(f"{name}: {differing} result lines at a rounding boundary; page {seconds:.2f} s, native {native_seconds:.2f} s")
    if name == "example":
        assert re.fullmatch(r"Done in \d+\.\d\d s: 12 lines read, 7 converted, 5 rejected\.", text_of(driver, "status"))
        assert text_of(driver, "console") == console.decode().rstrip("\n")
        assert saved_again(driver, downloads) == results  # the same file, however often it is saved
        driver.find_element(By.ID, "language").click()
        assert driver.execute_script("return document.documentElement.lang") == "pl"
        assert re.fullmatch(r"Gotowe w \d+,\d\d s: wczytano 12 wierszy, przeliczono 7, odrzucono 5\.",
                            text_of(driver, "status"))
        driver.save_screenshot(str(tmp_path / "zelmor-page.png"))
        if os.environ.get("ZELMOR_SCREENSHOT"):
            driver.save_screenshot(os.environ["ZELMOR_SCREENSHOT"])
    elif name == "an empty file, in English":
        assert re.fullmatch(r"Done in \d+\.\d\d s: 0 lines read, 0 converted, 0 rejected\.", text_of(driver, "status"))
    elif name == "1.6 million mixed lines":
        assert differing <= 30
        assert any(0 < value < 1 for value in progress), "the progress bar never moved during the run"
        # The first megabyte of messages, up to its last whole line, and a note that there are more.
        shown = driver.execute_script("return document.getElementById('console').textContent").encode()
        note = "… (to pierwszy megabajt komunikatów".encode()
        cut = shown.index(note)
        assert SHOWN_BYTES - 100 < cut <= SHOWN_BYTES and console.startswith(shown[:cut]) and shown[cut - 1:cut] == b"\n"
        driver.find_element(By.ID, "language").click()  # the note, in the language chosen afterwards
        english = driver.execute_script("return document.getElementById('console').textContent")
        driver.find_element(By.ID, "language").click()
        assert english.encode()[:cut] == shown[:cut] and english.endswith("“Save the messages” saves them all)")
        read, converted = int(re.search(rb"Wczytano (\d+) wierszy", console).group(1)), results.count(b"\n")
        polish = [format(count, ",").replace(",", " ") for count in (read, converted, read - converted)]
        said = "wczytano {} wierszy, przeliczono {}, odrzucono {}.".format(*polish)
        assert text_of(driver, "status").replace("\u00a0", " ").endswith(said)


def test_a_second_file_stops_the_run_and_is_converted_instead(browser, large_file, tmp_path):
    driver, downloads = browser
    driver.get(PAGE.as_uri())
    choose(driver, large_file)
    wait_for(driver, lambda: seen(driver)[2] > 0, 60, "progress on the large file")
    choose(driver, EXAMPLE)
    wait_for(driver, lambda: seen(driver)[1].startswith("Przerwano"), 10, "word that the first run was stopped")
    wait_for_end(driver)
    console, results = save_both(driver, downloads)
    native_console, native_status, native_results, _ = run_native(EXAMPLE, tmp_path)
    assert (console, results) == (native_console, native_results)
    assert driver.find_element(By.TAG_NAME, "body").get_attribute("data-exit-status") == str(native_status)


def test_a_file_that_changes_during_the_run_is_a_read_error_and_keeps_what_was_converted(browser, large_file, tmp_path):
    driver, downloads = browser
    driver.get(PAGE.as_uri())
    changing = tmp_path / "punkty.txt"
    changing.write_bytes(large_file.read_bytes())
    choose(driver, changing)
    wait_for(driver, lambda: seen(driver)[2] > 0, 60, "progress")  # its first window is read
    changing.write_bytes(large_file.read_bytes()[:1000])
    wait_for_end(driver)
    console, results = save_both(driver, downloads)
    assert console.endswith(b"\nBlad: nie mozna odczytac pliku dane.txt\n")
    assert driver.find_element(By.TAG_NAME, "body").get_attribute("data-exit-status") == "1"
    assert re.fullmatch(r"Zakończono z błędem po \d+,\d\d s \(przyczyna w komunikatach\), przeliczono [\d\s]+\.",
                        text_of(driver, "status").replace("\u00a0", " "))
    native_console, _, native_results, _ = run_native(large_file, tmp_path)
    assert results.count(b"\n") > 100_000  # the first window's points
    rounding_differences(large_file.read_bytes(), native_console, results, native_results)


def test_the_same_file_chosen_again_after_an_edit_is_read_again(browser, tmp_path):
    driver, downloads = browser
    driver.get(PAGE.as_uri())
    edited = tmp_path / "chosen" / "punkty.txt"
    edited.parent.mkdir()
    for content in (b"W 52 19\n", b"P 0 0\nW 52 21\n"):
        edited.write_bytes(content)
        console, status, results, _, _ = run_page(driver, downloads, edited)
        native_console, native_status, native_results, _ = run_native(edited, tmp_path)
        assert (console, status, results) == (native_console, native_status, native_results)


# A browser that refuses the program's WebAssembly (as one without 'wasm-unsafe-eval' does: Chromium before
# 97, Safari before 16), or its worker: the page, made to refuse them by its own policy, says so within
# seconds in its own words, and each file chosen after is tried again.
@pytest.mark.parametrize("allowed, refused", [("'wasm-unsafe-eval' ", ""), ("worker-src blob:", "worker-src 'none'")])
def test_a_browser_that_refuses_the_program_hears_it_in_the_pages_words(browser, tmp_path, allowed, refused):
    driver, _ = browser
    refusing = tmp_path / "zelmor.html"
    page = PAGE.read_text(encoding="utf-8")
    assert allowed in page
    refusing.write_text(page.replace(allowed, refused, 1), encoding="utf-8")
    driver.get(refusing.as_uri())
    for _ in range(2):  # and again: the page is not stuck
        choose(driver, EXAMPLE)
        wait_for(driver, lambda: seen(driver)[0] == "failed", 10, "word that the program cannot start")
        assert text_of(driver, "status").startswith("Program nie mógł się uruchomić w tej przeglądarce.")
        assert re.fullmatch(r"Przeglądarka podała: \S.*", text_of(driver, "status-detail"))  # and the browser's reason


def expect_native(driver, downloads, path, tmp_path):
    """Saves both files of the run that has ended and holds them, and its exit status, to the native program's."""
    console, results = save_both(driver, downloads)
    native_console, native_status, native_results, _ = run_native(path, tmp_path)
    assert (console, results) == (native_console, native_results)
    assert driver.find_element(By.TAG_NAME, "body").get_attribute("data-exit-status") == str(native_status)


def test_a_file_chosen_long_after_the_page_opened_and_another_after_that_run(browser, tmp_path):
    driver, downloads = browser
    open_controlled(driver, PAGE.as_uri())
    wait_for(driver, lambda: driver.execute_script("return window.__readyWorkers") >= 1, 20, "a worker ready")
    driver.execute_script("window.__holdWorkers = true; window.__advanceClock(25000)")  # 25 s after the page opened
    choose(driver, EXAMPLE)
    wait_for_end(driver, 20)
    expect_native(driver, downloads, EXAMPLE, tmp_path)
    # The next file, while its worker is held at its start: a run of its own, not the last one stopped,
    # its progress from nothing, nothing to save yet.
    second = tmp_path / "punkty.txt"
    second.write_bytes(b"P 0 0\nW 52 21\nw 1 2\n")
    choose(driver, second)
    assert seen(driver) == ["running", "Przeliczanie…", 0]
    assert not any(driver.find_element(By.ID, button).is_enabled() for button in ("save", "save-console"))
    driver.execute_script("window.__releaseWorkers()")
    wait_for_end(driver, 20)
    expect_native(driver, downloads, second, tmp_path)


def test_files_chosen_while_the_worker_starts_give_the_last_ones_results(browser, tmp_path):
    driver, downloads = browser
    open_controlled(driver, PAGE.as_uri(), hold=True)
    last = tmp_path / "punkty.txt"
    last.write_bytes(b"P 0 0\nX 1\n")
    choose(driver, EXAMPLE)
    choose(driver, last)
    wait_for(driver, lambda: driver.execute_script("return window.__readyWorkers") >= 1, 20, "a worker ready")
    driver.execute_script("window.__releaseWorkers()")
    wait_for_end(driver, 20)
    expect_native(driver, downloads, last, tmp_path)


def test_a_worker_that_never_answers_is_given_up_at_the_deadline(browser, tmp_path):
    driver, _ = browser
    silent = tmp_path / "zelmor.html"
    page = PAGE.read_text(encoding="utf-8")
    ready = 'postMessage({ kind: "ready" });'
    assert ready in page
    silent.write_text(page.replace(ready, "", 1), encoding="utf-8")
    open_controlled(driver, silent.as_uri())
    choose(driver, EXAMPLE)
    driver.execute_script("window.__advanceClock(19000)")
    assert seen(driver)[0] == "running"
    driver.execute_script("window.__advanceClock(2000)")
    assert seen(driver)[0] == "failed"
    assert text_of(driver, "status").startswith("Program nie mógł się uruchomić w tej przeglądarce.")
    assert text_of(driver, "status-detail") == "Przeglądarka podała: no answer in 20 s"


def test_a_file_dropped_onto_the_page_is_converted(browser, tmp_path):
    driver, downloads = browser
    driver.get(PAGE.as_uri())
    # A file as the browser makes it of one dragged from the desktop, and the events of its drop.
    driver.execute_script(
        "const drop = new DataTransfer();"
        "drop.items.add(new File([new Uint8Array(arguments[0])], 'punkty.txt', { type: 'text/plain' }));"
        "document.body.dataset.state = 'chosen';"
        "document.dispatchEvent(new DragEvent('dragover', { dataTransfer: drop, cancelable: true }));"
        "window.__over = document.getElementById('drop').classList.contains('over');"
        "document.dispatchEvent(new DragEvent('drop', { dataTransfer: drop, cancelable: true }));",
        list(EXAMPLE.read_bytes()))
    assert driver.execute_script("return window.__over")  # the drop zone showed where it goes
    wait_for_end(driver, 20)
    assert not driver.execute_script("return document.getElementById('drop').classList.contains('over')")
    expect_native(driver, downloads, EXAMPLE, tmp_path)


# Tables as users have them, each chosen on the page and saved, against zelmor-csv's output for the file.
POLISH_EXPORT = "Nr;Szerokość;Długość;Opis\r\n1;52,2297;21,0122;\"Warszawa; PKiN\"\r\n2;60;21;poza\r\n3;x;1;\r\n"
PAGE_TABLES = {
    "Polish spreadsheet export, UTF-8 with a BOM": ("punkty.csv", b"\xef\xbb\xbf" + POLISH_EXPORT.encode()),
    "the same, Windows-1250": ("Punkty 1250.CSV", POLISH_EXPORT.encode("cp1250")),
    "QGIS CSV export": ("warstwa.csv", b"X,Y,name\n21.0122,52.2297,\"Warszawa, PKiN\"\n14.55,53.43,Szczecin\n"),
    "total station listing named .txt": ("pikiety.txt", b"101 459309.21 500000.00 123.45\n102 486757.2095 637382.2044 9\n"),
    "a table that leaves a doubt": ("watpliwa.csv", b"1;50,1;52,2;21,0\n"),
}


@pytest.mark.parametrize("name", PAGE_TABLES)
def test_a_table_comes_back_as_zelmor_csv_gives_it(browser, tmp_path, name):
    file_name, data = PAGE_TABLES[name]
    (tmp_path / file_name).write_bytes(data)
    native = subprocess.run([TABLE_PROGRAM, file_name], cwd=tmp_path, capture_output=True, timeout=60)
    driver, downloads = browser
    driver.get(PAGE.as_uri())
    for old in downloads.iterdir():
        old.unlink()
    choose(driver, tmp_path / file_name)
    wait_for_end(driver, 60)
    assert int(driver.find_element(By.TAG_NAME, "body").get_attribute("data-exit-status")) == native.returncode
    saved_name = re.sub(r"(\.[^.]*)$", r"_zelmor\1", file_name)
    wanted = ["komunikaty.txt"] + ([saved_name] if native.returncode != 2 else [])
    for button in ("save", "save-console")[2 - len(wanted):]:
        driver.find_element(By.ID, button).click()
    wait_for(driver, lambda: sorted(file.name for file in downloads.iterdir()) == sorted(wanted), 60, "saved files")
    assert (downloads / "komunikaty.txt").read_bytes() == native.stderr
    if native.returncode != 2:
        assert (downloads / saved_name).read_bytes() == native.stdout
        assert text_of(driver, "save") == "Zapisz tabelę"
    else:
        assert not driver.find_element(By.ID, "save").is_enabled()
    status = {0: "przeliczono każdy wiersz tabeli", 1: "nie każdy wiersz tabeli przeliczono",
              2: "Tabeli nie przeliczono"}[native.returncode]
    assert status in text_of(driver, "status")
