#!/usr/bin/env python3
"""System test of the top meter bar and the system status dialog on the
simulated Pocket PC, in one boot: the bar's revealed part follows the battery
and a storage card, rotation brings the landscape pictures, and each tap action
does what it says (the selection menu, the task manager, the status dialog with
its links, the Meter Bar Tab's question).

The bar is found on screenshots by the green of its revealed part in the top
rows of the task bar."""
import functools
import os
import sys
import time
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


METER = r'meter:\Program Files\Tarsel\Norvane\meters\battery-default\meter.ini'
STATUS_TITLE = 'Norvane System Status'
OPTIONS_FRAME = 'NorvaneOptionsFrame'
WM_COMMAND = 0x0111
CLOSE_WITHOUT_SAVING = 255  # the options' "close without saving" command


STARTED = time.monotonic()


def step(text):
    """Prints where the case stands, so that a timeout shows it."""
    print(f'{time.monotonic() - STARTED:6.1f} s  {text}', flush=True)


@functools.lru_cache(maxsize=None)
def drive():
    return Path(ctl('path').strip())


def settings_path():
    return drive() / 'Program Files' / 'Tarsel' / 'Norvane' / 'Norvane.ini'


def install(general, tabs=()):
    """Settings with a tab holding a battery meter (MeterTap stays 0), and the
    given extra tab sections."""
    write_settings_text(settings_path(), '\n'.join(
        ['[General]', 'BehaviorMode=2'] + general +
        ['[Tab1]', 'Name=Home', 'UniqueID=1', 'Shortcut1=Battery', f'ShortcutAdditional1={METER}'] +
        list(tabs) + ['']))
    ctl('broadcast', 'NorvaneSettingsChanged')


def green(p):
    r, g, b = p
    return g > r + 40 and g > b + 40


def grey(p):
    """The bar's own dark background (the task bar under it is blue)."""
    return max(p) < 130 and max(p) - min(p) < 40


def shot(name):
    path = DEVICE_DIR / 'screens' / f'{name}.png'
    path.parent.mkdir(parents=True, exist_ok=True)
    ctl('screenshot', path)
    return read_png(path)


def revealed(name):
    """The screen's width, the green run from the left in the bar's row (None
    when green shows anywhere past that run) and whether the bar's background
    reaches the right edge."""
    width, _, pixel = shot(name)
    run = 0
    while run < width and green(pixel(run, BAR_ROW)):
        run += 1
    if any(green(pixel(x, BAR_ROW)) for x in range(run, width)):
        return width, None, False
    return width, run, run == width or grey(pixel(width - 1, BAR_ROW))


def wait_revealed(name, percent, what, timeout=8.0, spans=True):
    seen = []

    def look():
        width, run, edge = revealed(name)
        seen.append((run, edge))
        return run == percent * width // 100 and edge == spans
    try:
        poll(look, what, timeout=timeout)
    except Failure:
        raise Failure(f'{what}: revealed widths (and the background at the right edge) seen {seen}')


def log_lines():
    return ctl('log').splitlines()


def windows():
    return parse_windows(ctl('windows'))['windows']


def dialogs():
    return parse_dialogs(ctl('dialog', '--raw', check=False))


def status_dialog():
    found = [d for d in dialogs() if d['title'] == STATUS_TITLE]
    return found[0] if found else None


def tap_bar():
    ctl('tap', '120', '1')


