#!/usr/bin/env python3
"""System tests of the simulated Pocket PC: one device for the whole run (booted
by the "setup" case, shut down by "teardown"), driven through devicectl. Each
case is one CTest test: system_test.py CASE."""
import os
import struct
import sys
import tempfile
import time
import zlib
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from devicetest import Device, Failure, expect, poll, run_case  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get('NORVANE_BUILD', ROOT / 'build' / 'win'))
DEVICE_DIR = Path(os.environ.get('NORVANE_DEVICE_DIR', BUILD / 'system-device'))
DEVICE = Device(DEVICE_DIR, BUILD)
ctl = DEVICE.ctl


def windows():
    result = {'items': {}, 'windows': [], 'screen': None}
    for line in ctl('windows').splitlines():
        f = line.split('|')
        if f[0] == 'item':
            result['items'][f[2]] = dict(cls=f[1], x=int(f[3]), y=int(f[4]), w=int(f[5]), h=int(f[6]))
        elif f[0] == 'window' and (len(f) < 12 or f[10] == '1'):
            result['windows'].append(dict(cls=f[1], title=f[2], x=int(f[3]), y=int(f[4]), w=int(f[5]),
                                          h=int(f[6]), foreground=f[8] == '1'))
        elif f[0] == 'screen':
            result['screen'] = [int(v) for v in f[1:]]
    return result


def window_of(state, cls):
    return next((w for w in state['windows'] if w['cls'] == cls), None)


def log_text():
    return ctl('log')


def clear_log():
    (Path(ctl('path').strip()) / 'windows' / 'device.log').write_text('')


def reg_import(text):
    with tempfile.NamedTemporaryFile('w', suffix='.reg', delete=False, encoding='utf-16') as f:
        f.write('Windows Registry Editor Version 5.00\r\n\r\n' + text.replace('\n', '\r\n'))
        name = f.name
    try:
        ctl('reg', 'import', 'Z:' + name.replace('/', '\\'))
    finally:
        os.unlink(name)


def to_today():
    """Closes the way to the Today screen. The corner X smart-minimizes the program in
    front and the program behind it comes forward, as on a Pocket PC, so a launch
    that started many programs needs a tap for each of them."""
    def front(state):
        return next(((w['cls'], w['title']) for w in state['windows'] if w['foreground']), None)

    state = windows()
    for _ in range(len(state['windows']) + 6):
        today = window_of(state, 'DesktopExplorerWindow')
        if today and today['foreground']:
            return state
        before = front(state)
        ctl('tap', state['screen'][0] - 10, 12)
        deadline = time.monotonic() + 3.0
        state = windows()
        while front(state) == before and time.monotonic() < deadline:
            time.sleep(0.2)
            state = windows()
    raise Failure('the Today screen did not come to the front: ' + repr(state['windows']))


def read_png(path):
    data = Path(path).read_bytes()
    expect(data[:8] == b'\x89PNG\r\n\x1a\n', 'screenshot is no PNG')
    pos, idat, width, height = 8, b'', 0, 0
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            width, height = struct.unpack('>II', body[:8])
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 3 + 1

    def pixel(x, y):
        o = y * stride + 1 + x * 3
        return tuple(raw[o:o + 3])

    return width, height, pixel


# ---------------------------------------------------------------- cases

def case_setup():
    ctl('shutdown', check=False)
    ctl('boot', '--fresh', '--headless', '--profile', 'qvga-portrait')
    drive = Path(ctl('path').strip())
    dll = BUILD / 'device' / 'bin' / 'TestTodayItem.dll'
    for name in ('TestItemA.dll', 'TestItemB.dll'):
        (drive / 'windows' / name).write_bytes(dll.read_bytes())
    reg_import('\n'.join([
        r'[HKEY_LOCAL_MACHINE\Software\Microsoft\Today\Items\Alpha]', r'"DLL"="\\Windows\\TestItemA.dll"',
        '"Type"=dword:00000004', '"Order"=dword:00000001', '"Enabled"=dword:00000001', '"Options"=dword:00000000',
        '"Selectability"=dword:00000002', '',
        r'[HKEY_LOCAL_MACHINE\Software\Microsoft\Today\Items\Beta]', r'"DLL"="\\Windows\\TestItemB.dll"',
        '"Type"=dword:00000004', '"Order"=dword:00000002', '"Enabled"=dword:00000001', '"Options"=dword:00000000',
        '"Selectability"=dword:00000002', '',
        r'[HKEY_LOCAL_MACHINE\Software\NorvaneDevice\TestItems\Alpha]', '"Height"=dword:00000028', '',
        r'[HKEY_LOCAL_MACHINE\Software\NorvaneDevice\TestItems\Beta]', '"Height"=dword:0000003c', '',
    ]) + '\n')
    ctl('refresh')


