"""Shared pieces of the device system tests: running devicectl against one test
device, assertions that fail with a message, polling with a deadline, and the
one-case-per-run entry point that CTest calls."""
import os
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
DEVICECTL = ROOT / 'device' / 'devicectl'


class Failure(Exception):
    pass


class Device:
    """devicectl for the device in device_dir, built from the tree in build."""

    def __init__(self, device_dir, build):
        self.env = dict(os.environ, NORVANE_DEVICE_DIR=str(device_dir), NORVANE_BUILD=str(build))

    def run(self, *args):
        return subprocess.run([sys.executable, str(DEVICECTL)] + [str(a) for a in args], env=self.env,
                              stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=150)

    def ctl(self, *args, check=True):
        proc = self.run(*args)
        if check and proc.returncode != 0:
            # Both streams: a Wine tool run through devicectl says why it failed on its standard output.
            raise Failure(f'devicectl {" ".join(map(str, args))} failed ({proc.returncode}): '
                          f'{(proc.stderr.strip() + " " + proc.stdout.strip()).strip()}')
        return proc.stdout


def expect(condition, text):
    if not condition:
        raise Failure(text)


def poll(condition, what, timeout=8.0, show=None):
    """Calls condition until it gives a true value and returns it;
    fails after timeout seconds, listing what show() saw meanwhile."""
    deadline = time.monotonic() + timeout
    seen = []
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        if show:
            seen.append(show())
        time.sleep(0.2)
    raise Failure(f'timed out waiting for {what}' + (f'; saw {seen}' if seen else ''))


def run_case(cases):
    """Runs the case named by the first argument (a function case_NAME in cases)."""
    name = sys.argv[1] if len(sys.argv) > 1 else ''
    case = cases.get('case_' + name)
    if not case:
        print(f'unknown case {name!r}', file=sys.stderr)
        return 2
    started = time.monotonic()
    try:
        case()
    except Failure as e:
        print(f'FAIL {name}: {e}', file=sys.stderr)
        return 1
    except Exception as e:  # a broken answer from the device is a failure too
        print(f'FAIL {name}: {type(e).__name__}: {e}', file=sys.stderr)
        return 1
    print(f'ok {name} ({time.monotonic() - started:.1f} s)')
    return 0


# ---------------------------------------------------------------- the device's screen, menus and dialogs

def parse_windows(text, hidden=False):
    """devicectl windows: top-level windows (front first; the visible ones unless
    hidden is set), Today items, screen."""
    state = {'windows': [], 'items': [], 'screen': None}
    for line in text.splitlines():
        f = line.split('|')
        if f[0] == 'window' and len(f) >= 9:
            visible = len(f) < 12 or f[10] == '1'
            if not visible and not hidden:
                continue
            state['windows'].append(dict(cls=f[1], title=f[2], x=int(f[3]), y=int(f[4]), w=int(f[5]), h=int(f[6]),
                                         pid=int(f[7]), foreground=f[8] == '1',
                                         process=f[9] if len(f) >= 12 else '', visible=visible,
                                         minimized=len(f) >= 12 and f[11] == '1'))
        elif f[0] == 'item' and len(f) >= 8:
            state['items'].append(dict(cls=f[1], title=f[2], x=int(f[3]), y=int(f[4]), w=int(f[5]), h=int(f[6]),
                                       visible=f[7] == '1'))
        elif f[0] == 'screen':
            state['screen'] = [int(v) for v in f[1:]]
    return state


def parse_menus(text):
    """devicectl menu --raw: the open menus, first level first, with their items."""
    menus = []
    for line in text.splitlines():
        f = line.split('|')
        if f[0] == 'menu' and len(f) >= 7:
            menus.append(dict(level=int(f[1]), rect=tuple(int(v) for v in f[2:6]), items=[]))
        elif f[0] == 'item' and len(f) >= 10 and menus:
            menus[-1]['items'].append(dict(index=int(f[2]), id=int(f[3]),
                                           flags=set() if f[4] == '-' else set(f[4].split(',')),
                                           rect=tuple(int(v) for v in f[5:9]), text='|'.join(f[9:])))
    return menus


def parse_dialogs(text):
    """devicectl dialog --raw: the open dialogs, front first, with texts and buttons."""
    dialogs = []
    for line in text.splitlines():
        f = line.split('|')
        if f[0] == 'dialog' and len(f) >= 8:
            dialogs.append(dict(rect=tuple(int(v) for v in f[2:6]), foreground=f[6] == '1', title='|'.join(f[7:]),
                                texts=[], buttons=[]))
        elif f[0] == 'text' and dialogs:
            dialogs[-1]['texts'].append('|'.join(f[1:]))
        elif f[0] == 'button' and len(f) >= 9 and dialogs:
            dialogs[-1]['buttons'].append(dict(id=int(f[2]), rect=tuple(int(v) for v in f[3:7]),
                                               enabled=f[7] == '1', text='|'.join(f[8:]).replace('&', '')))
    return dialogs


def write_settings_text(path, text):
    """Writes a settings file as the launcher keeps it: UTF-16LE with a byte-order
    mark and CR LF line ends."""
    path = Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(b'\xff\xfe' + text.replace('\r\n', '\n').replace('\n', '\r\n').encode('utf-16-le'))


def read_settings_text(path):
    data = Path(path).read_bytes()
    if data[:2] == b'\xff\xfe':
        return data[2:].decode('utf-16-le')
    return data.decode('utf-8', 'replace')


def settings_sections(text):
    """Section name -> {key: value}, in the order of the file."""
    sections, current = {}, None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith('[') and line.endswith(']'):
            current = sections.setdefault(line[1:-1], {})
        elif current is not None and '=' in line:
            key, value = line.split('=', 1)
            current[key] = value
    return sections


def check_settings_file(path, build):
    """norvane-ini check on a settings file (the native tool, or the Windows one
    under the tree's Wine): (passed, report)."""
    native = Path(build).resolve().parent / 'native' / 'tools' / 'norvane-ini' / 'norvane-ini'
    if native.exists():
        proc = subprocess.run([str(native), 'check', str(path)], stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, timeout=60)
    else:
        tool = Path(build) / 'tools' / 'norvane-ini' / 'norvane-ini.exe'
        wine_path = 'Z:' + str(Path(path).resolve()).replace('/', '\\')
        proc = subprocess.run([str(Path(build) / 'wine-run'), str(tool), 'check', wine_path],
                              stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=120)
    return proc.returncode == 0, (proc.stdout + proc.stderr).strip()
