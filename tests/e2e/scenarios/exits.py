"""Leaving the installation from each dialog: by its Exit button, and by Esc or the close box."""
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
