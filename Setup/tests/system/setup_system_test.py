#!/usr/bin/env python3
"""System tests of installing and removing Norvane on the simulated Pocket PC,
through the device's cabinet installer and NorvaneSetup.dll, on one device of
their own. The cases run in this order on that device ("setup" boots it fresh,
which installs Norvane with the meters in English; "teardown" shuts it down):

  fresh_install    the five default tabs with their names, the Tools tab's four
                   special commands, the Settings tab starting control-panel pages
  uninstall_yes    removal keeping the settings, then a reinstallation that keeps them too
  uninstall_no     removal with everything of ours, leaving a device that works
  install_german   a first installation in German: the plug-in speaks German

Each case is one CTest test: setup_system_test.py CASE.
"""
import os
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / 'device' / 'tests'))
from devicetest import (Device, expect, parse_menus, parse_windows, poll, read_settings_text,  # noqa: E402
                        run_case, settings_sections)

ROOT = Path(__file__).resolve().parents[3]
BUILD = Path(os.environ.get('NORVANE_BUILD', ROOT / 'build' / 'win'))
DEVICE_DIR = Path(os.environ.get('NORVANE_DEVICE_DIR', BUILD / 'setup-system-device'))
DEVICE = Device(DEVICE_DIR, BUILD)


def ctl(*args, check=True):
    """devicectl; a call that takes long is told on stderr, so that a run
    that runs out of time shows where it went."""
    started = time.monotonic()
    try:
        return DEVICE.ctl(*args, check=check)
    finally:
        spent = time.monotonic() - started
        if spent > 5:
            print(f'devicectl {" ".join(map(str, args))}: {spent:.1f} s', file=sys.stderr, flush=True)

ITEM_CLASS = 'NorvaneWindowClass'
PANEL_TITLE = 'Norvane_FloatingPanel'
TAB_NAMES = ['Home', 'Games', 'Documents', 'Settings', 'Tools']
SPECIALS = ['Soft-Reset', 'Power Off', 'Screen Capture', 'Rotate']
NORVANE_KEY = r'HKLM\Software\Tarsel\Norvane'
ITEM_KEY = r'HKLM\Software\Microsoft\Today\Items\Norvane'
SERVICE_KEY = r'HKLM\Services\NVGD'
TAB_MENU = '0x800F'  # the item's menu of a tab's shortcuts (WM_APP + 15, wParam the tab's number)


# ---------------------------------------------------------------- helpers

def drive():
    return Path(ctl('path').strip())


def data_folder():
    return drive() / 'Program Files' / 'Tarsel' / 'Norvane'


def settings_file():
    return data_folder() / 'Norvane.ini'


def state():
    return parse_windows(ctl('windows'))


def item():
    return next((i for i in state()['items'] if i['cls'] == ITEM_CLASS), None)


def panel():
    return next((w for w in state()['windows'] if w['title'] == PANEL_TITLE), None)


def log_text():
    return ctl('log')


def clear_log():
    (drive() / 'windows' / 'device.log').write_text('')


def reg_value(key, name):
    """A value as reg.exe shows it (DWORDs in hex), or None."""
    for line in ctl('reg', 'query', key, '/v', name, check=False).splitlines():
        fields = line.split(None, 2)
        if len(fields) >= 2 and fields[0] == name and fields[1].startswith('REG_'):
            return fields[2].strip() if len(fields) > 2 else ''
    return None


def key_exists(key):
    return DEVICE.run('reg', 'query', key).returncode == 0


def ordinary_tabs():
    """(name, {key: value}) of the settings file's ordinary tabs, in file order."""
    tabs = []
    for section, keys in settings_sections(read_settings_text(settings_file())).items():
        if section.startswith('Tab') and keys.get('SpecialType', '0') == '0':
            tabs.append((keys.get('Name'), keys))
    return tabs


def tab_menu_names(number):
    """The names of a tab's shortcuts, as the item's menu of that tab lists them."""
    ctl('post', ITEM_CLASS, TAB_MENU, number)
    menus = parse_menus(ctl('menu', '--wait', '--raw'))
    ctl('menu', 'close')
    expect(menus, f'the menu of tab {number} opened')
    return [i['text'] for i in menus[0]['items']]


