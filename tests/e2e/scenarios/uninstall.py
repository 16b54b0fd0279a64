"""Uninstalling with the sample's lume32.exe: the uninstall command read from the registry and run with
"-s", then the prefix compared with its state before the installation, once before Wine's restart (when
the program, its log and its folder are still waiting for their delayed delete) and once after it."""
import os
import shutil

from harness import snapshot

from . import scenario
from . import installer_ui as ui
from .flows import run_installer, wait_for_lines
from .install_checks import (LOG, PROGRAM, Expected, check_installed, gather, join, log_starts,
                             uninstall_keys)
from .interactive import click_through
from .prefix_changes import (PENDING, PENDING_VALUE, changes_since, pending_deletes, restart_wine,
                             state_before)

SILENT = "-s"
UNINSTALLED, DECLINED, PARTLY = 0, 1, 2
CAPTION = "Uninstall MoraLUME"
IDNO = 7


def _split_command(command):
    """(program, arguments) of a command line whose first word may be quoted."""
    if command.startswith('"'):
        program, _, rest = command[1:].partition('"')
    else:
        program, _, rest = command.partition(" ")
    return program, rest.split()


def _uninstall(session, expected, words=(SILENT,), exit_code=UNINSTALLED, steps=None, quiet=False):
    """Runs the entry's UninstallString with `words` added, or (`quiet`) its QuietUninstallString as it is."""
    own, _ = uninstall_keys(session)
    values = session.registry.query(own, view=64) or {}
    name = "QuietUninstallString" if quiet else "UninstallString"
    command = values.get(session.registry.full_name(own), {}).get(name, (None, ""))[1]
    wanted = expected.program_command + " . -u" + (" " + SILENT if quiet else "")
    session.require(command == wanted, "%s read back: %r" % (name, command))
    if quiet:
        words = ()
    program, arguments = _split_command(command)
    # The registry query may have started a fresh Wine server, and with it wineboot, which would carry
    # out the uninstaller's delayed deletes at once if it ran after them.
    session.wine.wait_for_wineboot()
    process = session.start(program, arguments + list(words))
    if steps:
        steps(session)
    session.equal(session.wait_exit(process, "lume32.exe -u"), exit_code, "lume32.exe -u exit code")
    session.finish()


def _decline(session, expected):
    """Asked without -s, the user answers No: only the start's log line differs."""
    session.finish()
    installed = snapshot.take(session.wine.prefix)

    def answer(s):
        run = ui.wait(s, CAPTION)
        s.check(expected.destination in ui.message_box_text(run), "the question names %s" % expected.destination)
        s.drive(["wait", CAPTION, 1000], ["press", IDNO], ["gone", 10000])

    _uninstall(session, expected, words=(), exit_code=DECLINED, steps=answer)
    session.equal(changes_since(session, installed), ["~ file %s" % join(expected.destination, LOG)],
                  "changes after answering No")


def _uninstall_scenario(session, expected, install, setup=None, after_install=None, kept=(), decline=False,
                        exit_code=UNINSTALLED, quiet=False):
    """`kept`: changes that stay for good, on top of Wine's bookkeeping; `quiet`: the entry's own quiet command."""
    if setup:
        setup(session)
    before = state_before(session)
    install(session)
    session.check(wait_for_lines(session.host_path(join(expected.destination, LOG)), len(expected.starts)),
                  "the installation's starts logged")
    if after_install:
        after_install(session)
    if decline:
        _decline(session, expected)
    _uninstall(session, expected, exit_code=exit_code, quiet=quiet)
    session.equal(log_starts(session, expected)[-1:], [". -u " + SILENT], "the uninstall's start logged")

    folder = expected.destination
    waiting = [join(folder, PROGRAM), join(folder, LOG), folder]
    session.equal(pending_deletes(session), [("\\??\\" + path, "") for path in waiting],
                  "deletes waiting for Wine's restart")
    session.equal(changes_since(session, before),
                  sorted(set(["+ file " + path for path in waiting] + ["+ value %s %s" % (PENDING, PENDING_VALUE)] +
                             list(kept))), "changes left until the restart")

    restart_wine(session)
    session.equal(changes_since(session, before), sorted(kept), "changes left after the restart")


def _silent_install(session):
    run_installer(session, options=["sSilent=1"])


VICTIM = "C:\\victim.txt"


def _plant_victim(session):
    with open(session.host_path(VICTIM), "w") as victim:
        victim.write("not the installer's")


@scenario("uninstall-fresh", "installed silently, \"No\" to the question changes nothing, then -u -s: nothing left; "
          "a planted record ..$victim.txt deletes nothing")
def uninstall_fresh(session):
    expected = Expected(session, options=[("sSilent", "1")])
    _uninstall_scenario(session, expected, _silent_install, setup=_plant_victim, decline=True,
                        after_install=lambda s: s.registry.add("HKCR\\MoraLUME_TOVA\\installed\\..$victim.txt", ""))


FOREIGN = {".gif": "OtherViewer.Image", ".jpg": "jpegfile"}


@scenario("uninstall-foreign-classes", ".gif and .jpg of other programs before the installation: both restored")
def uninstall_foreign_classes(session):
    def setup(s):
        for extension, foreign in FOREIGN.items():
            s.registry.add("HKCR\\" + extension, foreign)

    expected = Expected(session, options=[("sSilent", "1")])
    _uninstall_scenario(session, expected, _silent_install, setup=setup)
    for extension, foreign in FOREIGN.items():
        session.equal(session.registry.default_value("HKCR\\" + extension), foreign, "class of %s" % extension)


