#!/usr/bin/env python3
"""System tests of the task manager and the task-bar extensions on a simulated
phone edition (QVGA portrait): the task-manager key, the row menu's exceptions,
Close All sparing the phone and "Ignore Close-All", the corner's close gesture,
the running-program icons and the top-bar icon's drag across a reboot. One
device for the run ("setup" boots it, "teardown" shuts it down); each case is
one CTest test: taskman_system_test.py CASE.

At 96 dots per inch the popup's rows are 18 pixels high (separators 8), stacked
from one pixel below its top edge; it hangs from the top-right corner, 2 pixels
down.
"""
import os
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / 'device' / 'tests'))
from devicetest import (Device, check_settings_file, expect, parse_menus, parse_windows, poll,  # noqa: E402
                        read_settings_text, run_case, settings_sections, write_settings_text)
from system_test import read_png  # noqa: E402

ROOT = Path(__file__).resolve().parents[3]
BUILD = Path(os.environ.get('NORVANE_BUILD', ROOT / 'build' / 'win'))
DEVICE_DIR = Path(os.environ.get('NORVANE_DEVICE_DIR', BUILD / 'taskman-system-device'))
DEVICE = Device(DEVICE_DIR, BUILD)
ctl = DEVICE.ctl

POPUP_CLASS = 'NorvaneTaskManager'
SAMPLES = {'Notes': r'\Windows\Notes.exe', 'Contacts': r'\Windows\Contacts.exe',
           'Bubble Breaker': r'\Windows\Bubbles.exe'}
ROW, SEPARATOR = 18, 8


# ---------------------------------------------------------------- device helpers

def state():
    return parse_windows(ctl('windows'))


def window(title, s=None):
    return next((w for w in (s or state())['windows'] if w['title'] == title), None)


def drive():
    return Path(ctl('path').strip())


def settings_path():
    return drive() / 'Program Files' / 'Tarsel' / 'Norvane' / 'Norvane.ini'


def log_text():
    return ctl('log')


def clear_log():
    (drive() / 'windows' / 'device.log').write_text('')


def soft_key_labels():
    bar = next((w for w in state()['windows'] if w['cls'] == 'menu_worker'), None)
    return bar['title'] if bar else ''


def install_settings(general=None, exceptions=None, top_bar=None):
    """Writes Norvane.ini (one tab, the Left Softkey Tab with a label unique to
    this file, optionally a Top Bar Tab and exceptions) and waits until the
    item has reloaded it."""
    marker = f'Mark{time.monotonic_ns() % 1000000}'
    lines = ['[General]', 'BehaviorMode=2'] + [f'{k}={v}' for k, v in (general or {}).items()]
    lines += ['[Tab1]', 'Name=Apps', 'UniqueID=1', r'Shortcut1=\Windows\Start Menu\Programs\Notes.lnk']
    lines += ['[Tab2]', 'SpecialType=5', r'Shortcut1=\Windows\Notes.exe', f'ToolTipTitle1={marker}']
    if top_bar:
        lines += ['[Tab3]', 'SpecialType=3', f'Shortcut1={top_bar}']
    if exceptions:
        lines += ['[TaskManagerExceptions]'] + [f'{k}={v}' for k, v in exceptions.items()]
    write_settings_text(settings_path(), '\n'.join(lines) + '\n')
    ctl('broadcast', 'NorvaneSettingsChanged')
    poll(lambda: soft_key_labels().startswith(marker + '\t'), 'the item to reload the new settings', timeout=10,
         show=soft_key_labels)
    return marker


def start(*titles):
    """Starts sample programs as the shell does and waits for their windows."""
    for title in titles:
        ctl('start', SAMPLES[title])
        poll(lambda: window(title), f'{title} to start')


def end_programs():
    """Ends the sample programs (not the phone): a clean Today screen."""
    if window_of_class(POPUP_CLASS):
        ctl('key', 'escape')
    for w in state()['windows']:
        if w['title'] in SAMPLES:
            ctl('close', w['title'], check=False)
    poll(lambda: not any(w['title'] in SAMPLES or w['cls'] == POPUP_CLASS for w in state()['windows']),
         'the sample programs to end')


