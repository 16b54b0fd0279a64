"""Silent installations, steered by tovaopt.ini beside the installer."""
import glob
import os
import re
import shutil
import subprocess

from harness.payload import signature_and_checksum
from harness.prefix import user_folder

from . import scenario
from .flows import CANCELLED, run_installer
from .install_checks import (EVERYONE_ENTRY, Expected, check_install_log, check_installed, check_nothing_installed,
                             check_protected, gather)

# Folders open to everyone before the installation, as a user or an earlier installation may leave them.
OPEN_FOLDERS = ("C:\\MLUME", "C:\\MLUME\\SCRIPTS")
# A log named on the command line in quotes, for the blank.
QUOTED_LOG = "C:\\e2e\\Deploy Logs\\viewer.log"
EARLIER_PNG = "pngfile"
OPTIONS_READ = "Options read from C:\\e2e\\tovaopt.ini: %d"


@scenario("silent-defaults", "sSilent=1 into C:\\MLUME and SCRIPTS left open before, .png of another class, "
          "-log=\"PATH\": files, records, all ten types, group, tova.opt, -Q then the final start; both folders "
          "taken over; each step in the log")
def silent_defaults(session):
    session.registry.add("HKCR\\.png", EARLIER_PNG)
    session.finish()  # the registry on disk, where Expected reads each type's class from
    expected = Expected(session, options=[("sSilent", "1")])
    session.equal(expected.baseline[".png"], EARLIER_PNG, "class of .png before")
    for folder in OPEN_FOLDERS:
        os.makedirs(session.host_path(folder))
        os.chmod(session.host_path(folder), 0o777)
        session.require(EVERYONE_ENTRY in session.rights(folder), "%s open to Everyone before" % folder)
    os.makedirs(session.host_path(QUOTED_LOG.rpartition("\\")[0]))
    switch = '-log="%s"' % QUOTED_LOG
    run_installer(session, options=["sSilent=1"], args=[switch], as_typed=True)
    check_protected(session, OPEN_FOLDERS)
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)
    check_install_log(session, expected, state, QUOTED_LOG, [
        "Log: %s, asked for by the command line" % QUOTED_LOG, "MoraLUME Setup started, command line: " + switch,
        OPTIONS_READ % 1])


@scenario("silent-packed", "the stub packed by the pack tool installs exactly like the linked setup.exe")
def silent_packed(session):
    expected = Expected(session, options=[("sSilent", "1")])
    run_installer(session, kind="packed", options=["sSilent=1"])
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)


@scenario("signed-installer", "setup.exe signed afterwards (osslsigncode, a throw-away certificate): lumepack verify "
          "reads it, and it installs exactly like the unsigned one")
def signed_installer(session):
    expected = Expected(session, options=[("sSilent", "1")])
    signed = session.artifacts.installer("signed")
    signature, checksum = signature_and_checksum(signed)
    session.require(signature > 0 and checksum, "the signed copy carries a signature (%d bytes) and the payload's "
                    "checksum (%s)" % (signature, checksum))
    verify = subprocess.run([session.artifacts.lumepack, "verify", signed], stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    session.equal(verify.returncode, 0, "lumepack verify exit code (%s)" % verify.stdout.strip())
    run_installer(session, kind="signed", options=["sSilent=1"])
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)


@scenario("silent-assoc-0", "sSilent=1 and sAssoc=0: installed, the open command, no type associated")
def silent_assoc_0(session):
    expected = Expected(session, associated=(), options=[("sSilent", "1"), ("sAssoc", "0")])
    run_installer(session, options=["sSilent=1", "sAssoc=0"])
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)


@scenario("silent-assoc-minus-1", "sSilent=1 and sAssoc=-1: the run ends at the checklist, nothing installed")
def silent_assoc_minus_1(session):
    expected = Expected(session, starts=())
    run_installer(session, options=["sSilent=1", "sAssoc=-1"], exit_code=CANCELLED)
    state = gather(session, expected)
    session.finish()
    check_nothing_installed(session, expected, state)


