#!/usr/bin/env python3
"""System tests of the options program on the simulated Pocket PC, driven the
way a user drives it: taps on the item's settings button, the soft keys and the
controls (devicectl dialog choose/type/check/slide/tab/tap). One device for the
run ("setup" boots it, "teardown" shuts it down); each case is one CTest test:
options_system_test.py CASE."""
import os
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / 'device' / 'tests'))
from devicetest import (Device, Failure, expect, parse_menus, parse_windows, poll, read_settings_text,  # noqa: E402
                        run_case, settings_sections, write_settings_text)
from system_test import read_png  # noqa: E402  (the device tests' PNG reader)

ROOT = Path(__file__).resolve().parents[3]
BUILD = Path(os.environ.get('NORVANE_BUILD', ROOT / 'build' / 'win'))
DEVICE_DIR = Path(os.environ.get('NORVANE_DEVICE_DIR', BUILD / 'options-system-device'))
DEVICE = Device(DEVICE_DIR, BUILD)
ctl = DEVICE.ctl

OPTIONS = r'\Program Files\Tarsel\Norvane\NorvaneOptions.exe'  # where the installer puts it
FRAME = 'NorvaneOptionsFrame'
ITEM_CLASS = 'NorvaneWindowClass'
WM_COMMAND = '0x0111'
KEY = r'HKLM\Software\Tarsel\Norvane'
PROGRAMS = r'\Windows\Start Menu\Programs'
# Customised tabs with the tab bar on top and the settings button shown at its left.
GENERAL = {'BehaviorMode': 2, 'BottomAlign': 0, 'HideSettingsBtn': 0, 'IconDisplayMode': 0}
TABS = [('Apps', [PROGRAMS + r'\Notes.lnk', PROGRAMS + r'\Contacts.lnk']), ('Tools', [PROGRAMS + r'\Calculator.lnk']),
        ('Games', [PROGRAMS + r'\Games\Bubble Breaker.lnk'])]
# The item's layout at 96 dpi with these settings: a tab bar 24 pixels high,
# the settings button 16 wide at its left, then the tabs side by side; a row of
# small icons below takes 20 pixels; icons stand side by side from the left,
# a small one 20 pixels wide, a large one or a meter 36.
SETTINGS_BUTTON = 16
CELL = 20
LARGE_CELL = 36
TAB_BAR = 24


# ---------------------------------------------------------------- helpers

def state():
    return parse_windows(ctl('windows'))


STARTED = time.monotonic()


def step(text):
    """Progress in the test's output, so that a timeout shows where it stood."""
    print(f'[{time.monotonic() - STARTED:6.1f}s] {text}', flush=True)


def drive():
    return Path(ctl('path').strip())


def settings_path():
    return drive() / 'Program Files' / 'Tarsel' / 'Norvane' / 'Norvane.ini'


def item():
    return next((i for i in state()['items'] if i['cls'] == ITEM_CLASS), None)


def frames():
    return [w for w in state()['windows'] if w['cls'] == FRAME]


def item_band(rows):
    """The pixels of the item's top rows on the screen."""
    it = item()
    shot = DEVICE_DIR / 'band.png'
    ctl('screenshot', shot)
    _, _, pixel = read_png(shot)
    return [pixel(x, y) for y in range(it['y'], it['y'] + rows) for x in range(it['x'], it['x'] + it['w'], 2)]


def foreground():
    return next((w for w in state()['windows'] if w['foreground']), None)


def log_text():
    return ctl('log')


def clear_log():
    (drive() / 'windows' / 'device.log').write_text('')


def reg_query(root_key, name):
    out = ctl('reg', 'query', root_key, '/v', name, check=False)
    for line in out.splitlines():
        parts = line.split(None, 2)
        if len(parts) >= 2 and parts[0] == name:
            return parts[2] if len(parts) == 3 else ''
    return None


