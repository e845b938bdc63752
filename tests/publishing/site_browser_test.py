#!/usr/bin/env python3
"""A published site and a comparison page in a real browser (headless Chromium under Selenium),
opened from file:// as their readers open them, and checked with tidy.

    site_browser_test.py QLX_CONVERT EXPORT WORK_FOLDER
        publishes EXPORT (with <script> put into a caption and a line) into WORK_FOLDER/site,
        compares it with EXPORT into WORK_FOLDER/report.html, and tests both.
    site_browser_test.py --search-time SITE_FOLDER WORD
        opens SITE_FOLDER/index.html, searches for WORD and prints how long the search took.

Exits 77 (skipped) when Chromium, its driver, Selenium or tidy is missing.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
CHROMIUM = next((p for p in ("/usr/bin/chromium", shutil.which("chromium") or "") if os.path.exists(p)), None)
DRIVER = next((p for p in ("/usr/bin/chromedriver", shutil.which("chromedriver") or "") if os.path.exists(p)), None)

try:
    from selenium import webdriver
    from selenium.common.exceptions import NoAlertPresentException
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    webdriver = None


def skip_when_missing(need_tidy=True):
    missing = [name for name, there in (("chromium", CHROMIUM), ("chromium-driver", DRIVER),
                                         ("python3-selenium", webdriver),
                                         ("tidy", shutil.which("tidy") or not need_tidy))
               if not there]
    if missing:
        print("SKIPPED: missing " + ", ".join(missing) + " (install them to run this test)")
        sys.exit(SKIP)


failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED: " + what)


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     "--no-first-run", "--disable-extensions", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--user-data-dir=" + profile,
                     "--window-size=1280,900"):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
    driver = webdriver.Chrome(service=Service(DRIVER), options=options)
    driver.get("about:blank")
    driver.get_log("performance")
    return driver


def check_logs(driver, where):
    """No console error, and no request for anything but the site's own files."""
    for entry in driver.get_log("browser"):
        check(entry["level"] != "SEVERE", where + ": console error: " + entry["message"])
    seen = 0
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] != "Network.requestWillBeSent":
            continue
        # (The browser's own pages, such as its new tab, ask for chrome:// resources.)
        if not message["params"].get("documentURL", "").startswith("file://"):
            continue
        url = message["params"]["request"]["url"]
        seen += 1
        check(url.startswith("file://") or url.startswith("data:"),
              where + ": a request for " + url)
    check(seen > 0, where + ": the browser's requests were seen")


def wait_for(driver, condition, what):
    try:
        WebDriverWait(driver, 10).until(lambda d: condition(d))
        return True
    except Exception:
        check(False, what)
        return False


def search(driver, word):
    box = driver.find_element(By.ID, "search")
    box.clear()
    box.send_keys(word)
    driver.find_element(By.CSS_SELECTOR, "#search-form button").click()
    wait_for(driver, lambda d: d.find_element(By.ID, "search-results").is_displayed(),
             "search results for " + word + " shown")
    return driver.execute_script("return window.qlxLastSearchMilliseconds")


def row_texts(driver, column):
    return [row.find_elements(By.TAG_NAME, "td")[column].text
            for row in driver.find_elements(By.CSS_SELECTOR, "#procedures tbody tr")
            if row.is_displayed()]


