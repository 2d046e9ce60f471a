#!/usr/bin/env python3
"""System tests of the special commands and the screen capture on the simulated
Pocket PC: the pictures a capture shortcut writes against the device's own
screenshot, rotation there and back, the soft reset's question, power off and
on, and the SMS and phone-call programs. One phone-edition device for the run
("setup" boots it, "teardown" shuts it down); each case is one CTest test:
special_system_test.py CASE.

The item shows one tab of special shortcuts in a row of small icons with
captions; the Quick Launch tab holds the capture shortcuts, so that the
application buttons start them without a tap (which would draw the selection
into the picture).
"""
import os
import struct
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / 'device' / 'tests'))
from devicetest import Device, Failure, expect, parse_dialogs, parse_windows, poll, run_case  # noqa: E402
from devicetest import write_settings_text  # noqa: E402
from system_test import read_png  # noqa: E402  (the device tests' PNG reader)

ROOT = Path(__file__).resolve().parents[3]
BUILD = Path(os.environ.get('NORVANE_BUILD', ROOT / 'build' / 'win'))
DEVICE_DIR = Path(os.environ.get('NORVANE_DEVICE_DIR', BUILD / 'special-system-device'))
DEVICE = Device(DEVICE_DIR, BUILD)
ctl = DEVICE.ctl

ITEM_CLASS = 'NorvaneWindowClass'
STATE_KEY = r'HKLM\Software\NorvaneDevice\State'
CAPTURES = r'\My Documents\Captures'
# A JPEG of the screen may differ from the screen by this much: the root mean
# square of all channel differences, in 8-bit steps. Wine's JPEG encoder writes
# quality 75 with halved colour resolution, whatever it is asked for: about 6.5
# here, over sharp text and small icons (a PSNR of about 32 dB).
JPEG_RMSE_LIMIT = 10.0

TOOLS = [
    ('Soft Reset', 'special:softreset', 'promptbeforereset~#~1'),
    ('Power Off', 'special:poweroff', ''),
    ('Rotate', 'special:rotate', 'mode~#~left-restore'),
    ('Text Ann', 'special:sms', 'phonenumber~#~+1 555 0100~#~smsdefaultbody~#~On my way'),
    ('Call Ann', 'special:phonecall', 'phonenumber~#~5550123~#~promptbeforedialing~#~1'),
    # Three programs more: eight icons fill one landscape row but wrap in portrait.
    (r'\Windows\Start Menu\Programs\Notes.lnk', '', ''),
    (r'\Windows\Start Menu\Programs\Contacts.lnk', '', ''),
    (r'\Windows\Start Menu\Programs\Calculator.lnk', '', ''),
]
# Icon cells at 96 dpi: 36 pixels apart, the first icon 10 pixels in, the row
# 26 pixels below the item's top (under the tab bar).
CELL, FIRST_X, ROW_Y = 36, 10, 26


def capture_properties(folder, count, delay, repeat, fmt):
    return (f'count~#~{count}~#~delay~#~{delay}~#~repeatdelay~#~{repeat}~#~promptbeforestarting~#~0~#~'
            f'promptafterfinishing~#~0~#~colordepth~#~0~#~path~#~{CAPTURES}\\{folder}~#~prefix~#~shot_~#~'
            f'format~#~{fmt}')


QUICK_LAUNCH = [
    ('Capture BMP', 'special:screencapture', capture_properties('bmp', 3, 0, 1, 'BMP')),
    ('Capture JPG', 'special:screencapture', capture_properties('jpeg', 1, 0, 1, 'JPG')),
    ('Capture jpg', 'special:screencapture', capture_properties('lower', 1, 0, 1, 'jpg')),
]


# ---------------------------------------------------------------- device helpers

def state():
    return parse_windows(ctl('windows'))


def item():
    return next((i for i in state()['items'] if i['cls'] == ITEM_CLASS), None)


def drive():
    return Path(ctl('path').strip())


def log_lines():
    return ctl('log').splitlines()


def boot_count():
    for line in ctl('reg', 'query', STATE_KEY, '/v', 'BootCount').splitlines():
        fields = line.split()
        if len(fields) >= 3 and fields[0] == 'BootCount':
            return int(fields[2], 16)
    raise Failure('the device state has no boot count')


def dialogs():
    return parse_dialogs(ctl('dialog', '--raw', check=False))


def screenshot(name):
    path = DEVICE_DIR / 'screens' / f'{name}.png'
    ctl('screenshot', path)
    return read_png(path)