def open_popup():
    ctl('key', 'taskmanager')
    return poll(lambda: window_of_class(POPUP_CLASS), 'the task manager to open')


def window_of_class(cls):
    return next((w for w in state()['windows'] if w['cls'] == cls), None)


def popup_rows(s):
    """The titles of the popup's program rows, in the order it lists them: the
    program windows front first, without the phone, the shell's windows and
    owned or tool windows (the samples' only owned window is Contacts')."""
    rows = []
    for w in s['windows']:
        if w['process'] in ('DeviceShell.exe', 'cprog.exe') or not w['title'] or w['title'] == 'Contact Details':
            continue
        rows.append(w['title'])
    return rows


def row_centre(popup, index_after_desktop):
    """Screen point of a program row (0 = the first program) with the default
    command mask: four commands, a separator, the desktop row."""
    y = popup['y'] + 1 + 4 * ROW + SEPARATOR + ROW * (1 + index_after_desktop) + ROW // 2
    return popup['x'] + 50, y


def command_centre(popup, index):
    return popup['x'] + 50, popup['y'] + 1 + ROW * index + ROW // 2


# ---------------------------------------------------------------- cases

def case_setup():
    DEVICE.run('shutdown')
    proc = DEVICE.run('boot', '--fresh', '--headless', '--phone', '--profile', 'qvga-portrait')
    expect(proc.returncode == 0, f'boot failed: {proc.stderr.strip()}')
    phone = poll(lambda: window('Phone'), 'the phone application to run from boot')
    expect(phone['process'] == 'cprog.exe', f'the phone runs as cprog.exe, not {phone["process"]}')
    expect(phone['minimized'], 'the phone application waits in the background')


def case_teardown():
    DEVICE.run('shutdown')


def case_close_all():
    """The task-manager key opens the popup; the row menu marks Contacts
    "Ignore Close-All"; Close All then closes Notes and Bubble Breaker but only
    minimizes Contacts and leaves the phone running."""
    install_settings()
    end_programs()
    start('Notes', 'Contacts', 'Bubble Breaker')
    popup = open_popup()
    s = state()
    rows = popup_rows(s)
    expect(rows[:3] == ['Bubble Breaker', 'Contacts', 'Notes'], f'the programs front first: {rows}')
    expect('Phone' not in rows, 'the phone is not listed')
    # Tap and hold on Contacts: its exceptions.
    ctl('hold', *row_centre(popup, rows.index('Contacts')), 1200)
    menu = parse_menus(ctl('menu', '--raw', '--wait'))
    texts = [i['text'] for i in menu[0]['items']] if menu else []
    expect('Ignore Close-All' in texts and 'Forcibly terminate application' in texts, f'the row menu: {texts}')
    ctl('menu', 'choose', 'Ignore Close-All')
    poll(lambda: settings_sections(read_settings_text(settings_path())).get('TaskManagerExceptions', {})
         .get('Contacts') == '4', 'Contacts marked "Ignore Close-All" in Norvane.ini')
    poll(lambda: not window_of_class(POPUP_CLASS), 'the popup to close after the command')
    passed, report = check_settings_file(settings_path(), BUILD)
    expect(passed, 'Norvane.ini with the exception passes norvane-ini check:\n' + report)

    popup = open_popup()
    clear_log()
    ctl('tap', *command_centre(popup, 2))  # Close All
    poll(lambda: not window('Notes') and not window('Bubble Breaker'), 'Notes and Bubble Breaker to close',
         show=lambda: popup_rows(state()))
    s = state()
    contacts, phone = window('Contacts', s), window('Phone', s)
    expect(contacts and contacts['minimized'], f'Contacts minimized, not closed: {contacts}')
    expect(phone and phone['minimized'], f'the phone spared: {phone}')
    expect('cprog.exe' not in log_text(), 'the phone was not started again')
    end_programs()


def case_corner_close():
    """With XButtonCloses the corner closes the program in front, unless it is
    "Minimize Only": then the task bar's own button minimizes it."""
    install_settings({'XButtonCloses': 1}, exceptions={'Notes': 2})
    end_programs()
    start('Bubble Breaker')
    width = state()['screen'][0]
    ctl('tap', width - 10, 12)
    poll(lambda: not window('Bubble Breaker'), 'the corner to close Bubble Breaker')
    start('Notes')
    poll(lambda: front_title() == 'Notes', 'Notes in front', show=front_title)
    ctl('tap', width - 10, 12)
    notes = poll(lambda: (w := window('Notes')) and w['minimized'] and w, 'Notes minimized by the bar')
    expect(notes, 'Notes still runs')
    end_programs()


