"""An installation clicked through every dialog, and the one started with -noautorun."""
from . import scenario
from . import installer_ui as ui
from .flows import run_installer
from .install_checks import EXTENSIONS, Expected, check_installed, gather

# A destination two levels deep, with a blank, so that short and long forms of it differ.
CHANGED_DESTINATION = "C:\\Image Tools\\MoraLUME"
CLEARED = {105: ".pcx", 111: ".tga"}


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