def tab_point(index, it):
    """The middle of one of the five thumb tabs spread over the item."""
    return it['x'] + it['w'] * (2 * index + 1) // (2 * len(TAB_NAMES)), it['y'] + it['h'] // 2


def open_panel(index):
    """Makes tab index current and its panel open: a tap on another tab makes it
    current (an open panel follows), a tap on the current tab toggles its panel."""
    it = poll(item, 'the Norvane item on the Today screen')
    for _ in range(3):
        if reg_value(NORVANE_KEY, 'CurrentTab') == hex(index) and panel():
            return panel()
        ctl('tap', *tab_point(index, it))
        time.sleep(0.3)
    return poll(lambda: reg_value(NORVANE_KEY, 'CurrentTab') == hex(index) and panel(),
                f'the panel of tab {TAB_NAMES[index]}')


def norvane_files():
    """Every file or folder on the device whose name speaks of Norvane, or of our
    vendor's folder."""
    found = []
    for root, dirs, files in os.walk(drive()):
        for name in dirs + files:
            lower = name.lower()
            if 'norvane' in lower or lower == 'tarsel':
                found.append(str(Path(root, name).relative_to(drive())))
    return found


def soft_keys():
    bar = next((w for w in state()['windows'] if w['cls'] == 'menu_worker'), None)
    return bar['title'] if bar else ''


# ---------------------------------------------------------------- cases

def case_setup():
    ctl('shutdown', check=False)
    ctl('boot', '--fresh', '--headless', '--profile', 'qvga-portrait', '--meters', 'on', '--language', 'English')


def case_teardown():
    ctl('shutdown', check=False)


def case_fresh_install():
    # The installer's records and registrations.
    expect(reg_value(ITEM_KEY, 'DLL') == r'\Windows\Norvane.dll', 'the Today item is registered')
    # (Its prefix is the plug-in's to switch from the settings once it runs.)
    expect(reg_value(SERVICE_KEY, 'Dll') == 'NorvaneSafeMode.dll' and reg_value(SERVICE_KEY, 'Order') == '0x0',
           'the safe-mode service is registered')
    expect(reg_value(NORVANE_KEY, 'InstallPath') == r'\Program Files\Tarsel\Norvane', 'the install folder')
    safe = (reg_value(NORVANE_KEY, 'SafeServices') or '').split(',')
    expect({'BAG0', 'NFY0', 'CRD0'} <= set(safe) and 'NV_0' not in safe, f'the safe services: {safe}')
    expect(reg_value(NORVANE_KEY, 'Language') == 'English', 'the language chosen')
    expect(not (data_folder() / 'meters_temp').exists(), 'the meters were moved out of meters_temp')
    # The five default tabs, in the file and on the screen.
    tabs = ordinary_tabs()
    expect([name for name, _ in tabs] == TAB_NAMES, f'the default tabs: {[name for name, _ in tabs]}')
    if (ROOT / 'meters' / 'battery-default' / 'meter.ini').exists():
        expect(tabs[0][1].get('ShortcutAdditional1', '').endswith(r'\meters\battery-default\meter.ini'),
               f'Home starts with the battery meter: {tabs[0][1]}')
    it = poll(item, 'the Norvane item on the Today screen')
    expect(it['h'] > 0 and it['w'] == state()['screen'][0], f'the item shows: {it}')
    names = tab_menu_names(5)
    tools = settings_sections(read_settings_text(settings_file()))['Tab5']
    targets = [tools.get(f'ShortcutAdditional{n}') for n in range(1, 5)]
    expect(targets == ['special:softreset', 'special:poweroff', 'special:screencapture', 'special:rotate'],
           f'the Tools tab starts with the four special commands: {targets}')
    expect(names[:4] == SPECIALS, f'the special commands are named by the plug-in: {names}')
    expect('Contact' in names[4:] and 'Word Document' in names[4:], f'then the new-item commands: {names}')
    expect(tab_menu_names(1)[:1] != [''], 'the Home tab names its programs')
    # A tap on the Settings tab's first icon opens its control-panel page.
    clear_log()
    shown = open_panel(3)
    ctl('tap', shown['x'] + 19, shown['y'] + 22)
    poll(lambda: 'cplmain.cpl,2,0' in log_text(), 'the Settings tab\'s first icon to open cplmain.cpl page 2',
         show=log_text)
    ctl('key', 'escape')