def install_settings(general=None, extra=''):
    """Norvane.ini with the tabs and the General keys; waits for the item to
    reload it (its height changes with the marker tab's layout) and lay out."""
    keys = dict(GENERAL)
    keys.update(general or {})
    lines = ['[General]'] + [f'{k}={v}' for k, v in keys.items()]
    for number, (name, targets) in enumerate(TABS, 1):
        lines += [f'[Tab{number}]', f'Name={name}', f'UniqueID={number}']
        lines += [f'Shortcut{i}={t}' for i, t in enumerate(targets, 1)]
    write_settings_text(settings_path(), '\n'.join(lines) + '\n' + extra)
    ctl('reg', 'add', KEY, '/v', 'CurrentTab', '/t', 'REG_DWORD', '/d', '0', '/f')
    ctl('broadcast', 'NorvaneSettingsChanged')
    ctl('refresh')
    last = [None]

    def settled():
        now = item()
        stable = now and now['h'] > 0 and now == last[0]
        last[0] = now
        return now if stable else None

    return poll(settled, 'the item laid out', timeout=15)


def wait_frame(timeout=20):
    return poll(lambda: (lambda f: f if f and f['cls'] == FRAME else None)(foreground()),
                'the options frame in front', timeout=timeout, show=lambda: foreground())


def wait_dialog(title=None, timeout=10):
    def check():
        f = foreground()
        if f and f['cls'] == '#32770' and (title is None or f['title'] == title):
            return f
        return None
    return poll(check, f'a dialog "{title}" in front', timeout=timeout, show=lambda: foreground())


def wait_closed(timeout=15):
    poll(lambda: not frames(), 'the options program to end', timeout=timeout)


