#!/usr/bin/env python3
"""System test of safe mode on a device of its own, in one boot sequence:
two quick restarts with ForceResetEnabled enter automatic safe mode (only the
safe-mode item on the Today screen, no start-up programs, third-party services
and input methods off); a tap on the item and Yes restart into a normal start
that puts back the Today items, the services, the input methods and the
start-up folder exactly as they were. Then the bar's own path: PromptMode 1, a
tap on the bar while the device starts enters safe mode, and the item's reset
restores again. Each case is one CTest test: safemode_system_test.py CASE."""
import os
import struct
import sys
import tempfile
import time
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parents[3]
sys.path.insert(0, str(ROOT / 'device' / 'tests'))
from devicetest import Device, Failure, expect, parse_windows, poll, run_case  # noqa: E402

BUILD = Path(os.environ.get('NORVANE_BUILD', ROOT / 'build' / 'win'))
DEVICE_DIR = Path(os.environ.get('NORVANE_DEVICE_DIR', BUILD / 'safemode-device')).resolve()
PROFILE = os.environ.get('NORVANE_SAFEMODE_PROFILE', 'qvga-portrait')
SHOTS = Path(os.environ.get('NORVANE_SAFEMODE_SHOTS', BUILD / 'safemode-shots'))
DEVICE = Device(DEVICE_DIR, BUILD)
ctl = DEVICE.ctl

SERVICE = r'HKLM\Services\NVGD'
STATE = r'HKLM\Software\NorvaneDevice\State'
METHOD = r'HKCR\CLSID\{4E564B31-0001-4E56-8000-4E4F5256414E}\IsSIPInputMethod'
KEYBOARD = r'HKCR\CLSID\{42429667-AE04-11D0-A4F8-00AA00A749B9}\IsSIPInputMethod'
SAFE_ITEM = 'NorvaneSafeMode'
BOOT_DEADLINE = 120


def reg_add(key, name, kind, data):
    ctl('reg', 'add', key, '/v', name, '/t', kind, '/d', str(data), '/f')


def reg_text(key, name):
    """A value as reg query shows it ("0x1" for a DWORD); None when missing."""
    out = ctl('reg', 'query', key, *(['/ve'] if name == '' else ['/v', name]), check=False)
    shown = name or '(Default)'
    for line in out.splitlines():
        parts = line.split(None, 2)
        if len(parts) >= 2 and parts[0] == shown and parts[1].startswith('REG_'):
            return parts[2].strip() if len(parts) > 2 else ''
    return None


def export(key):
    """The key with everything under it, as reg export writes it (UTF-16)."""
    with tempfile.TemporaryDirectory() as folder:
        path = Path(folder) / 'key.reg'
        ctl('reg', 'export', key, 'Z:' + str(path).replace('/', '\\'), '/y')
        return path.read_bytes().decode('utf-16', 'replace').replace('\r\n', '\n')


def services_export():
    """HKLM\\Services without our own key, whose LastReset moves at every normal start."""
    sections, keep = [], True
    for block in export(r'HKLM\Services').split('\n\n'):
        keep = '\\Services\\NVGD]' not in block
        if keep:
            sections.append(block)
    return '\n\n'.join(sections)


def startup_listing():
    folder = Path(ctl('path').strip()) / 'windows' / 'StartUp'
    return sorted((str(p.relative_to(folder)), p.stat().st_size, p.read_bytes()) for p in folder.rglob('*')
                  if p.is_file())


def snapshot():
    return {'today': export(r'HKLM\Software\Microsoft\Today'), 'services': services_export(),
            'methods': export(METHOD) + export(KEYBOARD), 'startup': startup_listing()}


def boot_count():
    value = reg_text(STATE, 'BootCount')
    return int(value, 16) if value else 0


def items():
    return parse_windows(ctl('windows'))['items']


def item_named(name):
    return next((i for i in items() if i['title'] == name and i['visible']), None)


def read_png(path):
    data = Path(path).read_bytes()
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
    return width, height, lambda x, y: tuple(raw[y * stride + 1 + x * 3:y * stride + 4 + x * 3])


def screenshot(name):
    SHOTS.mkdir(parents=True, exist_ok=True)
    path = SHOTS / f'{PROFILE}-{name}.png'
    ctl('screenshot', path)
    return path


def switches(prompt, force):
    """What the options write: the prefix that switches the service on, the prompt
    mode and the automatic safe mode. Written after the item's own settings load,
    which writes them from Norvane.ini at every start."""
    reg_add(SERVICE, 'Prefix', 'REG_SZ', 'NVG')
    reg_add(SERVICE, 'PromptMode', 'REG_DWORD', prompt)
    reg_add(SERVICE, 'ForceResetEnabled', 'REG_DWORD', force)


