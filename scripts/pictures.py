#!/usr/bin/env python3
"""The README's pictures, taken on the simulated device after a build: a fresh
device with Norvane installed as a new user gets it (the install dialog's
defaults: meters on, English), in QVGA and in VGA.

  python3 scripts/pictures.py [OUT_DIR]   (default docs/pictures)

QVGA portrait: the install dialog, the Home tab's panel, the Tools tab's panel,
a tab's menu, the same tabs in the customized-tabs style and the task manager.
VGA portrait and VGA landscape: the Home and Tools panels. The pictures are
reduced to a palette of 256 colours, so that all of them stay small; the
device is shut down afterwards.
"""
import argparse
import importlib.machinery
import importlib.util
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
CTL = ROOT / 'device' / 'devicectl'
INI_TOOL = ROOT / 'build' / 'native' / 'tools' / 'norvane-ini' / 'norvane-ini'
TAB_COUNT = 5  # the installer's default tabs: Home, Games, Documents, Settings, Tools
HOME, TOOLS = 0, 4
TASK_MANAGER_CLASS = 'NorvaneTaskManager'
PANEL_CLASS = 'NorvaneFloatingPanel'  # the thumb tabs' panel of icons


def load_devicectl():
    loader = importlib.machinery.SourceFileLoader('devicectl', str(CTL))
    spec = importlib.util.spec_from_loader('devicectl', loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


device = load_devicectl()


def ctl(*args):
    proc = subprocess.run([str(CTL), *map(str, args)], capture_output=True, text=True)
    if proc.returncode != 0:
        sys.exit(f'pictures: devicectl {" ".join(map(str, args))} failed: {proc.stderr.strip()}')
    return proc.stdout


def windows():
    """The device's top-level windows and Today items as devicectl lists them."""
    return [line.split('|') for line in ctl('windows').splitlines()]


def visible(fields):
    """A shown top-level window: window|class|title|x|y|w|h|pid|...|process|visible|minimized."""
    return fields[0] == 'window' and len(fields) > 10 and fields[10] == '1'


def item_rect():
    for f in windows():
        if f[0] == 'item' and f[1] == 'NorvaneWindowClass':
            return [int(v) for v in f[3:7]]
    sys.exit('pictures: the Norvane item is not on the Today screen')


def tab_point(index):
    x, y, w, h = item_rect()
    return x + w * (2 * index + 1) // (2 * TAB_COUNT), y + h // 2


def settled():
    device.wait_settled()


def shoot(out, name):
    """A screenshot, then reduced to 256 colours (the Today screen's gradients
    survive that; the file shrinks to a third)."""
    full = out / f'{name}.full.png'
    target = out / f'{name}.png'
    ctl('screenshot', full)
    subprocess.run(['convert', str(full), '-strip', '-dither', 'None', '-colors', '256', f'PNG8:{target}'], check=True)
    full.unlink()
    print(f'pictures: {target} ({target.stat().st_size // 1024} KB)')


def panel_shown():
    return any(visible(f) and f[1] == PANEL_CLASS for f in windows())


def tap_tab(index, panel):
    """Taps a thumb tab and waits until its panel is open (panel True) or closed.
    A tap that came while the panel was still closing is repeated once."""
    for _ in range(2):
        ctl('tap', *tab_point(index))
        settled()
        deadline = time.monotonic() + 5
        while panel_shown() != panel and time.monotonic() < deadline:
            time.sleep(0.1)
        if panel_shown() == panel:
            settled()
            return
    sys.exit(f'pictures: tab {index} did not {"open" if panel else "close"} its panel')


def install_dialog(out, name):
    """Takes the product off the device and installs it again, with a picture of
    the install dialog as it first shows."""
    device.uninstall_product(preserve=False)
    lines, _ = device.product_manifest()
    proc, log = device.start_installer('/install', lines)
    device.installer_dialog(
        lambda d: any(device.menu_label(b['text']) == device.INSTALL_BUTTON for b in d['buttons']), 60)
    settled()
    shoot(out, name)
    device.dialog_press(device.INSTALL_BUTTON, deadline_s=30)
    device.finish_installer(proc, log, 'installer', 120)
    device.bind_buttons()
    settled()


def wait_for(check, what, seconds=30):
    deadline = time.monotonic() + seconds
    while not check():
        if time.monotonic() > deadline:
            sys.exit(f'pictures: {what} did not happen within {seconds} s')
        time.sleep(0.1)


def qvga_pictures(out):
    ctl('boot', '--fresh', '--headless', '--profile', 'qvga-portrait', '--meters', 'on', '--language', 'English')
    install_dialog(out, 'qvga-install')
    tap_tab(TOOLS, panel=True)
    shoot(out, 'qvga-tools')
    tap_tab(TOOLS, panel=False)  # a tap on the open tab closes its panel
    tap_tab(HOME, panel=True)
    shoot(out, 'qvga-home')
    tap_tab(HOME, panel=False)  # Home stays the current tab
    # A hold on a tab opens the tab's menu.
    ctl('hold', *tab_point(HOME), 1000)
    ctl('menu', '--wait')
    shoot(out, 'qvga-tab-menu')
    ctl('menu', 'close')
    # The same settings in the customized-tabs style: the tabs' names, and the
    # current tab's icons on the Today screen itself.
    settings = Path(ctl('path').strip()) / 'Program Files' / 'Tarsel' / 'Norvane' / 'Norvane.ini'
    original = settings.read_bytes()
    for key, value in (('BehaviorMode', '2'), ('BottomAlign', '2')):  # customized tabs, names without pictures
        subprocess.run([str(INI_TOOL), 'set', str(settings), 'General', key, value], check=True, capture_output=True)
    ctl('broadcast', 'NorvaneSettingsChanged', '0')
    settled()
    shoot(out, 'qvga-customized-tabs')
    settings.write_bytes(original)
    ctl('broadcast', 'NorvaneSettingsChanged', '0')
    settled()
    # The task manager over two running programs.
    for program, title in ((r'\Windows\Notes.exe', 'Notes'), (r'\Windows\Calculator.exe', 'Calculator')):
        ctl('start', program)
        wait_for(lambda: any(visible(f) and f[2] == title for f in windows()), f'{title} to start')
    ctl('key', 'taskmanager')
    wait_for(lambda: any(visible(f) and f[1] == TASK_MANAGER_CLASS for f in windows()), 'the task manager to open')
    settled()
    shoot(out, 'qvga-task-manager')


def vga_pictures(out, profile, short):
    ctl('boot', '--fresh', '--headless', '--profile', profile, '--meters', 'on', '--language', 'English')
    tap_tab(HOME, panel=True)
    shoot(out, f'{short}-home')
    tap_tab(HOME, panel=False)
    tap_tab(TOOLS, panel=True)
    shoot(out, f'{short}-tools')


def main():
    parser = argparse.ArgumentParser(description='Takes the README\'s pictures on the simulated device.')
    parser.add_argument('out', nargs='?', default=str(ROOT / 'docs' / 'pictures'))
    out = Path(parser.parse_args().out)
    out.mkdir(parents=True, exist_ok=True)
    if not INI_TOOL.exists():
        sys.exit(f'pictures: {INI_TOOL} is missing: run scripts/build.sh first')
    try:
        qvga_pictures(out)
        vga_pictures(out, 'vga-portrait', 'vga')
        vga_pictures(out, 'vga-landscape', 'vga-landscape')
    finally:
        subprocess.run([str(CTL), 'shutdown'], capture_output=True)
    total = sum(f.stat().st_size for f in out.glob('*.png'))
    print(f'pictures: written to {out}, {total // 1024} KB in all')


if __name__ == '__main__':
    main()