def soft_key(which):
    s = state()
    width, height, menu = s['screen'][0], s['screen'][1], s['screen'][4]
    ctl('tap', width // 4 if which == 'left' else width * 3 // 4, height - menu // 2)


def done_button():
    """The task bar's corner: "ok" on a window with the Done button."""
    ctl('tap', state()['screen'][0] - 10, 12)


def menu_command(text):
    soft_key('right')
    ctl('menu', 'choose', text)


def start_options(*switches):
    ctl('start', OPTIONS, *switches)


def open_from_settings_button():
    it = item()
    expect(it is not None, 'the Norvane item is on the Today screen')
    ctl('tap', it['x'] + 8, it['y'] + 8)
    wait_frame()
    ctl('dialog', 'controls', '--wait')


def controls():
    """Control id -> fields, from devicectl dialog controls --raw (visible ones win)."""
    found = {}
    for line in ctl('dialog', 'controls', '--raw').splitlines():
        f = line.split('|')
        if f[0] == 'control':
            c = dict(id=int(f[3]), cls=f[4], flags=set(f[5].split(',')), rect=tuple(int(v) for v in f[6:10]),
                     text='|'.join(f[10:]))
            if c['id'] not in found or 'visible' in c['flags']:
                found[c['id']] = c
    return found


def list_rows(control_id):
    """The rows of a list view or box: (text, flags, rect), from dialog controls --raw."""
    hwnd = None
    rows = []
    for line in ctl('dialog', 'controls', '--raw').splitlines():
        f = line.split('|')
        if f[0] == 'control' and int(f[3]) == control_id and ('visible' in f[5].split(',') or hwnd is None):
            hwnd = int(f[1])
            rows = []
        elif f[0] == 'item' and hwnd is not None and int(f[1]) == hwnd:
            rows.append(('|'.join(f[8:]), set(f[3].split(',')), tuple(int(v) for v in f[4:8])))
    return rows


def tab_point(index, it):
    """The middle of a tab in the item's tab bar."""
    width = it['w'] - SETTINGS_BUTTON
    return it['x'] + SETTINGS_BUTTON + width * (2 * index + 1) // (2 * len(TABS)), it['y'] + TAB_BAR // 2


def held_menu(x, y):
    """Holds the stylus at x, y on the Today screen: the texts of the menu that
    opens (its first item is the owner-drawn header naming the tab or shortcut)."""
    ctl('hold', x, y, 1000)
    menus = parse_menus(ctl('menu', '--wait', '--raw'))
    return [i['text'] for i in menus[0]['items'] if 'separator' not in i['flags']] if menus else []


def today_icons(tab, cells):
    """The names the Today screen gives the first icons of a tab (the headers of
    their menus), after a tap has made the tab current; cells are the widths of
    the icons from the left (CELL for a small icon, LARGE_CELL for a large one
    or a meter)."""
    to_today()
    ctl('tap', *tab_point(tab, item()))
    it = item()
    names = []
    left = it['x']
    for cell in cells:
        texts = held_menu(left + cell // 2, it['y'] + TAB_BAR + CELL // 2)  # every icon's upper half
        ctl('menu', 'close')
        names.append(texts[0] if texts else None)
        left += cell
    return names


def expect_today_icons(tab, cells, wanted, what):
    """Waits until the Today screen names the tab's first icons as wanted (the
    item reloads the saved settings on its own time)."""
    seen = []

    def shown():
        seen[:] = today_icons(tab, cells)
        return seen == wanted

    poll(shown, what, timeout=30, show=lambda: list(seen))


def add_through_browser(mode, entry):
    """"Add..." on the Shortcuts page: the browser's mode, one entry, Select."""
    ctl('dialog', 'tap', '1013')
    wait_dialog()
    ctl('dialog', 'controls', '--wait')
    ctl('dialog', 'tab', mode)  # the browser opens in the mode it was last left in
    ctl('dialog', 'choose', '1009', entry)
    ctl('dialog', 'tap', '1003')


def shortcuts_of(section):
    keys = settings_sections(read_settings_text(settings_path())).get(section, {})
    return [(keys.get(f'Shortcut{i}'), keys.get(f'ShortcutAdditional{i}', ''), keys.get(f'SpecialProperties{i}', ''))
            for i in range(1, 40) if f'Shortcut{i}' in keys]


def to_today():
    for _ in range(6):
        if frames():
            ctl('post', FRAME, WM_COMMAND, '255', check=False)
            try:
                wait_dialog(timeout=5)
                ctl('dialog', 'press', 'Yes')
            except Failure:
                pass
            continue
        front = foreground()
        if front and front['cls'] in ('DesktopExplorerWindow',):
            return
        ctl('key', 'escape')
        time.sleep(0.3)


# ---------------------------------------------------------------- cases

def case_setup():
    ctl('shutdown', check=False)
    ctl('boot', '--fresh', '--headless', '--profile', 'qvga-portrait')
    expect((drive() / 'Program Files' / 'Tarsel' / 'Norvane' / 'NorvaneOptions.exe').exists(),
           'the installer put NorvaneOptions.exe in the install folder')
    poll(lambda: (item() or {}).get('h', 0) > 0, 'the Norvane item on the Today screen')


def case_teardown():
    ctl('shutdown')


def case_save_writes_exactly_the_changes():
    """Opened from the item's settings button; one option of each editor kind
    changed; Save: the file differs from its saved self in those keys alone, and
    the Today screen shows the change."""
    step('settings installed')
    install_settings()
    # The file as Save writes it, unchanged, twice (the second load fills in the
    # special tabs' pictures): what the comparison starts from.
    open_from_settings_button()
    soft_key('left')
    wait_closed()
    start_options()
    wait_frame()
    soft_key('left')
    wait_closed()
    baseline = read_settings_text(settings_path())
    step('baseline saved twice')
    ctl('refresh')
    top_before = item_band(8)

    open_from_settings_button()
    step('check box')
    # A check box (Customized Tabs Mode Settings: Draw Tab Names Bold).
    ctl('dialog', 'choose', '1024', 'Customized Tabs Mode Settings')
    ctl('dialog', 'choose', '1005', 'Draw Tab Names Bold')
    ctl('dialog', 'check', '1008', 'on')
    # A choice list: the tabs go to the bottom.
    ctl('dialog', 'choose', '1005', 'Tabs Style')
    ctl('dialog', 'choose', '1007', 'Tabs on bottom')
    step('text field')
    # A text field, stored when it loses the focus.
    ctl('dialog', 'choose', '1024', 'General Settings')
    ctl('dialog', 'choose', '1005', 'Additional Image Path')
    ctl('dialog', 'type', '1019', r'\My Documents\Pictures' + '\\')
    ctl('dialog', 'tap', '1024')
    ctl('key', 'escape')
    step('colour')
    # A colour: the picker's slider and its hexadecimal field, then Done.
    ctl('dialog', 'choose', '1024', 'Colors')
    ctl('dialog', 'choose', '1005', 'Tab Text Color')
    ctl('dialog', 'tap', '1030')
    wait_dialog('Color Picker')
    ctl('dialog', 'tab', 'RGB Values')
    ctl('dialog', 'slide', '246', '50')
    fields = controls()
    expect(fields[252]['text'] == '127', f'the green slider at 50 gives 127: {fields[252]["text"]}')
    ctl('dialog', 'type', '251', 'FF8000')
    ctl('dialog', 'tap', '250')
    poll(lambda: controls()[250]['text'] == '255', 'the hexadecimal field to set red')
    done_button()
    wait_frame()
    soft_key('left')
    wait_closed()

    step('saved')
    saved = read_settings_text(settings_path())
    expected = baseline
    for old, new in (('BoldForTabs=0', 'BoldForTabs=1'), ('BottomAlign=0', 'BottomAlign=1'),
                     ('AdditionalImagesPath=', 'AdditionalImagesPath=\\My Documents\\Pictures\\'),
                     ('TabTextColor=255,255,255', 'TabTextColor=255,128,0')):
        old, new = '\n' + old + '\r\n', '\n' + new + '\r\n'
        expect(expected.count(old) == 1, f'the saved file holds {old!r} once')
        expected = expected.replace(old, new)
    if saved != expected:
        diff = [f'  {a!r} != {b!r}' for a, b in zip(saved.splitlines(), expected.splitlines()) if a != b]
        raise Failure('Norvane.ini holds other changes than the four:\n' + '\n'.join(diff[:10]))
    expect(reg_query(KEY, 'MinimizeOnRefresh') is None, 'Auto minimize off: no MinimizeOnRefresh')
    # The item reloaded: the tab bar left the item's top.
    poll(lambda: item_band(8) != top_before or None, 'the Today screen to show the change', timeout=10)


def case_close_without_saving():
    """Close Without Saving: No keeps the sheet, Yes leaves the file untouched."""
    install_settings()
    before = settings_path().read_bytes()
    start_options()
    wait_frame()
    ctl('dialog', 'choose', '1005', 'Auto minimize')
    ctl('dialog', 'check', '1008', 'on')
    menu_command('Close Without Saving')
    ctl('dialog', 'press', 'No')
    expect(frames(), 'No leaves the options open')
    menu_command('Close Without Saving')
    ctl('dialog', 'press', 'Yes')
    wait_closed()
    expect(settings_path().read_bytes() == before, 'the file is untouched')


def case_disable_true_vga():
    """Disable True VGA hack writes both keys 0 and closes."""
    install_settings({'TrueVGA': 1, 'TrueVGAOptions': 1})
    # The item mirrors TrueVGAOptions into the registry; the options program
    # would then draw itself doubled. Start it at its normal size.
    ctl('reg', 'add', KEY, '/v', 'TrueVGAOptions', '/t', 'REG_DWORD', '/d', '0', '/f')
    start_options()
    wait_frame()
    menu_command('Disable True VGA hack')
    ctl('dialog', 'press', 'Yes')
    wait_closed()
    general = settings_sections(read_settings_text(settings_path()))['General']
    expect(general.get('TrueVGA') == '0' and general.get('TrueVGAOptions') == '0',
           f'both keys 0: {general.get("TrueVGA")}, {general.get("TrueVGAOptions")}')


def case_second_start_brings_the_first_forward():
    """A second start (with a switch) ends at once and brings the first frame
    forward; the switch is ignored and nothing is written."""
    install_settings()
    before = settings_path().read_bytes()
    start_options()
    wait_frame()
    ctl('key', 'app4')  # Calculator over the options
    poll(lambda: (foreground() or {}).get('cls') != FRAME or None, 'another program in front')
    clear_log()
    # exec returns once the second process has ended: whatever it would have
    # opened must be there by then.
    ctl('exec', OPTIONS, '/target:0:0')
    wait_frame()
    expect(len(frames()) == 1, f'one frame: {frames()}')
    expect(foreground()['cls'] == FRAME, 'the first frame is in front, no message of the second start')
    expect(settings_path().read_bytes() == before, 'nothing written')
    to_today()


def case_switches_end_to_end():
    """The launcher's switches open their editors: exceptions, a tab's image,
    and the target browser of "/select:", which writes nothing when cancelled."""
    install_settings(extra='[TaskManagerExceptions]\nNotes=1\nCalculator=4\n')
    start_options('/taskmanagerexceptions')
    wait_dialog('Norvane Task Manager Exceptions')
    ctl('dialog', 'choose', '1039', 'Notes')
    ctl('dialog', 'check', '1042', 'on')
    done_button()
    poll(lambda: 'Notes=3' in read_settings_text(settings_path()), 'Notes with Minimize Only saved')
    wait_gone()

    start_options('/image:1:-1')
    wait_dialog('Image')
    ctl('dialog', 'controls', '--wait')
    ctl('dialog', 'tap', '1003')  # Select without a choice: a tab needs a picture
    expect(foreground()['cls'] == '#32770', 'the chooser stays')
    # The grid's first picture, then Select.
    grid = controls()[1020]
    ctl('tap', grid['rect'][0] + 20, grid['rect'][1] + 20)
    ctl('dialog', 'tap', '1003')
    poll(lambda: settings_sections(read_settings_text(settings_path()))['Tab2'].get('Image') == 'builtin:0s',
         'the second tab\'s image saved')
    wait_gone()

    # The target browser of "/select:", cancelled: nothing is written.
    before = settings_path().read_bytes()
    start_options('/select:0')
    wait_dialog()
    ctl('dialog', 'controls', '--wait')
    ctl('dialog', 'tap', '1002')
    wait_gone()
    expect(settings_path().read_bytes() == before, 'a cancelled /select: writes nothing')


def wait_gone(timeout=15):
    def gone():
        return not any(w['pid'] for w in state()['windows'] if w['cls'] in ('#32770', FRAME))
    poll(gone, 'the options program to end', timeout=timeout)


def case_shortcut_editor_end_to_end():
    """A user sets up a tab through the Shortcuts page: a program, a control-panel
    applet, a jump-to-tab shortcut and a meter through "Add..."; one moved to
    another tab with the row's menu, one removed; Save: the file and the Today
    screen show them. Then "Add Shortcut..." of a tab's menu on the Today screen
    adds a shortcut, and "/target:" with No to the question resets its properties."""
    install_settings()
    open_from_settings_button()
    ctl('dialog', 'tab', 'Shortcuts')
    ctl('dialog', 'choose', '1000', 'Tools')
    step('add a program')
    add_through_browser('Files', 'Contacts.lnk')
    wait_frame()
    step('add an applet')
    add_through_browser('Cpl Applets', 'Power')
    wait_frame()
    step('add a jump to tab')
    add_through_browser('Special', 'Jump To Tab')
    wait_dialog()
    ctl('dialog', 'controls', '--wait')
    ctl('dialog', 'choose', '1038', 'Games')
    ctl('dialog', 'press', 'OK')
    wait_frame()
    step('add a meter')
    add_through_browser('Meters', 'battery-default')
    wait_frame()
    rows = [r[0] for r in list_rows(1001)]
    expect(len(rows) == 5 and rows[1].endswith('Contacts.lnk') and rows[2] == 'Power' and rows[3] == 'Jump To Tab'
           and rows[4] == 'battery-default', f'the five rows of Tools: {rows}')
    step('move the program to Games')
    text, _, rect = list_rows(1001)[1]
    ctl('hold', (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)
    ctl('menu', 'choose', 'Move Shortcut To...', 'Games')
    poll(lambda: len(list_rows(1001)) == 4 or None, 'the moved row to leave Tools')
    step('remove the first')
    ctl('dialog', 'choose', '1001', '#0')
    ctl('dialog', 'tap', '1014')
    wait_dialog()
    ctl('dialog', 'press', 'Yes')
    wait_frame()
    soft_key('left')
    wait_closed()
    tools = shortcuts_of('Tab2')
    games = shortcuts_of('Tab3')
    expect(tools and tools[0][0] == 'Power' and tools[0][1].startswith('cpl:') and tools[0][1].endswith('|3'),
           f'Tools starts with the applet: {tools}')
    expect(len(tools) == 3 and tools[1][1] == 'special:jumptotab' and 'uniquetabid~#~3' in tools[1][2],
           f'Tools: the applet, the jump to Games and the meter: {tools}')
    expect(tools[2][1].startswith('meter:') and tools[2][1].lower().endswith(r'\meters\battery-default\meter.ini'),
           f'the meter by its definition file: {tools[2]}')
    expect(len(games) == 2 and games[1][0].endswith('Contacts.lnk'), f'Games gained the program: {games}')
    step('the Today screen shows them')
    expect_today_icons(1, [LARGE_CELL] * 3, ['Power', 'Jump To Tab', 'battery-default'],
                       'the Today screen to show the applet, the jump and the meter on Tools')

    step('Add Shortcut... of the Apps tab')
    to_today()
    it = item()
    texts = held_menu(*tab_point(0, it))
    expect(texts[:1] == ['Apps'], f'the Apps tab\'s menu: {texts}')
    ctl('menu', 'choose', 'Add Shortcut...')
    wait_dialog()
    ctl('dialog', 'controls', '--wait')
    ctl('dialog', 'tab', 'Special')
    ctl('dialog', 'choose', '1009', 'Rotate')
    ctl('dialog', 'tap', '1003')
    wait_gone()
    apps = shortcuts_of('Tab1')
    expect(len(apps) == 3 and apps[2][1] == 'special:rotate' and 'mode~#~' in apps[2][2],
           f'Apps gained the rotation with its defaults: {apps}')
    expect_today_icons(0, [CELL, CELL, LARGE_CELL], ['Notes', 'Contacts', 'Rotate'],
                       'the Today screen to show the rotation on Apps')
    step('/target:0:2 with No')
    to_today()
    start_options('/target:0:2')
    wait_dialog()
    ctl('dialog', 'controls', '--wait')
    ctl('dialog', 'tap', '1005')  # This Dir
    wait_dialog()
    ctl('dialog', 'press', 'No')
    wait_gone()
    apps = shortcuts_of('Tab1')
    expect(apps[2][1].startswith('folder:') and apps[2][2] == '', f'a folder without properties now: {apps[2]}')


def case_theme_runs_the_installer():
    """/theme starts wceload.exe with the silent switches and records Skin."""
    theme = drive() / 'My Documents' / 'Blue.tsk'
    theme.write_bytes(b'theme')
    ctl('reg', 'add', KEY, '/v', 'ThemePath', '/t', 'REG_SZ', '/d', r'\My Documents\Blue.tsk', '/f')
    ctl('reg', 'add', r'HKCU\Software\Microsoft\Today', '/v', 'Skin', '/t', 'REG_SZ', '/d', '', '/f')
    clear_log()
    ctl('exec', OPTIONS, '/theme')
    lines = [line for line in log_text().splitlines() if line.startswith('wceload.exe|')]
    expect(lines == [r'wceload.exe|/safe /noui /nouninstall /delete 0 "\My Documents\Blue.tsk"'],
           f'the installer ran once with the silent switches: {lines}')
    expect(reg_query(r'HKCU\Software\Microsoft\Today', 'Skin') == r'\My Documents\Blue.tsk', 'Skin is the theme')
    expect(reg_query(KEY, 'ThemePath') is None, 'ThemePath is gone')
    # Started again, the theme is installed already: no installer.
    ctl('reg', 'add', KEY, '/v', 'ThemePath', '/t', 'REG_SZ', '/d', r'\My Documents\Blue.tsk', '/f')
    clear_log()
    ctl('exec', OPTIONS, '/theme')
    expect('wceload.exe|' not in log_text(), 'an installed theme is not installed again')


def case_landscape_places():
    """In landscape every page takes the places of its alternate template. The
    last case: the device stays turned."""
    install_settings()
    to_today()
    if state()['screen'][0] < state()['screen'][1]:
        ctl('rotate')
    poll(lambda: state()['screen'][0] > state()['screen'][1] or None, 'the screen to turn')
    start_options()
    wait_frame()
    c = controls()
    list_width = c[1005]['rect'][2] - c[1005]['rect'][0]
    expect(list_width > 280, f'Options: the list as wide as the screen: {c[1005]}')
    expect(c[1024]['rect'][2] - c[1024]['rect'][0] > 250, f'Options: the group list too: {c[1024]}')
    expect(c[1005]['rect'][1] > c[1006]['rect'][3], 'Options: the list under the description')
    ctl('dialog', 'tab', 'Tabs')
    c = controls()
    expect(c[1048]['text'] == 'Name:', f'Tabs: the short label in landscape: {c[1048]["text"]}')
    expect(c[1000]['rect'][2] < c[1012]['rect'][0] and c[1033]['rect'][0] > c[1000]['rect'][2],
           f'Tabs: the buttons and boxes right of the list: {c[1000]}, {c[1012]}, {c[1033]}')
    ctl('dialog', 'tab', 'About')
    c = controls()
    expect(c[1005]['rect'][2] <= c[1004]['rect'][0], f'About: the logo left of the version: {c[1005]}, {c[1004]}')
    menu_command('Close Without Saving')
    ctl('dialog', 'press', 'Yes')
    wait_closed()


if __name__ == '__main__':
    sys.exit(run_case(globals()))
