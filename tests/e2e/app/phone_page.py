#!/usr/bin/python3
# Headless Chromium at a phone's size on the phone page: page 1's names are listed, a tap on
# the named slot shows it playing, pause pauses and resumes it, the volume slider sets the
# volume (as the program reports it back), stop shows it stopped; a click on slot 3 in the
# window shows on the page within 200 ms; the program restarts and the page must say it is gone
# and reconnect by itself; a new pairing code cuts the page off and the old link gets 403.
# Each step is handed to the test by writing "<argument 3>-<step>" (the test writes
# "<argument 3>-clicked"). Argument 1: the paired link (always on the loopback); argument 2:
# where the screenshot goes. Prints what failed and exits 1 then.
import os
import sys
import time
import urllib.error
import urllib.request

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


def wait(check, seconds, pause=0.02):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if check():
            return True
        time.sleep(pause)
    return False


def signal(step):
    open(ready + "-" + step, "w").close()


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
        # A click on slot 3 in the window: from the click's start (CLOCK_MONOTONIC, written by
        # the test with its return) to the page showing it, polled as fast as the driver answers.
        signal("stopped")
        if not wait(lambda: body("slot") == "3", 10, 0):
            failed.append("a click in the window did not show slot 3 playing")
        else:
            seen = time.monotonic()
            if not wait(lambda: os.path.exists(ready + "-clicked"), 10):
                failed.append("the test did not say when it clicked")
            else:
                with open(ready + "-clicked") as f:
                    pressed, returned = (int(t) / 1e9 for t in f.read().split())
                late = seen - pressed
                print("window click to page: %.1f ms from its start, %.1f ms from its return"
                      % (late * 1000, (seen - returned) * 1000))
                if late > 0.2:
                    failed.append("a click showed on the page after %.0f ms" % (late * 1000))
        gone = lambda: "gone" in d.find_element(By.ID, "status").get_attribute("class")
        signal("ready")
        if not wait(gone, 30):
            failed.append("the page did not say the program is gone")
        elif not wait(lambda: not gone() and body("slot") == "0", 60):
            failed.append("the page did not reconnect after the restart")
        else:
            # The test presses "更换配对码": this page is cut off and stays so, the old link is
            # refused.
            signal("reconnected")
            if not wait(gone, 20):
                failed.append("a new pairing code did not cut the open page off")
            time.sleep(2.5)
            if not gone():
                failed.append("the open page got back in with the old pairing code")
            d.refresh()
            if slot():
                failed.append("a reload with the old link showed the slots")
            try:
                urllib.request.urlopen(url, timeout=30)
                failed.append("the old link was still served")
            except urllib.error.HTTPError as e:
                if e.code != 403:
                    failed.append("the old link got %d, not 403" % e.code)
finally:
    d.quit()
for f in failed:
    print(f)
sys.exit(1 if failed else 0)
