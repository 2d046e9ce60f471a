#!/usr/bin/env python3
"""System test of the top meter bar and the system status dialog on the
simulated Pocket PC, in one boot: the bar's revealed part follows the battery
and a storage card, rotation brings the landscape pictures, and each tap action
does what it says (the selection menu, the task manager, the status dialog with
its links, the Meter Bar Tab's question).

The bar is found on screenshots by the green of its revealed part in the top
rows of the task bar."""
import os
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / 'device' / 'tests'))
from devicetest import (Device, Failure, expect, parse_dialogs, parse_menus, parse_windows, poll,  # noqa: E402
                        read_settings_text, run_case, write_settings_text)
from system_test import read_png  # noqa: E402

ROOT = Path(__file__).resolve().parents[3]
BUILD = Path(os.environ.get('NORVANE_BUILD', ROOT / 'build' / 'win'))
DEVICE_DIR = Path(os.environ.get('NORVANE_DEVICE_DIR', BUILD / 'topbar-system-device'))
ctl = Device(DEVICE_DIR, BUILD).ctl
# Storage cards are measured at the 5-second tick after a file change.
TICK_DEADLINE = 15.0
BAR_ROW = 2


def drive():
    return Path(ctl('path').strip())


def settings_path():
    return drive() / 'Program Files' / 'Tarsel' / 'Norvane' / 'Norvane.ini'


def install(general):
    write_settings_text(settings_path(), '\n'.join(
        ['[General]', 'BehaviorMode=2'] + general + ['[Tab1]', 'Name=Home', 'UniqueID=1',
                                                     r'Shortcut1=\Windows\calc.exe', '']))
    ctl('broadcast', 'NorvaneSettingsChanged')


def green(p):
    r, g, b = p
    return g > r + 40 and g > b + 40


def shot(name):
    path = DEVICE_DIR / 'screens' / f'{name}.png'
    path.parent.mkdir(parents=True, exist_ok=True)
    ctl('screenshot', path)
    return read_png(path)


def revealed(name):
    """The screen's width and the green run from the left in the bar's row;
    None when green shows anywhere past that run."""
    width, _, pixel = shot(name)
    run = 0
    while run < width and green(pixel(run, BAR_ROW)):
        run += 1
    if any(green(pixel(x, BAR_ROW)) for x in range(run, width)):
        return width, None
    return width, run


def wait_revealed(name, percent, what, timeout=8.0):
    seen = []

    def look():
        width, run = revealed(name)
        seen.append(run)
        return run == percent * width // 100
    try:
        poll(look, what, timeout=timeout)
    except Failure:
        raise Failure(f'{what}: revealed widths seen {seen}')


def log_lines():
    return ctl('log').splitlines()


def dialogs():
    return parse_dialogs(ctl('dialog', '--raw', check=False))


def tap_bar():
    ctl('tap', '120', '1')


def case_setup():
    ctl('shutdown', check=False)
    ctl('boot', '--fresh', '--headless', '--profile', 'qvga-portrait')
    ctl('card', 'remove', 'Storage Card', check=False)


def case_teardown():
    ctl('shutdown', check=False)


def case_bar():
    """Battery (written in lower case) at 30 % and 80 %, rotated, then a card."""
    ctl('battery', '30')
    install(['MeterBar=battery', 'TopBarMeterAction=0'])
    wait_revealed('battery-30', 30, 'the bar at 30 % of the width')
    ctl('battery', '80')
    wait_revealed('battery-80', 80, 'the bar at 80 % of the width')
    try:
        ctl('rotate', '90')
        wait_revealed('battery-80-landscape', 80, 'the bar across the landscape screen')
    finally:
        ctl('rotate', '0')
    wait_revealed('battery-80-portrait', 80, 'the bar back in portrait')

    ctl('storage', '25M', '100M', '--card', 'Storage Card')
    install([r'MeterBar=\Storage Card', 'TopBarMeterAction=0'])
    wait_revealed('no-card', 0, 'an empty bar without the card')
    ctl('card', 'insert', 'Storage Card')
    try:
        wait_revealed('card', 25, 'the bar at the card\'s free 25 %', timeout=TICK_DEADLINE)
    finally:
        ctl('card', 'remove', 'Storage Card', check=False)

    install(['MeterBar=None'])
    wait_revealed('none', 0, 'no bar with None')


def case_taps():
    """Each TopBarMeterAction, tapped on the device."""
    ctl('battery', '100', '--ac')
    # 1: the menu, with the current choice checked; Memory becomes MeterBar.
    install(['MeterBar=Battery', 'TopBarMeterAction=1'])
    wait_revealed('taps-battery', 100, 'the full bar on AC')
    tap_bar()
    menus = poll(lambda: parse_menus(ctl('menu', '--raw', check=False)), 'the selection menu')
    items = menus[0]['items']
    expect([i['text'] for i in items][:5] == ['None', 'Battery', 'Backup Battery', 'Memory', 'Main Storage'],
           f'the menu offers the five choices first: {items}')
    expect([i['text'] for i in items if 'checked' in i['flags']] == ['Battery'], f'Battery is checked: {items}')
    ctl('menu', 'choose', 'Memory')
    poll(lambda: 'MeterBar=Memory' in read_settings_text(settings_path()), 'the choice saved in Norvane.ini')

    # 3: the status dialog with its figures and links.
    install(['MeterBar=Battery', 'TopBarMeterAction=3'])
    wait_revealed('taps-dialog-bar', 100, 'the bar before the dialog')
    (drive() / 'windows' / 'device.log').write_text('')
    tap_bar()
    dialog = poll(lambda: [d for d in dialogs() if d['title'] == 'Norvane System Status'], 'the status dialog')[0]
    expect('Charging (100%)' in dialog['texts'], f'the battery line on AC: {dialog["texts"]}')
    shot('status-dialog')
    ctl('dialog', 'press', 'Show Memory Settings')
    poll(lambda: 'ctlpnl.exe|cplmain.cpl,4,0' in log_lines(), 'the memory page started', show=log_lines)
    # The control panel page comes up in front; back to the dialog.
    ctl('dialog', 'press', 'Show Power Settings')
    poll(lambda: any(l in log_lines() for l in ('ctlpnl.exe|cplmain.cpl,3,0', 'powerg.exe|')),
         'the power page started', show=log_lines)
    ctl('dialog', 'press', 'Close')
    poll(lambda: not [d for d in dialogs() if d['title'] == 'Norvane System Status'], 'the dialog closed')

    # 4 without a Meter Bar Tab shortcut: the question; No leaves it at that.
    install(['MeterBar=Battery', 'TopBarMeterAction=4'])
    wait_revealed('taps-question-bar', 100, 'the bar before the question')
    tap_bar()
    poll(lambda: any('Meter Bar' in ' '.join(d['texts']) for d in dialogs()), 'the question about the Meter Bar')
    ctl('dialog', 'press', 'No')

    # 2: the task manager.
    install(['MeterBar=Battery', 'TopBarMeterAction=2'])
    wait_revealed('taps-tm-bar', 100, 'the bar before the task manager')
    tap_bar()
    poll(lambda: any(w['cls'] == 'NorvaneTaskManager'
                     for w in parse_windows(ctl('windows'))['windows']), 'the task manager popup')


if __name__ == '__main__':
    sys.exit(run_case(globals()))
