#!/usr/bin/python3
"""The browser view end to end: a running Tavrin serving on 127.0.0.1 and
headless Chromium pages, under the test command's Xvfb. Prints what it
measured; exits non-zero on a fault."""
import array, atexit, glob, os, shutil, subprocess, sys, tempfile, time
from selenium import webdriver
from selenium.webdriver.chrome.service import Service

tavrin, port = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 18765
cues = sys.argv[3] if len(sys.argv) > 3 else None
work = tempfile.mkdtemp(prefix='tavrin-web-')
with open(os.path.join(work, 'Tavrin-options.ini'), 'w') as f:
    f.write('[web]\naddress=127.0.0.1\n')
# Four seconds to answer, two to move, ten questions: cues every few seconds.
with open(os.path.join(work, 'Tavrin.cfg'), 'wb') as f:
    f.write('\r\n'.join(['4,2,10', 'Tavrin-Jihou1.wav', 'Tavrin-Jihou2.wav', 'Tavrin-Jihou3.wav',
                         '移動してください', '試験終了', '10', '0']).encode('cp932') + b'\r\n')
for wav in glob.glob(os.path.join(cues or '', '*.wav')) if cues else []:
    shutil.copy(wav, work)

# One stereo null sink: the window's sound on its left channel, the page's on
# its right, so that one recording puts both on the same clock.
def pactl(*a):
    r = subprocess.run(['pactl', *a], capture_output=True, text=True)
    return r.stdout.strip() if r.returncode == 0 else None
tag = 'tavrin_web_%d' % os.getpid()
modules = [pactl('load-module', 'module-null-sink', 'sink_name=%s' % tag, 'rate=44100', 'channels=2',
                 'channel_map=front-left,front-right', 'norewinds=1')]
for side, ch in (('win', 'front-left'), ('page', 'front-right')):
    modules.append(pactl('load-module', 'module-remap-sink', 'sink_name=%s_%s' % (tag, side), 'master=%s' % tag,
                         'channels=1', 'master_channel_map=%s' % ch, 'channel_map=mono', 'remix=no'))
atexit.register(lambda: [pactl('unload-module', m) for m in reversed(modules) if m])
if None in modules:
    print('FAIL: no null sink to listen to (is the PulseAudio server of the test command running?)')
    sys.exit(1)
# A silent stream keeps the sink awake, as a sound card's is.
keeper = subprocess.Popen(['pacat', '--playback', '--raw', '--format=s16le', '--rate=44100', '--channels=2',
                           '--latency-msec=50', '--device=' + tag], stdin=open('/dev/zero', 'rb'))
atexit.register(keeper.kill)
prog = subprocess.Popen([tavrin, '--web', str(port)], cwd=work, stderr=subprocess.DEVNULL,
                        env=dict(os.environ, PULSE_SINK=tag + '_win'))
# Also when the script dies of an exception: the program holds CTest's pipe.
atexit.register(prog.kill)

def fail(why):
    print('FAIL:', why, '(files in %s)' % work)
    prog.kill()
    sys.exit(1)

def onsets(samples, quiet_ms=250, level=1500):
    """Where each sound begins (seconds into the recording) after a pause."""
    w = 44  # about a millisecond
    found, silent = [], 0
    for i in range(0, len(samples) - w, w):
        seg = samples[i:i + w]
        loud = max(seg) > level or -min(seg) > level
        if loud and silent >= quiet_ms:
            j = next(k for k in range(i, i + w) if abs(samples[k]) > level)
            found.append(j / 44100)
        silent = 0 if loud else silent + 1
    return found

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
# The page's sound goes to its side of the sink.
drv = webdriver.Chrome(service=Service('/usr/bin/chromedriver', env=dict(os.environ, PULSE_SINK=tag + '_page')),
                       options=opts)
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
    # A fresh page that took most of a second to load is tried again.
    for _ in range(3):
        wait_for(lambda v: 100 < (v['now'] + v['offset'] - v['due']) % 1000 < 200, 3, d)
        w = served()
        v = view(d)
        if v['due'] == w['due']:
            return v, w
    fail('not the same second: %s and %s' % (v['due'], w['due']))

for _ in range(3):
    v, w = same_second()
    if (v['dots'], v['question']) != (w['dots'], w['question']):
        drv.save_screenshot(os.path.join(work, 'page.png')); fail('page shows %d dots, the serving Tavrin %d (question %s)' % (v['dots'], w['dots'], v['question']))
print('same second: question %s, %d dots in the page and in what the Tavrin serves; offset %.2f ms' % (v['question'], v['dots'], v['offset']))
drv.save_screenshot(os.path.join(work, 'page.png'))

def ppm(data):
    """Width, height and RGB bytes of a binary PPM."""
    parts, pos = [], 0
    while len(parts) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        parts.append(data[pos:end])
        pos = end
    if parts[3] != b'255':
        fail('a picture of more than 8 bits per colour')
    return int(parts[1]), int(parts[2]), data[pos + 1:]

