"""Installations clicked through every dialog: into a new destination, one with a long path, one with a blank;
the one started with -noautorun; and one at twice the usual display scale."""
from harness.payload import installed_path
from harness.prefix import USUAL_DPI, set_dpi

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
HIGH_DPI = 192  # 200%


def click_through(session, destination, autorun=True, screenshots=False, finish_with=ui.OK, inspect=None):
    """`inspect(session, caption)` looks further at each dialog the user sees."""
    inspect = inspect or (lambda s, caption: None)
    run = ui.wait(session, ui.PATH_CAPTION)
    ui.check_path_dialog(session, run)
    inspect(session, ui.PATH_CAPTION)
    if screenshots:
        session.screenshot("path-dialog", run.last_dialog()["rect"])
    session.drive(["wait", ui.PATH_CAPTION, 1000], ["settext", ui.PATH_ENTRY, destination], ["press", ui.OK])

    run = ui.wait(session, ui.LICENCE_CAPTION)
    ui.check_licence_dialog(session, run)
    inspect(session, ui.LICENCE_CAPTION)
    if screenshots:
        session.screenshot("licence-dialog", run.last_dialog()["rect"])
    session.drive(["wait", ui.LICENCE_CAPTION, 1000], ["press", ui.OK])

    run = ui.wait(session, ui.CHECKLIST_CAPTION)
    ui.check_checklist(session, run)
    toggles = [["toggle", box] for box in CLEARED]
    run = session.drive(["wait", ui.CHECKLIST_CAPTION, 1000], *toggles, ["dump"])
    states = {box: run.control(box)["checked"] for box in ui.CHECK_BOXES}
    session.equal([box for box, state in states.items() if not state], sorted(CLEARED), "boxes cleared by clicks")
    inspect(session, ui.CHECKLIST_CAPTION)
    if screenshots:
        session.screenshot("checklist-dialog", run.last_dialog()["rect"])
    session.drive(["wait", ui.CHECKLIST_CAPTION, 1000], ["press", ui.OK])

    run = ui.wait(session, ui.COMPLETE_CAPTION)
    ui.check_completion(session, run, autorun=autorun)
    inspect(session, ui.COMPLETE_CAPTION)
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


def check_texts_fit(session, caption):
    """Each text of the dialog, measured in the templates' font at the system DPI by the driver, fits the room
    its control leaves, clipped to the dialog's client area; the licence's lines are spaced for that DPI."""
    commands = [["wait", caption, 1000], ["fit"]] + ([["lines", ui.AGREEMENT_BOX]] if caption == ui.LICENCE_CAPTION else [])
    run = session.drive(*commands)
    scale = run.of_kind("scale")[0]
    session.equal(scale["dpi"], HIGH_DPI, "system DPI seen by the driver")
    measured = run.of_kind("fit")
    session.check(len(measured) >= 3, "%s: %d texts measured" % (caption, len(measured)))
    for text in measured:
        session.check(text["width"] <= text["room_width"] and text["height"] <= text["room_height"],
                      "%s: %r (%d x %d) does not fit in %d x %d" % (caption, text["text"], text["width"], text["height"],
                                                                  text["room_width"], text["room_height"]))
    # The base units that the font gives must be the ones the dialog was laid out with: button 2 is 80 x 14
    # dialog units in every template but the checklist's.
    exit_button = [text for text in measured if text["id"] == ui.EXIT]
    if exit_button and caption != ui.CHECKLIST_CAPTION:
        left, top, right, bottom = exit_button[0]["rect"]
        session.equal((right - left, bottom - top), (mul_div(80, scale["base_x"], 4), mul_div(14, scale["base_y"], 8)),
                      "%s: button 2's size from the base units %d, %d" % (caption, scale["base_x"], scale["base_y"]))
    if exit_button and caption == ui.PATH_CAPTION:
        # The copy dialog's percentage control, 80 x 12 dialog units, holds "100%" in the font its bar is drawn
        # with (the stock system font) and in the template's. Its dialog is up too briefly to be measured.
        room = (mul_div(80, scale["base_x"], 4), mul_div(12, scale["base_y"], 8))
        for font in ("system", "arial"):
            size = (scale["percent_%s_width" % font], scale["percent_%s_height" % font])
            session.check(size[0] <= room[0] and size[1] <= room[1],
                          "\"100%%\" in the %s font (%d x %d) does not fit the percentage's %d x %d" % (
                              font, size[0], size[1], room[0], room[1]))
    if caption == ui.LICENCE_CAPTION:
        lines = run.of_kind("lines")[0]
        spacing = (lines["last_top"] - lines["first_top"]) / lines["gaps"]
        ratio = spacing / lines["height_at_96"]
        # About DPI / 96 times as far apart: twice at 192 DPI. Font hinting rounds each line's height.
        session.check(abs(ratio * USUAL_DPI / HIGH_DPI - 1) <= 0.125, "agreement lines %.1f pixels apart, %.2f times "
                      "the %d of 96 DPI at %d DPI" % (spacing, ratio, lines["height_at_96"], HIGH_DPI))


def mul_div(number, numerator, denominator):
    """MulDiv for positive numbers: rounded half up."""
    return (number * numerator + denominator // 2) // denominator


@scenario("high-dpi", "at 192 DPI every text fits its control, measured by the driver, and the agreement's lines are "
          "twice as far apart")
def high_dpi(session):
    set_dpi(session.wine, HIGH_DPI)
    associated = [extension for extension in EXTENSIONS if extension not in CLEARED.values()]
    expected = Expected(session, associated=associated)
    run_installer(session, steps=lambda s: click_through(s, "C:\\MLUME", inspect=check_texts_fit))
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)
