#!/usr/bin/env python3
"""System tests of the Today item's stylus and key input on the simulated Pocket
PC: taps, tap-and-hold menus, dragging, the D-pad, the thumb tabs' panel, the
hardware keys and a random-input run. One device for the run ("setup" boots it,
"teardown" shuts it down); each case is one CTest test: input_system_test.py CASE.

The cases lay the item out so that its icons stand where the row layout puts
them: tabs on top, left-aligned small icons without captions, one row per tab and
an automatic height, which is then the tab bar plus one 18-pixel row plus 2.
"""
import os
import shutil
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / 'device' / 'tests'))
from devicetest import (Device, Failure, check_settings_file, expect, parse_dialogs, parse_menus,  # noqa: E402
                        parse_windows, poll, read_settings_text, run_case, settings_sections, write_settings_text)
from system_test import read_png  # noqa: E402  (the device tests' PNG reader)

ROOT = Path(__file__).resolve().parents[3]
BUILD = Path(os.environ.get('NORVANE_BUILD', ROOT / 'build' / 'win'))
DEVICE_DIR = Path(os.environ.get('NORVANE_DEVICE_DIR', BUILD / 'input-system-device'))
DEVICE = Device(DEVICE_DIR, BUILD)
ctl = DEVICE.ctl

ITEM_CLASS = 'NorvaneWindowClass'
PANEL_TITLE = 'Norvane_FloatingPanel'
PROGRAMS = r'\Windows\Start Menu\Programs'
NOTES = PROGRAMS + r'\Notes.lnk'
CONTACTS = PROGRAMS + r'\Contacts.lnk'
BUBBLES = PROGRAMS + r'\Games\Bubble Breaker.lnk'
MESSAGING = PROGRAMS + r'\Messaging.lnk'
EXPLORER = PROGRAMS + r'\File Explorer.lnk'
CALCULATOR = PROGRAMS + r'\Calculator.lnk'
# Two tabs of sample programs: most cases use these.
TABS = [('Apps', [NOTES, CONTACTS, BUBBLES]), ('Tools', [MESSAGING, EXPLORER])]
# The layout measures at 96 dots per inch: icons start 2 pixels in, one cell
# (18 + the default IconSpacing 2) apart, 16 pixels square.
CELL = 20
DELETE_QUESTION = 'Are you sure you want to delete the shortcut %s?'


# ---------------------------------------------------------------- device helpers

def state():
    return parse_windows(ctl('windows'))


def item():
    return next((i for i in state()['items'] if i['cls'] == ITEM_CLASS), None)


def drive():
    return Path(ctl('path').strip())


def settings_path():
    return drive() / 'Program Files' / 'Tarsel' / 'Norvane' / 'Norvane.ini'


def log_text():
    return ctl('log')


def clear_log():
    (drive() / 'windows' / 'device.log').write_text('')


def started(program):
    return any(line.startswith(program + '|') for line in log_text().splitlines())


def soft_key_labels():
    bar = next((w for w in state()['windows'] if w['cls'] == 'menu_worker'), None)
    return bar['title'] if bar else ''


def install_settings(tabs, general=None, specials=()):
    """Writes Norvane.ini with these tabs (name, [targets]) and General keys over
    the layout the cases rely on, and waits until the item has reloaded it: the
    left soft key then shows a label unique to this file. The first tab is current."""
    keys = {'BehaviorMode': 2, 'BottomAlign': 0, 'IconDisplayMode': 0, 'HeightInPixels': 0,
            'LandscapeHeightInPixel': 0, 'TabWidth': 40, 'AllowScrolling': 1}
    keys.update(general or {})
    marker = f'Mark{time.monotonic_ns() % 1000000}'
    lines = ['[General]'] + [f'{k}={v}' for k, v in keys.items()]
    number = 0
    for number, (name, targets) in enumerate(tabs, 1):
        lines += [f'[Tab{number}]', f'Name={name}', f'UniqueID={number}']
        lines += [f'Shortcut{i}={t}' for i, t in enumerate(targets, 1)]
    for special_type, targets in list(specials) + [(5, [r'\Windows\Notes.exe'])]:
        number += 1
        lines += [f'[Tab{number}]', f'SpecialType={special_type}']
        lines += [f'Shortcut{i}={t}' for i, t in enumerate(targets, 1)]
        if special_type == 5:
            lines.append(f'ToolTipTitle1={marker}')
    write_settings_text(settings_path(), '\n'.join(lines) + '\n')
    ctl('reg', 'add', r'HKLM\Software\Tarsel\Norvane', '/v', 'CurrentTab', '/t', 'REG_DWORD', '/d', '0', '/f')
    ctl('broadcast', 'NorvaneSettingsChanged')
    poll(lambda: soft_key_labels().startswith(marker + '\t'), 'the item to reload the new settings', timeout=10,
         show=soft_key_labels)
    # The Today screen asks for the new height at its next poll; ask now, and
    # wait until the item stands still, so that places computed from it hold.
    ctl('refresh')
    last = [None]

    def settled():
        now = item()
        stable = now and now['h'] > 0 and now == last[0]
        last[0] = now
        return now if stable else None

    it = poll(settled, 'the item laid out')
    if keys['BehaviorMode'] == 2 and tabs:
        # A reload keeps the tab that was current: a tap makes the first one current.
        to_today()
        ctl('tap', *tab_point(0, len(tabs), it))
    return it


