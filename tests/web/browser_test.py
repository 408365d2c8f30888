#!/usr/bin/python3
"""The page in a real browser (Debian's headless Chromium driven by Selenium) against the real
program under Wine: log in, see the players (an engine-supplied name that is HTML shown as
text), send a command and see its echo, kick with the confirmation, the history's charts with
data and their 24-hour switch; on a phone-sized window,
nothing wider than the screen, and no content-security-policy complaint from the browser.
Usage: browser_test.py <wine-exec> <korvane-server.exe in the demo installation>;
KORVANE_SCREENSHOT_DIR, when set, receives pictures of the page."""
import os
import re
import sys
import tempfile

from selenium import webdriver
from selenium.common.exceptions import NoAlertPresentException, StaleElementReferenceException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

from webhost import PASSWORD, Checks, Host, expect

SCRIPT_NAME = "<script>alert(1)</script>"
TARGET = "Kickable"


def start_browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync",
                     f"--user-data-dir={profile}", "--window-size=1100,900"):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def wait(driver, condition, what, seconds=15):
    # The page redraws its rows every second: an element found a moment ago may be gone.
    try:
        return WebDriverWait(driver, seconds, poll_frequency=0.1,
                             ignored_exceptions=(StaleElementReferenceException,)).until(
            lambda d: condition(d))
    except Exception as error:
        raise AssertionError(f"waited {seconds} s for {what}: {error!r}")


def player_names(driver):
    return driver.execute_script(
        "return Array.from(document.querySelectorAll('#players tbody tr'),"
        " (row) => row.cells[1].textContent)")


def click_kick(driver, name):
    """Clicks the Kick button on `name`'s row; false when there is none (yet)."""
    for row in driver.find_elements(By.CSS_SELECTOR, "#players tbody tr"):
        if row.find_elements(By.TAG_NAME, "td")[1].text == name:
            row.find_element(By.TAG_NAME, "button").click()
            return True
    return False


def log_in(driver, host):
    driver.get(host.url)
    wait(driver, lambda d: d.find_element(By.ID, "password").is_displayed(), "the login form")
    driver.find_element(By.ID, "password").send_keys("not-the-password")
    driver.find_element(By.CSS_SELECTOR, "#login-form button").click()
    wait(driver, lambda d: d.find_element(By.ID, "login-error").text == "Wrong password.",
         "the wrong-password message")
    field = driver.find_element(By.ID, "password")
    field.clear()
    field.send_keys(PASSWORD)
    driver.find_element(By.CSS_SELECTOR, "#login-form button").click()
    wait(driver, lambda d: d.find_element(By.ID, "admin-view").is_displayed(), "the admin view")


def see_players_as_text(driver, host):
    # Players named through the engine's own command, as a player could name themselves.
    for name in (SCRIPT_NAME, TARGET):
        expect(host.command("addbot " + name, host.admin) == 200, "addbot")
    wait(driver, lambda d: {SCRIPT_NAME, TARGET} <= set(player_names(d)),
         "the player whose name is HTML")
    expect(driver.execute_script("return document.querySelectorAll('#players script').length") == 0,
           "the name became a script element")
    try:
        driver.switch_to.alert
        raise AssertionError("the name's script ran")
    except NoAlertPresentException:
        pass
    wait(driver, lambda d: re.fullmatch(r"\d+ / 16", d.find_element(By.ID, "player-count").text),
         "the status")


def send_command(driver):
    field = driver.find_element(By.ID, "command")
    field.send_keys("say hello from the browser")
    driver.find_element(By.CSS_SELECTOR, "#command-form button").click()
    wait(driver, lambda d: "say hello from the browser" in d.find_element(By.ID, "console").text,
         "the command's echo in the console")
    expect(field.get_attribute("value") == "", "the command line was not cleared")


# Counts the console reads and holds every GET's answer back for window.slowMs.
WATCH_POLLS = """window.reads = 0; window.slowMs = 500; window.pending = new Set();
const really = window.fetch; window.fetch = async (path, init) => {
  const base = path.split('?')[0]; window.pending.add(base); const answer = await really(path, init);
  if (init.method === 'GET') await new Promise((done) => setTimeout(done, window.slowMs));
  window.pending.delete(base); window.reads += base === '/api/console'; return answer; };"""