def test_index(driver, site):
    driver.get("file://" + os.path.join(site, "index.html"))
    check(driver.title == "new.qlx", "index title: " + driver.title)
    names = row_texts(driver, 1)
    check(len(names) == 4, "four procedures listed: %r" % names)
    check("LAB.C.<script>alert(1)</script>EMPTY" in names, "the caption shown as text: %r" % names)
    # Sorting by name, both ways, then by size (numbers, not text).
    header = driver.find_element(By.XPATH, "//th[button='Procedure']")
    header.find_element(By.TAG_NAME, "button").click()
    check(row_texts(driver, 1) == sorted(names, key=str.lower), "sorted by name: %r" % row_texts(driver, 1))
    check(header.get_attribute("aria-sort") == "ascending", "aria-sort ascending")
    header.find_element(By.TAG_NAME, "button").click()
    check(row_texts(driver, 1) == sorted(names, key=str.lower, reverse=True), "sorted back")
    driver.find_element(By.XPATH, "//th/button[.='Size']").click()
    sizes = [int(row.find_elements(By.TAG_NAME, "td")[5].get_attribute("data-value"))
             for row in driver.find_elements(By.CSS_SELECTOR, "#procedures tbody tr")]
    check(sizes == sorted(sizes), "sorted by size: %r" % sizes)
    # The filter, as the user types; keyboard reachable like every control.
    box = driver.find_element(By.ID, "filter")
    box.send_keys("spec")
    check(row_texts(driver, 1) == ["LAB.C.SPECIMEN.LIST"], "filtered: %r" % row_texts(driver, 1))
    check(driver.find_element(By.ID, "filter-count").text == "1 of 4 procedures shown",
          "filter count: " + driver.find_element(By.ID, "filter-count").text)
    box.clear()
    box.send_keys(" ")
    box.send_keys("\b")
    check(len(row_texts(driver, 1)) == 4, "filter cleared")
    # Every control is reached by Tab, in the order of the page.
    driver.get(driver.current_url)
    reached = []
    for _ in range(12):
        ActionChains(driver).send_keys(Keys.TAB).perform()
        active = driver.switch_to.active_element
        reached.append(active.get_attribute("id") or active.text)
    check(reached[:6] == ["Skip to the content", "All procedures", "search", "Search", "filter", "#"],
          "the order of Tab: %r" % reached)
    check("Procedure" in reached and "Size" in reached, "sort buttons reached by Tab: %r" % reached)
    check_logs(driver, "index")


def test_search_and_pages(driver, site):
    driver.get("file://" + os.path.join(site, "index.html"))
    search(driver, "LABORATORY")
    results = driver.find_element(By.ID, "search-results")
    check("lines hold" in results.text or "line holds" in results.text, "a count: " + results.text)
    links = results.find_elements(By.CSS_SELECTOR, "li a")
    check(len(links) >= 1, "results listed")
    hit = next((link for link in links if link.find_element(By.XPATH, "..").text.find("census") >= 0), None)
    if hit is None:
        check(False, "a result with the description line: " + results.text)
        return
    line_text = hit.find_element(By.XPATH, "..").text
    check(", line " in line_text, "result names its line: " + line_text)
    hit.click()
    wait_for(driver, lambda d: "0001-LAB-C-DAILY-CENSUS.html" in d.current_url, "page opened")
    anchor = driver.current_url.split("#")[-1]
    line = driver.find_element(By.ID, anchor)
    check("hit" in line.get_attribute("class"), "the line is marked")
    marks = line.find_elements(By.TAG_NAME, "mark")
    check(len(marks) == 1 and marks[0].text.lower() == "laboratory", "the match is marked")
    check(driver.execute_script(
        "var r = arguments[0].getBoundingClientRect(); return r.top >= 0 && r.bottom <= innerHeight;",
        line), "the match is on screen")
    check("<script>alert(2)</script>" in driver.find_element(By.ID, "L24").text
          or "<script>" in driver.page_source.replace("&lt;script&gt;", "<script>"),
          "the line's <script> is text")
    # Previous and next.
    driver.find_element(By.CSS_SELECTOR, "a[rel=next]").click()
    wait_for(driver, lambda d: "0002-LAB-C-script-alert-1-script-EMPTY.html" in d.current_url,
             "next page")
    check(driver.find_element(By.TAG_NAME, "h1").text == "LAB.C.<script>alert(1)</script>EMPTY",
          "the caption is the heading, as text")
    try:
        driver.switch_to.alert
        check(False, "an alert ran")
    except NoAlertPresentException:
        pass
    # Search from a procedure page too, then back to the first page.
    search(driver, "census")
    check(len(driver.find_elements(By.CSS_SELECTOR, "#search-results li")) > 1, "results from a page")
    driver.find_element(By.CSS_SELECTOR, "a[rel=prev]").click()
    wait_for(driver, lambda d: "0001-LAB-C-DAILY-CENSUS.html" in d.current_url, "previous page")
    outline = driver.find_elements(By.CSS_SELECTOR, "nav.outline a")
    check([a.text for a in outline][:2] == ["Description", "Report LAB.C.DAILY.CENSUS"],
          "outline: %r" % [a.text for a in outline])
    # Printed: the document alone, without the navigation.
    driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": "print"})
    for hidden in (".site-bar", "nav.outline", "nav.pager"):
        check(not driver.find_element(By.CSS_SELECTOR, hidden).is_displayed(),
              hidden + " hidden in print")
    check(driver.find_element(By.CSS_SELECTOR, ".document").is_displayed(), "document printed")
    driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": ""})
    check_logs(driver, "pages")


