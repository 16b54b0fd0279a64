"""Leaving the installation from each dialog: by its Exit button, and by Esc or the close box; and after
an emptied destination and drive roots were refused."""
import os

from . import scenario
from . import installer_ui as ui
from .flows import CANCELLED, COMPLETED, run_installer
from .install_checks import Expected, check_installed, check_nothing_installed, gather


def _leave(session, caption, how):
    actions = {"exit": ["press", ui.EXIT], "esc": ["key", "esc"], "close": ["close"]}
    session.drive(["wait", caption, ui.DIALOG_TIMEOUT_MS], actions[how], ["gone", 10000])


def _until(session, last_caption):
    """Accepts every dialog before `last_caption`, in the installer's order."""
    order = [(ui.PATH_CAPTION, ui.OK), (ui.LICENCE_CAPTION, ui.OK), (ui.CHECKLIST_CAPTION, ui.OK),
             (ui.COMPLETE_CAPTION, ui.OK)]
    for caption, button in order:
        if caption == last_caption:
            return
        session.drive(["wait", caption, ui.DIALOG_TIMEOUT_MS], ["press", button], ["gone", 10000])


def _leaving_scenario(name, caption, how):
    @scenario(name, "%s in the dialog \"%s\": the run ends there" % (how, caption))
    def leave(session):
        complete = caption == ui.COMPLETE_CAPTION
        expected = Expected(session, starts=("-Q",) if complete else ())
        run_installer(session, steps=lambda s: (_until(s, caption), _leave(s, caption, how)),
                      exit_code=COMPLETED if complete else CANCELLED)
        state = gather(session, expected)
        session.finish()
        if complete:
            check_installed(session, expected, state)
        else:
            check_nothing_installed(session, expected, state)
    return leave


exit_path = _leaving_scenario("exit-path", ui.PATH_CAPTION, "exit")
exit_licence = _leaving_scenario("exit-licence", ui.LICENCE_CAPTION, "exit")
exit_checklist = _leaving_scenario("exit-checklist", ui.CHECKLIST_CAPTION, "exit")
exit_completion = _leaving_scenario("exit-completion", ui.COMPLETE_CAPTION, "exit")
close_licence = _leaving_scenario("close-licence", ui.LICENCE_CAPTION, "close")
esc_checklist = _leaving_scenario("esc-checklist", ui.CHECKLIST_CAPTION, "esc")


def _top_level(session):
    """What C:\\ and the installer's current directory (C:\\e2e) hold, without descending."""
    return {folder: sorted(os.listdir(session.host_path(folder))) for folder in ("C:\\", "C:\\e2e")}


# Typed into the path dialog of an installer started from C:\\, each names the drive's root.
ROOT_FORMS = ("C:\\", "\\", ".")


@scenario("emptied-path", "started from C:\\, the path entry emptied, blanks only, then C:\\, \\ and .: refused each "
          "time, the path dialog back, Exit; nothing written to C:\\")
def emptied_path(session):
    expected = Expected(session, starts=())
    session.stage_installer()
    before = _top_level(session)

    def refuse(s, typed):
        s.drive(["wait", ui.PATH_CAPTION, ui.DIALOG_TIMEOUT_MS], ["settext", ui.PATH_ENTRY, typed], ["press", ui.OK],
                ["gone", 10000])
        if typed == "":  # the destination is made once the checklist is answered
            for caption in (ui.LICENCE_CAPTION, ui.CHECKLIST_CAPTION):
                s.drive(["wait", caption, ui.DIALOG_TIMEOUT_MS], ["press", ui.OK], ["gone", 10000])
        run = ui.wait(s, ui.ERROR_CAPTION)
        s.equal(ui.message_box_text(run), ui.NO_PATH_TEXT, "message box text after %r" % typed)
        s.drive(["wait", ui.ERROR_CAPTION, 1000], ["press", ui.OK], ["gone", 10000])

    def steps(s):
        for typed in ("", "   ") + ROOT_FORMS:
            refuse(s, typed)
        _leave(s, ui.PATH_CAPTION, "exit")

    root_rights = session.rights("C:\\")
    run_installer(session, steps=steps, exit_code=CANCELLED, cwd="C:\\")
    session.equal(session.rights("C:\\"), root_rights, "rights of C:\\ after the run")
    state = gather(session, expected)
    session.finish()
    check_nothing_installed(session, expected, state)
    session.equal(_top_level(session), before, "C:\\ and C:\\e2e after the run")
