"""Running the installer in a scenario: staged, started, stepped through, waited for."""
import os
import time

from .installer_ui import DIALOG_TIMEOUT_MS


# The installer's exit codes.
COMPLETED, NOT_BEGUN, CANCELLED, FAILED = 0, 1, 2, 3


def run_installer(session, kind="linked", options=None, args=(), steps=None, exit_code=COMPLETED, env=None,
                  cwd=None):
    """Stages and starts setup.exe (with the variables `env`, in the folder `cwd`), runs `steps(session)` while
    it runs, and checks its exit code."""
    path = session.stage_installer(kind, options)
    process = session.start(path, args, env=env, cwd=cwd)
    if steps:
        steps(session)
    code = session.wait_exit(process, "setup.exe", timeout=DIALOG_TIMEOUT_MS // 1000 + 30)
    session.equal(code, exit_code, "setup.exe exit code")
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
