#!/usr/bin/env bash
# What a screen reader hears from the real menu, on a virtual X display with a
# D-Bus session and an AT-SPI bus of its own, through pyatspi: after each key
# the object with the keyboard is heard once, and any other event fails at
# once; every window, list item, text and focusable object is named.
#   screen_reader.sh <playdeck>
set -euo pipefail
here=$(dirname "$0")
for tool in Xvfb xdotool dbus-run-session dbus-send /usr/libexec/at-spi-bus-launcher; do command -v "$tool" >/dev/null || { echo "$tool missing"; exit 77; }; done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "python3-pyatspi missing"; exit 77; }
source "$here/../support/script.sh"
tmp=${A11Y_TMP:-}
if [ -z "$tmp" ]; then  # first the display, then the rest on a session bus of its own
  tmp=$(mktemp -d)
  trap finally EXIT
  start_xvfb
  A11Y_TMP=$tmp dbus-run-session -- bash "$0" "$(realpath "$1")" 2>"$tmp/bus.log" || fail=1
  exit "$fail"
fi
/usr/libexec/at-spi-bus-launcher --launch-immediately >>"$tmp/bus.log" & bus=$!
trap 'kill $bus 2>/dev/null' EXIT
wait_for 10 "the AT-SPI bus" bash -c 'dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
  org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus | grep -q "boolean true"'
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 /usr/bin/python3 - "$1" "$tmp/menu.log" 2>&1 <<'EOF'
import subprocess, sys, time
import pyatspi
from gi.repository import GLib
heard, errors = [], []  # heard: (what, role, name, source) for each focus or selection gained
def told(e):
    try:
        if e.detail1:
            heard.append((e.type.split(':')[-1], e.source.getRoleName(), e.source.name, e.source))
    except Exception as gone:  # a window closing as it is told: heard as nothing a test expects
        heard.append(('gone', str(gone), '', None))
pyatspi.Registry.registerEventListener(told, 'object:state-changed:focused', 'object:state-changed:selected')
def give_up(why):
    errors.append(why)
    raise SystemExit('\n'.join('FAIL: ' + e for e in errors))
def pump_until(what, done, seconds=10, wrong=lambda: None):  # polls the events until done(); fails at once on wrong()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while GLib.MainContext.default().pending():
            GLib.MainContext.default().iteration(False)
        if (bad := wrong()):
            give_up(f'waiting for {what}, heard {bad}: {[h[:3] for h in heard]}')
        if done():
            return True
        time.sleep(0.02)
    give_up(f'waited {seconds} s for {what}; heard {[h[:3] for h in heard]}')
def check(ok, message):
    if not ok: errors.append(message)
def focus(since): return [h for h in heard[since:] if h[0] == 'focused']
def stray(since, role, name, via):  # an event other than the one awaited, the list holding it, or a step on the way
    ok = {('focused', role, name), ('selected', role, name), ('focused', 'list', 'Games')} | {('focused',) + v for v in via}
    return next((h[:3] for h in heard[since:] if h[:3] not in ok), None)
def hears(keys, role, name, selected=False, via=()):  # keys pressed, the object with the keyboard heard once
    since = len(heard)
    subprocess.run(['xdotool', 'key', '--delay', '40'] + keys.split(), check=True)
    pump_until(f'{keys}: {role} "{name}"', lambda: focus(since) and focus(since)[-1][1:3] == (role, name),
               wrong=lambda: stray(since, role, name, via))
    item = focus(since)[-1][3]
    extents = item.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)  # a call to the menu: what it told before is here
    pump_until('the events to settle', lambda: True)
    check(focus(since)[-1][1:3] == (role, name) and [h[1:3] for h in focus(since)].count((role, name)) == 1,
          f'{keys}: heard {[h[:3] for h in heard[since:]]}, not {role} "{name}" once and last')
    check(not selected or ('selected', role, name) in [h[:3] for h in heard[since:]], f'{keys}: "{name}" not selected')
    return item, extents