def dot_counts(data):
    """The filled round blobs of each dot colour in a picture: the dots,
    not the yellow digits of the question number nor a banner."""
    w, h, px = ppm(data)
    kind = {}
    for i in range(w * h):
        r, g, b = px[3 * i], px[3 * i + 1], px[3 * i + 2]
        if b < 80 and (r > 200 or g > 200) and (r < 80 or g < 80 or (r > 200 and g > 200)):
            kind[i] = 'yellow' if r > 200 and g > 200 else 'red' if r > 200 else 'green'
    counts = {'green': 0, 'yellow': 0, 'red': 0}
    while kind:
        i, c = kind.popitem()
        stack, xs, ys, n = [i], [], [], 0
        while stack:
            j = stack.pop()
            n += 1
            x, y = j % w, j // w
            xs.append(x); ys.append(y)
            for k in (j - 1 if x else -1, j + 1 if x + 1 < w else -1, j - w, j + w):
                if k in kind and kind[k] == c:
                    del kind[k]
                    stack.append(k)
        bw, bh = max(xs) - min(xs) + 1, max(ys) - min(ys) + 1
        if 4 <= bw <= 120 and 0.75 <= bw / bh <= 1.33 and n >= 0.6 * bw * bh:
            counts[c] += 1
    return counts

def grab_pair():
    """The window and the page in one second: their dots by colour."""
    for _ in range(3):
        before = wait_for(lambda v: 50 < (v['now'] + v['offset'] - v['due']) % 1000 < 150, 3)
        if before['move'] or before['end']:
            time.sleep(1)
            continue
        win = subprocess.run(['import', '-window', wid, '-depth', '8', 'ppm:-'], capture_output=True).stdout
        page = subprocess.run(['convert', 'png:-', '-depth', '8', 'ppm:-'], input=drv.get_screenshot_as_png(),
                              capture_output=True).stdout
        if view()['due'] == before['due'] and win and page:
            return dot_counts(win), dot_counts(page), before
    fail('no window grab and page screenshot within one second')

win_dots, page_dots, at = grab_pair()
if win_dots != page_dots or sum(win_dots.values()) != at['dots']:
    subprocess.run(['import', '-window', wid, os.path.join(work, 'window.png')])
    fail('in one second the window shows dots %s, the page %s (the page says %d)' % (win_dots, page_dots, at['dots']))
print('screenshots at one width: the window and the page both show %s' % win_dots)

# One tap turns the page's sound on; its cues then sound with the window's.
drv.execute_script('window.tavrinCues = []')
drv.find_element('tag name', 'body').click()
# Listened to once the page has its sounds (its first cue is scheduled).
end = time.time() + 10
while not drv.execute_script('return window.tavrinCues.length') and time.time() < end:
    time.sleep(0.1)
rec_path = os.path.join(work, 'both.raw')
rec = subprocess.Popen(['parec', '--raw', '--format=s16le', '--rate=44100', '--channels=2', '--latency-msec=20',
                        '--device=%s.monitor' % tag], stdout=open(rec_path, 'wb'))
time.sleep(13)
rec.terminate(); rec.wait()
both = array.array('h', open(rec_path, 'rb').read())
win, page = onsets(both[0::2]), onsets(both[1::2])
if not win:
    fail('the window played no cue in 13 s')
# A cue that sounds in the last moment of the recording may be cut off on
# one side only: it is not held against either.
length = len(both) / 2 / 44100
gaps = []
for t in win:
    near = min(page, key=lambda p: abs(p - t), default=None)
    if near is not None and abs(near - t) <= 0.1:
        gaps.append((near - t) * 1000)
    elif t < length - 0.1:
        fail('the window\'s cue at %.3f s has none in the page (page cues at %s)' % (t, ['%.3f' % p for p in page]))
extra = [p for p in page if p < length - 0.1 and min(abs(p - t) for t in win) > 0.1]
if extra:
    fail('the page played cues the window did not, at %s s (window cues at %s)'
         % (['%.3f' % p for p in extra], ['%.3f' % t for t in win]))
if not gaps:
    fail('no cue in the window and the page together')
g = sorted(abs(x) for x in gaps)
print('cues: %d in the window and the page; page minus window median %.1f ms, largest %.1f ms'
      % (len(gaps), sorted(gaps)[len(gaps) // 2], g[-1]))
figures = {'web.cue_spread_median': g[len(g) // 2], 'web.cue_spread_p95': g[min(len(g) - 1, int(len(g) * 0.95))],
           'web.cue_spread_max': g[-1]}

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
# The bottom line (offset, hint) stays inside a 1280-px-wide page.
late.set_window_size(1280, 800)
time.sleep(0.3)
box = late.execute_script("const i = document.getElementById('info'), r = i.getBoundingClientRect();"
                          "return [r.left, r.right, innerWidth, i.scrollWidth, i.clientWidth, i.innerText];")
if box[0] < 0 or box[1] > box[2] or box[3] > box[4]:
    fail('the bottom line %r runs off the page: %s' % (box[5], box[:5]))
late.quit()
fresh.quit()
print('late page: right after %.0f ms with %d dots' % (first * 1000, v['dots']))

lat = sorted(view()['late'])
if lat:
    print('tick lateness in the page: median %.1f ms, max %.1f ms over %d ticks'
          % (lat[len(lat) // 2], lat[-1], len(lat)))
    figures.update({'web.tick_late_median': lat[len(lat) // 2], 'web.tick_late_max': lat[-1]})
# For bench/run-all: "name value unit" lines.
for k, val in figures.items():
    print('%-28s %10.3f ms' % (k, val))
drv.quit()
prog.terminate()
prog.wait(10)
print('PASS')
