"""What the scenarios need from the build: the installers, the driver, the probe, the payload."""
import os
import shutil
import subprocess
import threading

from . import payload
from .wine import I386, pe_machine


# The "hostile-name" installer: a harmless first entry, then one that points above the destination.
HOSTILE_FIRST_ENTRY = ("first.txt", b"written before the hostile entry")
HOSTILE_NAME = "..\\escaped.txt"

# The "latin1-names" installer: the build's lume32.exe and these files ("sub/file" in a subfolder),
# packed from a folder by the pack tool. Each name is one that Windows-1252 holds and UTF-8 spells
# otherwise, and that the console's code page 437 (what `reg query` prints in) holds too.
LATIN1_FILES = (("naïve.txt", b"na\xefve: stored in Windows-1252\r\n"), ("Ölbild.png", bytes(range(256))),
                ("Bücher/Größe.txt", b"in a subfolder\r\n"))


class Artifacts:
    """One build's installers and payload. The driver and the probe come from `tools_dir`, a win64
    build (default `build_dir` itself): they stay 64-bit, also beside the 32-bit installer."""

    def __init__(self, build_dir, work_root, screenshot_dir=None, tools_dir=None):
        self.build_dir = build_dir
        self.work_root = work_root
        self.screenshot_dir = screenshot_dir
        self.setup_exe = os.path.join(build_dir, "setup.exe")
        tools_dir = tools_dir or build_dir
        self.driver_exe = os.path.join(tools_dir, "e2e-driver", "dialog_driver.exe")
        self.probe_exe = os.path.join(tools_dir, "e2e-driver", "probe_dialog.exe")
        self.registry_link_exe = os.path.join(tools_dir, "e2e-driver", "registry_link.exe")
        self.hold_file_exe = os.path.join(tools_dir, "e2e-driver", "hold_file.exe")
        self.lumepack = os.path.join(build_dir, "native-tools", "lumepack")
        self._lock = threading.RLock()  # a variant may be made from the payload, read under the same lock
        self._variants = {}
        self._entries = None
        self._bitness = None

    @property
    def bitness(self):
        """"i686" for the product's build (win32), "x64" for the twin's (win64), as setup.exe's header says."""
        if self._bitness is None:
            self._bitness = "i686" if pe_machine(self.setup_exe) == I386 else "x64"
        return self._bitness

    def _variant_path(self, kind):
        return os.path.join(self.work_root, "setup-%s-%s.exe" % (kind, self.bitness))

    def installer(self, kind):
        """'linked' is the build's setup.exe; 'packed' the same build's stub with the payload added by
        the pack tool; 'no-payload', 'damaged' (its zlib header) and 'damaged-end' (a byte in its last
        kilobyte) are copies made from setup.exe; 'latin1-names' the stub packed here from a folder of
        LATIN1_FILES; 'signed' setup.exe signed afterwards with a throw-away certificate."""
        if kind == "linked":
            return self.setup_exe
        if kind == "packed":
            return os.path.join(os.path.dirname(self.setup_exe), "setup-packed.exe")
        if kind == "hostile-name":
            with self._lock:
                if kind not in self._variants:
                    path = self._variant_path(kind)
                    payload.write_with_hostile_name(self.setup_exe, HOSTILE_FIRST_ENTRY, HOSTILE_NAME, path)
                    self._variants[kind] = path
                return self._variants[kind]
        makers = {"no-payload": payload.write_without_payload, "damaged": payload.write_with_damaged_payload,
                  "damaged-end": payload.write_with_damaged_end, "latin1-names": self._pack_latin1_names,
                  "signed": self._sign}
        with self._lock:
            if kind not in self._variants:
                path = self._variant_path(kind)
                makers[kind](self.setup_exe, path)
                self._variants[kind] = path
            return self._variants[kind]

    @property
    def planted_dll(self):
        """The marker DLL of this build's bitness (made by the win64 build beside the driver)."""
        return os.path.join(os.path.dirname(self.driver_exe), "planted-%s.dll" % self.bitness)

    def latin1_entries(self):
        """[(entry name, data)] that the "latin1-names" installer must carry, as Windows names them."""
        entries = [("lume32.exe", dict(self.entries())["lume32.exe"])]
        for relative, data in LATIN1_FILES:
            folder, _, name = relative.rpartition("/")
            entries.append((name + ("!" + folder if folder else ""), data))
        return entries

    def _pack_latin1_names(self, setup_exe, output_path):
        folder = output_path + ".folder"
        for relative, data in [("lume32.exe", dict(self.entries())["lume32.exe"])] + list(LATIN1_FILES):
            path = os.path.join(folder, *relative.split("/"))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as packed:
                packed.write(data)
        stub = os.path.join(os.path.dirname(setup_exe), "setup-stub.exe")
        packing = subprocess.run([self.lumepack, "installer", "--stub", stub, "-o", output_path, folder],
                                 stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if packing.returncode != 0:
            raise RuntimeError("lumepack failed: " + packing.stdout.decode(errors="replace"))

    def _sign(self, setup_exe, output_path):
        """Signs a copy with osslsigncode and a self-signed code-signing certificate made for this run."""
        key, certificate = output_path + ".key.pem", output_path + ".cert.pem"
        for command in (["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out",
                         certificate, "-days", "2", "-subj", "/CN=MoraLUME throw-away signer",
                         "-addext", "keyUsage=digitalSignature", "-addext", "extendedKeyUsage=codeSigning"],
                        ["osslsigncode", "sign", "-certs", certificate, "-key", key, "-n", "MoraLUME Setup",
                         "-in", setup_exe, "-out", output_path]):
            done = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            if done.returncode != 0:
                raise RuntimeError("%s failed: %s" % (command[0], done.stdout.decode(errors="replace")))

    def has_payload(self):
        return payload.read_payload(self.setup_exe) is not None

    def entries(self):
        """[(entry name, data)] of the payload linked into setup.exe."""
        with self._lock:
            if self._entries is None:
                resource = payload.read_payload(self.setup_exe)
                if resource is None:
                    raise RuntimeError(self.setup_exe + " carries no payload")
                self._entries = payload.unpack_archive(resource)
            return self._entries

    def total_size(self):
        """The archive header's total, which the path dialog shows in K."""
        return payload.archive_header(payload.read_payload(self.setup_exe))[1]

    def publish_screenshot(self, name, path):
        if self.screenshot_dir:
            with self._lock:
                os.makedirs(self.screenshot_dir, exist_ok=True)
                shutil.copy(path, os.path.join(self.screenshot_dir, name + ".png"))
