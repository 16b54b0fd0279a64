"""Running programs in one Wine prefix, and ending every Wine process of it.

The prefix is a WoW64 one (WINEARCH=win64, made by wine64): 64-bit programs run under wine64,
32-bit ones under wine32's loader, and one wineserver (the 64-bit one) serves both."""
import os
import shutil
import struct
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
WINE32 = "/usr/lib/wine/wine"  # from wine32:i386, where the kernel runs 32-bit code
RUNS_32BIT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "scripts", "runs-32bit.sh")

I386, AMD64 = 0x14C, 0x8664


def pe_machine(path):
    """The machine field of a PE file's header: I386 or AMD64 for ours."""
    with open(path, "rb") as exe:
        head = exe.read(4096)
    pe = struct.unpack_from("<I", head, 0x3C)[0]
    if head[:2] != b"MZ" or head[pe:pe + 4] != b"PE\0\0":
        raise ValueError(path + " is not a PE file")
    return struct.unpack_from("<H", head, pe + 4)[0]


def loader_for(host_exe):
    """wine32's loader for a 32-bit program, wine64 for a 64-bit one."""
    machine = pe_machine(host_exe)
    if machine == AMD64:
        return WINE64
    if machine == I386:
        if not os.access(WINE32, os.X_OK):
            raise RuntimeError("%s is a 32-bit program and wine32 is not installed (%s)" % (host_exe, WINE32))
        return WINE32
    raise ValueError("%s is for machine %#x, neither i386 nor x86-64" % (host_exe, machine))


def why_no_wine32():
    """None where 32-bit programs can run here; otherwise why not, in a few words."""
    probe = subprocess.run(["bash", RUNS_32BIT], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, text=True)
    if probe.returncode != 0:
        return probe.stdout.strip() or "scripts/runs-32bit.sh failed (%d)" % probe.returncode
    if not os.access(WINE32, os.X_OK):
        return "wine32 is not installed (no %s)" % WINE32
    return None


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

    def start(self, args, name, cwd=None, loader=WINE64, env=None):
        """Starts `loader` (wine64 or wine32's) with `args` in the background; returns (process, stdout path).
        `env` holds variables for this program alone, over the prefix's."""
        out_path, err_path = self._log_paths(name)
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            process = subprocess.Popen([loader] + list(args), env=dict(self.env, **(env or {})),
                                       cwd=cwd or self._default_cwd(),
                                       stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        return process, out_path

    def run(self, args, name, timeout=60, cwd=None, loader=WINE64):
        """Runs `loader` with `args` to its end; returns (exit code, stdout bytes)."""
        process, out_path = self.start(args, name, cwd, loader)
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

    def _wineboot_running(self):
        wanted = ("WINEPREFIX=%s" % self.prefix).encode()
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as cmdline, open("/proc/%s/environ" % pid, "rb") as environ:
                    if b"wineboot" in cmdline.read().lower() and wanted in environ.read().split(b"\0"):
                        return True
            except OSError:
                continue
        return False

    def wait_for_wineboot(self, timeout=30):
        """Waits while the wineboot that a fresh Wine server starts still runs in this prefix: it carries
        out the deletes waiting for a restart, so a program that asks for one must not race it."""
        deadline = time.monotonic() + timeout
        while self._wineboot_running() and time.monotonic() < deadline:
            time.sleep(0.1)

    def kill_all(self):
        self.server("-k", timeout=10)
        self.server("-w", timeout=10)