def case_teardown():
    ctl('shutdown')


def case_today_items():
    # Right after boot, a loaded machine may not have run the first height query
    # yet: wait for both items to have their heights before looking.
    def settled():
        state = windows()
        items = state['items']
        ok = 'Alpha' in items and 'Beta' in items and items['Alpha']['h'] == 40 and items['Beta']['h'] == 60
        return state if ok else None
    try:
        state = poll(settled, 'both test items at their negotiated heights')
    except Failure:
        state = windows()
    expect(state['screen'][:4] == [240, 320, 96, 96], f'screen metrics {state["screen"]}')
    taskbar, today = window_of(state, 'HHTaskBar'), window_of(state, 'DesktopExplorerWindow')
    menubar = window_of(state, 'menu_worker')
    expect(taskbar and (taskbar['y'], taskbar['h'], taskbar['w']) == (0, 26, 240), f'task bar {taskbar}')
    expect(menubar and menubar['h'] == state['screen'][4] and menubar['y'] + menubar['h'] == 320,
           f'menu bar {menubar} (SM_CYMENU {state["screen"][4]})')
    expect(today and today['y'] == 26 and today['y'] + today['h'] == menubar['y'], f'Today window {today}')
    alpha, beta = state['items'].get('Alpha'), state['items'].get('Beta')
    expect(alpha and beta, f'items {state["items"]}')
    expect(alpha['h'] == 40 and beta['h'] == 60, f'heights {alpha["h"]} and {beta["h"]}, expected 40 and 60')
    expect(alpha['w'] == 240 and beta['w'] == 240, 'items are as wide as the screen')
    expect(beta['y'] == alpha['y'] + alpha['h'], f'Beta at {beta["y"]}, expected right below Alpha')
    log = log_text()
    expect('testitem|Alpha size 240 40' in log, 'Alpha got WM_SIZE with its negotiated height')


def case_height_change():
    before = windows()['items']
    reg_import(r'[HKEY_LOCAL_MACHINE\Software\NorvaneDevice\TestItems\Alpha]' + '\n"Height"=dword:00000046\n')
    try:
        after = poll(lambda: (lambda i: i if i['Alpha']['h'] == 70 else None)(windows()['items']),
                     'the periodic height query to grow Alpha to 70')
        expect(after['Beta']['y'] == before['Beta']['y'] + 30, f'Beta moved to {after["Beta"]["y"]}')
    finally:
        reg_import(r'[HKEY_LOCAL_MACHINE\Software\NorvaneDevice\TestItems\Alpha]' + '\n"Height"=dword:00000028\n')
    poll(lambda: windows()['items']['Beta']['y'] == before['Beta']['y'], 'Beta to move back')


def case_soft_keys():
    to_today()
    bar = lambda: window_of(windows(), 'menu_worker')['title']
    expect(bar() == 'Notes\tContacts', f'default soft keys {bar()!r}')
    reg_import(r'[HKEY_CURRENT_USER\Software\Microsoft\Today\Keys\112]' + '\n@="Power"\n'
               r'"Open"="\\Windows\\power.exe"' + '\n')
    try:
        poll(lambda: bar() == 'Power\tContacts', 'the left soft key to show "Power"')
        clear_log()
        ctl('tap', 60, 312)
        poll(lambda: 'power.exe|' in log_text(), 'the left soft key to start power.exe')
    finally:
        reg_import(r'[HKEY_CURRENT_USER\Software\Microsoft\Today\Keys\112]' + '\n@="Notes"\n'
                   r'"Open"="\\Windows\\Notes.exe"' + '\n')
    to_today()
    poll(lambda: bar() == 'Notes\tContacts', 'the soft keys to follow the registry back')


BUTTONS_KEY = r'HKEY_LOCAL_MACHINE\Software\NorvaneDevice\Buttons'
STUBS = ['NorvaneApp1', 'NorvaneApp2', 'NorvaneApp3', 'NorvaneApp4', 'NorvaneOKButton', 'NorvaneLeftKey',
         'NorvaneRightKey', 'NorvaneTaskManager']


