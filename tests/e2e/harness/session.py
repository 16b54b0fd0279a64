"""One scenario's world: its own prefix copy, the installer staged in C:\\e2e, the driver, the checks."""
import os
import shutil
import subprocess
import time

from .driver import Driver
from .prefix import user_folder
from .registry import Registry
from .screenshot import save_dialog_png
from .wine import Wine, loader_for

STAGE = "e2e"  # C:\e2e holds the installer, its options file and the driver


class ScenarioStop(Exception):
    """A check that later steps cannot do without has failed."""


class Session:
    def __init__(self, name, run_dir, prefix, home, display, artifacts, label=None):
        self.name = name
        self.label = label  # "i686" or "x64" where the scenario runs for each build; names its pictures
        if label and artifacts.bitness != label:
            raise RuntimeError("%s is %s, not %s" % (artifacts.setup_exe, artifacts.bitness, label))
        self.run_dir = run_dir
        self.display = display
        self.artifacts = artifacts
        self.failures = []
        self.notes = []
        logs = os.path.join(run_dir, "logs")
        os.makedirs(logs, exist_ok=True)
        self.wine = Wine(prefix, display, home, logs)
        self.stage = os.path.join(self.wine.drive_c, STAGE)
        os.makedirs(self.stage, exist_ok=True)
        shutil.copy(artifacts.driver_exe, os.path.join(self.stage, "dialog_driver.exe"))
        self.driver = Driver(self.wine, "C:\\%s\\dialog_driver.exe" % STAGE)
        self.registry = Registry(self.wine)
        self._desktop_up = False

    # --- checks -------------------------------------------------------------------------------
    def check(self, condition, what):
        if not condition:
            self.failures.append(what)
        return bool(condition)

    def equal(self, actual, expected, what):
        return self.check(actual == expected, "%s: expected %r, got %r" % (what, expected, actual))

    def require(self, condition, what):
        if not self.check(condition, what):
            raise ScenarioStop(what)

    def note(self, text):
        self.notes.append(text)

    # --- paths --------------------------------------------------------------------------------
    def host_path(self, windows_path):
        """The host path of C:\\... inside this prefix."""
        if not windows_path[:3].upper() == "C:\\":
            raise ValueError("only drive C exists here: " + windows_path)
        return os.path.join(self.wine.drive_c, *[part for part in windows_path[3:].split("\\") if part])

    def programs_folder(self):
        return os.path.join(user_folder(self.wine.prefix), "AppData", "Roaming", "Microsoft", "Windows",
                            "Start Menu", "Programs")

    # --- programs -----------------------------------------------------------------------------
    def stage_program(self, host_exe, name):
        shutil.copy(host_exe, os.path.join(self.stage, name))
        return "C:\\%s\\%s" % (STAGE, name)

    def stage_installer(self, kind="linked", options=None):
        """Puts an installer (and, given option lines, tovaopt.ini) into C:\\e2e; returns its Windows path."""
        path = self.stage_program(self.artifacts.installer(kind), "setup.exe")
        if options is not None:
            with open(os.path.join(self.stage, "tovaopt.ini"), "w", newline="\r\n") as options_file:
                options_file.write("".join(line + "\n" for line in options))
        return path

    def wait_for_desktop(self, timeout_ms=30000):
        """Wine's desktop, and with it the "progman" DDE server, up before the installer starts."""
        if self._desktop_up:
            return
        run = self.driver.run(["progman", timeout_ms])
        self.require(run.ok, "Wine's desktop did not come up: %s" % run.failure)
        self._desktop_up = True

    def start(self, windows_exe, args=(), host_exe=None, env=None, cwd=None):
        """Starts a program of drive C under the loader of its bitness; `host_exe` names the file
        when `windows_exe` is a form that the host cannot resolve (a short path); `env`, variables
        for it alone; `cwd`, a folder of drive C to start it in (C:\\e2e by default)."""
        self.wait_for_desktop()
        loader = loader_for(host_exe or self.host_path(windows_exe))
        process, _ = self.wine.start([windows_exe] + list(args), os.path.basename(windows_exe.replace("\\", "/")),
                                     cwd=self.host_path(cwd) if cwd else self.stage, loader=loader, env=env)
        return process

    def wait_exit(self, process, what, timeout=60):
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.failures.append("%s still running after %s s" % (what, timeout))
            process.kill()
            process.wait()
            return None

    def drive(self, *commands, expect_ok=True, timeout=120):
        run = self.driver.run(*commands, timeout=timeout)
        if expect_ok:
            self.require(run.ok, "driver: %s" % run.failure)
        return run

    def screenshot(self, name, rect):
        path = os.path.join(self.run_dir, name + ".png")
        save_dialog_png(self.display, rect, path)
        self.artifacts.publish_screenshot(name + ("-" + self.label if self.label else ""), path)
        return path

    def rights(self, windows_path):
        """The owner and DACL of a file or folder as SDDL, as Wine reads them back."""
        run = self.drive(["rights", windows_path])
        return run.of_kind("rights")[0]["sddl"]

    def short_and_long(self, windows_path):
        run = self.drive(["paths", windows_path])
        found = run.of_kind("paths")[0]
        return found["short"], found["long"]

    # --- ending -------------------------------------------------------------------------------
    def finish(self, timeout=25):
        """Closes the folder windows that Wine's shell leaves open, then waits for every Wine process.

        The shell opens a group's window a little after accepting the command, so closing is
        repeated until the Wine server has ended; after `timeout` seconds everything is killed."""
        started = time.monotonic()
        while True:
            if self._desktop_up:
                self.driver.run(["closeclass", "ExplorerWClass"], timeout=30)
            if self.wine.server("-w", timeout=3) == 0:
                break
            if time.monotonic() - started > timeout:
                self.note("Wine processes outlived %s s and were killed" % timeout)
                self.wine.kill_all()
                break
        self._desktop_up = False
        return time.monotonic() - started