def case_uninstall_yes():
    before = settings_file().read_bytes()
    # The removal starts while the user holds a menu of the item open: the menu
    # closes and the plug-in leaves without bringing the Today screen down.
    it = poll(item, 'the Norvane item on the Today screen')
    ctl('hold', *tab_point(0, it), 1000)
    expect(parse_menus(ctl('menu', '--wait', '--raw')), 'the tab menu is open')
    ctl('uninstall', '--preserve', 'yes')
    poll(lambda: item() is None, 'the item to leave the Today screen')
    expect(not parse_menus(ctl('menu', '--raw', check=False)), 'the menu closed')
    crashed = [d for d in state()['windows'] if d['title'] == 'Exception raised']
    expect(not crashed, 'no program of the device crashed')
    expect(settings_file().read_bytes() == before, 'Norvane.ini is kept as it was')
    expect(reg_value(ITEM_KEY, 'DLL') is None and reg_value(ITEM_KEY, 'Order') is not None,
           'the Today item key stays, without its DLL')
    expect(not (drive() / 'windows' / 'Norvane.dll').exists(), 'the plug-in file is gone')
    expect(reg_value(NORVANE_KEY, 'Language') == 'English', 'the settings in the registry stay')
    # Installed again: the user's settings are kept.
    ctl('install')
    poll(item, 'the item back on the Today screen')
    expect(settings_file().read_bytes() == before, 'a reinstallation keeps Norvane.ini')


def case_uninstall_no():
    ctl('uninstall', '--preserve', 'no')
    poll(lambda: item() is None, 'the item to leave the Today screen')
    left = norvane_files()
    expect(not left, f'no file of Norvane is left: {left}')
    for key in (NORVANE_KEY, ITEM_KEY, SERVICE_KEY):
        expect(not key_exists(key), f'{key} is gone')
    # The device works as before: its soft keys and programs.
    poll(lambda: soft_keys() == 'Notes\tContacts', 'the device\'s own soft keys', show=soft_keys)
    clear_log()
    ctl('key', 'softkey-left')
    poll(lambda: 'Notes.exe|' in log_text(), 'the left soft key to start Notes', show=log_text)
    ctl('key', 'escape')
    ctl('key', 'app4')
    poll(lambda: 'Calculator.exe|' in log_text(), 'application button 4 to start Calculator', show=log_text)
    ctl('key', 'escape')


def case_install_german():
    ctl('install', '--language', 'German', '--meters', 'off')
    it = poll(item, 'the item on the Today screen')
    expect(reg_value(NORVANE_KEY, 'Language') == 'German', 'German was chosen')
    expect((data_folder() / 'NorvaneLang.dll').exists(), 'the German module is installed as NorvaneLang.dll')
    expect(not (data_folder() / 'German.dll').exists(), 'the shipped modules are cleared away')
    tabs = ordinary_tabs()
    expect([name for name, _ in tabs] == TAB_NAMES, f'a new settings file with the default tabs: {tabs}')
    expect(not any(v.startswith('meter:') for v in tabs[0][1].values()), 'no meters without the meters')
    # A menu of the plug-in in German.
    ctl('hold', *tab_point(0, it), 1000)
    menus = parse_menus(ctl('menu', '--wait', '--raw'))
    ctl('menu', 'close')
    texts = [i['text'] for i in menus[0]['items']] if menus else []
    for german in ('Verknüpfung hinzufügen...', 'Norvane aktualisieren', 'Abbrechen'):
        expect(german in texts, f'the tab menu speaks German ("{german}"): {texts}')


if __name__ == '__main__':
    sys.exit(run_case(globals()))
