"""Running programs in one Wine prefix, and ending every Wine process of it."""
import os
import shutil
import subprocess
import time


def _first_existing(*candidates):
    for candidate in candidates:
        path = shutil.which(candidate) if "/" not in candidate else (candidate if os.path.exists(candidate) else None)
        if path:
            return path
    raise RuntimeError("none of %s found; is wine64 installed?" % ", ".join(candidates))


WINE64 = _first_existing("wine64", "/usr/lib/wine/wine64")
WINESERVER = _first_existing("/usr/lib/wine/wineserver64", "wineserver64", "wineserver")


class Wine:
    """A prefix with its display and private home; output always goes to files, never to pipes."""

    def __init__(self, prefix, display, home, log_dir):
        self.prefix = prefix
        self.log_dir = log_dir
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": prefix,
            "WINEARCH": "win64",
            "DISPLAY": display,
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
        })
        # One locale everywhere, so the installer's automatic language choice does not follow the host's.
        for variable in ("WINESERVER", "LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LANGUAGE"):
            self.env.pop(variable, None)
        self.env["LANG"] = "C.UTF-8"
        self._count = 0

    @property
    def drive_c(self):
        return os.path.join(self.prefix, "drive_c")

    def windows_path(self, host_path):
        """C:\\... for a host path inside this prefix's drive_c (the only drive there is)."""
        relative = os.path.relpath(host_path, self.drive_c)
        if relative.startswith(".."):
            raise ValueError(host_path + " lies outside drive C")
        return "C:\\" + ("" if relative == "." else relative.replace("/", "\\"))

    def _default_cwd(self):
        # A current directory inside drive C, so Wine can map it; before the prefix exists, home.
        return self.drive_c if os.path.isdir(self.drive_c) else self.env["HOME"]

    def _log_paths(self, name):
        self._count += 1
        stem = os.path.join(self.log_dir, "%02d-%s" % (self._count, name))
        return stem + ".out", stem + ".err"

    def start(self, args, name, cwd=None):
        """Starts wine64 with `args` in the background; returns (process, stdout path)."""
        out_path, err_path = self._log_paths(name)
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            process = subprocess.Popen([WINE64] + list(args), env=self.env, cwd=cwd or self._default_cwd(),
                                       stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        return process, out_path

    def run(self, args, name, timeout=60, cwd=None):
        """Runs wine64 with `args` to its end; returns (exit code, stdout bytes)."""
        process, out_path = self.start(args, name, cwd)
        try:
            code = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            code = None
        with open(out_path, "rb") as out:
            return code, out.read()

    def server(self, *args, timeout=None):
        command = [WINESERVER] + list(args)
        try:
            return subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return None

    def wait_all(self, timeout=20):
        """Waits for every Wine process of the prefix; kills them all when they outstay `timeout`."""
        started = time.monotonic()
        if self.server("-w", timeout=timeout) != 0:
            self.server("-k", timeout=10)
            self.server("-w", timeout=10)
            return False, time.monotonic() - started
        return True, time.monotonic() - started

    def kill_all(self):
        self.server("-k", timeout=10)
        self.server("-w", timeout=10)