def reg_value(key, name):
    """A string value as reg.exe shows it, or None."""
    for line in ctl('reg', 'query', key, '/v', name, check=False).splitlines():
        fields = line.split(None, 2)
        if len(fields) >= 2 and fields[0] == name and fields[1].startswith('REG_'):
            return fields[2].strip() if len(fields) > 2 else ''
    return None


def bind_button(name, program):
    reg_import(f'[{BUTTONS_KEY}\\{name}]\n"Program"="' + program.replace('\\', '\\\\') + '"\n')


def case_app_button():
    to_today()
    # The shell's own button mechanism, with a plain program on the button (the
    # product's installation binds its key stubs to the buttons).
    previous = reg_value(BUTTONS_KEY + r'\App4', 'Program') or ''
    bind_button('App4', r'\Windows\Calculator.exe')
    try:
        press_app4_calculator()
    finally:
        bind_button('App4', previous)


def press_app4_calculator():
    clear_log()
    ctl('key', 'app4')  # bound to \Windows\Calculator.exe
    poll(lambda: 'Calculator.exe|' in log_text(), 'application button 4 to start Calculator')
    state = poll(lambda: (lambda s: s if any(w['title'] == 'Calculator' and w['foreground'] for w in s['windows'])
                          else None)(windows()), 'the Calculator dialog in front')
    # The dialog has the OK caption button: the corner says "ok" and sends IDOK.
    ctl('tap', 228, 12)
    poll(lambda: 'Calculator.exe|ok' in log_text(), 'the corner button to send IDOK to the dialog')
    to_today()


def install_folder():
    """The product's install folder on the device, as the installer recorded it."""
    return (reg_value(r'HKLM\Software\Tarsel\Norvane', 'InstallPath') or '\\Windows').rstrip('\\')


def case_key_stubs():
    drive = Path(ctl('path').strip())
    install = install_folder()
    folder = drive.joinpath(*[p for p in install.split('\\') if p])
    for stub in STUBS:
        expect((folder / f'{stub}.exe').exists(), f'{stub}.exe is installed in {install}')
    for button, stub in (('App1', 'NorvaneApp1'), ('App2', 'NorvaneApp2'), ('App3', 'NorvaneApp3'),
                         ('App4', 'NorvaneApp4'), ('OK', 'NorvaneOKButton'), ('TaskManager', 'NorvaneTaskManager')):
        program = reg_value(BUTTONS_KEY + '\\' + button, 'Program')
        expected = install.rstrip('\\') + f'\\{stub}.exe'
        expect(program and program.lower() == expected.lower(),
               f'button {button} is bound to {program!r}, expected {expected}')


def settings_path():
    return Path(ctl('path').strip()) / 'Program Files' / 'Tarsel' / 'Norvane' / 'Norvane.ini'


def write_settings(text):
    path = settings_path()
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(b'\xff\xfe' + text.replace('\n', '\r\n').encode('utf-16-le'))


def case_launcher_keys():
    """The application buttons and the left soft key do what their codes say:
    quick launch runs the Quick Launch Tab's shortcuts, the left soft key (bound
    to NorvaneLeftKey by the item) the Left Softkey Tab's."""
    to_today()
    ini = settings_path()
    before = ini.read_bytes() if ini.exists() else None
    bar = lambda: window_of(windows(), 'menu_worker')['title']
    write_settings('\n'.join([
        '', '[General]', 'BehaviorMode=2', '[Tab1]', 'Name=Home', 'UniqueID=1',
        '[Tab2]', 'SpecialType=4', r'Shortcut1=\Windows\Calculator.exe', r'Shortcut2=\Windows\Bubbles.exe',
        '[Tab3]', 'SpecialType=5', r'Shortcut1=\Windows\Notes.exe', 'ToolTipTitle1=Jot', '']))
    ctl('broadcast', 'NorvaneSettingsChanged')
    try:
        poll(lambda: bar() == 'Jot\tContacts', 'the item to bind the left soft key', timeout=10)
        open_value = reg_value(r'HKEY_CURRENT_USER\Software\Microsoft\Today\Keys\112', 'Open') or ''
        expect(open_value.lower().endswith('norvaneleftkey.exe'), f'left soft key opens {open_value!r}')
        saved = reg_value(r'HKEY_LOCAL_MACHINE\Software\Tarsel\Norvane\Keys_backup\112', 'Open') or ''
        expect(saved.lower() == r'\windows\notes.exe', f'the user\'s left key is backed up: {saved!r}')

        clear_log()
        ctl('key', 'app1')
        poll(lambda: 'Calculator.exe|' in log_text(), 'application button 1 to quick-launch Calculator')
        to_today()
        clear_log()
        ctl('key', 'app2')
        poll(lambda: 'Bubbles.exe|' in log_text(), 'application button 2 to quick-launch Bubble Breaker')
        to_today()

        clear_log()
        ctl('key', 'softkey-left')
        poll(lambda: 'Notes.exe|' in log_text(), 'the left soft key to run the Left Softkey Tab\'s Notes')
        to_today()

        # The task-manager key's switches are quick-launch codes too.
        clear_log()
        ctl('exec', install_folder() + r'\NorvaneTaskManager.exe', '/LAUNCH:0')
        poll(lambda: 'Calculator.exe|' in log_text(), 'NorvaneTaskManager /launch:0 to quick-launch Calculator')
        to_today()
    finally:
        # Empty softkey tabs give the user's keys back; a settings file that is
        # only removed would leave the loaded shortcuts as they are.
        write_settings('\n'.join(['', '[General]', 'BehaviorMode=2', '[Tab1]', 'Name=Home', '[Tab2]',
                                   'SpecialType=4', '[Tab3]', 'SpecialType=5', '[Tab4]', 'SpecialType=6', '']))
        ctl('broadcast', 'NorvaneSettingsChanged')
        poll(lambda: bar() == 'Notes\tContacts', 'the user\'s soft keys to come back', timeout=10)
        if before is None:
            ini.unlink(missing_ok=True)
        else:
            ini.write_bytes(before)
        ctl('broadcast', 'NorvaneSettingsChanged')
    to_today()


