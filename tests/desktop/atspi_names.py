#!/usr/bin/python3
"""What a screen reader reads of the window and its dialogs, through AT-SPI
on a session bus and an accessibility bus of the test's own, under the test
command's Xvfb. Fails (never skips) when either bus cannot be had."""
import glob, os, shutil, subprocess, sys, tempfile, time

tavrin, bus_config, cues = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3]
started = []

def stop():
    # The bus launcher ends its own accessibility bus when told politely.
    for p in reversed(started):
        p.terminate()
        try:
            p.wait(3)
        except subprocess.TimeoutExpired:
            p.kill()

def fail(why):
    print('FAIL:', why)
    if os.environ.get('TAVRIN_ATSPI_DUMP'):
        for n in walk(app() or pyatspi.Registry.getDesktop(0)):
            print(' ', n.getRoleName(), repr(n.name), repr(n.description))
    sys.stdout.flush()
    stop()
    os._exit(1)  # the AT-SPI client's threads would hold a plain exit

bus = subprocess.Popen(['dbus-daemon', '--config-file', bus_config, '--nofork', '--print-address=1'],
                       stdout=subprocess.PIPE, text=True)
started.append(bus)
address = bus.stdout.readline().strip()
if not address:
    fail('no session bus (dbus-daemon)')
os.environ['DBUS_SESSION_BUS_ADDRESS'] = address
started.append(subprocess.Popen(['/usr/libexec/at-spi-bus-launcher', '--launch-immediately']))
sys.excepthook = lambda *e: (sys.__excepthook__(*e), fail('the check itself failed'))
time.sleep(0.5)
try:
    import pyatspi  # after the bus is ours: it connects as it loads
except Exception as e:
    fail('no AT-SPI for Python (python3-pyatspi, gir1.2-atspi-2.0): %s' % e)

work = tempfile.mkdtemp(prefix='tavrin-atspi-')
for wav in glob.glob(os.path.join(cues, '*.wav')):  # no notice of missing cues
    shutil.copy(wav, work)
env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', QT_ACCESSIBILITY='1', QT_QPA_PLATFORM='xcb')
prog = subprocess.Popen([tavrin], cwd=work, env=env, stderr=subprocess.DEVNULL)
started.append(prog)

def app():
    for a in pyatspi.Registry.getDesktop(0):
        if a is not None and a.get_process_id() == prog.pid:
            return a
    return None

def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)

def wait(what, test, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        found = test()
        if found:
            return found
        time.sleep(0.2)
    fail('%s did not appear to AT-SPI' % what)

def spoken(n):
    """Its name, or the caption that labels it (a combo box is named by its value)."""
    for r in n.getRelationSet():
        if r.getRelationType() == pyatspi.RELATION_LABELLED_BY and r.getNTargets():
            return '%s %s' % (r.getTarget(0).name, n.name)
    return n.name

INPUTS = {'push button', 'text', 'combo box', 'spin button', 'check box', 'password text'}
def unnamed(window, described):
    """The controls a screen reader could not name (or describe)."""
    bad = []
    for n in walk(window):
        role = n.getRoleName()
        if role in INPUTS and not n.name.strip():
            bad.append('%s without a name' % role)
        elif role in INPUTS and described and not n.description.strip():
            bad.append('%s "%s" without a description' % (role, n.name))
    return bad

a = wait('the program', app)
window = wait('the window', lambda: next((a.getChildAtIndex(i) for i in range(a.childCount) if any(
    n.name == '開始' for n in walk(a.getChildAtIndex(i)))), None))
names = {n.name for n in walk(window) if n.getRoleName() in INPUTS}
names |= {spoken(n).split()[0] for n in walk(window) if n.getRoleName() == 'combo box'}
want = {'開始', '中断', 'ヘルプ', '終了', '１問あたりの時間（秒）', '移動時間（秒）', '問題数', '合計時間（秒）', 'フォント係数'}
if want - names:
    fail('the window lacks the controls named %s (it has %s)' % (sorted(want - names), sorted(names)))
if unnamed(window, True) or not window.description:
    fail('the window: %s' % (unnamed(window, True) or ['no description']))
print('window: %d controls named and described' % len(names))

# The dialogs of the function keys, as an operator opens them.
wid = subprocess.run(['xdotool', 'search', '--sync', '--pid', str(prog.pid), '--onlyvisible', '--name', 'Tavrin'],
                     capture_output=True, text=True).stdout.split()
if not wid:
    fail('no X window of the program')
for key in ('F12', 'F9', 'F6'):
    wait('the end of the dialog before %s' % key, lambda: all(
        (w is None or w.getRoleName() not in ('dialog', 'alert')) for w in (a.getChildAtIndex(i) for i in range(a.childCount))))
    subprocess.run(['xdotool', 'windowfocus', '--sync', wid[0]])
    subprocess.run(['xdotool', 'key', '--window', wid[0], key])
    dialog = wait('the dialog of %s' % key, lambda: next(
        (w for w in (a.getChildAtIndex(i) for i in range(a.childCount))
         if w is not None and w.getRoleName() in ('dialog', 'alert')), None))
    if not dialog.name.strip() or not dialog.description.strip():
        fail('the dialog of %s has no name or no description ("%s", "%s")' % (key, dialog.name, dialog.description))
    bad = unnamed(dialog, False)
    if bad:
        fail('the dialog "%s": %s' % (dialog.name, bad))
    print('%s: "%s", %d controls named' % (key, dialog.name,
                                            sum(1 for n in walk(dialog) if n.getRoleName() in INPUTS)))
    subprocess.run(['xdotool', 'key', 'Escape'])

print('PASS')
sys.stdout.flush()
stop()
os._exit(0)
