"""One silent installation under Wine, reported readably: what landed where.

    python3 show_install.py --build-dir WIN64-BUILD [--build-dir32 WIN32-BUILD] [--keep DIR]

Runs WIN32-BUILD/setup.exe, the product, under wine32 where this kernel runs 32-bit code, and
otherwise (or without --build-dir32) its twin WIN64-BUILD/setup.exe under wine64; one line says
which and, for the twin, why. The installer runs with "sSilent=1" in tovaopt.ini, in a throwaway WoW64 prefix on a private Xvfb, then prints the
destination's files, the registry records read back with Wine's `reg query` (the uninstall entry
where the installer's bitness puts it), the Program Manager group's shortcuts, tova.opt decoded
and the program's starts.
The same checks as the end-to-end scenario "silent-defaults" decide the exit code: 0 when the
installation landed completely, 1 otherwise (the prefix then stays in DIR, default runs/).
"""
import argparse
import os
import shutil
import struct
import sys
import tempfile
import time
import traceback

from harness.artifacts import Artifacts
from harness.payload import installed_path
from harness.prefix import build_template
from harness.session import ScenarioStop, Session
from harness.shortcuts import read_shortcut
from harness.wine import Wine, why_no_wine32
from harness.xvfb import Xvfb
from scenarios.flows import run_installer
from scenarios.install_checks import (CLASS_KEY, EXTENSIONS, GROUP, LOG, OPTIONS_FILE, Expected, check_installed,
                                      gather, join, uninstall_keys)

HERE = os.path.dirname(os.path.abspath(__file__))
PROJECT = os.path.dirname(os.path.dirname(HERE))
OPTIONS = ["sSilent=1"]


def heading(text):
    print()
    print("== " + text)


def decode_options(data):
    """[(name, value)] from tova.opt: a 16-bit count, then NUL-terminated names and values."""
    if len(data) < 2:
        raise ValueError("%d bytes, shorter than the count" % len(data))
    count = struct.unpack_from("<H", data, 0)[0]
    strings = data[2:].split(b"\0")
    if len(strings) < 2 * count + 1 or strings[2 * count:] != [b""]:
        raise ValueError("the count %d does not match the %d strings that follow" % (count, len(strings) - 1))
    text = [item.decode("latin-1") for item in strings[:2 * count]]
    return list(zip(text[0::2], text[1::2]))


def show_files(session, expected):
    destination = session.host_path(expected.destination)
    heading("Files in %s" % expected.destination)
    packed = {installed_path(name).replace("\\", "/"): data for name, data in session.artifacts.entries()}
    present = []
    for folder, _, files in os.walk(destination):
        for file_name in files:
            present.append(os.path.relpath(os.path.join(folder, file_name), destination))
    if not present:
        print("  (nothing)")
    for relative in sorted(present, key=lambda path: (path.count("/"), path.lower())):
        with open(os.path.join(destination, relative), "rb") as installed:
            data = installed.read()
        if relative in packed:
            verdict = "same bytes as packed" if data == packed[relative] else "DIFFERS from the packed file"
        elif relative == OPTIONS_FILE:
            verdict = "written by the installer"
        elif relative == LOG:
            verdict = "written by the started program"
        else:
            verdict = "NOT IN THE PAYLOAD"
        print("  %9d  %-24s %s" % (len(data), relative.replace("/", "\\"), verdict))
    for relative in sorted(set(packed) - set(present)):
        print("  %9s  %-24s MISSING (packed, %d bytes)" % ("-", relative.replace("/", "\\"), len(packed[relative])))


def _values(tree, key):
    full = key.replace("HKCR\\", "HKEY_CLASSES_ROOT\\").replace("HKLM\\", "HKEY_LOCAL_MACHINE\\")
    return (tree or {}).get(full)


def _default(tree, key):
    values = _values(tree, key)
    return None if values is None else values.get("", (None, ""))[1]


def _shown(value):
    if value is None:
        return "(no key)"
    return value if value else "(empty)"


def show_registry(state, uninstall_key):
    tree = state["class"]
    heading("Registry (read back with reg query)")
    print("  %s" % CLASS_KEY)
    print("    default value      %s" % _shown(_default(tree, CLASS_KEY)))
    print("    shell\\open\\command %s" % _shown(_default(tree, CLASS_KEY + "\\shell\\open\\command")))
    print("  associations: HKCR\\<ext> default value; backup of the earlier class under license\\ins<ext>"
          " ((empty): there was none)")
    for extension in EXTENSIONS:
        backup = _default(tree, CLASS_KEY + "\\license\\ins" + extension)
        print("    %-5s %-16s backup %s" % (extension, _shown(state["extensions"][extension]), _shown(backup)))
    print("  %s" % uninstall_key)
    values = _values(state["uninstall"], uninstall_key)
    if values is None:
        print("    (no key)")
    for name, (kind, data) in sorted((values or {}).items()):
        print("    %-16s %-7s %s" % (name or "(Default)", kind, _shown(data)))
    prefix = "HKEY_CLASSES_ROOT\\MoraLUME_TOVA\\installed\\"
    records = sorted(key[len(prefix):] for key in (tree or {}) if key.startswith(prefix))
    print("  %s\\installed: %d installed-file records" % (CLASS_KEY, len(records)))
    for record in records:
        print("    " + record)


