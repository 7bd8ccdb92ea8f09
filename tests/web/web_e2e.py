#!/usr/bin/python3
"""The browser view end to end: a running Tavrin serving on 127.0.0.1 and
headless Chromium pages, under the test command's Xvfb. Prints what it
measured; exits non-zero on a fault."""
import os, subprocess, sys, tempfile, time
from selenium import webdriver
from selenium.webdriver.chrome.service import Service

tavrin, port = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 18765
work = tempfile.mkdtemp(prefix='tavrin-web-')
with open(os.path.join(work, 'Tavrin-options.ini'), 'w') as f:
    f.write('[web]\naddress=127.0.0.1\n')
prog = subprocess.Popen([tavrin, '--web', str(port)], cwd=work, stderr=subprocess.DEVNULL)

def fail(why):
    print('FAIL:', why, '(files in %s)' % work)
    prog.kill()
    sys.exit(1)

def xdo(*a):
    return subprocess.run(['xdotool', *a], capture_output=True, text=True).stdout.strip()

wid = ''
for _ in range(100):
    wid = xdo('search', '--onlyvisible', '--name', 'Tavrin ver')
    if wid:
        break
    time.sleep(0.1)
wid = wid.split()[0] if wid else fail('no window')
xdo('mousemove', '--window', wid, '224', '41', 'click', '1')  # 開始

opts = webdriver.ChromeOptions()
for a in ('--headless=new', '--no-sandbox', '--disable-gpu', '--window-size=771,600',
          '--autoplay-policy=no-user-gesture-required'):
    opts.add_argument(a)
drv = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=opts)
url = 'http://127.0.0.1:%d/' % port

def view(d=drv):
    return d.execute_script('return window.tavrinView && Object.assign({}, window.tavrinView, '
                            '{late: window.tavrinView.stats.lateness.slice(), inner: innerWidth, '
                            'now: performance.timeOrigin + performance.now()})')

def wait_for(pred, secs, d=drv):
    end = time.time() + secs
    while time.time() < end:
        v = view(d)
        if v and pred(v):
            return v
        time.sleep(0.05)
    fail('timed out; view %s' % view(d))

def served():
    """The run as the serving Tavrin tells it now: a fresh page's first state."""
    fresh.get(url)
    return wait_for(lambda v: v['connected'] and v['offset'] is not None, 10, fresh)

drv.get(url)
v = wait_for(lambda v: v['connected'] and v['dots'] > 0, 15)

fresh = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=opts)

def same_second(d=drv):
    # Read in the middle of a second, well away from its tick, against what
    # the serving Tavrin sends a page that connects in that second.
    wait_for(lambda v: 100 < (v['now'] + v['offset'] - v['due']) % 1000 < 200, 3, d)
    w = served()
    v = view(d)
    if v['due'] != w['due']:
        fail('not the same second: %s and %s' % (v['due'], w['due']))
    return v, w

for _ in range(3):
    v, w = same_second()
    if (v['dots'], v['question']) != (w['dots'], w['question']):
        drv.save_screenshot(os.path.join(work, 'page.png')); fail('page shows %d dots, the serving Tavrin %d (question %s)' % (v['dots'], w['dots'], v['question']))
print('same second: question %s, %d dots in the page and in what the Tavrin serves; offset %.2f ms' % (v['question'], v['dots'], v['offset']))
drv.save_screenshot(os.path.join(work, 'page.png'))

# The web server stops and starts again (F10 twice): the page goes on by its
# own clock, shows its sign, and connects again by itself.
xdo('windowactivate', '--sync', wid)
xdo('key', '--window', wid, 'F10')
wait_for(lambda v: not v['connected'], 5)
a = view()
time.sleep(2.5)
b = view()
if b['connected'] or b['due'] - a['due'] < 2000:
    fail('without its server the page stood still: %s then %s' % (a['due'], b['due']))
xdo('key', '--window', wid, 'F10')
wait_for(lambda v: v['connected'], 15)
v, w = same_second()
if (v['dots'], v['question']) != (w['dots'], w['question']):
    fail('after the restart the page shows %d dots, the serving Tavrin %d' % (v['dots'], w['dots']))
print('restart: went on alone by its own clock, connected again, %d dots as served' % v['dots'])

# A page opened late is right at once.
late = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=opts)
t0 = time.time()
late.get(url)
lv = wait_for(lambda v: v['connected'] and v['offset'] is not None, 10, late)
first = time.time() - t0
v, w = same_second(late)
if (v['dots'], v['question']) != (w['dots'], w['question']):
    fail('a late page shows %d dots (window %d)' % (v['dots'], w['dots']))
late.quit()
fresh.quit()
print('late page: right after %.0f ms with %d dots' % (first * 1000, v['dots']))

lat = sorted(view()['late'])
if lat:
    print('tick lateness in the page: median %.1f ms, max %.1f ms over %d ticks'
          % (lat[len(lat) // 2], lat[-1], len(lat)))
drv.quit()
prog.terminate()
prog.wait(10)
print('PASS')