USER_PNG = "UserViewer.png"


@scenario("uninstall-user-png", ".png pointed elsewhere by the user after the installation: left as the user set it")
def uninstall_user_png(session):
    expected = Expected(session, options=[("sSilent", "1")])
    _uninstall_scenario(session, expected, _silent_install,
                        after_install=lambda s: s.registry.add("HKCR\\.png", USER_PNG),
                        kept=["+ key system.reg [software\\\\classes\\\\.png]"])
    session.equal(session.registry.default_value("HKCR\\.png"), USER_PNG, "class of .png")


SUBFOLDER_PARENT = "C:\\Image Tools"
SUBFOLDER_DESTINATION = SUBFOLDER_PARENT + "\\MoraLUME"


@scenario("uninstall-subfolder", "installed through the dialogs into C:\\Image Tools\\MoraLUME: SCRIPTS goes too, "
          "the parent the installer made stays")
def uninstall_subfolder(session):
    expected = Expected(session, destination=SUBFOLDER_DESTINATION)
    session.require(any("!" in name for name, _ in session.artifacts.entries()), "the payload has a subfolder entry")
    _uninstall_scenario(session, expected,
                        lambda s: run_installer(s, steps=lambda t: click_through(t, SUBFOLDER_DESTINATION)),
                        kept=["+ file " + SUBFOLDER_PARENT])


VICTIM_KEY = "HKLM\\Software\\Victim"
VICTIM_VALUES = {VICTIM_KEY: "not the installer's", VICTIM_KEY + "\\Inner": "nor this"}
LINK_KEY = "Software\\Classes\\MoraLUME_TOVA\\installed\\link"


@scenario("uninstall-registry-link", "a registry link to HKLM\\Software\\Victim planted among the records: the link "
          "goes, the key it leads to stays with its subkey and values")
def uninstall_registry_link(session):
    def setup(s):
        for key, value in VICTIM_VALUES.items():
            s.registry.add(key, value)

    def plant(s):
        program = s.stage_program(s.artifacts.registry_link_exe, "registry_link.exe")
        code, _ = s.wine.run([program, LINK_KEY, "\\Registry\\Machine\\Software\\Victim"], "registry-link")
        s.require(code == 0, "registry_link.exe exit code %s" % code)
        s.require(s.registry.default_value("HKLM\\" + LINK_KEY) == VICTIM_VALUES[VICTIM_KEY],
                  "the link leads to %s" % VICTIM_KEY)

    expected = Expected(session, options=[("sSilent", "1")])
    # The victim is part of the state before the installation: the comparisons see it untouched.
    _uninstall_scenario(session, expected, _silent_install, setup=setup, after_install=plant)
    for key, value in VICTIM_VALUES.items():
        session.equal(session.registry.default_value(key), value, "default value of %s" % key)


ELSEWHERE = "C:\\ELSEWHERE"


@scenario("uninstall-junction", "SCRIPTS replaced by a link to C:\\ELSEWHERE, which holds a DEFSCR of its own: that "
          "file stays, and so do the link and the folder that holds it (exit code 2)")
def uninstall_junction(session):
    expected = Expected(session, options=[("sSilent", "1")])
    scripts = join(expected.destination, "SCRIPTS")

    def setup(s):
        os.makedirs(s.host_path(ELSEWHERE))
        with open(s.host_path(ELSEWHERE + "\\DEFSCR"), "w") as defscr:
            defscr.write("not the installer's")

    def plant(s):
        # A Unix symbolic link to a folder, which Wine reports as a reparse point, as Windows does a junction.
        shutil.rmtree(s.host_path(scripts))
        os.symlink(os.path.join("..", "ELSEWHERE"), s.host_path(scripts))

    _uninstall_scenario(session, expected, _silent_install, setup=setup, after_install=plant, exit_code=PARTLY,
                        kept=["+ file " + expected.destination, "+ file " + scripts])
    survivor = session.host_path(ELSEWHERE + "\\DEFSCR")
    session.require(os.path.exists(survivor), "C:\\ELSEWHERE\\DEFSCR is still there")
    with open(survivor) as defscr:
        session.equal(defscr.read(), "not the installer's", "C:\\ELSEWHERE\\DEFSCR")


BLANK_DESTINATION = "C:\\Program Files\\MoraLUME Viewer"


def _install_by_switch(session):
    """Silently into the destination that -dir= names in quotes."""
    run_installer(session, options=["sSilent=1"], args=['-dir="%s"' % BLANK_DESTINATION], as_typed=True)


@scenario("uninstall-quiet-dir", "sSilent=1 and -dir=\"%s\": installed there, then the entry's QuietUninstallString "
          "removes it without a question: nothing left" % BLANK_DESTINATION)
def uninstall_quiet_dir(session):
    expected = Expected(session, destination=BLANK_DESTINATION, options=[("sSilent", "1")])

    def check(s):
        state = gather(s, expected)
        s.finish()
        check_installed(s, expected, state)

    _uninstall_scenario(session, expected, _install_by_switch, after_install=check, quiet=True)