def install_settings():
    lines = ['[General]', 'BehaviorMode=2', 'BottomAlign=0', 'IconDisplayMode=0', 'TabWidth=40',
             'AllowScrolling=1', 'HeightInPixels=0', 'LandscapeHeightInPixel=0']
    lines += ['[Tab1]', 'Name=Tools', 'UniqueID=1', 'CaptionsEnabled=1']
    for n, (caption, target, properties) in enumerate(TOOLS, 1):
        lines.append(f'Shortcut{n}={caption}')
        if target:
            lines.append(f'ShortcutAdditional{n}={target}')
        if properties:
            lines.append(f'SpecialProperties{n}={properties}')
    lines += ['[Tab2]', 'SpecialType=4']
    for n, (caption, target, properties) in enumerate(QUICK_LAUNCH, 1):
        lines += [f'Shortcut{n}={caption}', f'ShortcutAdditional{n}={target}', f'SpecialProperties{n}={properties}']
    write_settings_text(drive() / 'Program Files' / 'Tarsel' / 'Norvane' / 'Norvane.ini', '\n'.join(lines) + '\n')
    ctl('broadcast', 'NorvaneSettingsChanged')
    ctl('refresh')
    last = [None]

    def settled():
        now = item()
        stable = now and now['h'] > 30 and now == last[0]
        last[0] = now
        return now if stable else None

    return poll(settled, 'the item laid out with its shortcuts', timeout=15)


def icon_point(index, it=None):
    """The middle of the icon of shortcut index in the Tools tab's first row."""
    it = it or item()
    return it['x'] + FIRST_X + CELL * index + 8, it['y'] + ROW_Y + 8


def tap_shortcut(index):
    ctl('tap', *icon_point(index))


def front_is_today():
    s = state()
    front = next((w for w in s['windows'] if w['foreground']), None)
    return front is not None and front['cls'] == 'DesktopExplorerWindow'


def to_today():
    for _ in range(5):
        if front_is_today():
            return
        ctl('key', 'escape')
        time.sleep(0.3)
    raise Failure('the Today screen did not come back to the front')


# ---------------------------------------------------------------- pictures

def read_bmp(path):
    """A 32-bit bottom-up BMP with bit fields, as the capture writes it: (width,
    height, pixel(x, y) -> (r, g, b))."""
    data = Path(path).read_bytes()
    expect(data[:2] == b'BM', f'{path.name} is no BMP file')
    offset = struct.unpack_from('<I', data, 10)[0]
    width, height, planes, bits, compression = struct.unpack_from('<iiHHI', data, 18)
    expect(bits == 32 and compression == 3 and height > 0,
           f'{path.name}: 32 bits with bit fields, bottom-up (got {bits} bits, compression {compression})')
    expect(struct.unpack_from('<III', data, 54) == (0xFF0000, 0xFF00, 0xFF), f'{path.name}: the colour masks')
    expect(len(data) == struct.unpack_from('<I', data, 2)[0] == offset + width * height * 4,
           f'{path.name}: the file size in the header')

    def pixel(x, y):
        o = offset + ((height - 1 - y) * width + x) * 4
        return data[o + 2], data[o + 1], data[o]

    return width, height, pixel


def read_jpeg(path):
    """ImageMagick's reading of a JPEG file: (width, height, pixel(x, y))."""
    size = subprocess.run(['identify', '-format', '%w %h', str(path)], capture_output=True, text=True,
                          timeout=60)
    expect(size.returncode == 0, f'ImageMagick cannot read {path.name}: {size.stderr.strip()}')
    width, height = (int(v) for v in size.stdout.split())
    raw = subprocess.run(['convert', str(path), '-depth', '8', 'RGB:-'], capture_output=True, timeout=60).stdout
    expect(len(raw) == width * height * 3, f'ImageMagick read {len(raw)} bytes of {path.name}')

    def pixel(x, y):
        o = (y * width + x) * 3
        return raw[o], raw[o + 1], raw[o + 2]

    return width, height, pixel


def clock_box(width, dpi):
    """The task bar's clock (and the corner button beside it): the one part of
    the screen that changes on its own."""
    scale = dpi / 96.0
    return width - int(110 * scale), 0, width, int(26 * scale)