def to_today():
    """Closes what covers the Today screen: Escape ends the sample programs, the
    task bar's corner button minimizes what ignores it."""
    for attempt in range(8):
        s = state()
        if any(w['cls'] == '#32768' for w in s['windows']):
            ctl('menu', 'close')
            continue
        front = next((w for w in s['windows'] if w['foreground']), None)
        today = next((w for w in s['windows'] if w['cls'] == 'DesktopExplorerWindow'), None)
        if front and today and front['pid'] == today['pid'] and not any(
                w['cls'] == '#32770' for w in s['windows']):
            return s
        if attempt < 4:
            ctl('key', 'escape')
        else:
            ctl('tap', s['screen'][0] - 10, 12)
        time.sleep(0.3)
    raise Failure('the Today screen did not come back: ' + repr([(w['cls'], w['title']) for w in s['windows']]))


def icon_point(index, it=None):
    """The middle of icon index of the current tab's single row."""
    it = it or item()
    return it['x'] + 2 + CELL * index + 8, it['y'] + it['h'] - 2 - 8


def tab_point(index, count, it=None, thumbs=False):
    """The middle of tab index of count spread tabs (the bar is on top)."""
    it = it or item()
    bar = it['h'] + 2 if thumbs else it['h'] - 20
    return it['x'] + it['w'] * (2 * index + 1) // (2 * count), it['y'] + bar // 2 - 1


def free_point(it=None):
    """A point on the Today screen's own background, below the item."""
    it = it or item()
    return 120, it['y'] + it['h'] + 12


def open_menu_at(x, y, hold_ms=1000):
    ctl('hold', x, y, hold_ms)
    return parse_menus(ctl('menu', '--wait', '--raw'))


def labels(menu):
    return [i['text'] for i in menu['items'] if 'separator' not in i['flags']]


def entry(menu, text):
    found = next((i for i in menu['items'] if i['text'] == text), None)
    expect(found, f'the menu has "{text}": {labels(menu)}')
    return found


def dialogs():
    out = ctl('dialog', '--raw', check=False)
    return parse_dialogs(out)


def wait_dialog(what):
    return poll(lambda: next(iter(dialogs()), None), what)


def tab_targets(text, name):
    """The targets of the ordinary tab called name in a settings file's text."""
    for section, keys in settings_sections(text).items():
        if section.startswith('Tab') and keys.get('Name') == name:
            return [keys[k] for k in sorted((k for k in keys if k.startswith('Shortcut') and k[8:].isdigit()),
                                            key=lambda k: int(k[8:]))]
    return None


def settings_text():
    return read_settings_text(settings_path())


def expect_valid_settings():
    passed, report = check_settings_file(settings_path(), BUILD)
    expect(passed, 'Norvane.ini passes norvane-ini check:\n' + report)


# ---------------------------------------------------------------- cases

def case_setup():
    ctl('shutdown', check=False)
    ctl('boot', '--fresh', '--headless', '--profile', 'qvga-portrait')
    poll(lambda: (item() or {}).get('h', 0) > 0, 'the Norvane item on the Today screen', timeout=20)


def case_teardown():
    ctl('shutdown')


