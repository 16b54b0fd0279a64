"""The installer's dialogs as a user meets them: captions, control ids and fixed texts."""

PATH_CAPTION = "MoraLUME Install - Windows (32-bit)"
LICENCE_CAPTION = "License Agreement"
CHECKLIST_CAPTION = "MoraLUME Installation"
COPY_CAPTION = "MoraLUME Installation"
COMPLETE_CAPTION = "Installation Complete"
ERROR_CAPTION = "Error"

OK = 1
EXIT = 2
PATH_ENTRY = 101
SIZE_LINE = 102
AGREEMENT_BOX = 101
SKIP = 113
CHECK_BOXES = tuple(range(103, 113))
RUN_LINES = (114, 115)

NO_PAYLOAD_TEXT = "Installation data not found. (Executable is corrupted.)"
CORRUPT_TEXT = "Corrupted data. Installation aborted."
NO_PATH_TEXT = "Unable to create the path you've entered."
FULL_DISK_TEXT = "Error writing file, the target disk may be full.\r\n\r\nInstallation aborted."
# Filled with the failed open's result and the file's path.
DEST_FILE_TEXT = ("Error creating destination file, the target disk may be full. (%d)\r\n\r\nFilename=%s\r\n\r\n"
                  "Installation aborted.")
ES_READONLY = 0x0800

DIALOG_TIMEOUT_MS = 20000


def occupy_line(total_size):
    return "The installed files will occupy %dK on your disk." % (total_size // 1024)


def wait(session, caption, *then):
    """Waits for a dialog and reports all its controls, then runs the commands `then`. When an error
    box came instead, its text is the failure, and it is answered so that the installer can end."""
    run = session.drive(["wait", caption, DIALOG_TIMEOUT_MS], ["dump"], *then, expect_ok=False)
    if run.failure == "wait: dialog did not appear" and caption != ERROR_CAPTION:
        box = session.drive(["wait", ERROR_CAPTION, 500], ["dump"], ["press", OK], expect_ok=False)
        if box.ok:
            session.require(False, "error box instead of \"%s\": %r" % (caption, message_box_text(box)))
    session.require(run.ok, "driver: %s" % run.failure)
    return run


def check_path_dialog(session, run, destination="C:\\MLUME"):
    session.equal(run.control(PATH_ENTRY)["text"] if run.control(PATH_ENTRY) else None, destination,
                  "path dialog entry")
    size_line = run.control(SIZE_LINE)
    session.equal(size_line["text"] if size_line else None, occupy_line(session.artifacts.total_size()),
                  "path dialog size line")
    focused = run.focused()
    session.equal(focused["id"] if focused else None, PATH_ENTRY, "focus in the path dialog")
    session.equal(button_text(run, OK), "Install MoraLUME", "path dialog button 1")
    session.equal(button_text(run, EXIT), "Exit Installation", "path dialog button 2")


def check_licence_dialog(session, run):
    box = run.control(AGREEMENT_BOX)
    session.require(box is not None, "licence dialog has no agreement box")
    session.check(len(box["text"]) > 3000, "agreement text holds the three pieces (%d chars)" % len(box["text"]))
    session.check(box["style"] & ES_READONLY, "agreement box is read-only")
    session.equal(button_text(run, OK), "``I Agree''", "licence dialog button 1")
    session.equal(button_text(run, EXIT), "Exit Installation", "licence dialog button 2")


def check_checklist(session, run, checked=True):
    states = [run.control(box)["checked"] if run.control(box) else None for box in CHECK_BOXES]
    session.equal(states, [1 if checked else 0] * 10, "check boxes at the start")
    focused = run.focused()
    session.equal(focused["id"] if focused else None, SKIP, "focus in the checklist")
    session.equal(button_text(run, OK), "Associate Files", "checklist button 1")
    session.equal(button_text(run, SKIP), "Skip", "checklist button 113")
    session.equal(button_text(run, EXIT), "Exit", "checklist button 2")


def check_completion(session, run, autorun=True):
    run_button = run.control(OK)
    session.require(run_button is not None, "completion dialog has no button 1")
    session.equal(run_button["text"], "Run MoraLUME Now", "completion button 1")
    session.equal(run_button["visible"], autorun, "completion button 1 visible")
    for line in RUN_LINES:
        control = run.control(line)
        session.equal(control["visible"] if control else None, autorun, "completion line %d visible" % line)
    focused = run.focused()
    session.equal(focused["id"] if focused else None, OK if autorun else EXIT, "focus in the completion dialog")
    session.equal(button_text(run, EXIT), "Exit Installation", "completion button 2")


def button_text(run, control_id):
    control = run.control(control_id)
    return control["text"] if control else None


def message_box_text(run):
    """The text of a message box: its static controls other than the icon, joined."""
    texts = [control["text"] for controls in run.controls().values() for control in controls
             if control["class"].lower() == "static" and control["text"]]
    return "\n".join(texts)