def wait_for_safe_mode(before):
    def safe():
        return boot_count() > before and item_named(SAFE_ITEM) and len(items()) == 1
    poll(safe, 'a safe-mode start with only the safe-mode item', timeout=BOOT_DEADLINE,
         show=lambda: (boot_count(), [i['title'] for i in items()]))
    ctl('refresh')


def check_safe_mode(mode):
    state = parse_windows(ctl('windows'))
    titles = [i['title'] for i in state['items'] if i['visible']]
    expect(titles == [SAFE_ITEM], f'only the safe-mode item on the Today screen: {titles}')
    item = item_named(SAFE_ITEM)
    dpi = state['screen'][3]
    expect(item['h'] == (100 * dpi + 48) // 96, f'the item is {item["h"]} high at {dpi} dpi')
    expect(item['w'] == state['screen'][0], f'the item is {item["w"]} wide')
    log = ctl('log')
    this_boot = log[log.rfind('boot|start'):]
    expect('StartupCheck' not in this_boot, 'the start-up programs did not run in safe mode')
    expect('GPX_Init 30' not in this_boot, 'the service added after the installation stayed off')
    expect('BAG_Init' in this_boot, f'the platform services still ran: {this_boot[-400:]!r}')
    expect(reg_text(METHOD, '') == '0' and reg_text(METHOD, 'nvDisabled') == '0x1',
           'the third-party input method is off and marked')
    expect(reg_text(KEYBOARD, '') == '1', 'the msim.dll keyboard stays on')
    expect(reg_text(SERVICE, 'SafeMode') is None, 'SafeMode is read once and deleted')
    poll(lambda: 'NVG0: unloaded' in ctl('log'), 'the service to let go of its DLL once the item runs', timeout=20)
    shot = screenshot(f'safe-mode-{mode}')
    width, height, pixel = read_png(shot)
    # The title's letters in the Today text colour over the background, in the item.
    rows = range(item['y'] + (20 * dpi + 48) // 96, item['y'] + (40 * dpi + 48) // 96)
    colours = {pixel(x, y) for y in rows for x in range(0, width, 2)}
    expect(len(colours) > 3, f'the item shows its title ({len(colours)} colours in its line)')


def reset_from_item(before):
    item = item_named(SAFE_ITEM)
    count = boot_count()
    ctl('tap', item['x'] + item['w'] // 2, item['y'] + item['h'] // 2)
    dialog = ctl('dialog', '--raw', '--wait')
    expect('Reset now?' in dialog and 'Norvane' in dialog, f'the item asks "Reset now?": {dialog!r}')
    ctl('dialog', 'press', 'Yes')
    poll(lambda: boot_count() > count and item_named('Norvane') is not None, 'a normal start with the items back',
         timeout=BOOT_DEADLINE, show=lambda: (boot_count(), [i['title'] for i in items()]))
    ctl('refresh')
    after = snapshot()
    for part in before:
        expect(after[part] == before[part], f'{part} is back as it was:\n{before[part]!r}\n---\n{after[part]!r}')
    expect(reg_text(SERVICE, 'SafeMode') is None, 'no SafeMode after the restore')
    poll(lambda: 'StartupCheck' in ctl('log')[ctl('log').rfind('boot|start'):], 'the start-up program to run again',
         timeout=30)
    log = ctl('log')
    expect('GPX_Init 30' in log[log.rfind('boot|start'):], 'the late service runs again in the restoring start')


def case_safe_mode():
    ctl('shutdown', check=False)
    ctl('boot', '--fresh', '--headless', '--profile', PROFILE)
    # A service added after the installation, which safe mode must switch off.
    for name, kind, data in (('Dll', 'REG_SZ', 'SampleService.dll'), ('Prefix', 'REG_SZ', 'GPX'),
                             ('Index', 'REG_DWORD', 1), ('Order', 'REG_DWORD', 30), ('Keep', 'REG_DWORD', 1),
                             ('Context', 'REG_DWORD', 30)):
        reg_add(r'HKLM\Services\LateGps', name, kind, data)
    if reg_text(SERVICE, 'Dll') is None:
        # Registered as the installer does, where the device has no installer of ours yet.
        for name, kind, data in (('Order', 'REG_DWORD', 0), ('Dll', 'REG_SZ', 'NorvaneSafeMode.dll'),
                                 ('Keep', 'REG_DWORD', 1), ('Index', 'REG_DWORD', 0), ('Context', 'REG_DWORD', 0),
                                 ('DisplayName', 'REG_SZ', 'NorvaneSafeMode'),
                                 ('Description', 'REG_SZ', 'NorvaneSafeMode')):
            reg_add(SERVICE, name, kind, data)
        reg_add(r'HKLM\Software\Tarsel\Norvane', 'SafeServices', 'REG_SZ', 'BAG0,NFY0,CRD0,LAS0,GPX0')
    switches(0, 1)
    before = snapshot()
    expect('GpsExtra' in before['services'] and 'LateGps' in before['services'], 'the services to switch off')
    expect(before['startup'], 'the device has a start-up program')

    # First restart: a normal start that records its time.
    ctl('reset')
    expect(reg_text(SERVICE, 'LastReset'), 'the normal start wrote LastReset')
    last_reset = reg_text(SERVICE, 'LastReset')
    switches(0, 1)
    # Second restart within two minutes: automatic safe mode, then the safe-mode start.
    count = boot_count()
    ctl('reset', '--no-wait')
    wait_for_safe_mode(count)
    expect(boot_count() >= count + 2, 'the automatic safe mode restarted once more')
    expect(reg_text(SERVICE, 'LastReset') == last_reset, 'automatic safe mode leaves LastReset')
    expect(reg_text(r'HKLM\Services\LateGps', 'Dll') == 'SampleService.dll_nv_disable', 'the late service is off')
    check_safe_mode('automatic')

    # The way back; the user has switched automatic safe mode off meanwhile.
    switches(0, 0)
    reset_from_item(before)


def case_bar_tap():
    """The bar's tap path, on the device the case above left (booted on its own otherwise)."""
    if not item_named('Norvane'):
        ctl('boot', '--headless', '--profile', PROFILE)
    before = snapshot()
    switches(1, 0)
    # The shell holds back its readiness, so that the bar stays up to be tapped: for
    # longer than the steps below can take on a loaded machine (20 s were not always
    # enough); the tap ends it, as safe mode restarts the device.
    reg_add(STATE, 'ShellReadyDelayMs', 'REG_DWORD', BOOT_DEADLINE * 1000)
    try:
        count = boot_count()
        ctl('reset', '--no-wait')

        def bar():
            if boot_count() <= count:
                return None
            state = parse_windows(ctl('windows'))
            width, height = state['screen'][0], state['screen'][1]
            return next((w for w in state['windows'] if w['cls'] == 'NorvaneSafeModeBar' and w['y'] + w['h'] == height
                         and w['w'] == width and w['title'] == ''), None)
        found = poll(bar, 'the safe-mode bar at the bottom of the screen', timeout=BOOT_DEADLINE)
        dpi = parse_windows(ctl('windows'))['screen'][3]
        expect(found['h'] == (40 * dpi + 48) // 96, f'the bar is {found["h"]} high at {dpi} dpi')
        # The window list gives the order the window manager keeps, the display
        # follows it late: a window shown while the bar is up (the shell's Today
        # screen and menu bar as they come up) lies over the bar on the screen until
        # the bar has taken the front back, some hundredths of a second later. So the
        # bar is looked at, and tapped, once the shell's windows are up and the bar is
        # seen in front, both halves at both ends.
        poll(lambda: any(w['cls'] == 'DesktopExplorerWindow' for w in parse_windows(ctl('windows'))['windows']),
             'the shell\'s Today screen behind the bar', timeout=BOOT_DEADLINE)
        seen = []

        def painted():
            width, height, pixel = read_png(screenshot('bar'))
            right = found['x'] + found['w'] - 5
            colours = [pixel(x, y) for y in (found['y'] + 3, found['y'] + found['h'] - 3) for x in (4, right)]
            seen.append(colours)
            return colours == [(0x29, 0x52, 0x98)] * 2 + [(0x12, 0x3D, 0x86)] * 2
        poll(painted, 'the bar in front, its upper and lower halves in their blues', timeout=15,
             show=lambda: seen[-1])
        reg_add(STATE, 'ShellReadyDelayMs', 'REG_DWORD', 0)
        ctl('tap', found['x'] + found['w'] // 2, found['y'] + found['h'] // 2)
        wait_for_safe_mode(count + 1)
    finally:
        reg_add(STATE, 'ShellReadyDelayMs', 'REG_DWORD', 0)
    check_safe_mode('manual')
    switches(0, 0)
    reset_from_item(before)


def case_teardown():
    ctl('shutdown')


if __name__ == '__main__':
    sys.exit(run_case(globals()))