def case_tap_launches():
    """A tap on a shortcut starts its program, and only that one."""
    it = install_settings(TABS)
    to_today()
    clear_log()
    ctl('tap', *icon_point(2, it))
    poll(lambda: started('Bubbles.exe'), 'the tap on the third icon to start Bubble Breaker', show=log_text)
    poll(lambda: any(w['title'] == 'Bubble Breaker' and w['foreground'] for w in state()['windows']),
         'the game in front')
    expect(not started('Notes.exe') and not started('Contacts.exe'), 'only the tapped shortcut ran:\n' + log_text())
    to_today()


def case_hold_delete():
    """Tap-and-hold on a shortcut opens its menu; "Delete" asks first: No keeps
    the file as it was, Yes removes the shortcut from the item and the file."""
    it = install_settings(TABS)
    to_today()
    before = settings_path().read_bytes()
    menu = open_menu_at(*icon_point(1, it))[0]
    header = menu['items'][0]
    expect('ownerdraw' in header['flags'] and header['text'].startswith('Contacts'),
           f'the menu starts with the shortcut\'s name drawn by the item: {header}')
    for text in ('Small', 'Large', 'Delete', 'Move shortcut to...', 'Copy shortcut to...', 'Launch'):
        entry(menu, text)
    expect('checked' in entry(menu, 'Small')['flags'] and 'checked' not in entry(menu, 'Large')['flags'],
           'a small icon has "Small" checked')
    ctl('menu', 'choose', 'Delete')
    question = wait_dialog('the question before deleting')
    expect(DELETE_QUESTION % 'Contacts' in question['texts'],
           f'the question names the shortcut: {question["texts"]}')
    expect({'Yes', 'No'} <= {b['text'] for b in question['buttons']}, f'Yes and No: {question["buttons"]}')
    ctl('dialog', 'press', 'No')
    # The next menu comes from the same thread, after anything the answer did.
    menu = open_menu_at(*icon_point(1, it))[0]
    expect(menu['items'][0]['text'].startswith('Contacts'), 'the shortcut is still there after "No"')
    expect(settings_path().read_bytes() == before, '"No" leaves Norvane.ini byte for byte as it was')

    ctl('menu', 'choose', 'Delete')
    wait_dialog('the question before deleting')
    ctl('dialog', 'press', 'Yes')
    poll(lambda: tab_targets(settings_text(), 'Apps') == [NOTES, BUBBLES],
         'Norvane.ini without the deleted shortcut', show=lambda: tab_targets(settings_text(), 'Apps'))
    expect(tab_targets(settings_text(), 'Tools') == [MESSAGING, EXPLORER], 'the other tab is untouched')
    expect_valid_settings()
    menu = open_menu_at(*icon_point(1, it))[0]
    expect(menu['items'][0]['text'].startswith('Bubble'), f'the next icon moved up: {menu["items"][0]}')
    ctl('menu', 'close')


def case_move_by_menu():
    """The shortcut menu's "Move shortcut to..." submenu lists the other tabs and
    moves the shortcut there."""
    it = install_settings(TABS + [('Games', [])])
    to_today()
    menu = open_menu_at(*icon_point(0, it))[0]
    entry(menu, 'Move shortcut to...')
    ctl('menu', 'choose', 'Move shortcut to...', 'Games')
    poll(lambda: tab_targets(settings_text(), 'Games') == [NOTES], 'Notes moved into "Games"',
         show=lambda: tab_targets(settings_text(), 'Games'))
    expect(tab_targets(settings_text(), 'Apps') == [CONTACTS, BUBBLES], 'and gone from "Apps"')
    expect_valid_settings()


def case_drag_to_tab():
    """Dragging a shortcut over another tab switches to it after a moment; the drop
    moves the shortcut there, saved so that it is still there after a reset."""
    it = install_settings(TABS)
    to_today()
    ctl('drag', *icon_point(0, it), *tab_point(1, 2, it), 900)
    poll(lambda: tab_targets(settings_text(), 'Tools') == [MESSAGING, EXPLORER, NOTES],
         'Notes saved at the end of "Tools"', show=lambda: tab_targets(settings_text(), 'Tools'))
    expect(tab_targets(settings_text(), 'Apps') == [CONTACTS, BUBBLES], 'Notes left "Apps"')
    expect_valid_settings()

    ctl('reset')
    it = poll(lambda: (lambda i: i if i and i['h'] > 0 else None)(item()), 'the item after the reset', timeout=20)
    expect(tab_targets(settings_text(), 'Tools') == [MESSAGING, EXPLORER, NOTES], 'the file kept the move')
    to_today()
    ctl('tap', *tab_point(1, 2, it))
    clear_log()
    ctl('tap', *icon_point(2, it))
    poll(lambda: started('Notes.exe'), 'the moved shortcut to start Notes from "Tools"', show=log_text)
    to_today()


