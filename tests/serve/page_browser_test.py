#!/usr/bin/python3
"""The page of tolvex serve in a real browser (Chromium headless, driven by Selenium).

  page_browser_test.py TOLVEX SOURCE_DIR

Loads every example and reads its code back with zbarimg, types a document, sees a warning
appear for a mistyped element and selects its line by clicking it, and reads a PDF through the
file input. Exits 77 (skipped) only when Chromium cannot start here.
"""

import base64
import os
import re
import subprocess
import sys
import tempfile
import time
import urllib.request

SKIP = 77
os.environ["no_proxy"] = os.environ["NO_PROXY"] = "*"
for name in ("http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"):
    os.environ.pop(name, None)

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service as DriverService
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError as error:
    print(f"SKIP: Selenium is not installed ({error}); scripts/setup.sh installs python3-selenium")
    sys.exit(SKIP)

TOLVEX, SOURCE = sys.argv[1], sys.argv[2]
OPENER = urllib.request.build_opener(urllib.request.ProxyHandler({}))


def start_server():
    server = subprocess.Popen([TOLVEX, "serve", "--listen=127.0.0.1:0", "--quiet", f"--logo-dir={SOURCE}/logo"],
                              stderr=subprocess.PIPE, text=True)
    line = server.stderr.readline()
    match = re.search(r"http://127\.0\.0\.1:(\d+)/", line)
    if not match:
        server.kill()
        sys.exit(f"the server did not start: {line}")
    return server, f"http://127.0.0.1:{match.group(1)}"


def post(base, path, body, content_type):
    request = urllib.request.Request(base + path, data=body, headers={"Content-Type": content_type}, method="POST")
    with OPENER.open(request, timeout=30) as response:
        return response.read()


def start_browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--no-proxy-server", "--disable-dev-shm-usage", f"--user-data-dir={profile}"):
        options.add_argument(flag)
    try:
        return webdriver.Chrome(service=DriverService("/usr/bin/chromedriver"), options=options)
    except Exception as error:  # Chromium or its driver cannot start on this machine
        print(f"SKIP: Chromium cannot start here: {str(error).splitlines()[0] if str(error) else error!r}")
        sys.exit(SKIP)


def picture_bytes(driver):
    """The picture as shown, drawn into a canvas and taken back as PNG."""
    WebDriverWait(driver, 20).until(lambda d: d.execute_script(
        "const i = document.getElementById('code'); return i.complete && i.naturalWidth > 0;"))
    url = driver.execute_script(
        "const i = document.getElementById('code'); const c = document.createElement('canvas');"
        "c.width = i.naturalWidth; c.height = i.naturalHeight; c.getContext('2d').drawImage(i, 0, 0);"
        "return c.toDataURL('image/png');")
    return base64.b64decode(url.split(",", 1)[1])


def zbar(png, scratch):
    path = os.path.join(scratch, "code.png")
    with open(path, "wb") as f:
        f.write(png)
    return subprocess.run(["zbarimg", "-q", "--raw", path], capture_output=True, text=True).stdout.strip()


def wait_new_picture(driver, before):
    WebDriverWait(driver, 20).until(
        lambda d: (d.find_element(By.ID, "code").get_attribute("src") or "").startswith("blob:")
        and d.find_element(By.ID, "code").get_attribute("src") != before)
    return driver.find_element(By.ID, "code").get_attribute("src")


def main():
    server, base = start_server()
    scratch = tempfile.mkdtemp(prefix="tolvex-page-")
    driver = start_browser(os.path.join(scratch, "profile"))
    failures = []
    try:
        driver.get(base + "/")
        # Every control has its label.
        for control in driver.find_elements(By.CSS_SELECTOR, "select, input, textarea"):
            ident = control.get_attribute("id")
            if not driver.find_elements(By.CSS_SELECTOR, f"label[for='{ident}']"):
                failures.append(f"no label for #{ident}")

        # Each example: its picture reads back as the text the service encodes.
        examples = [o.text for o in Select(driver.find_element(By.ID, "example")).options]
        if len(examples) < 9:
            failures.append(f"only {len(examples)} examples offered")
        source = ""
        for name in examples:
            Select(driver.find_element(By.ID, "example")).select_by_visible_text(name)
            driver.find_element(By.ID, "load").click()
            source = wait_new_picture(driver, source)
            with open(os.path.join(SOURCE, "examples", name), "rb") as f:
                expected = json_text(post(base, "/v1/encode", f.read(), "application/xml"))
            WebDriverWait(driver, 20).until(lambda d: d.find_element(By.ID, "code").get_attribute("alt").startswith("QR code: "))
            read = zbar(picture_bytes(driver), scratch)
            if read != expected:
                failures.append(f"{name}: the picture reads {read[:40]!r}, expected {expected[:40]!r}")

        # Typing: a mistyped element is a warning; clicking it selects its line.
        with open(os.path.join(SOURCE, "examples", "pay-single.xml")) as f:
            document = f.read().replace("InvoiceID>", "InvoiceId>")
        area = driver.find_element(By.ID, "document")
        area.clear()
        area.send_keys(document)
        WebDriverWait(driver, 20).until(
            lambda d: any("InvoiceId" in li.text or "not known" in li.text
                          for li in d.find_elements(By.CSS_SELECTOR, "#diagnostics li.warning")))
        warning = next(li for li in driver.find_elements(By.CSS_SELECTOR, "#diagnostics li.warning")
                       if "not known" in li.text)
        line = int(warning.get_attribute("data-line"))
        warning.send_keys(Keys.ENTER)  # by keyboard, as a click would
        start = driver.execute_script("return document.getElementById('document').selectionStart")
        if document[:start].count("\n") != line - 1:
            failures.append(f"the warning of line {line} selected line {document[:start].count(chr(10)) + 1}")
        if "InvoiceId" not in document.splitlines()[line - 1]:
            failures.append(f"the warning names line {line}, which does not hold the mistyped element")

        # A PDF through the file input: its payment is read.
        with open(os.path.join(SOURCE, "examples", "pay-single.xml"), "rb") as f:
            pdf = post(base, "/v1/pictures?format=pdf", f.read(), "application/xml")
        pdf_path = os.path.join(scratch, "payment.pdf")
        with open(pdf_path, "wb") as f:
            f.write(pdf)
        driver.find_element(By.ID, "files").send_keys(pdf_path)
        WebDriverWait(driver, 30).until(lambda d: "Payment order" in d.find_element(By.ID, "read").text)
        if "FV-2026-0142" not in driver.find_element(By.ID, "read").text and \
                "12" not in driver.find_element(By.ID, "read").text:
            failures.append("the PDF's payment summary lacks its values")
    finally:
        driver.quit()
        server.terminate()
        server.wait(timeout=20)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


def json_text(body):
    import json
    return json.loads(body)["text"]


if __name__ == "__main__":
    started = time.monotonic()
    status = main()
    print(f"page test {'passed' if status == 0 else 'failed'} in {time.monotonic() - started:.1f} s")
    sys.exit(status)
