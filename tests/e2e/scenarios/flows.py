"""Running the installer in a scenario: staged, started, stepped through, waited for."""
import os
import time

from .installer_ui import DIALOG_TIMEOUT_MS


# The installer's exit codes.
COMPLETED, NOT_BEGUN, CANCELLED, FAILED = 0, 1, 2, 3


# Starts setup.exe with a command line as it stands, handing on its exit code.
LAUNCHER = "C:\\e2e\\run.bat"


def run_installer(session, kind="linked", options=None, args=(), steps=None, exit_code=COMPLETED, env=None,
                  cwd=None, as_typed=False):
    """Stages and starts setup.exe (with the variables `env`, in the folder `cwd`), runs `steps(session)` while
    it runs, and checks its exit code. `as_typed`: the arguments reach it as they stand, quotes and all, through
    a batch file that cmd runs and waits for; Wine would quote and escape each argument it is handed."""
    path = session.stage_installer(kind, options)
    if as_typed:
        with open(session.host_path(LAUNCHER), "w", newline="\r\n") as batch:
            batch.write('@"%s" %s\n@exit %%ERRORLEVEL%%\n' % (path, " ".join(args)))
        process = session.start("C:\\windows\\system32\\cmd.exe", ["/c", LAUNCHER], env=env, cwd=cwd)
    else:
        process = session.start(path, args, env=env, cwd=cwd)
    if steps:
        steps(session)
    code = session.wait_exit(process, "setup.exe", timeout=DIALOG_TIMEOUT_MS // 1000 + 30)
    session.equal(code, exit_code, "setup.exe exit code")
    if as_typed:
        os.remove(session.host_path(LAUNCHER))
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
