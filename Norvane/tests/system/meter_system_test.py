#!/usr/bin/env python3
"""System tests of the meters on the simulated Pocket PC: the meters we ship,
installed into the device's meters folder, on a tab of the Today item and in
the Shell Tray Tab, follow the device's battery, memory, storage and storage
cards. One device for the run ("setup" boots it, "teardown" shuts it down);
each case is one CTest test: meter_system_test.py CASE.

The meters are told apart on screenshots by their colours: the battery's
green fill, the storage card's orange, and the exact colours of the
colour-fill meters' steps."""
import os
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / 'device' / 'tests'))
from devicetest import Device, Failure, expect, poll, run_case  # noqa: E402
from system_test import read_png  # noqa: E402

ROOT = Path(__file__).resolve().parents[3]
BUILD = Path(os.environ.get('NORVANE_BUILD', ROOT / 'build' / 'win'))
DEVICE_DIR = Path(os.environ.get('NORVANE_DEVICE_DIR', BUILD / 'meter-system-device'))
ITEM_CLASS = 'NorvaneWindowClass'
ctl = Device(DEVICE_DIR, BUILD).ctl
# The tick that reads memory and storage comes every 5 s; a change shows at the
# next one.
TICK_DEADLINE = 12.0

METERS = r'\Program Files\Tarsel\Norvane\meters'
SETTINGS = '\r\n'.join([
    '', '[General]', 'BehaviorMode=2', 'TrayReverseOrder=1',
    '[Tab1]', 'Name=Meters', 'UniqueID=1', 'CaptionsEnabled=0',
    'Shortcut1=Battery', rf'ShortcutAdditional1=meter:{METERS}\battery-default\meter.ini', 'LargeIcon1=1',
    'Shortcut2=Memory', rf'ShortcutAdditional2=meter:{METERS}\memory-default\meter.ini', 'LargeIcon2=1',
    'Shortcut3=Storage', rf'ShortcutAdditional3=meter:{METERS}\main-storage\meter.ini', 'LargeIcon3=1',
    'Shortcut4=Card', rf'ShortcutAdditional4=meter:{METERS}\storage-card\meter.ini', 'LargeIcon4=1',
    'Shortcut5=Backup', rf'ShortcutAdditional5=meter:{METERS}\backup-battery\meter.ini', 'LargeIcon5=1',
    '[Tab2]', 'SpecialType=1',
    'Shortcut1=Battery', rf'ShortcutAdditional1=meter:{METERS}\battery-default\meter.ini',
    '[StorageCardPaths]', rf'MeterIniPath0={METERS}\storage-card\meter.ini', r'StorageCardPath0=\Storage Card',
    ''])

# Colours of the meters' live parts.
MEMORY_AMBER = (245, 170, 35)  # memory step up to 35 %
MEMORY_GREEN = (80, 205, 95)   # memory step up to 100 %
STORAGE_RED = (225, 60, 45)    # main storage step up to 10 %
STORAGE_BLUE = (70, 150, 235)  # main storage step up to 100 %
TASK_BAR_HEIGHT = 26


def green(p):
    r, g, b = p
    return g > 110 and g > r + 30 and g > b + 30


def orange(p):
    r, g, b = p
    return r > 180 and 90 < g < 215 and b < 110 and r - b > 110


def yellow(p):
    r, g, b = p
    return r > 200 and g > 160 and b < 100


def item():
    for line in ctl('windows').splitlines():
        f = line.split('|')
        if f[0] == 'item' and f[1] == ITEM_CLASS:
            return dict(x=int(f[3]), y=int(f[4]), w=int(f[5]), h=int(f[6]))
    return None


def shot(name):
    path = DEVICE_DIR / 'screens' / f'{name}.png'
    path.parent.mkdir(parents=True, exist_ok=True)
    ctl('screenshot', path)
    return read_png(path)


def count(picture, test, box):
    """Pixels in box (x0, y0, x1, y1) for which test holds."""
    width, height, pixel = picture
    x0, y0, x1, y1 = box
    return sum(1 for y in range(max(y0, 0), min(y1, height)) for x in range(max(x0, 0), min(x1, width))
               if test(pixel(x, y)))


def cell(n):
    """The part of the item where shortcut n of the meters tab stands: the five
    large icons share the item's width."""
    it = poll(lambda: (item() or {}).get('h', 0) > 0 and item(), 'the Norvane item on the Today screen')
    width = it['w'] // 5
    return it['x'] + n * width, it['y'], it['x'] + (n + 1) * width, it['y'] + it['h']


BATTERY, MEMORY, STORAGE, CARD = 0, 1, 2, 3


