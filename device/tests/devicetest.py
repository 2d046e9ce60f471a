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
            raise Failure(f'devicectl {" ".join(map(str, args))} failed ({proc.returncode}): {proc.stderr.strip()}')
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