# A password set while a poll is on its way: its echo shows once, and with the engine's answer
# without the value; Up and Down walk the sent commands; the focus stays on a Kick button (named
# for its player) across refreshes; the console is a log region.
def console_history_and_focus(driver):
    js, console = driver.execute_script, driver.find_element(By.ID, "console")
    js(WATCH_POLLS)
    field, command = driver.find_element(By.ID, "command"), "remoteadminpassword rconsecret1"
    field.send_keys(command)
    wait(driver, lambda d: js("return window.pending.has('/api/status')"), "a poll on its way")
    driver.find_element(By.CSS_SELECTOR, "#command-form button").click()
    wait(driver, lambda d: 'changed to "****"' in console.text, "the engine's answer")
    field.send_keys("half typed", Keys.ARROW_UP, Keys.ARROW_UP)
    expect(field.get_attribute("value") == "say hello from the browser", "Up, Up")
    field.send_keys(Keys.ARROW_DOWN, Keys.ARROW_DOWN)
    expect(field.get_attribute("value") == "half typed", "Down, Down")
    field.clear()
    kick = wait(driver, lambda d: d.find_element(By.XPATH, f"//tr[td[2]='{TARGET}']//button"),
                "the Kick button")
    reads = js("arguments[0].focus(); window.slowMs = 0; return window.reads", kick)
    wait(driver, lambda d: js("return window.reads") >= reads + 2, "two more polls")
    expect(js("return document.activeElement") == kick, "the focus left the Kick button")
    expect(re.fullmatch(f"Kick {TARGET} \\(\\d+\\)", kick.get_attribute("aria-label")), "its name")
    expect(console.get_attribute("role") == "log", "the console's role")
    shown = console.text.split("\n").count("remoteadminpassword ****")
    expect(shown == 1 and "rconsecret1" not in console.text, f"the echo shown {shown} times")


def kick_with_confirmation(driver):
    wait(driver, lambda d: click_kick(d, TARGET), "the Kick button")
    alert = wait(driver, lambda d: d.switch_to.alert, "the confirmation")
    expect(re.fullmatch(r"Kick " + TARGET + r" \(\d+\)\?", alert.text), alert.text)
    alert.dismiss()
    expect(TARGET in player_names(driver), "No still kicked")
    wait(driver, lambda d: click_kick(d, TARGET), "the Kick button")
    wait(driver, lambda d: d.switch_to.alert, "the confirmation").accept()
    wait(driver, lambda d: TARGET not in player_names(d), "the kicked player's row to go")


# Per chart: the points of each line, and whether its canvas has anything drawn on it.
CHARTS = """return ['chart-players', 'chart-rate', 'chart-ticks'].map((id) => {
  const chart = Chart.getChart(id), canvas = chart.canvas, x = chart.options.scales.x;
  const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
  return {points: chart.data.datasets.map((d) => d.data.length),
          drawn: pixels.some((v, i) => i % 4 === 3 && v > 0), span: x.max - x.min}; });"""


# The history's three charts drawn from the server's samples (one every 10 s from the start
# of hosting), the 24-hour switch, and Chart.js served by the program with its licence header.
def charts_with_data(driver, host, shots):
    status, _, library = host.request("GET", "/chart.min.js")
    expect(status == 200 and "Released under the MIT License" in library[:300], "its licence")
    charts = wait(driver, lambda d: (lambda c: all(min(x["points"]) >= 2 and x["drawn"]
                                                   for x in c) and c)(d.execute_script(CHARTS)),
                  "two samples drawn in each chart", seconds=40)
    expect([len(c["points"]) for c in charts] == [1, 1, 2], f"the lines: {charts}")
    expect({c["span"] for c in charts} == {3600}, f"the span: {charts}")
    if shots:
        driver.find_element(By.ID, "history").screenshot(os.path.join(shots, "webadmin-charts.png"))
    driver.find_element(By.ID, "span-24").click()
    wait(driver, lambda d: {c["span"] for c in d.execute_script(CHARTS)} == {86400},
         "the charts to span 24 hours")


def fits_a_phone(driver, shots):
    driver.set_window_size(390, 844)
    driver.execute_script("window.scrollTo(0, 0)")
    if shots:
        driver.save_screenshot(os.path.join(shots, "webadmin-phone.png"))
    width = driver.execute_script("return document.documentElement.scrollWidth")
    inner = driver.execute_script("return window.innerWidth")
    expect(width <= inner, f"the page is {width} px wide in a {inner} px window")


def no_policy_complaints(driver):
    complaints = [entry["message"] for entry in driver.get_log("browser")
                  if "Content Security Policy" in entry["message"]]
    expect(not complaints, complaints)


def main():
    wine_exec, exe = sys.argv[1], sys.argv[2]
    shots = os.environ.get("KORVANE_SCREENSHOT_DIR", "")
    if shots:
        os.makedirs(shots, exist_ok=True)
    checks = Checks()
    host = Host(wine_exec, exe)
    try:
        with tempfile.TemporaryDirectory() as profile:
            driver = start_browser(profile)
            try:
                checks.run("log in after a wrong password", log_in, driver, host)
                checks.run("players, the HTML name as text", see_players_as_text, driver, host)
                if shots:
                    driver.save_screenshot(os.path.join(shots, "webadmin.png"))
                checks.run("command and its echo", send_command, driver)
                checks.run("one echo, Up and Down, the focus kept", console_history_and_focus,
                           driver)
                checks.run("kick with the confirmation", kick_with_confirmation, driver)
                checks.run("the history's charts with data", charts_with_data, driver, host,
                           shots)
                checks.run("readable on a phone", fits_a_phone, driver, shots)
                checks.run("no content-security-policy complaint", no_policy_complaints, driver)
            finally:
                driver.quit()
    finally:
        host.stop()
    checks.finish()


if __name__ == "__main__":
    main()
