#!/usr/bin/python3
# Headless Chromium at a phone's size on the phone page: page 1's names are listed, a tap on
# the named slot shows it playing, pause pauses and resumes it, the volume slider sets the
# volume (as the program reports it back), stop shows it stopped; then, once the file named by
# argument 3 is written, the test restarts the program and the page must say it is gone and
# reconnect by itself. Argument 1: the paired link (always on
# the loopback); argument 2: where the screenshot goes. Prints what failed and exits 1 then.
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

url, shot, ready = sys.argv[1], sys.argv[2], sys.argv[3]
if not url.startswith("http://127.0.0.1:"):
    sys.exit("only the loopback")
o = webdriver.ChromeOptions()
for a in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
          "--disable-component-update", "--disable-sync", "--no-first-run",
          "--window-size=390,844"]:
    o.add_argument(a)
o.add_experimental_option("mobileEmulation", {"deviceMetrics": {"width": 390, "height": 844,
                          "pixelRatio": 3}, "userAgent": "Mozilla/5.0 (Linux; Android 14) Mobile"})
d = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=o)
failed = []


def wait(check, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if check():
            return True
        time.sleep(0.02)
    return False


try:
    d.get(url)
    slot = lambda: d.find_elements(By.XPATH, "//main/button[text()='欢迎来到直播间']")
    if not wait(lambda: slot(), 10):
        failed.append("page 1's name not listed")
    else:
        slot()[0].click()
        if not wait(lambda: d.find_element(By.TAG_NAME, "body").get_attribute("data-slot") == "3", 3):
            failed.append("the tap did not show slot 3 playing")
        body = lambda name: d.find_element(By.TAG_NAME, "body").get_attribute("data-" + name)
        d.find_element(By.ID, "pause").click()
        if not wait(lambda: body("paused") == "true", 3):
            failed.append("pause did not show the sound paused")
        d.find_element(By.ID, "pause").click()
        if not wait(lambda: body("paused") == "false", 3):
            failed.append("pause again did not show the sound playing")
        d.execute_script("const v = document.getElementById('volume'); v.value = 40;"
                         "v.dispatchEvent(new Event('input'));"
                         "v.dispatchEvent(new Event('change'));")
        if not wait(lambda: body("volume") == "40", 3):
            failed.append("the volume slider did not set the volume")
        time.sleep(1.0)
        d.save_screenshot(shot)
        d.find_element(By.ID, "stop").click()
        if not wait(lambda: d.find_element(By.TAG_NAME, "body").get_attribute("data-slot") == "0", 3):
            failed.append("stop did not show the sound stopped")
        gone = lambda: "gone" in d.find_element(By.ID, "status").get_attribute("class")
        open(ready, "w").close()
        if not wait(gone, 30):
            failed.append("the page did not say the program is gone")
        elif not wait(lambda: not gone() and body("slot") == "0", 60):
            failed.append("the page did not reconnect after the restart")
finally:
    d.quit()
for f in failed:
    print(f)
sys.exit(1 if failed else 0)