def region(shot, x, y):
    """The 16 x 16 pixels of an icon cell, row by row."""
    _, _, pixel = shot
    return [pixel(x + dx, y + dy) for dy in range(-8, 8) for dx in range(-8, 8)]


def screenshot(name):
    path = DEVICE_DIR / 'screens' / f'{name}.png'
    ctl('screenshot', path)
    return read_png(path)


def case_dpad():
    """The D-pad: entering the item focuses the tab bar above the icons, the next
    key the first icon; left and right walk the icons (the highlight moves), the
    action key launches the selected one; up from the icons reaches the tab bar,
    where right changes the tab."""
    it = install_settings(TABS)
    to_today()
    ctl('tap', *free_point(it))  # the Today screen takes the selection away
    clear_log()
    ctl('key', 'down')  # the selection arrives: the tab bar first
    ctl('key', 'down')  # then the first icon
    first = screenshot('dpad-first')
    ctl('key', 'right')
    second = screenshot('dpad-second')
    p0, p1 = icon_point(0, it), icon_point(1, it)
    expect(region(first, *p0) != region(second, *p0) and region(first, *p1) != region(second, *p1),
           'the highlight moved from the first icon to the second (screens/dpad-first.png, dpad-second.png)')
    ctl('key', 'right')
    ctl('key', 'action')
    poll(lambda: started('Bubbles.exe'), 'the action key to launch the third icon', show=log_text)
    expect(not started('Notes.exe') and not started('Contacts.exe'), 'only the selected shortcut ran')
    to_today()

    ctl('tap', *free_point(it))
    clear_log()
    for key in ('down', 'down', 'up', 'right', 'down', 'right', 'action'):
        ctl('key', key)
    poll(lambda: started('fexplore.exe'), 'up to the tab bar, right to "Tools", down and right to File Explorer',
         show=log_text)
    expect(not started('tmail.exe'), 'the second icon of "Tools" ran, not the first')
    to_today()


def case_thumb_tabs():
    """Thumb tabs: the item is only its tab bar; a tap on the current tab opens the
    floating panel with the icons, and a tap on an icon there launches it."""
    it = install_settings([('Apps', [NOTES, CONTACTS]), ('Tools', [MESSAGING])], general={'BehaviorMode': 4})
    to_today()
    panel_open = lambda: next((w for w in state()['windows'] if w['title'] == PANEL_TITLE), None)
    if panel_open():  # a reload leaves the panel as it was: the tab's tap closes it
        ctl('tap', *tab_point(0, 2, it, thumbs=True))
        poll(lambda: not panel_open(), 'the tap on the current tab to close the open panel')
    ctl('tap', *tab_point(0, 2, it, thumbs=True))
    panel = poll(panel_open, 'the floating panel to open on the tab tap')
    expect(panel['w'] == it['w'] and (panel['y'] >= it['y'] + it['h'] or panel['y'] + panel['h'] <= it['y']),
           f'the panel spans the item\'s width above or below it: panel {panel}, item {it}')
    order = [w['cls'] for w in state()['windows']]
    expect(order.index('NorvaneFloatingPanel') < order.index('DesktopExplorerWindow'),
           f'the panel stands in front of the Today screen (front first): {order}')
    clear_log()
    ctl('tap', panel['x'] + 2 + CELL + 8, panel['y'] + 6 + 8)
    poll(lambda: started('Contacts.exe'), 'the tap on the panel\'s second icon to start Contacts', show=log_text)
    expect(not started('Notes.exe'), 'only the tapped icon ran')
    to_today()