def window(name, role):  # the window, and every object in it; all that can take the keyboard is named
    pump_until(f'the window "{name}"', lambda: any(w.name == name for w in app))
    w = next(w for w in app if w.name == name)
    check(w.getRoleName() == role, f'"{name}" is a {w.getRoleName()}')
    objects = list(pyatspi.utils.findAllDescendants(w, lambda o: True))
    for o in objects:
        check(o.name or not o.getState().contains(pyatspi.STATE_FOCUSABLE), f'a nameless {o.getRoleName()} in "{name}"')
    return [(o.getRoleName(), o.name) for o in objects], objects
titles = ['Teenage Mutant Ninja Turtles', 'Captain Tsubasa', 'Ninja Gaiden', 'Contra', 'Adventure Island 3', 'Duck Tales']
menu = subprocess.Popen([sys.argv[1]], cwd='/', stderr=open(sys.argv[2], 'a'))
try:
    pump_until('the title under the cursor at start', lambda: focus(0) and focus(0)[-1][1:3] == ('list item', titles[0]),
               seconds=20, wrong=lambda: stray(0, 'list item', titles[0], [('frame', 'PLAYDECK')]))
    app = focus(0)[-1][3].getApplication()
    seen, objects = window('PLAYDECK', 'frame')
    games = next(o for o in objects if o.getRoleName() == 'list')
    check(games.name == 'Games' and [(i.getRoleName(), i.name) for i in games] == [('list item', t) for t in titles],
          f'the list: {seen}')
    check(games[1].description == 'Tecmo 1988 / 1990, rating 5 of 5, 2 parts', f'described: {games[1].description}')
    check(len(seen) == 10, f'the menu tells {seen}, not the list, its six items and three buttons')
    rows = [hears('Down', 'list item', titles[(i + 1) % 6], selected=True)[1] for i in range(6)]
    rows.insert(0, rows.pop())
    check(all(r.height == 56 and r.y == rows[0].y + 56 * i for i, r in enumerate(rows)), 'the items are not their rows')
    hears('Up', 'list item', titles[5], selected=True)
    hears('Tab', 'push button', 'Exit')
    hears('shift+Tab', 'list item', titles[5])
    hears('Down', 'list item', titles[0])
    hears('Return', 'push button', 'Teenage Mutant Ninja Turtles 1')
    seen, _ = window('Teenage Mutant Ninja Turtles', 'dialog')
    check([n for r, n in seen if r == 'push button'] == [f'Teenage Mutant Ninja Turtles {i}' for i in (1, 2, 3)], f'{seen}')
    hears('Escape', 'list item', titles[0])
    hears('alt+h', 'push button', 'OK', via=[('push button', 'Help')])
    seen, _ = window('Quick Help', 'frame')
    texts = [n for r, n in seen if r == 'label']
    check(len(texts) == 5 and texts[0].startswith('Use the arrow') and 'To jump press ( Z ) ->' in texts, f'Help: {seen}')
    check(('image', 'Z key') in seen, f'Help: {seen}')
    hears('Return', 'push button', 'Help')  # the button Alt+H clicked keeps the keyboard
    hears('alt+a', 'image', 'PLAYDECK football match', via=[('push button', 'About')])
    seen, _ = window('About PLAYDECK', 'frame')
    check(any(r == 'label' and 'PLAYDECK' in n for r, n in seen), f'no credits in About: {seen}')
    hears('Tab', 'image', 'Contra soldier')
    hears('Tab', 'push button', 'OK')
    hears('Return', 'push button', 'About')
finally:
    menu.kill()
print('\n'.join('FAIL: ' + e for e in errors) or 'heard: every title on Down and Up, the focus back on the title after '
      'Shift+Tab, a part dialog, Help and About; every window, list item, text and focusable object named')
sys.exit(1 if errors else 0)
EOF
