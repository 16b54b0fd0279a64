"""Installers whose payload is missing, damaged or hostile: one message, and the prefix's files and registry as
they were."""
import os

from . import scenario
from . import installer_ui as ui
from .flows import FAILED, NOT_BEGUN, run_installer
from .install_checks import Expected, check_nothing_installed, gather, read_install_log
from .prefix_changes import changes_since, state_before


def _refused(session, kind, text, picture):
    expected = Expected(session, starts=())
    before = state_before(session)

    def answer(s):
        run = ui.wait(s, ui.ERROR_CAPTION)
        s.equal(ui.message_box_text(run), text, "message box text")
        s.equal(ui.button_text(run, ui.OK), "OK", "message box button")
        buttons = [c["id"] for c in run.of_kind("control") if c["class"].lower() == "button" and c["visible"]]
        s.equal(buttons, [ui.OK], "visible message box buttons")
        s.screenshot(picture, run.last_dialog()["rect"])
        s.drive(["absent", ui.PATH_CAPTION, 0], ["wait", ui.ERROR_CAPTION, 1000], ["press", ui.OK],
                ["gone", 10000])

    run_installer(session, kind=kind, steps=answer, exit_code=NOT_BEGUN)
    state = gather(session, expected)
    session.finish()
    check_nothing_installed(session, expected, state)
    session.equal(changes_since(session, before), [], "changes to the prefix's files and registry")


@scenario("no-payload", "an installer without a payload: \"Installation data not found\" and nothing else")
def no_payload(session):
    _refused(session, "no-payload", ui.NO_PAYLOAD_TEXT, "error-no-payload")


@scenario("damaged-payload", "a payload whose zlib header is damaged: \"Corrupted data\" and nothing else")
def damaged_payload(session):
    _refused(session, "damaged", ui.CORRUPT_TEXT, "error-damaged-payload")


@scenario("damaged-installer", "one byte changed in the payload's last kilobyte: \"Corrupted data\" before the "
          "first dialog, exit code 1, nothing written")
def damaged_installer(session):
    _refused(session, "damaged-end", ui.CORRUPT_TEXT, "error-damaged-installer")


@scenario("hostile-name", "a payload entry named ..\\escaped.txt: \"Corrupted data\", the entry written before it "
          "taken away again, nothing anywhere")
def hostile_name(session):
    expected = Expected(session, starts=())
    before = state_before(session)

    def answer(s):
        run = ui.wait(s, ui.ERROR_CAPTION)
        s.equal(ui.message_box_text(run), ui.CORRUPT_TEXT, "message box text")
        s.drive(["wait", ui.ERROR_CAPTION, 1000], ["press", ui.OK], ["gone", 10000])

    run_installer(session, kind="hostile-name", options=["sSilent=1"], steps=answer, exit_code=FAILED)
    state = gather(session, expected)
    session.finish()
    escaped = [os.path.join(folder, name) for folder, _, names in os.walk(session.wine.drive_c)
               for name in names if name.lower() == "escaped.txt"]
    session.equal(escaped, [], "files named escaped.txt anywhere on drive C:")
    check_nothing_installed(session, expected, state)
    session.equal(changes_since(session, before), [], "changes to the prefix's files and registry")


# In the staging folder, which the comparison of the prefix leaves out.
INSTALL_LOG = "C:\\e2e\\install.log"
NOTHING_WRITTEN = "End: exit code 1, nothing was written"


def _ended_without_boxes(session, kind, args, as_typed=False):
    """-nomsgbox in a silent run: no box ever shows (one would hold the installer until the harness gives up),
    exit code 1, and the prefix's files and registry as they were."""
    expected = Expected(session, starts=())
    before = state_before(session)
    run_installer(session, kind=kind, options=["sSilent=1"], args=["-nomsgbox"] + args, exit_code=NOT_BEGUN,
                  steps=lambda s: s.drive(["absent", ui.ERROR_CAPTION, 3000], ["absent", ui.PATH_CAPTION, 0]),
                  as_typed=as_typed)
    state = gather(session, expected)
    session.finish()
    check_nothing_installed(session, expected, state)
    session.equal(changes_since(session, before), [], "changes to the prefix's files and registry")


@scenario("no-boxes-damaged", "sSilent=1, -nomsgbox and a log, one byte changed in the payload's last kilobyte: exit "
          "code 1, no message box, nothing written; the log names the box's text")
def no_boxes_damaged(session):
    _ended_without_boxes(session, "damaged-end", ["-log=" + INSTALL_LOG])
    session.equal(read_install_log(session, INSTALL_LOG)[-3:], [
        "Payload integrity: the checksum does not match", "Error: " + ui.CORRUPT_TEXT, NOTHING_WRITTEN],
        "the log's last lines")


@scenario("no-boxes-refused-destination", "sSilent=1, -nomsgbox, a log and -dir=C:\\ (a root): exit code 1 instead "
          "of the path dialog, no message box, nothing written; the log says why")
def no_boxes_refused_destination(session):
    _ended_without_boxes(session, "linked", ["-log=" + INSTALL_LOG, "-dir=C:\\"])
    session.equal(read_install_log(session, INSTALL_LOG)[-4:], [
        "Destination as given: C:\\", "Destination refused: a root or a device", "Error: " + ui.NO_PATH_TEXT,
        NOTHING_WRITTEN], "the log's last lines")


@scenario("no-boxes-log-folder-missing", "sSilent=1, -nomsgbox and -log=\"C:\\no such folder\\x.log\": exit code 1, "
          "no message box, nothing written")
def no_boxes_log_folder_missing(session):
    _ended_without_boxes(session, "linked", ['-log="C:\\no such folder\\x.log"'], as_typed=True)