def icon_pixels(shot, index, step=18):
    """The pixels of running icon index (left-aligned from x = 28, y = 5)."""
    _, _, pixel = shot
    x0 = 28 + step * index
    return [pixel(x, y) for y in range(5, 21) for x in range(x0, x0 + 16)]


def icon_drawn(shot, index, step=18):
    """Whether running icon index is drawn: the bar's background is a gradient
    from top to bottom, so an empty place is not one colour; an icon shows as
    pixels that stand out from the bar's colour of the same row just left of
    the first icon."""
    _, _, pixel = shot
    x0 = 28 + step * index
    differing = sum(1 for y in range(5, 21) for x in range(x0, x0 + 16)
                    if sum(abs(a - b) for a, b in zip(pixel(x, y), pixel(26, y))) > 40)
    return differing >= 20


def front_title():
    return next((w['title'] for w in state()['windows'] if w['foreground']), None)


def screenshot(name):
    path = DEVICE_DIR / f'{name}.png'
    ctl('screenshot', path)
    return read_png(path)


def case_running_icons():
    """The running-program icons keep their order whichever program is in front,
    and a tap on one brings that program forward."""
    install_settings({'ShowRunningPrograms': 1, 'RunningProgramsShowDesktop': 0, 'RunningProgramsHideTitles': 1})
    end_programs()
    start('Notes', 'Contacts')
    # The icons come with the next refresh (every 2.5 s): wait until both are drawn.
    def both_drawn():
        shot = screenshot('icons-0')
        return all(icon_drawn(shot, i) for i in (0, 1))
    poll(both_drawn, 'two running-program icons on the task bar', timeout=15)
    ctl('tap', 28 + 8, 13)
    first = poll(lambda: front_title() in ('Notes', 'Contacts') and front_title(),
                 'a tap on the first icon to bring its program forward', show=front_title)
    before = [icon_pixels(screenshot('icons-1'), i) for i in (0, 1)]
    ctl('tap', 28 + 18 + 8, 13)
    second = 'Contacts' if first == 'Notes' else 'Notes'
    poll(lambda: front_title() == second, 'a tap on the second icon to bring the other program forward',
         show=front_title)
    after = [icon_pixels(screenshot('icons-2'), i) for i in (0, 1)]
    expect(before == after, 'the icons keep their order whichever program is in front')
    expect(before[0] != before[1], 'two different icons')
    ctl('tap', 28 + 8, 13)
    poll(lambda: front_title() == first, 'the first icon still brings the same program', show=front_title)
    end_programs()


def case_top_bar_drag():
    """Dragging the top-bar icon stores TopBarShortcutX; after a reboot the icon
    is where it was left and a tap on it launches its shortcut."""
    marker = install_settings({'TopBarShortcutX': 100, 'TopBarIconRightAlignment': 1},
                              top_bar=r'\Windows\Start Menu\Programs\Games\Bubble Breaker.lnk')
    end_programs()
    width = state()['screen'][0]
    x = width - 100  # right-aligned: 100 pixels from the right edge
    ctl('drag', x + 8, 12, x + 8 - 50, 12)
    poll(lambda: settings_sections(read_settings_text(settings_path()))['General'].get('TopBarShortcutX') == '150',
         'TopBarShortcutX stored after the drag',
         show=lambda: settings_sections(read_settings_text(settings_path()))['General'].get('TopBarShortcutX'))
    expect(not window('Bubble Breaker'), 'a drag launches nothing')
    ctl('reset')
    poll(lambda: soft_key_labels().startswith(marker + '\t'), 'the item to load after the reboot', timeout=20,
         show=soft_key_labels)
    clear_log()
    ctl('tap', x - 50 + 8, 12)
    poll(lambda: 'Bubbles.exe|' in log_text(), 'a tap on the icon at its new place to launch it', show=log_text)
    end_programs()


if __name__ == '__main__':
    sys.exit(run_case(globals()))
