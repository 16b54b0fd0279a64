"""Updates over an earlier installation that the user has changed: one that fails on a file another program
holds, which must leave everything as it was, and one while the installed program runs; and an installation
onto a drive too small for it, refused before anything is written."""
import os
import re
import subprocess
import tempfile
import time

from harness.payload import installed_path

from . import scenario
from . import installer_ui as ui
from .flows import FAILED, NOT_BEGUN, run_installer, wait_for_lines
from .install_checks import LOG, PROGRAM, Expected, check_installed, gather, join
from .prefix_changes import changes_since, pending_deletes, restart_wine, state_before
from .uninstall import CAPTION as UNINSTALL_CAPTION, IDNO

SET_ASIDE = ".~$"  # in the name of a file that the installer has set aside
USER_FILE = "my notes.txt"
HELD_MARKER = "C:\\e2e\\held"
SHARING_VIOLATION = 32


def _change_installation(session, expected, user_file=True):
    """What a user may do to an installation: one text rewritten, another deleted, a file of his own added."""
    folder = session.host_path(expected.destination)
    texts = sorted(name for name, _ in expected.entries if name.lower().endswith(".txt") and "!" not in name)
    session.require(len(texts) >= 2, "the payload holds two texts at the top: %s" % texts)
    with open(os.path.join(folder, texts[-1]), "wb") as rewritten:
        rewritten.write(b"rewritten by the user\r\n")
    os.remove(os.path.join(folder, texts[0]))
    if user_file:
        with open(os.path.join(folder, USER_FILE), "wb") as own:
            own.write(b"the user's own\r\n")


def _files(folder):
    """{path relative to `folder`: bytes} of every file below it."""
    found = {}
    for parent, _, names in os.walk(folder):
        for name in names:
            with open(os.path.join(parent, name), "rb") as data:
                found[os.path.relpath(os.path.join(parent, name), folder)] = data.read()
    return found


def _set_aside(folder):
    return sorted(os.path.relpath(os.path.join(parent, name), folder) for parent, folders, names in os.walk(folder)
                  for name in folders + names if SET_ASIDE in name)


def _wait_for_file(path, timeout=20.0):
    deadline = time.monotonic() + timeout
    while not os.path.exists(path) and time.monotonic() < deadline:
        time.sleep(0.1)
    return os.path.exists(path)


def _answer_dest_file_error(path):
    def answer(s):
        run = ui.wait(s, ui.ERROR_CAPTION)
        text = ui.message_box_text(run)
        pattern = re.escape(ui.DEST_FILE_TEXT).replace(re.escape("%d"), r"-?\d+").replace(re.escape("%s"), "(.*)")
        shown = re.fullmatch(pattern, text, re.S)
        s.check(shown, "message box text %r is the \"errDest\" message" % text)
        if shown:
            s.equal(shown.group(1).lower(), path.lower(), "the file the message names")
        s.drive(["wait", ui.ERROR_CAPTION, 1000], ["press", ui.OK], ["gone", 10000])
    return answer


@scenario("update-locked-file", "installed, changed by the user, installed again while another program holds the last "
          "payload file without sharing: \"errDest\", exit code 3, files, records and registry as before the second "
          "run, nothing set aside left")
def update_locked_file(session):
    expected = Expected(session, options=[("sSilent", "1")])
    run_installer(session, options=["sSilent=1"])
    log = session.host_path(join(expected.destination, LOG))
    session.check(wait_for_lines(log, len(expected.starts)), "the first installation's starts logged")
    _change_installation(session, expected)
    folder = session.host_path(expected.destination)
    before = state_before(session)
    earlier = _files(folder)

    held = join(expected.destination, installed_path(expected.entries[-1][0]))
    holder_exe = session.stage_program(session.artifacts.hold_file_exe, "hold_file.exe")
    holder = session.start(holder_exe, ["hold", held, HELD_MARKER])
    marker = session.host_path(HELD_MARKER)
    try:
        session.require(_wait_for_file(marker), "hold_file.exe holds %s" % held)
        _, tried = session.wine.run([holder_exe, "try", held], "hold-file-try")
        session.require(tried.split() == [b"error", str(SHARING_VIOLATION).encode()],
                        "a second open of the held file fails with a sharing violation: %r" % tried)
        run_installer(session, options=["sSilent=1"], steps=_answer_dest_file_error(held), exit_code=FAILED)
    finally:
        if os.path.exists(marker):
            os.remove(marker)
    session.equal(session.wait_exit(holder, "hold_file.exe"), 0, "hold_file.exe exit code")
    session.finish()
    session.equal(changes_since(session, before), [], "changes to the prefix's files and registry")
    after = _files(folder)
    session.equal(sorted(name for name in set(earlier) | set(after) if earlier.get(name) != after.get(name)), [],
                  "files of the earlier installation that differ from before the second run")
    session.equal(_set_aside(folder), [], "files set aside left in the destination")


@scenario("update-while-running", "installed, changed by the user, installed again while the installed lume32.exe "
          "runs: exit code 0, the new files in place, nothing set aside left after Wine's restart")
