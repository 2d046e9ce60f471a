#!/usr/bin/env python3
"""System tests of the Today item on the simulated Pocket PC: Norvane installed
into a fresh device of its own and driven through devicectl. One device for the
run ("setup" boots it, "teardown" shuts it down); each case is one CTest test:
item_system_test.py CASE."""
import os
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / 'device' / 'tests'))
from devicetest import Device, Failure, expect, poll, run_case  # noqa: E402

ROOT = Path(__file__).resolve().parents[3]
BUILD = Path(os.environ.get('NORVANE_BUILD', ROOT / 'build' / 'win'))
DEVICE_DIR = Path(os.environ.get('NORVANE_DEVICE_DIR', BUILD / 'item-system-device'))
ITEM_CLASS = 'NorvaneWindowClass'
MINMAX = 0x8011  # WM_APP + 17
ctl = Device(DEVICE_DIR, BUILD).ctl


def items():
    """Today items by name: class, position and size."""
    found = {}
    for line in ctl('windows').splitlines():
        f = line.split('|')
        if f[0] == 'item':
            found[f[2]] = dict(cls=f[1], x=int(f[3]), y=int(f[4]), w=int(f[5]), h=int(f[6]))
    return found


def norvane():
    return next((i for i in items().values() if i['cls'] == ITEM_CLASS), None)


def drive():
    return Path(ctl('path').strip())


def settings_path():
    return drive() / 'Program Files' / 'Tarsel' / 'Norvane' / 'Norvane.ini'


def write_settings(general):
    """Writes Norvane.ini as UTF-16 with a mark: the given General keys, one tab."""
    lines = ['', '[General]'] + [f'{k}={v}' for k, v in general.items()]
    lines += ['[Tab1]', 'Name=Programs', r'Shortcut1=\Windows\Start Menu\Programs\Calculator.lnk', '']
    path = settings_path()
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(b'\xff\xfe' + '\r\n'.join(lines).encode('utf-16-le'))


def reg_value(name):
    out = ctl('reg', 'query', r'HKLM\Software\Tarsel\Norvane', '/v', name, check=False)
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[0] == name:
            return int(parts[-1], 0)
    return None


def reg_set(name, value):
    ctl('reg', 'add', r'HKLM\Software\Tarsel\Norvane', '/v', name, '/t', 'REG_DWORD', '/d', str(value), '/f')


def reg_delete(name):
    ctl('reg', 'delete', r'HKLM\Software\Tarsel\Norvane', '/v', name, '/f', check=False)


def settings_changed():
    ctl('broadcast', 'NorvaneSettingsChanged')


def case_setup():
    ctl('shutdown', check=False)
    ctl('boot', '--fresh', '--headless', '--profile', 'qvga-portrait')
    poll(lambda: (norvane() or {}).get('h', 0) > 0, 'the Norvane item on the Today screen')


def case_teardown():
    ctl('shutdown')


def case_loading_then_view():
    # The shell turns ready late: until then the item shows its loading view and
    # answers the Today screen's height polls with the stored "LastHeight"; then
    # it switches to the view of "BehaviorMode".
    write_settings({'BehaviorMode': 2, 'HeightInPixels': 90, 'LandscapeHeightInPixel': 90})
    reg_delete('MinimizeOnRefresh')
    ctl('reg', 'add', r'HKLM\Software\NorvaneDevice\State', '/v', 'ShellReadyDelayMs', '/t', 'REG_DWORD',
        '/d', '9000', '/f')
    try:
        ctl('reset', '--no-wait')
        poll(lambda: norvane(), 'the item on the Today screen after the reset', timeout=20)
        reg_set('LastHeight', 33)
        loading = poll(lambda: (lambda i: i if i and i['h'] == 33 else None)(norvane()),
                       'the loading view to answer the stored height 33', timeout=8,
                       show=lambda: (norvane() or {}).get('h'))
        expect(loading['w'] == 240, f'the item spans the screen: {loading}')
        poll(lambda: (norvane() or {}).get('h') == 90, 'the tab view at HeightInPixels 90', timeout=20)
    finally:
        ctl('reg', 'add', r'HKLM\Software\NorvaneDevice\State', '/v', 'ShellReadyDelayMs', '/t', 'REG_DWORD',
            '/d', '0', '/f')


def case_behavior_mode_switch():
    write_settings({'BehaviorMode': 2, 'HeightInPixels': 90, 'LandscapeHeightInPixel': 90})
    settings_changed()
    poll(lambda: (norvane() or {}).get('h') == 90, 'the customized-tabs view at 90 pixels')
    write_settings({'BehaviorMode': 4, 'HeightInPixels': 90, 'LandscapeHeightInPixel': 90})
    settings_changed()
    thumbs = poll(lambda: (lambda i: i if i and 0 < i['h'] < 60 else None)(norvane()),
                  'the thumb-tabs view, only a tab bar high')
    expect(thumbs['h'] < 90, f'thumb tabs keep the icons in a panel: {thumbs}')


def case_minimize_maximize():
    write_settings({'BehaviorMode': 2, 'HeightInPixels': 80, 'LandscapeHeightInPixel': 80})
    settings_changed()
    poll(lambda: (norvane() or {}).get('h') == 80, 'the item at 80 pixels')
    ctl('post', ITEM_CLASS, hex(MINMAX))
    poll(lambda: (lambda i: i is None or i['h'] <= 0)(norvane()), 'the item to collapse when minimized')
    expect(reg_value('MinimizeOnRefresh') == 1, 'minimizing stores MinimizeOnRefresh = 1')
    ctl('post', ITEM_CLASS, hex(MINMAX))
    poll(lambda: (norvane() or {}).get('h') == 80, 'the item back at 80 pixels when maximized')
    expect(reg_value('MinimizeOnRefresh') is None, 'maximizing deletes MinimizeOnRefresh')


def case_minimized_across_reboot():
    write_settings({'BehaviorMode': 2, 'HeightInPixels': 70, 'LandscapeHeightInPixel': 70})
    settings_changed()
    poll(lambda: (norvane() or {}).get('h') == 70, 'the item at 70 pixels')
    expect(reg_value('LastHeight') == 70, f'LastHeight follows the height: {reg_value("LastHeight")}')
    ctl('post', ITEM_CLASS, hex(MINMAX))
    poll(lambda: (lambda i: i is None or i['h'] <= 0)(norvane()), 'the item to collapse')
    ctl('reset')
    # After the reboot the item comes back minimized, and a maximize restores it.
    time.sleep(0.5)
    poll(lambda: reg_value('MinimizeOnRefresh') == 1 and norvane() is not None, 'the item after the reboot',
         timeout=20)
    time.sleep(2.5)  # two height polls of the Today screen
    item = norvane()
    expect(item is None or item['h'] <= 0, f'the item stays collapsed across the reboot: {item}')
    ctl('post', ITEM_CLASS, hex(MINMAX))
    poll(lambda: (norvane() or {}).get('h') == 70, 'the item back at 70 pixels')


if __name__ == '__main__':
    sys.exit(run_case(globals()))