def case_quick_launch_prompt():
    """Application buttons without a quick-launch shortcut ask whether to set one
    up: No does nothing, Yes opens the options at the Quick Launch Tab."""
    install_settings(TABS, specials=[(4, [r'\Windows\Notes.exe', r'\Windows\Bubbles.exe'])])
    to_today()
    # A sample program in the options program's place logs the switch it gets.
    options = install_folder() / 'NorvaneOptions.exe'
    real = options.with_name('NorvaneOptions.exe.real')
    if options.exists():
        shutil.move(str(options), str(real))
    shutil.copy2(drive() / 'windows' / 'Notes.exe', options)
    try:
        clear_log()
        ctl('key', 'app3')
        prompt = wait_dialog('the quick-launch question for button 3')
        expect(any('Quick Launch 3.' in t for t in prompt['texts']), f'it names button 3: {prompt["texts"]}')
        ctl('dialog', 'press', 'No')
        ctl('key', 'app4')
        prompt = wait_dialog('the quick-launch question for button 4')
        expect(any('You do not have a shortcut set up for Quick Launch 4.' in t for t in prompt['texts']),
               f'the question: {prompt["texts"]}')
        ctl('dialog', 'press', 'Yes')
        # Two ordinary tabs: the Quick Launch Tab is shown as tab 2 + 3.
        poll(lambda: any(line.endswith('|/showtab:5') for line in log_text().splitlines()),
             'the options to open at the Quick Launch Tab', show=log_text)
        expect(sum(line.endswith('|/showtab:5') for line in log_text().splitlines()) == 1,
               '"No" started nothing:\n' + log_text())
    finally:
        to_today()
        poll(lambda: not _remove(options), 'the stand-in options program to go')
        if real.exists():
            shutil.move(str(real), str(options))


def install_folder():
    """The product's install folder on the host ("InstallPath", as the installer recorded it)."""
    out = ctl('reg', 'query', r'HKLM\Software\Tarsel\Norvane', '/v', 'InstallPath', check=False)
    for line in out.splitlines():
        fields = line.split(None, 2)
        if len(fields) == 3 and fields[0] == 'InstallPath':
            return drive().joinpath(*[p for p in fields[2].strip().split('\\') if p])
    return drive() / 'windows'


def _remove(path):
    try:
        path.unlink(missing_ok=True)
        return False
    except OSError:
        return True


def case_right_soft_key():
    """The right soft key runs the first shortcut of the Right Softkey Tab, whose
    name the soft key shows."""
    install_settings(TABS, specials=[(6, [BUBBLES, CONTACTS])])
    to_today()
    poll(lambda: soft_key_labels().endswith('\tBubble Breaker'), 'the right soft key labelled with the shortcut',
         show=soft_key_labels)
    clear_log()
    ctl('key', 'softkey-right')
    poll(lambda: started('Bubbles.exe'), 'the right soft key to start Bubble Breaker', show=log_text)
    expect(not started('Contacts.exe'), 'only the first shortcut of the tab runs')
    to_today()


def case_ok_button():
    """The OK button on a program with an OK caption button sends it IDOK."""
    install_settings(TABS, specials=[(4, [CALCULATOR])])
    to_today()
    clear_log()
    ctl('key', 'app1')  # quick launch 1: the Calculator dialog
    poll(lambda: any(w['title'] == 'Calculator' and w['foreground'] for w in state()['windows']),
         'the Calculator dialog in front')
    ctl('key', 'ok')
    poll(lambda: 'Calculator.exe|ok' in log_text(), 'the OK button to send IDOK to the dialog', show=log_text)
    to_today()


def case_task_manager_key():
    """The task-manager button opens the task manager over the Today screen."""
    install_settings(TABS)
    to_today()
    ctl('key', 'taskmanager')
    poll(lambda: any(w['cls'] == 'NorvaneTaskManager' for w in state()['windows']),
         'the task manager popup to open', show=lambda: [w['cls'] for w in state()['windows']])
    ctl('key', 'escape')
    ctl('tap', *free_point())
    to_today()


def case_monkey():
    """A short random-input run with a fixed seed ends with the shell and the item
    alive and a settings file that passes the check."""
    install_settings(TABS, specials=[(4, [r'\Windows\Notes.exe'])])
    to_today()
    proc = DEVICE.run('monkey', '--seed', '4711', '--seconds', '70')
    expect(proc.returncode == 0, f'the random-input run failed:\n{proc.stdout}\n{proc.stderr}')
    print(proc.stdout.strip())
    expect_valid_settings()


if __name__ == '__main__':
    sys.exit(run_case(globals()))
