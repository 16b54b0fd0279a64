"""Installations clicked through every dialog: into a new destination, one with a long path, one with a blank;
and the one started with -noautorun."""
from harness.payload import installed_path

from . import scenario
from . import installer_ui as ui
from .flows import run_installer, wait_for_lines
from .install_checks import (EXTENSIONS, LOG, OPTIONS_FILE, PROGRAM, Expected, check_installed, check_protected, gather,
                             join, log_lines)

# A destination two levels deep, with a blank, so that short and long forms of it differ.
CHANGED_DESTINATION = "C:\\Image Tools\\MoraLUME"
CLEARED = {105: ".pcx", 111: ".tga"}
# Long enough that every installed file's full path has 128 characters or more, the length from
# which OpenFile refuses a path; short enough that the longest stays below MAX_PATH.
LONG_DESTINATION = "C:\\MoraLUME-" + "-".join(["destination"] * 10) + "\\Viewer"
# A destination with a blank, while a program named like its first word waits at the drive's root:
# an unquoted command line starting the installed program would start that one instead.
BLANK_DESTINATION = "C:\\Program Files\\MoraLUME"
PLANTED_PROGRAM = "C:\\Program.exe"
PLANTED_START = '"C:\\Program.exe" planted'  # as Wine's loader words the one start of it that is wanted


def click_through(session, destination, autorun=True, screenshots=False, finish_with=ui.OK):
    run = ui.wait(session, ui.PATH_CAPTION)
    ui.check_path_dialog(session, run)
    if screenshots:
        session.screenshot("path-dialog", run.last_dialog()["rect"])
    session.drive(["wait", ui.PATH_CAPTION, 1000], ["settext", ui.PATH_ENTRY, destination], ["press", ui.OK])

    run = ui.wait(session, ui.LICENCE_CAPTION)
    ui.check_licence_dialog(session, run)
    if screenshots:
        session.screenshot("licence-dialog", run.last_dialog()["rect"])
    session.drive(["wait", ui.LICENCE_CAPTION, 1000], ["press", ui.OK])

    run = ui.wait(session, ui.CHECKLIST_CAPTION)
    ui.check_checklist(session, run)
    toggles = [["toggle", box] for box in CLEARED]
    run = session.drive(["wait", ui.CHECKLIST_CAPTION, 1000], *toggles, ["dump"])
    states = {box: run.control(box)["checked"] for box in ui.CHECK_BOXES}
    session.equal([box for box, state in states.items() if not state], sorted(CLEARED), "boxes cleared by clicks")
    if screenshots:
        session.screenshot("checklist-dialog", run.last_dialog()["rect"])
    session.drive(["wait", ui.CHECKLIST_CAPTION, 1000], ["press", ui.OK])

    run = ui.wait(session, ui.COMPLETE_CAPTION)
    ui.check_completion(session, run, autorun=autorun)
    if screenshots:
        session.screenshot("completion-dialog", run.last_dialog()["rect"])
    session.drive(["wait", ui.COMPLETE_CAPTION, 1000], ["press", finish_with], ["gone", 10000])


@scenario("interactive-full", "every dialog clicked through, a new two-level destination, eight types")
def interactive_full(session):
    associated = [extension for extension in EXTENSIONS if extension not in CLEARED.values()]
    expected = Expected(session, destination=CHANGED_DESTINATION, associated=associated)
    run_installer(session, steps=lambda s: click_through(s, CHANGED_DESTINATION, screenshots=True))
    # Both levels made by the installer, and the payload's subfolder.
    check_protected(session, ("C:\\Image Tools", CHANGED_DESTINATION, CHANGED_DESTINATION + "\\SCRIPTS"))
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)


@scenario("noautorun", "-noautorun: the completion dialog without the run button; only the -Q start")
def noautorun(session):
    associated = [extension for extension in EXTENSIONS if extension not in CLEARED.values()]
    expected = Expected(session, associated=associated, starts=("-Q",))
    run_installer(session, args=["-noautorun"],
                  steps=lambda s: click_through(s, "C:\\MLUME", autorun=False, finish_with=ui.EXIT))
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)


@scenario("long-destination", "a destination that makes every file's full path 128 characters or more: all in place")
def long_destination(session):
    associated = [extension for extension in EXTENSIONS if extension not in CLEARED.values()]
    expected = Expected(session, destination=LONG_DESTINATION, associated=associated, options=[("prefZoom", "2")])
    lengths = [len(join(LONG_DESTINATION, name)) for name in
               [installed_path(entry) for entry, _ in expected.entries] + [OPTIONS_FILE, LOG]]
    session.require(128 <= min(lengths) and max(lengths) < 260, "full paths of %d to %d characters" % (
        min(lengths), max(lengths)))
    run_installer(session, options=["prefZoom=2"], steps=lambda s: click_through(s, LONG_DESTINATION))
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)


@scenario("blank-destination", "C:\\Program Files\\MoraLUME with C:\\Program.exe planted: every start, and opening "
          "a picture, runs the installed program")
def blank_destination(session):
    associated = [extension for extension in EXTENSIONS if extension not in CLEARED.values()]
    expected = Expected(session, destination=BLANK_DESTINATION, associated=associated)
    # The planted program is the payload's own: it logs each start to C:\lume32.log. One start proves it.
    with open(session.host_path(PLANTED_PROGRAM), "wb") as planted:
        planted.write(dict(expected.entries)[PROGRAM])
    session.equal(session.wait_exit(session.start(PLANTED_PROGRAM, ["planted"]), "Program.exe"), 0,
                  "exit code of the planted program")
    session.equal(log_lines(session, "C:\\"), [PLANTED_START], "starts of the planted program")

    run_installer(session, steps=lambda s: click_through(s, BLANK_DESTINATION))
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)

    # A picture opened through the association: the shell runs the open command as it was written.
    picture = "C:\\e2e\\picture.png"
    with open(session.host_path(picture), "wb") as picture_file:
        picture_file.write(b"\x89PNG\r\n\x1a\n")  # the program reads nothing of it
    session.wine.run(["start", "/wait", picture], "start-picture")
    session.check(wait_for_lines(session.host_path(join(expected.destination, LOG)), len(expected.starts) + 1),
                  "the installed program logged the picture's start")
    session.equal(log_lines(session, expected.destination)[len(expected.starts):],
                  [expected.program_command + ' "%s"' % picture], "command line of the picture's start")
    session.equal(log_lines(session, "C:\\"), [PLANTED_START], "starts of the planted program")