def compare(picture, shot, dpi, exact):
    """Compares a capture with a screenshot outside the clock: the number of
    differing pixels (exact) or the root mean square channel difference."""
    pw, ph, ppix = picture
    sw, sh, spix = shot
    expect((pw, ph) == (sw, sh), f'the picture is {pw}x{ph}, the screen {sw}x{sh}')
    x0, y0, x1, y1 = clock_box(sw, dpi)
    differing, squares, samples = [], 0, 0
    for y in range(sh):
        for x in range(sw):
            if x0 <= x < x1 and y0 <= y < y1:
                continue
            a, b = ppix(x, y), spix(x, y)
            if exact:
                if a != b:
                    differing.append((x, y, a, b))
            else:
                squares += sum((p - q) ** 2 for p, q in zip(a, b))
                samples += 3
    return differing if exact else (squares / samples) ** 0.5


def complete(path):
    """A picture file written to its end: a BMP as long as its header says, a JPEG
    ending with its end-of-image marker."""
    data = path.read_bytes()
    if data[:2] == b'BM':
        return len(data) >= 6 and len(data) == struct.unpack_from('<I', data, 2)[0]
    return data[:2] == b'\xff\xd8' and data[-2:] == b'\xff\xd9'


def capture_files(folder, count, extension):
    base = drive() / 'My Documents' / 'Captures' / folder

    def written():
        files = sorted(base.glob('shot_*')) if base.is_dir() else []
        return files if len(files) >= count and all(complete(f) for f in files) else None

    files = poll(written, f'{count} picture(s) in {CAPTURES}\\{folder}', timeout=15)
    expect(len(files) == count, f'exactly {count} picture(s): {[f.name for f in files]}')
    for f in files:
        expect(f.suffix == '.' + extension, f'{f.name} has the extension {extension}')
    return files


# ---------------------------------------------------------------- cases

def case_setup():
    ctl('shutdown', check=False)
    ctl('boot', '--fresh', '--phone', '--headless', '--profile', 'qvga-portrait')
    poll(lambda: (item() or {}).get('h', 0) > 0, 'the Norvane item on the Today screen', timeout=20)
    install_settings()


def case_teardown():
    ctl('shutdown')


def case_capture():
    """Application button 1 runs a capture of three BMP pictures one second apart
    with no questions: three files, each the screen's size and, outside the clock,
    exactly the device's own screenshot. Button 2 writes a JPEG close to it
    (Format "JPG"); button 3 with Format "jpg" writes a BMP."""
    to_today()
    time.sleep(1.2)  # any selection a tap left behind clears itself after a second
    ctl('key', 'app1')
    files = capture_files('bmp', 3, 'bmp')
    shot = screenshot('capture')
    dpi = state()['screen'][2]
    for f in files:
        differing = compare(read_bmp(f), shot, dpi, exact=True)
        expect(not differing, f'{f.name} differs from the screenshot in {len(differing)} pixels, '
                              f'first {differing[:3]}')
    ctl('key', 'app2')
    jpeg = capture_files('jpeg', 1, 'jpg')[0]
    rmse = compare(read_jpeg(jpeg), shot, dpi, exact=False)
    expect(rmse < JPEG_RMSE_LIMIT, f'{jpeg.name} is {rmse:.2f} away from the screenshot (limit {JPEG_RMSE_LIMIT})')
    print(f'JPEG root mean square difference {rmse:.2f}')
    ctl('key', 'app3')
    lower = capture_files('lower', 1, 'bmp')[0]
    expect(lower.read_bytes()[:2] == b'BM', 'Format "jpg" writes a BMP file')


def case_messaging():
    """The SMS shortcut starts the messaging program with the number and body
    quoted; the phone-call shortcut reaches the phone library's call entry with
    the number and the prompt flag."""
    to_today()
    before = len(log_lines())
    tap_shortcut(3)
    sms = 'tmail.exe|-to "+1 555 0100" -body "On my way" -service "SMS"'
    poll(lambda: sms in log_lines()[before:], 'the messaging program with the SMS', show=lambda: log_lines()[before:])
    to_today()
    tap_shortcut(4)
    call = 'phone.dll|PhoneMakeCall number="5550123" flags=PMCF_PROMPTBEFORECALLING'
    poll(lambda: call in log_lines()[before:], 'the call in the device log', show=lambda: log_lines()[before:])