def case_tap_item():
    state = to_today()
    alpha = state['items']['Alpha']
    clear_log()
    ctl('tap', 120, alpha['y'] + alpha['h'] // 2)
    poll(lambda: 'testitem|Alpha tap 120 20' in log_text(), 'the tap to reach Alpha at its client point')
    expect('testitem|Alpha down 120 20' in log_text(), 'the press reached Alpha')
    # Tap-and-hold recognition belongs to the platform's SHRecognizeGesture; the
    # shell only has to deliver the long press unchanged.
    clear_log()
    ctl('hold', 120, alpha['y'] + 5, 600)
    log = log_text()
    expect('testitem|Alpha down 120 5' in log and 'testitem|Alpha tap 120 5' in log, 'a hold reaches Alpha')


def case_shortcut():
    to_today()
    reg_import(r'[HKEY_CURRENT_USER\Software\Microsoft\Today\Keys\113]' + '\n@="Game"\n'
               r'"Open"="\\Windows\\Start Menu\\Programs\\Games\\Bubble Breaker.lnk"' + '\n')
    try:
        clear_log()
        ctl('tap', 180, 312)
        poll(lambda: 'Bubbles.exe|' in log_text(), 'the CE shortcut to open Bubbles.exe')
        poll(lambda: any(w['title'] == 'Bubble Breaker' and w['y'] == 26 for w in windows()['windows']),
             'the game full screen below the task bar')
    finally:
        reg_import(r'[HKEY_CURRENT_USER\Software\Microsoft\Today\Keys\113]' + '\n@="Contacts"\n'
                   r'"Open"="\\Windows\\Contacts.exe"' + '\n')
    to_today()


def case_selection():
    to_today()
    ctl('tap', 120, 250)  # the free background takes the selection away
    clear_log()
    for key in ('down', 'down', 'action', 'up', 'up'):
        ctl('key', key)
    expected = ['testitem|Alpha selected 40', 'testitem|Alpha navigation 40', 'testitem|Alpha lost',
                'testitem|Beta selected 40', 'testitem|Beta action 13', 'testitem|Beta navigation 38',
                'testitem|Beta lost', 'testitem|Alpha selected 38']
    got = [line for line in log_text().splitlines() if line.startswith('testitem|') and 'size' not in line]
    expect(got[:len(expected)] == expected, 'selection sequence:\n  expected ' + repr(expected) + '\n  got      ' +
           repr(got))


def case_screenshot():
    to_today()
    out = DEVICE_DIR / 'screens' / 'today-qvga-portrait.png'
    ctl('screenshot', out)
    width, height, pixel = read_png(out)
    expect((width, height) == (240, 320), f'screenshot size {width}x{height}')
    r, g, b = pixel(120, 13)
    expect(b > 90 and b > r + 50, f'dark blue task bar at (120,13): {(r, g, b)}')
    r, g, b = pixel(8, 310)
    expect(min(r, g, b) > 120 and b >= r, f'light soft-key bar at (8,310): {(r, g, b)}')
    r, g, b = pixel(30, 260)
    expect(min(r, g, b) > 160 and b >= r, f'pale Today background at (30,260): {(r, g, b)}')
    print(f'screenshot: {out}')


def case_launch_kinds():
    """One shortcut of every kind, launched inside the device by the launcher's
    own code (device/tests/LaunchProbe.cpp); the log must show exactly the
    programs and command lines each kind stands for, and nothing else."""
    to_today()
    clear_log()
    status = DEVICE.run('exec', r'\Windows\LaunchProbe.exe').returncode
    expect(status == 0, f'the launch probe ended with status {status}')
    menu = {'Excel Workbook', 'E-mail Message', 'Contact', 'Task', 'Appointment', 'Note', 'Word Document'}
    programs = sorted([
        'Calculator.exe|',
        'tmail.exe|-to "Ann Lee" -body "a ""b"""',
        'fexplore.exe|"\\My Documents"',
        'fexplore.exe|\\Windows',
        'powerg.exe|',
        'ctlpnl.exe|cplmain.cpl,4,0',
        'cplmain.cpl|open 4 Memory',  # the control panel opened that applet
        'ctlpnl.exe|,0,0',
        'SHCreateNewItem|{0FE5DCC1-5413-11D2-A53B-00C04F8ECDC8}',
        'SHCreateNewItem|{42650BC2-41C1-11D2-88E3-0000F87A49DB}',
        'fexplore.exe|"\\Storage Card"',
        'NorvaneOptions.exe|/theme',
    ])
    probe = ['probe|file started', 'probe|quotes started', 'probe|missing not started', 'probe|folder started',
             'probe|folder fallback started', 'probe|power started', 'probe|memory started', 'probe|no bar started',
             'probe|special softreset for Soft Reset', 'probe|special started', 'probe|note started',
             'probe|new menu started', 'probe|bad class not started',
             'probe|status dialog', 'probe|meter dialog started', 'probe|meter card started',
             'probe|theme started', 'probe|done']

    def started():
        lines = log_text().splitlines()
        return lines if all(p in lines for p in programs + probe) else None

    lines = poll(started, 'every launched program to log its start', timeout=20)
    time.sleep(1.0)  # anything started wrongly has had time to log too
    lines = log_text().splitlines()
    shown = [l for l in lines if l.startswith('probe|menu ')]
    expect(len(shown) == 1 and set(shown[0][len('probe|menu '):].split(';')) == menu,
           f'the New menu offers the seven classes: {shown!r}')
    lines = [l for l in lines if not l.startswith('probe|menu ')]
    expect([l for l in lines if l.startswith('probe|')] == probe,
           'probe steps:\n  expected ' + repr(probe) + '\n  got      ' + repr([l for l in lines if l.startswith('probe|')]))
    got = sorted(l for l in lines if not l.startswith('probe|') and not l.startswith('shell|'))
    expect(got == programs, 'programs:\n  expected ' + repr(programs) + '\n  got      ' + repr(got))
    theme = ctl('reg', 'query', r'HKLM\Software\Tarsel\Norvane', '/v', 'ThemePath')
    expect(r'\My Documents\Blue.tsk' in theme, f'ThemePath in the registry: {theme!r}')
    install = ctl('reg', 'query', r'HKLM\Software\Tarsel\Norvane', '/v', 'InstallPath', check=False)
    expect('probe-install' not in install, f'the probe put InstallPath back: {install!r}')
    to_today()


def case_reset():
    drive = Path(ctl('path').strip())
    link = drive / 'windows' / 'StartUp' / 'Reset Check.lnk'
    body = r'"\Windows\tmail.exe" -to "reset"'
    link.write_bytes(f'{len(body)}#{body}\r\n'.encode())
    try:
        clear_log()
        ctl('reset')
        log = poll(lambda: (lambda t: t if 'tmail.exe|-to "reset"' in t else None)(log_text()),
                   'the start-up shortcut to run after the reset', timeout=20)
        expect('boot|reset' in log and 'shell|ready' in log, 'the log shows the reset and the new boot')
        expect(log.index('services|') < log.index('shell|ready') < log.index('tmail.exe|'),
               'services, then the shell, then the start-up folder')
        state = windows()
        expect('Alpha' in state['items'], 'the items are back after the reset')
    finally:
        link.unlink(missing_ok=True)


if __name__ == '__main__':
    sys.exit(run_case(globals()))