@scenario("silent-no-boxes", "sSilent=1, sNoMsgBox=1 and sLog: installed completely, the -Q start only, no final "
          "start; each step in the log")
def silent_no_boxes(session):
    log = "C:\\e2e\\install.log"
    options = [("sSilent", "1"), ("sNoMsgBox", "1"), ("sLog", log)]
    expected = Expected(session, options=options, starts=("-Q",))
    run_installer(session, options=["%s=%s" % option for option in options])
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)
    check_install_log(session, expected, state, log, [
        "Log: %s, asked for by the option sLog" % log, "MoraLUME Setup started, command line: ",
        OPTIONS_READ % len(options)], no_boxes=True)


@scenario("latin1-names", "a stub packed here from files named naïve.txt, Ölbild.png, Bücher/Größe.txt, with a bare "
          "-log: exact names, bytes and records; the names in the log in the ANSI code page")
def latin1_names(session):
    expected = Expected(session, options=[("sSilent", "1")], entries=session.artifacts.latin1_entries())
    # The user's TEMP as Wine 8 sets it (HKCU\\Environment): %USERPROFILE%\\Temp.
    temp = os.path.join(user_folder(session.wine.prefix), "Temp")
    before = set(os.listdir(temp)) if os.path.isdir(temp) else set()
    run_installer(session, kind="latin1-names", options=["sSilent=1"], args=["-log"])
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)
    made = sorted(set(os.listdir(temp)) - before)
    session.require(len(made) == 1 and re.fullmatch(r"MoraLUME Setup [0-9A-F]{16}\.log", made[0]),
                    "one new log in the TEMP folder: %r" % made)
    log = session.wine.windows_path(os.path.join(temp, made[0]))
    check_install_log(session, expected, state, log, [
        "Log: %s, asked for by the command line" % log, "MoraLUME Setup started, command line: -log",
        OPTIONS_READ % 1])


# Loaded by name once WinMain runs: the theme library when the first window is made, and the display
# driver. Wine prefers a copy beside the program where the override says native first.
PLANTED_DLLS = ("uxtheme.dll", "winex11.drv")


@scenario("planted-dll", "uxtheme.dll and winex11.drv planted beside setup.exe, native first: loaded from the "
          "system folder only")
def planted_dll(session):
    expected = Expected(session, options=[("sSilent", "1")])
    for name in PLANTED_DLLS:
        shutil.copy(session.artifacts.planted_dll, os.path.join(session.stage, name))
    session.wait_for_desktop()  # before the override: the driver lives in C:\\e2e too
    overrides = session.wine.env["WINEDLLOVERRIDES"] + ";uxtheme,winex11.drv=n,b"
    run_installer(session, options=["sSilent=1"], env={"WINEDLLOVERRIDES": overrides, "WINEDEBUG": "+loaddll"})
    markers = sorted(name for name in os.listdir(session.stage) if name.endswith(".loaded"))
    session.equal(markers, [], "markers of planted DLLs that were loaded")
    # Wine's trace of setup.exe: each name was looked for, and found in the system folder.
    with open(sorted(glob.glob(os.path.join(session.wine.log_dir, "*-setup.exe.err")))[-1], "rb") as trace:
        loads = re.findall(r'^([0-9a-f]+):trace:loaddll:build_module Loaded L"(.*?)"', trace.read().decode("latin-1"),
                           re.M)
    session.require(loads and loads[0][1].lower().endswith("\\\\setup.exe"), "the trace begins with setup.exe")
    process = loads[0][0]
    found = [path.replace("\\\\", "\\").lower() for pid, path in loads if pid == process]
    for name in PLANTED_DLLS:
        session.equal([path for path in found if path.endswith("\\" + name)], ["c:\\windows\\system32\\" + name],
                      "where setup.exe loaded %s from" % name)
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)