def case_power_off():
    """Power off turns the screen black until the next key or tap, which only
    wakes the device."""
    off = 'shell|power off (screen off until a key or a tap)'
    for wake in ('key', 'tap'):
        to_today()
        mark = len(log_lines())
        tap_shortcut(1)
        poll(lambda: off in log_lines()[mark:], 'the shell to power off')
        width, height, pixel = screenshot('power-off')
        lit = [(x, y) for y in range(0, height, 5) for x in range(0, width, 5) if pixel(x, y) != (0, 0, 0)]
        expect(not lit, f'the screen is black while off; lit at {lit[:5]}')
        if wake == 'key':
            ctl('key', 'action')
        else:
            ctl('tap', width // 2, height // 2)
        poll(lambda: 'shell|power on' in log_lines()[mark:], f'a {wake} to wake the device')
        width, height, pixel = screenshot('power-on')
        expect(pixel(width // 2, 5) != (0, 0, 0), 'the task bar shows again')
        expect(not any(line.split('|')[0].endswith('.exe') for line in log_lines()[mark:]),
               f'the {wake} that woke the device started nothing: {log_lines()[mark:]}')


def laid_out(width, height):
    """The screen, the item and the shell's bars all at the new size."""
    s = state()
    if s['screen'][:2] != [width, height]:
        return None
    it = next((i for i in s['items'] if i['cls'] == ITEM_CLASS), None)
    bar = next((w for w in s['windows'] if w['cls'] == 'HHTaskBar'), None)
    menu = next((w for w in s['windows'] if w['cls'] == 'menu_worker'), None)
    if not it or not bar or not menu or it['w'] != width or bar['w'] != width or menu['w'] != width:
        return None
    return it


def icons_in_first_row(shot, it):
    """How many cells of the item's first icon row hold a picture (a dark or a
    strongly coloured pixel, where the Today background is pale blue)."""
    _, _, pixel = shot
    count = 0
    for cell in range((it['w'] - FIRST_X) // CELL):
        x0, y0 = it['x'] + FIRST_X + CELL * cell, it['y'] + ROW_Y
        drawn = any(min(pixel(x, y)) < 110 or max(pixel(x, y)) - min(pixel(x, y)) > 120
                    for y in range(y0, y0 + 16) for x in range(x0, x0 + 16))
        count += 1 if drawn else 0
    return count


def case_rotate():
    """The left-restore shortcut turns the device to landscape: the screen, the
    Today screen's bars and the item are 320 wide and all eight icons share the
    first row; the same shortcut turns it back to portrait, where six fit."""
    to_today()
    tap_shortcut(2)
    it = poll(lambda: laid_out(320, 240), 'the device in landscape', timeout=10, show=lambda: state()['screen'])
    shot = screenshot('landscape')
    expect(shot[:2] == (320, 240), f'the screenshot is 320x240, not {shot[:2]}')
    expect(icons_in_first_row(shot, it) == 8, 'all eight shortcuts in the first row of the wide item')
    expect('shell|rotated to 90 degrees (320x240)' in log_lines(), 'the shell turned the screen')
    time.sleep(1.2)
    ctl('tap', *icon_point(2, it))
    it = poll(lambda: laid_out(240, 320), 'the device back in portrait', timeout=10, show=lambda: state()['screen'])
    shot = screenshot('portrait')
    expect(shot[:2] == (240, 320), f'the screenshot is 240x320, not {shot[:2]}')
    expect(icons_in_first_row(shot, it) == 6, 'six shortcuts in the first portrait row')
    expect('shell|rotated to 0 degrees (240x320)' in log_lines(), 'the shell turned the screen back')


def case_soft_reset():
    """Soft reset asks first: No leaves the device up; Yes restarts it (a new boot,
    the services and the shell again, the item back)."""
    to_today()
    before = boot_count()
    tap_shortcut(0)
    question = poll(lambda: next(iter(dialogs()), None), 'the question before the soft reset')
    expect('Are you sure you want to soft-reset the device?' in question['texts'],
           f'the question: {question["texts"]}')
    expect(question['foreground'], 'the question is in front')
    ctl('dialog', 'press', 'No')
    time.sleep(1.0)
    expect(boot_count() == before and item() is not None, '"No" leaves the device running')
    log_mark = len(log_lines())
    tap_shortcut(0)
    poll(lambda: next(iter(dialogs()), None), 'the question again')
    ctl('dialog', 'press', 'Yes')
    poll(lambda: boot_count() == before + 1, 'a new boot', timeout=30)
    poll(lambda: (item() or {}).get('h', 0) > 30, 'the item back on the Today screen', timeout=30)
    after = log_lines()[log_mark:]
    for line in ('boot|reset', 'boot|start', 'shell|ready'):
        expect(line in after, f'"{line}" in the device log after the reset: {after}')


if __name__ == '__main__':
    sys.exit(run_case(globals()))
