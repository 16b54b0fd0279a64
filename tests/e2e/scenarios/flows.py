"""Running the installer in a scenario: staged, started, stepped through, waited for."""
import os
import time

from .installer_ui import DIALOG_TIMEOUT_MS


def run_installer(session, kind="linked", options=None, args=(), steps=None):
    """Stages and starts setup.exe, runs `steps(session)` while it runs, and checks its exit code 0."""
    path = session.stage_installer(kind, options)
    process = session.start(path, args)
    if steps:
        steps(session)
    code = session.wait_exit(process, "setup.exe", timeout=DIALOG_TIMEOUT_MS // 1000 + 30)
    session.equal(code, 0, "setup.exe exit code")
    return code


def wait_for_lines(path, count, timeout=10.0):
    """Waits until the started program has logged `count` lines (it runs on after the installer ends)."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if os.path.exists(path):
            with open(path, "rb") as log:
                if log.read().count(b"\r\n") >= count:
                    return True
        time.sleep(0.1)
    return False
