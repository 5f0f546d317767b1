"""zelmor.html driven in Debian's headless Chromium, for the page's test and its benchmark. Every wait has a
deadline, and fails with what the page showed."""

import random
import time
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By


def mixed_lines(count, seed=1992):
    """A dane.txt of `count` lines of every kind, with CR LF line ends and a byte order mark."""
    pick = random.Random(seed)
    kinds = [
        lambda: f"W {pick.uniform(48, 56):.7f} {pick.uniform(13, 25):.7f}",
        lambda: f"P {pick.uniform(1e5, 9e5):.4f} {pick.uniform(1.5e5, 9e5):.4f}",
        lambda: f"W {pick.uniform(40, 60):.5f} {pick.uniform(10, 30):.5f}",  # partly outside the area
        lambda: pick.choice(["", "X 1", "w 52 19", "W 52,5 19", "P 1e300 0", "\tW  52.1 19.2 uwagi"]),
    ]
    lines = [kinds[pick.choices(range(4), weights=(45, 45, 5, 5))[0]]() for _ in range(count)]
    return ("\ufeff" + "\r\n".join(lines) + "\r\n").encode()


def start_browser(page: Path, downloads: Path):
    """Chromium, headless, with `page` open from its file:// address and downloads going to `downloads`.
    The flags are those a root user needs (no sandbox) and those that keep it from the network."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--window-size=1000,900"):
        options.add_argument(flag)
    driver = webdriver.Chrome(options=options, service=Service(executable_path="/usr/bin/chromedriver"))
    driver.execute_cdp_cmd("Page.setDownloadBehavior", {"behavior": "allow", "downloadPath": str(downloads)})
    driver.get(page.resolve().as_uri())
    return driver


# Put into a page before its own scripts run: its clock (setTimeout, clearTimeout) moves on only when the
# test says (window.__advanceClock(ms)), and its workers' word that they are ready is counted
# (window.__readyWorkers) and, while window.__holdWorkers is set, held back until
# window.__releaseWorkers(), so that the test decides when a worker has started.
CONTROLS = """
(() => {
  let now = 0;
  let next = 1;
  const timers = new Map();
  window.setTimeout = (callback, delay = 0, ...args) => {
    timers.set(next, { callback, due: now + delay, args });
    return next++;
  };
  window.clearTimeout = (id) => timers.delete(id);
  window.__advanceClock = (ms) => {
    now += ms;
    for (const [id, timer] of [...timers].sort((a, b) => a[1].due - b[1].due)) {
      if (timer.due <= now && timers.delete(id)) {
        timer.callback(...timer.args);
      }
    }
  };
  const held = [];
  window.__readyWorkers = 0;
  window.__holdWorkers = HOLD;
  window.__releaseWorkers = () => {
    window.__holdWorkers = false;
    held.splice(0).forEach((deliver) => deliver());
  };
  window.Worker = class extends window.Worker {
    set onmessage(handler) {
      super.onmessage = (event) => {
        if (event.data && event.data.kind === "ready") {
          window.__readyWorkers++;
          if (window.__holdWorkers) {
            held.push(() => handler(event));
            return;
          }
        }
        handler(event);
      };
    }
    get onmessage() {
      return super.onmessage;
    }
  };
})();
"""


def open_controlled(driver, address, hold=False):
    """Opens the page at `address` with CONTROLS in it, the workers held from the start when `hold`."""
    script = CONTROLS.replace("HOLD", "true" if hold else "false")
    added = driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": script})
    driver.get(address)
    driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument", {"identifier": added["identifier"]})


def seen(driver):
    """What the page shows of a run: its state, status line and progress."""
    return driver.execute_script(
        "return [document.body.dataset.state, document.getElementById('status').textContent,"
        " document.getElementById('progress').value]")


def wait_for(driver, ready, seconds, what):
    """Polls `ready()` until it is true; fails after `seconds` with what the page showed."""
    deadline = time.monotonic() + seconds
    while not ready():
        if time.monotonic() > deadline:
            raise AssertionError(f"no {what} after {seconds} s; the page shows {seen(driver)}")
        time.sleep(0.02)


def choose(driver, path: Path):
    """Chooses the file at `path`; the page's state is cleared first, so that the end of an earlier run
    is not taken for this one's."""
    driver.execute_script("document.body.dataset.state = 'chosen'")
    driver.find_element(By.ID, "file").send_keys(str(path))


def wait_for_end(driver, seconds=120):
    """Waits for the run to end; returns every progress value seen while it ran."""
    progress = []

    def ended():
        state, _, value = seen(driver)
        progress.append(value)
        return state in ("done", "failed")

    wait_for(driver, ended, seconds, "end of the run")
    return progress


def save_both(driver, downloads: Path):
    """Saves both files and returns the console text and wyniki.txt."""
    for old in downloads.iterdir():
        old.unlink()
    for button in ("save", "save-console"):
        element = driver.find_element(By.ID, button)
        assert element.is_enabled(), f"{button} is disabled; the page shows {seen(driver)}"
        element.click()
    wait_for(driver, lambda: sorted(file.name for file in downloads.iterdir()) == ["komunikaty.txt", "wyniki.txt"],
             60, "saved files")
    return (downloads / "komunikaty.txt").read_bytes(), (downloads / "wyniki.txt").read_bytes()


def run_page(driver, downloads: Path, path: Path):
    """Chooses the file at `path` on the page and saves both files: the console text, the exit status,
    wyniki.txt, the page's seconds from choosing the file to the results ready, and the progress seen."""
    choose(driver, path)
    progress = wait_for_end(driver)
    body = driver.find_element(By.TAG_NAME, "body")
    console, results = save_both(driver, downloads)
    return console, int(body.get_attribute("data-exit-status")), results, float(body.get_attribute("data-seconds")), progress
