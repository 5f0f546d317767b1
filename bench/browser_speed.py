"""zelmor.html in headless Chromium against the native program, on the mixed file of the page's test.

Each round runs the native program, then the page (from choosing the file to the results ready, as the
page times it), on the same file of N lines; medians of the times and of the ratio within each round
are printed (the machine is shared, so single timings wander). Then, for files of 1 000 000 and
10 000 000 lines, the peak memory of a browser started for the file alone, during the run and the
saving of both files: the proportional set size (PSS, shared pages split between the processes that
share them) of all its processes, sampled every 50 ms, before the file is chosen and at its highest.

    python3 bench/browser_speed.py [lines] [rounds]        (defaults: 1000000, 7)

Needs build/zelmor and build-web/zelmor.html (the README says how to build them), Debian's chromium,
chromium-driver, python3-selenium and python3-psutil.
"""

import statistics
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

import psutil

root = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(root / "tests" / "browser"))
from browser_page import mixed_lines, run_page, start_browser  # noqa: E402

lines = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 7
page, program = root / "build-web" / "zelmor.html", root / "build" / "zelmor"


def native_seconds(work):
    start = time.perf_counter()
    subprocess.run([program], cwd=work, stdout=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def browser_memory(driver):
    """The PSS of the browser's processes (those chromedriver started), bytes."""
    total = 0
    for process in psutil.Process(driver.service.process.pid).children(recursive=True):
        try:
            total += process.memory_full_info().pss
        except psutil.Error:
            pass
    return total


def peak_memory(driver, downloads, path):
    """The browser's memory before `path` is chosen, and its peak during the run."""
    before = browser_memory(driver)
    peak, running = [before], True

    def sample():
        while running:
            peak[0] = max(peak[0], browser_memory(driver))
            time.sleep(0.05)

    sampler = threading.Thread(target=sample)
    sampler.start()
    run_page(driver, downloads, path)
    running = False
    sampler.join()
    return before, peak[0]


def main():
    with tempfile.TemporaryDirectory() as work_name:
        work = Path(work_name)
        downloads = work / "downloads"
        downloads.mkdir()
        (work / "dane.txt").write_bytes(mixed_lines(lines))
        driver = start_browser(page, downloads)
        try:
            time.sleep(2)  # the page readies its first worker
            native, browser = [], []
            for _ in range(rounds):
                native.append(native_seconds(work))
                browser.append(run_page(driver, downloads, work / "dane.txt")[3])
                time.sleep(1)  # as a user would take to choose the next file: the next worker readies
            ratio = statistics.median(b / n for b, n in zip(browser, native))
            print(f"{lines} lines, medians of {rounds} rounds: native {statistics.median(native):.3f} s, "
                  f"page {statistics.median(browser):.3f} s, page / native {ratio:.2f}")
        finally:
            driver.quit()
        for count in (1_000_000, 10_000_000):
            (work / "dane.txt").write_bytes(mixed_lines(count))
            driver = start_browser(page, downloads)
            try:
                time.sleep(2)
                before, peak = peak_memory(driver, downloads, work / "dane.txt")
            finally:
                driver.quit()
            print(f"{count} lines: browser memory {before / 2**20:.0f} MiB before, {peak / 2**20:.0f} MiB at most "
                  f"({(peak - before) / 2**20:.0f} MiB more)")


if __name__ == "__main__":
    main()