def tap_centre(rect):
    ctl('tap', (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)


def item():
    return next(i for i in parse_windows(ctl('windows'))['items'] if i['cls'] == 'NorvaneWindowClass')


def question():
    return any('Meter Bar' in ' '.join(d['texts']) for d in dialogs())


def controls():
    """The fields of the front window's controls (id, class, flags, text last)."""
    return [line.split('|', 10) for line in ctl('dialog', 'controls', '--raw', check=False).splitlines()
            if line.startswith('control|') and line.count('|') >= 10]


def close_options():
    """Closes the options without saving (they ask whether to leave when
    anything changed)."""
    def closed():
        if not any(w['cls'] == OPTIONS_FRAME for w in windows()):
            return True
        ctl('post', OPTIONS_FRAME, WM_COMMAND, CLOSE_WITHOUT_SAVING, check=False)
        if any(d['title'] for d in dialogs()):
            ctl('dialog', 'press', 'Yes', check=False)
        return False
    poll(closed, 'the options closed', timeout=20)


def follow_link(label, started):
    """Taps a link of the status dialog; the page it starts comes up in front,
    is closed, and the dialog is in front again."""
    dialog = poll(status_dialog, 'the status dialog in front')
    link = next(b for b in dialog['buttons'] if b['text'] == label)
    (drive() / 'windows' / 'device.log').write_text('')
    tap_centre(link['rect'])
    poll(lambda: started in log_lines(), f'{started} started by "{label}"', show=log_lines)
    program = started.split('|')[0]
    page = poll(lambda: [w for w in windows() if w['process'] == program], f'the window of {program}')[0]
    ctl('close', page['title'])
    poll(lambda: (status_dialog() or {}).get('foreground'), 'the status dialog in front again',
         show=lambda: [(w['cls'], w['foreground']) for w in windows()][:4])


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
        # The landscape pictures are as wide as the turned screen: the portrait
        # ones would leave the task bar's blue at the right.
        ctl('rotate', '90')
        wait_revealed('battery-80-landscape', 80, 'the bar across the landscape screen')
    finally:
        ctl('rotate', '0')
    wait_revealed('battery-80-portrait', 80, 'the bar back in portrait')

    step('the card')
    install([r'MeterBar=\Storage Card', 'TopBarMeterAction=0'])
    wait_revealed('no-card', 0, 'an empty bar without the card')
    ctl('card', 'insert', 'Storage Card')
    try:
        ctl('storage', '25M', '100M', '--card', 'Storage Card')
        wait_revealed('card', 25, 'the bar at the card\'s free 25 %', timeout=TICK_DEADLINE)
    finally:
        ctl('card', 'remove', 'Storage Card', check=False)

    install(['MeterBar=None'])
    wait_revealed('none', 0, 'no bar with None', spans=False)


def case_taps():
    """TopBarMeterAction 1, 4 and 2, tapped on the device."""
    ctl('battery', '100', '--ac')
    ctl('memory', '50')
    # 1: the menu, with the current choice checked and the card; Memory becomes
    # MeterBar and the bar shows the free memory.
    step('action 1')
    install(['MeterBar=Battery', 'TopBarMeterAction=1'])
    wait_revealed('taps-battery', 100, 'the full bar on AC')
    ctl('card', 'insert', 'Storage Card')
    try:
        tap_bar()
        menus = poll(lambda: parse_menus(ctl('menu', '--raw', check=False)), 'the selection menu')
        texts = [i['text'] for i in menus[0]['items']]
        expect(texts == ['None', 'Battery', 'Backup Battery', 'Memory', 'Main Storage', r'\Storage Card'],
               f'the menu offers the five choices and the card: {texts}')
        checked = [i['text'] for i in menus[0]['items'] if 'checked' in i['flags']]
        expect(checked == ['Battery'], f'Battery is checked: {checked}')
        ctl('menu', 'choose', 'Memory')
    finally:
        ctl('card', 'remove', 'Storage Card', check=False)
    poll(lambda: 'MeterBar=Memory' in read_settings_text(settings_path()), 'the choice saved in Norvane.ini')
    wait_revealed('taps-memory', 50, 'the bar at the free memory after the choice')

    # 4 without a Meter Bar Tab shortcut: the question; No leaves it at that.
    step('action 4, the question')
    install(['MeterBar=Battery', 'TopBarMeterAction=4'])
    wait_revealed('taps-question-bar', 100, 'the bar before the question')
    tap_bar()
    poll(question, 'the question about the Meter Bar')
    ctl('dialog', 'press', 'No')
    # Yes opens the options with the Meter Bar Tab chosen on their Shortcuts page.
    step('action 4, yes')
    poll(lambda: not question(), 'the question gone after No')
    expect(not any(w['cls'] == OPTIONS_FRAME for w in windows()), 'No opens no options')
    tap_bar()
    poll(question, 'the question again')
    ctl('dialog', 'press', 'Yes')
    poll(lambda: any(w['cls'] == OPTIONS_FRAME and w['foreground'] for w in windows()), 'the options frame in front',
         timeout=20)
    ctl('dialog', 'controls', '--wait')
    ctl('dialog', 'tab', 'Shortcuts')
    poll(lambda: any(c[3] == '1000' and 'visible' in c[5] and 'Meter Bar Tab' in c[10] for c in controls()),
         'the Meter Bar Tab chosen on the Shortcuts page', show=lambda: [c[10] for c in controls() if c[3] == '1000'])
    close_options()
    # 4 with one: the shortcut starts.
    step('action 4, the shortcut')
    install(['MeterBar=Battery', 'TopBarMeterAction=4'],
            ['[Tab2]', 'Name=Meter Bar', 'UniqueID=2', 'SpecialType=7', r'Shortcut1=\Windows\Notes.exe'])
    wait_revealed('taps-shortcut-bar', 100, 'the bar before the Meter Bar shortcut')
    (drive() / 'windows' / 'device.log').write_text('')
    tap_bar()
    poll(lambda: any(l.startswith('Notes.exe|') for l in log_lines()), 'the Meter Bar Tab\'s shortcut started',
         show=log_lines)
    notes = poll(lambda: [w for w in windows() if w['process'] == 'Notes.exe'], 'the Notes window')[0]
    ctl('close', notes['title'])

    # 2: the task manager.
    step('action 2')
    install(['MeterBar=Battery', 'TopBarMeterAction=2'])
    wait_revealed('taps-tm-bar', 100, 'the bar before the task manager')
    tap_bar()
    poll(lambda: any(w['cls'] == 'NorvaneTaskManager' for w in windows()), 'the task manager popup')
    tap_bar()
    poll(lambda: not any(w['cls'] == 'NorvaneTaskManager' for w in windows()), 'the task manager closed again')


def case_dialog():
    """TopBarMeterAction 3: the status dialog with its figures and links; the
    task bar's "ok" closes it. A meter shortcut's tap opens it too."""
    ctl('battery', '100', '--ac')
    install(['MeterBar=Battery', 'TopBarMeterAction=3'])
    wait_revealed('taps-dialog-bar', 100, 'the bar before the dialog')
    tap_bar()
    dialog = poll(status_dialog, 'the status dialog')
    expect('Charging (100%)' in dialog['texts'], f'the battery line on AC: {dialog["texts"]}')
    screen = parse_windows(ctl('windows'))['screen']
    expect(dialog['rect'][1] > 0 and dialog['rect'][3] < screen[1] and dialog['rect'][2] == screen[0],
           f'the dialog fills the screen between the bars: {dialog["rect"]}')
    shot('status-dialog')
    step('the links')
    follow_link('Show Memory Settings', 'ctlpnl.exe|cplmain.cpl,4,0')
    # The power page is the power program where the device has one, else the
    # control panel's applet 3.
    follow_link('Show Power Settings', 'powerg.exe|')
    power_programs = [drive() / 'windows' / name for name in ('powerg.exe', 'power.exe')]
    try:
        for program in power_programs:
            program.rename(program.with_suffix('.away'))
        follow_link('Show Power Settings', 'ctlpnl.exe|cplmain.cpl,3,0')
    finally:
        for program in power_programs:
            if program.with_suffix('.away').exists():
                program.with_suffix('.away').rename(program)
    ctl('tap', screen[0] - 10, 12)
    poll(lambda: not status_dialog(), 'the dialog closed by the task bar\'s ok')

    # A meter shortcut with MeterTap 0 opens the same dialog.
    step('the meter shortcut')
    it = item()
    ctl('tap', it['x'] + it['w'] // 2, it['y'] + it['h'] - 12)
    poll(status_dialog, 'the status dialog from the meter shortcut')
    ctl('dialog', 'press', 'Close')


if __name__ == '__main__':
    sys.exit(run_case(globals()))