def show_group(session):
    folder = os.path.join(session.programs_folder(), GROUP)
    heading('Program Manager group "%s" (as Wine\'s shell made it)' % GROUP)
    if not os.path.isdir(folder):
        print("  (no group folder)")
        return
    links = sorted(os.listdir(folder))
    if not links:
        print("  (empty)")
    for name in links:
        try:
            link = read_shortcut(os.path.join(folder, name))
        except (OSError, ValueError) as error:
            print("  %s: unreadable (%s)" % (name, error))
            continue
        icon = link.icon_location if link.icon_location is not None else "(the target's)"
        print("  %s" % name)
        print("    target     %s%s" % (link.target, " " + link.arguments if link.arguments else ""))
        print("    icon       %s, index %d" % (icon, link.icon_index))


def show_options(session, expected):
    path = session.host_path(join(expected.destination, OPTIONS_FILE))
    heading("%s decoded" % OPTIONS_FILE)
    if not os.path.isfile(path):
        print("  (not written)")
        return
    with open(path, "rb") as options_file:
        data = options_file.read()
    try:
        pairs = decode_options(data)
    except ValueError as error:
        print("  malformed: %s" % error)
        return
    print("  count %d (%d bytes)" % (len(pairs), len(data)))
    for name, value in pairs:
        print("  %s=%s" % (name, value))


def show_starts(session, expected):
    path = session.host_path(join(expected.destination, LOG))
    heading("Starts of the installed program (%s)" % LOG)
    if not os.path.isfile(path):
        print("  (never started)")
        return
    with open(path, "rb") as log:
        for line in log.read().decode("latin-1").splitlines():
            print("  " + line)


def install_and_report(artifacts, work_root):
    xvfb = Xvfb(os.path.join(work_root, "xvfb.log"))
    display = xvfb.start()
    session = None
    try:
        # One prefix used directly: the template needs no copy when nothing else runs in it.
        root = os.path.join(work_root, "wine")
        build_template(root, display, lambda text: print("wine: " + text))
        session = Session("main", root, os.path.join(root, "prefix"), os.path.join(root, "home"), display,
                          artifacts)
        expected = Expected(session, options=[tuple(line.split("=", 1)) for line in OPTIONS])
        loader = "wine32" if artifacts.bitness == "i686" else "wine64"
        heading("Silent install under %s: C:\\e2e\\setup.exe (%s) with tovaopt.ini: %s"
                % (loader, artifacts.bitness, ", ".join(OPTIONS)))
        started = time.monotonic()
        try:
            run_installer(session, options=OPTIONS)
            state = gather(session, expected)
        except ScenarioStop:
            state = None
        session.finish()
        if state is not None:
            try:
                check_installed(session, expected, state)
            except ScenarioStop:
                pass
        print("  installer and every program it started ended after %.1f s" % (time.monotonic() - started))
        show_files(session, expected)
        if state is not None:
            show_registry(state, uninstall_keys(session)[0])
        show_group(session)
        show_options(session, expected)
        show_starts(session, expected)
        return session.failures
    finally:
        if session is not None:
            session.wine.kill_all()
        xvfb.stop()


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", required=True, help="the win64 build: the twin and the dialog driver")
    parser.add_argument("--build-dir32", help="the win32 build: the product, installed where it can run")
    parser.add_argument("--keep", default=os.path.join(HERE, "runs"), help="where a failed run's folder stays")
    options = parser.parse_args(argv)

    work_root = tempfile.mkdtemp(prefix="moralume-install-")
    build64 = os.path.abspath(options.build_dir)
    why_not = why_no_wine32() if options.build_dir32 else "no win32 build was given (--build-dir32)"
    if why_not:
        artifacts = Artifacts(build64, work_root)
        print("Installing the x64 twin %s under wine64: the 32-bit setup.exe cannot run here: %s"
              % (os.path.relpath(artifacts.setup_exe, PROJECT), why_not))
    else:
        artifacts = Artifacts(os.path.abspath(options.build_dir32), work_root, tools_dir=build64)
        print("Installing the real 32-bit %s under wine32" % os.path.relpath(artifacts.setup_exe, PROJECT))
    try:
        if not artifacts.has_payload():
            raise RuntimeError(artifacts.setup_exe + " carries no payload: nothing to install")
        failures = install_and_report(artifacts, work_root)
    except Exception:  # no payload, no display, no prefix: the installation cannot have landed
        traceback.print_exc()
        sys.stderr.flush()
        failures = ["the installation could not run"]
    heading("Verdict")
    if not failures:
        print("  installed completely: files byte-identical to the payload, records, group, tova.opt, starts")
        shutil.rmtree(work_root, ignore_errors=True)
        return 0
    for failure in failures:
        print("  FAILED: " + failure.replace("\n", "\n    "))
    kept = os.path.join(options.keep, "install-" + time.strftime("%Y%m%d-%H%M%S"))
    os.makedirs(options.keep, exist_ok=True)
    shutil.rmtree(os.path.join(work_root, "wine", "prefix", "drive_c", "windows"), ignore_errors=True)
    shutil.move(work_root, kept)
    shown = os.path.relpath(kept)
    print("  the run's folder stays in " + (kept if shown.startswith("..") else shown))
    return 1


if __name__ == "__main__":
    sys.exit(main())