def tray_box():
    """The notification area: the task bar right of the start flag and title."""
    width, _, _ = shot('width')
    return width // 3, 0, width, TASK_BAR_HEIGHT


def wait_for(name, test, box, condition, what):
    """Screenshots until the count of test pixels in box satisfies condition."""
    seen = []

    def look():
        n = count(shot(name), test, box)
        seen.append(n)
        return condition(n)
    try:
        poll(look, what, timeout=TICK_DEADLINE)
    except Failure:
        raise Failure(f'{what}: pixel counts seen {seen}')
    return seen[-1]


def case_setup():
    ctl('shutdown', check=False)
    ctl('boot', '--fresh', '--headless', '--profile', 'qvga-portrait')
    drive = Path(ctl('path').strip())
    for name in ('battery-default', 'memory-default', 'main-storage', 'storage-card', 'backup-battery'):
        expect((drive / 'Program Files' / 'Tarsel' / 'Norvane' / 'meters' / name / 'meter.ini').exists(), f'{name} was not installed')
    ctl('battery', '90')
    ctl('memory', '59')
    ctl('storage', '91M', '128M')
    ctl('card', 'remove', 'Storage Card', check=False)
    settings = drive / 'Program Files' / 'Tarsel' / 'Norvane' / 'Norvane.ini'
    settings.parent.mkdir(parents=True, exist_ok=True)
    settings.write_bytes(b'\xff\xfe' + SETTINGS.encode('utf-16-le'))
    ctl('broadcast', 'NorvaneSettingsChanged')
    poll(lambda: (item() or {}).get('h', 0) > 40, 'the meters tab on the Today screen')


def case_teardown():
    ctl('shutdown', check=False)


def case_battery_levels():
    """90 % shows most of the battery's green fill, 10 % a sliver; the tray's
    battery meter follows (at 10 % its small fill shows nothing at all)."""
    box, bar = cell(BATTERY), tray_box()
    ctl('battery', '90')
    high = wait_for('battery-90', green, box, lambda n: n > 60, 'the battery at 90 %')
    high_tray = count(shot('battery-90-tray'), green, bar)
    ctl('battery', '10')
    low = wait_for('battery-10', green, box, lambda n: 0 < n < high // 4, 'the battery at 10 %')
    low_tray = wait_for('battery-10-tray', green, bar, lambda n: n < high_tray, 'the tray battery at 10 %')
    expect(high_tray > 10, f'the tray battery shows no fill at 90 % ({high_tray} green pixels)')
    expect(low_tray == 0, f'the tray battery still shows {low_tray} green pixels at 10 %')
    expect(high >= 5 * low, f'90 % ({high} green pixels) against 10 % ({low}) is no reveal of the value')


def case_charging_overlay():
    """Charging shows the bolt over the battery; unplugging takes it away."""
    box = cell(BATTERY)
    ctl('battery', '50')
    wait_for('not-charging', yellow, box, lambda n: n == 0, 'no bolt while discharging')
    ctl('battery', '50', '--charging')
    wait_for('charging', yellow, box, lambda n: n > 8, 'the charging bolt')
    ctl('battery', '50')
    wait_for('unplugged', yellow, box, lambda n: n == 0, 'the bolt gone after unplugging')


def case_memory_and_storage():
    """Memory and main storage change colour step at the next tick."""
    memory, storage = cell(MEMORY), cell(STORAGE)
    try:
        wait_for('memory-59', lambda p: p == MEMORY_GREEN, memory, lambda n: n > 20,
                 'the memory gauge in green at 59 %')
        wait_for('storage-71', lambda p: p == STORAGE_BLUE, storage, lambda n: n > 20,
                 'the storage bar in blue at 71 %')
        # Both at once: one tick shows both.
        ctl('memory', '20')
        ctl('storage', '5M', '100M')
        wait_for('memory-20', lambda p: p == MEMORY_AMBER, memory, lambda n: n > 10,
                 'the memory gauge in amber at 20 %')
        wait_for('storage-5', lambda p: p == STORAGE_RED, storage, lambda n: n > 2, 'the storage bar in red at 5 %')
    finally:
        ctl('memory', '59')
        ctl('storage', '91M', '128M')


def case_card_insert():
    """A storage card inserted while the item runs fills its meter at the next tick."""
    box = cell(CARD)
    wait_for('no-card', orange, box, lambda n: n == 0, 'an empty card meter without a card')
    ctl('card', 'insert', 'Storage Card')
    wait_for('card', orange, box, lambda n: n > 100, 'the card meter filled after the insert')
    ctl('card', 'remove', 'Storage Card')
    wait_for('card-removed', orange, box, lambda n: n == 0, 'the card meter empty after removal')


if __name__ == '__main__':
    sys.exit(run_case(globals()))