def test_report(driver, report):
    driver.get("file://" + report)
    check(driver.find_element(By.TAG_NAME, "h1").text.startswith("Comparison of"), "report heading")
    links = driver.find_elements(By.CSS_SELECTOR, "table a[href^='#procedure-']")
    # The census changed; the procedure whose name changed is one removed and one added.
    check(len(links) == 3, "three procedures linked: %d" % len(links))
    links[0].click()
    check(driver.current_url.endswith(links[0].get_attribute("hash")), "summary link followed")
    check(len(driver.find_elements(By.CSS_SELECTOR, "tr.removed")) > 0, "removed lines")
    check([b.text for b in driver.find_elements(By.CSS_SELECTOR, "tr.added b")][:1]
          == ["<script>alert(2)</script> "], "changed words in bold, as text")
    check(len(driver.find_elements(By.CSS_SELECTOR, "script")) == 0, "no script in the report")
    check_logs(driver, "report")


def tidy(path):
    result = subprocess.run(["tidy", "-q", "-e", path], capture_output=True, text=True)
    if result.stderr.strip():
        print("tidy " + os.path.basename(path) + ":\n" + result.stderr.strip())
    check(result.returncode < 2, "tidy finds errors in " + os.path.basename(path))


def publish(convert, export, work):
    with open(export, "rb") as file:
        old = file.read()
    new = old.replace(b"\r\nLAB.C.EMPTY\r\n", b"\r\nLAB.C.<script>alert(1)</script>EMPTY\r\n", 1)
    new = new.replace(b"Daily census of the laboratory",
                      b"Daily <script>alert(2)</script> census of the laboratory", 1)
    new_path = os.path.join(work, "new.qlx")
    with open(new_path, "wb") as file:
        file.write(new)
    site = os.path.join(work, "site")
    subprocess.run([convert, "--site", site, new_path], check=True, stdout=subprocess.DEVNULL)
    report = os.path.join(work, "report.html")
    with open(report, "wb") as out:
        code = subprocess.run([convert, "--diff", "--html", export, new_path], stdout=out).returncode
    check(code == 1, "--diff --html exits 1 for differences: %d" % code)
    return site, report


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--search-time":
        skip_when_missing(need_tidy=False)
        site, word = os.path.abspath(sys.argv[2]), sys.argv[3]
        with tempfile.TemporaryDirectory() as profile:
            driver = browser(profile)
            try:
                driver.get("file://" + os.path.join(site, "index.html"))
                started = time.monotonic()
                driver.find_element(By.ID, "search").click()  # the index starts loading
                wait_for(driver, lambda d: d.execute_script("return !!window.qlxSearchIndex"),
                         "the search index loaded")
                loading = time.monotonic() - started
                milliseconds = search(driver, word)
                count = driver.find_element(By.CSS_SELECTOR, "#search-results p").text
                print("search for %r: %.0f ms in the page; loading the index on focus: %.2f s; %s"
                      % (word, milliseconds, loading, count))
            finally:
                driver.quit()
        return 0
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    skip_when_missing()
    convert, export, work = (os.path.abspath(a) for a in sys.argv[1:])
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    site, report = publish(convert, export, work)
    for page in ("index.html", "0001-LAB-C-DAILY-CENSUS.html",
                 "0002-LAB-C-script-alert-1-script-EMPTY.html"):
        tidy(os.path.join(site, page))
    tidy(report)
    with tempfile.TemporaryDirectory() as profile:
        driver = browser(profile)
        try:
            test_index(driver, site)
            test_search_and_pages(driver, site)
            test_report(driver, report)
        finally:
            driver.quit()
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