def update_while_running(session):
    # The running program is the sample's uninstall, waiting at its question; answered No, it changes nothing.
    expected = Expected(session, options=[("sSilent", "1")], starts=("-Q", "", ". -u", "-Q", ""))
    run_installer(session, options=["sSilent=1"])
    log = session.host_path(join(expected.destination, LOG))
    session.check(wait_for_lines(log, 2), "the first installation's starts logged")
    _change_installation(session, expected, user_file=False)
    running = session.start(expected.main_program, [".", "-u"])
    session.drive(["wait", UNINSTALL_CAPTION, ui.DIALOG_TIMEOUT_MS])
    run_installer(session, options=["sSilent=1"])
    session.check(wait_for_lines(log, len(expected.starts)), "the update's starts logged")
    session.drive(["wait", UNINSTALL_CAPTION, 1000], ["press", IDNO], ["gone", 10000])
    session.equal(session.wait_exit(running, "lume32.exe . -u"), 1, "exit code of the running lume32.exe (No)")
    state = gather(session, expected)
    session.finish()

    # The running program cannot be deleted yet: what was set aside goes at Wine's next start.
    folder = session.host_path(expected.destination)
    waiting = [join(expected.destination, name) for name in _set_aside(folder)]
    session.equal(sorted(set(waiting) - {path[len("\\??\\"):] for path, _ in pending_deletes(session)}), [],
                  "files set aside that are not deleted at Wine's next start")
    session.equal([path for path in waiting if not re.fullmatch(r".+\.~\$[0-9A-F]{8}", path)], [],
                  "set-aside names other than the file's own, .~$ and eight upper-case hex digits")
    session.check(any(path.lower().startswith(expected.main_program.lower() + SET_ASIDE) for path in waiting),
                  "the running %s set aside until Wine's restart: %s" % (PROGRAM, waiting))
    restart_wine(session)
    session.equal(_set_aside(folder), [], "files set aside left after Wine's restart")
    check_installed(session, expected, state)


PAGE = 4096  # a tmpfs's block, which Wine reports as its cluster


def _mount_tmpfs(folder, size):
    """None when a tmpfs of `size` bytes is mounted at `folder`, else what `mount` said."""
    try:
        done = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d" % size, "tmpfs", folder],
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    except OSError as error:
        return str(error)
    return None if done.returncode == 0 else (done.stdout.strip().splitlines() or ["exit code %d" % done.returncode])[-1]


def _unmount(folder):
    if subprocess.run(["umount", folder], stdin=subprocess.DEVNULL, capture_output=True).returncode != 0:
        subprocess.run(["umount", "-l", folder], stdin=subprocess.DEVNULL, capture_output=True)


def _tmpfs_allowed():
    folder = tempfile.mkdtemp(prefix="moralume-tmpfs-")
    try:
        refused = _mount_tmpfs(folder, 16 * PAGE)
        if refused is None:
            _unmount(folder)
            return None
        return "mounting a tmpfs is not permitted (%s); the host tests cover the refusal" % refused
    finally:
        os.rmdir(folder)


def _free_drive_letter(session):
    devices = os.path.join(session.wine.prefix, "dosdevices")
    for letter in "defghijklmnopqrstuvwxy":
        if not os.path.lexists(os.path.join(devices, letter + ":")):
            return letter
    raise RuntimeError("no free drive letter in " + devices)


def _drive_listed(session, drive):
    """Whether Wine's cmd lists the (empty) root of a drive."""
    _, listing = session.wine.run(["cmd", "/c", "dir", drive + "\\"], "dir-" + drive[0])
    return ("Directory of %s" % drive).encode() in listing


@scenario("full-disk", "a tmpfs drive with room for the payload's bytes but not one cluster for each file: "
          "\"errDest2\" before anything is written, exit code 1, nothing on that drive, no registry change",
          runs_here=_tmpfs_allowed)
def full_disk(session):
    total, count = session.artifacts.total_size(), len(session.artifacts.entries())
    size = (total + PAGE - 1) // PAGE * PAGE + PAGE
    session.require(size < total + count * PAGE, "a drive of %d bytes is too small for %d files of %d bytes" % (
        size, count, total))
    mount_point = os.path.join(session.run_dir, "small-drive")
    os.makedirs(mount_point)
    refused = _mount_tmpfs(mount_point, size)
    session.require(refused is None, "mounting a tmpfs of %d bytes: %s" % (size, refused))
    letter = _free_drive_letter(session)
    drive_link = os.path.join(session.wine.prefix, "dosdevices", letter + ":")
    try:
        os.symlink(mount_point, drive_link)
        drive = letter.upper() + ":"
        session.require(_drive_listed(session, drive), "Wine lists the drive %s" % drive)
        before = state_before(session)
        destination = drive + "\\MLUME"

        def steps(s):
            s.drive(["wait", ui.PATH_CAPTION, ui.DIALOG_TIMEOUT_MS], ["settext", ui.PATH_ENTRY, destination],
                    ["press", ui.OK], ["gone", 10000])
            # Refused before anything is written, whichever dialog that comes after.
            for caption in (ui.LICENCE_CAPTION, ui.CHECKLIST_CAPTION):
                if s.drive(["wait", ui.ERROR_CAPTION, 2000], expect_ok=False).ok:
                    break
                if not s.drive(["wait", caption, ui.DIALOG_TIMEOUT_MS], ["press", ui.OK], ["gone", 10000],
                               expect_ok=False).ok:
                    break
            run = ui.wait(s, ui.ERROR_CAPTION)
            s.equal(ui.message_box_text(run), ui.FULL_DISK_TEXT, "message box text")
            s.drive(["wait", ui.ERROR_CAPTION, 1000], ["press", ui.OK], ["gone", 10000])

        run_installer(session, steps=steps, exit_code=NOT_BEGUN)
        session.finish()
        session.equal(os.listdir(mount_point), [], "what the installation left on %s" % drive)
        session.equal(changes_since(session, before), [], "changes to the prefix's files and registry")
    finally:
        session.finish()
        if os.path.lexists(drive_link):
            os.unlink(drive_link)
        _unmount(mount_point)
        os.rmdir(mount_point)
