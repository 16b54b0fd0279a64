"""What a finished (or refused) installation leaves behind, checked against the real system."""
import datetime
import os
import re
import struct

from harness.payload import installed_path
from harness.shortcuts import read_shortcut

EXTENSIONS = (".gif", ".jpg", ".pcx", ".png", ".bmp", ".rle", ".dib", ".tif", ".tga", ".pcd")
CLASS_KEY = "HKCR\\MoraLUME_TOVA"
CLASS_NAME = "MoraLUME_TOVA"
ASSOCIATION = "MoraLume_TOVA"
BACKUP_PREFIX = "MoraLUME_TOVA\\license\\ins"
# The uninstall entry as the 64-bit view shows it, where Windows' list of programs reads both:
# a 32-bit installer writes into the 32-bit view, which is Wow6432Node. HKCR's class and extension
# keys are shared by both views, so they are read in one.
UNINSTALL = "Microsoft\\Windows\\CurrentVersion\\Uninstall\\MoraLUME"
UNINSTALL_KEYS = {"x64": "HKLM\\Software\\" + UNINSTALL, "i686": "HKLM\\Software\\Wow6432Node\\" + UNINSTALL}
GROUP = "MoraLUME"
UNINSTALL_ENTRY = "HKEY_LOCAL_MACHINE\\Software\\" + UNINSTALL  # as the installer names it, in its own view
# The log's line for each record begins so.
RECORDS = "Record HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA\\installed\\"
PROGRAM = "lume32.exe"
LOG = "lume32.log"
OPTIONS_FILE = "tova.opt"


def join(directory, name):
    return directory + ("" if directory[-1:] in ("\\", "/", ":") else "\\") + name


def extension_baseline(session):
    """Each extension's default class in the prefix before the installer runs (None: no key)."""
    with open(os.path.join(session.wine.prefix, "system.reg"), encoding="latin-1") as registry_file:
        text = registry_file.read()
    found = {}
    for extension in EXTENSIONS:
        section = re.search(r"^\[Software\\\\Classes\\\\%s\][^\n]*\n(.*?)(?:\n\n|\Z)" % re.escape(extension), text,
                            re.M | re.S | re.I)
        if not section:
            found[extension] = None
            continue
        value = re.search(r'^@="((?:[^"\\]|\\.)*)"', section.group(1), re.M)
        found[extension] = value.group(1).replace('\\"', '"').replace("\\\\", "\\") if value else ""
    return found


class Expected:
    """The installation a scenario expects."""

    def __init__(self, session, destination="C:\\MLUME", associated=EXTENSIONS, backups=None, options=None,
                 starts=("-Q", ""), entries=None):
        self.destination = destination
        # [(entry name, data)] the installer carries; by default the payload of the build's setup.exe.
        self.entries = entries if entries is not None else session.artifacts.entries()
        self.associated = tuple(associated)
        self.baseline = extension_baseline(session)
        self.backups = {extension: self.baseline[extension] or "" for extension in self.associated}
        self.backups.update(backups or {})
        self.options = options
        self.starts = list(starts)

    @property
    def main_program(self):
        return join(self.destination, PROGRAM)

    @property
    def program_command(self):
        """The main program as command lines name it: quoted when it holds a blank, or it would not be found."""
        program = self.main_program
        return '"%s"' % program if " " in program else program


def uninstall_keys(session):
    """(where the installer's uninstall entry belongs, where the other bitness's would be)."""
    bitness = session.artifacts.bitness
    return UNINSTALL_KEYS[bitness], UNINSTALL_KEYS["x64" if bitness == "i686" else "i686"]


def gather(session, expected):
    """Reads the registry while Wine still runs; files are read after every Wine process has ended."""
    registry = session.registry
    own, other = uninstall_keys(session)
    state = {
        "class": registry.query(CLASS_KEY, recursive=True),
        "uninstall": registry.query(own, view=64),
        "uninstall elsewhere": registry.query(other, view=64),
        "extensions": {extension: registry.default_value("HKCR\\" + extension) for extension in EXTENSIONS},
    }
    if os.path.exists(session.host_path(expected.main_program)):
        state["short"], state["long"] = session.short_and_long(expected.main_program)
    return state


def _values(tree, key):
    return (tree or {}).get(key.replace("HKCR\\", "HKEY_CLASSES_ROOT\\").replace("HKLM\\", "HKEY_LOCAL_MACHINE\\"))


def _default(tree, key):
    values = _values(tree, key)
    return None if values is None else values.get("", (None, ""))[1]


def _subkeys(tree, parent):
    prefix = parent.replace("HKCR\\", "HKEY_CLASSES_ROOT\\") + "\\"
    return sorted(key[len(prefix):] for key in (tree or {}) if key.startswith(prefix) and "\\" not in key[len(prefix):])


def encode_options(options):
    return struct.pack("<H", len(options)) + b"".join(
        name.encode("latin-1") + b"\0" + value.encode("latin-1") + b"\0" for name, value in options)


def log_lines(session, folder):
    """The command lines that lume32.exe in `folder` logged, in order."""
    path = session.host_path(join(folder, LOG))
    if not os.path.exists(path):
        return []
    with open(path, "rb") as log:
        lines = log.read().decode("latin-1").split("\r\n")
    return lines[:-1] if lines and lines[-1] == "" else lines


def log_starts(session, expected):
    """The argument part of each line that lume32.exe logged, in order."""
    starts = []
    for line in log_lines(session, expected.destination):
        at = line.lower().rfind(PROGRAM)
        session.check(at >= 0, "lume32.log line names the program: %r" % line)
        rest = line[at + len(PROGRAM):] if at >= 0 else line
        starts.append(rest.lstrip('"').strip())
    return starts


def check_files(session, expected):
    destination = session.host_path(expected.destination)
    wanted = {}
    for name, data in expected.entries:
        relative = installed_path(name)
        wanted[relative.replace("\\", "/")] = data
        path = os.path.join(destination, *relative.split("\\"))
        if session.check(os.path.isfile(path), "installed file %s exists" % relative):
            with open(path, "rb") as installed:
                session.check(installed.read() == data, "installed file %s equals the packed one" % relative)
    present = set()
    for folder, _, files in os.walk(destination):
        for file_name in files:
            present.add(os.path.relpath(os.path.join(folder, file_name), destination))
    extra = present - set(wanted) - {LOG, OPTIONS_FILE}
    session.equal(sorted(extra), [], "files in the destination that the payload does not hold")


def check_records(session, expected, state):
    tree = state["class"]
    session.require(tree is not None, "class key %s exists" % CLASS_KEY)
    session.equal(_default(tree, CLASS_KEY), CLASS_NAME, "class key's default value")
    records = {installed_path(name).replace("\\", "$") for name, _ in expected.entries}
    records.add("DEF.TVD")
    if expected.options:
        records.add(OPTIONS_FILE)
    installed_key = CLASS_KEY + "\\installed"
    session.equal(_subkeys(tree, installed_key), sorted(records), "installed-file records")
    for record in records:
        session.equal(_default(tree, installed_key + "\\" + record), "", "record %s value" % record)
    session.equal(_default(tree, CLASS_KEY + "\\shell\\open\\command"), expected.program_command + ' "%1"',
                  "open command")


def check_associations(session, expected, state):
    tree = state["class"]
    for extension in EXTENSIONS:
        value = state["extensions"][extension]
        backup = _default(tree, "HKCR\\" + BACKUP_PREFIX + extension)
        if extension in expected.associated:
            session.equal(value, ASSOCIATION, "class of %s" % extension)
            session.equal(backup, expected.backups[extension], "backup of %s" % extension)
        else:
            session.equal(value, expected.baseline[extension], "class of %s (not associated)" % extension)
            session.equal(backup, None, "backup of %s (not associated)" % extension)
    backups = [key for key in _subkeys(tree, CLASS_KEY + "\\license")]
    session.equal(backups, sorted("ins" + extension for extension in expected.associated), "backup keys")


def check_uninstall(session, expected, state):
    own, other = uninstall_keys(session)
    session.equal(state["uninstall elsewhere"], None, "uninstall entry under %s" % other)
    values = _values(state["uninstall"], own)
    session.require(values is not None, "uninstall entry exists under %s" % own)
    session.equal(values.get("DisplayName"), ("REG_SZ", "MoraLUME Viewer"), "DisplayName")
    session.equal(values.get("UninstallString"), ("REG_SZ", expected.program_command + " . -u"), "UninstallString")
    session.equal(values.get("QuietUninstallString"), ("REG_SZ", expected.program_command + " . -u -s"),
                  "QuietUninstallString")


def check_group(session, expected, state):
    folder = os.path.join(session.programs_folder(), GROUP)
    session.require(os.path.isdir(folder), "Program Manager group folder %s exists" % GROUP)
    # Wine refuses AddItem with arguments, so the uninstall item and, after it, the text items are not sent.
    session.equal(sorted(os.listdir(folder)), ["MoraLUME.lnk"], "shortcuts in the group")
    link = read_shortcut(os.path.join(folder, "MoraLUME.lnk"))
    forms = {state.get("short", "").lower(), state.get("long", "").lower()} - {""}
    session.check((link.target or "").lower() in forms, "shortcut target %r is the program %s" % (link.target, forms))
    # Wine's AddItem records no icon file when the command gives no icon index: the shortcut then
    # shows its target's first icon, which is the same picture as the program's icon 0.
    icon = link.icon_location if link.icon_location is not None else link.target
    session.check((icon or "").lower() in forms, "shortcut icon %r is the program %s" % (icon, forms))
    session.equal(link.icon_index, 0, "shortcut icon index")
    session.equal(link.arguments or "", "", "shortcut arguments")


def check_options_file(session, expected):
    path = session.host_path(join(expected.destination, OPTIONS_FILE))
    if expected.options is None:
        session.check(not os.path.exists(path), "no tova.opt without options")
        return
    if session.check(os.path.isfile(path), "tova.opt exists"):
        with open(path, "rb") as options_file:
            session.equal(options_file.read(), encode_options(expected.options), "tova.opt bytes")


def check_starts(session, expected, state):
    session.equal(log_starts(session, expected), expected.starts, "starts of lume32.exe (arguments)")
    # The -Q start names the program in the destination as typed, quoted when it holds a blank.
    quick = [line for line in log_lines(session, expected.destination) if line.endswith(" -Q")]
    session.equal(quick, [expected.program_command + " -Q"] * expected.starts.count("-Q"),
                  "command lines of the -Q starts")
    if expected.starts and expected.starts[-1] == "" and state.get("short"):
        path = session.host_path(join(expected.destination, LOG))
        with open(path, "rb") as log:
            last = log.read().decode("latin-1").rstrip("\r\n").split("\r\n")[-1]
        session.equal(last.strip().strip('"').lower(), state["short"].lower(), "final start by the short path")


EVERYONE_ENTRY = ";;;WD)"  # an ACE for Everyone, as the rights read back in SDDL end


def check_protected(session, folders):
    """Folders the installer made or took over read back without the Everyone entry that Wine derives for a
    folder made without rights (Wine keeps no descriptor: it reads the rights back from the mode bits that it
    set from the DACL). While Wine still runs."""
    for folder in folders:
        rights = session.rights(folder)
        session.check(EVERYONE_ENTRY not in rights, "%s without an entry for Everyone: %s" % (folder, rights))


# One line of the installer's log: its local time to the millisecond, two blanks, the text, CR LF.
INSTALL_LOG_LINE = re.compile(rb"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3})  ([^\r\n]*)")


def read_install_log(session, windows_path):
    """The texts of the installer's log, once each line's form is checked: every line timed, in order, and
    ended by CR LF; plain text in the ANSI code page (Windows-1252 here), without a byte-order mark."""
    path = session.host_path(windows_path)
    if not session.check(os.path.isfile(path), "the installer's log %s exists" % windows_path):
        return []
    with open(path, "rb") as log:
        data = log.read()
    session.check(data.endswith(b"\r\n"), "the log ends with CR LF: %r" % data[-40:])
    session.check(not data.startswith((b"\xef\xbb\xbf", b"\xff\xfe", b"\xfe\xff")) and b"\0" not in data,
                  "the log is ANSI text, without a byte-order mark or NULs")
    texts, times = [], []
    for line in data[:-2].split(b"\r\n") if data.endswith(b"\r\n") else data.split(b"\r\n"):
        match = INSTALL_LOG_LINE.fullmatch(line)
        if not session.check(match, "log line with a time, two blanks and no other CR or LF: %r" % line):
            continue
        try:
            times.append(datetime.datetime.strptime(match.group(1).decode(), "%Y-%m-%d %H:%M:%S.%f"))
            texts.append(match.group(2).decode("cp1252"))
        except ValueError as error:
            session.check(False, "log line %r: %s" % (line, error))
    session.equal(times, sorted(times), "the log's times, in order")
    if times:
        # The installer writes Wine's local time, which is the host's.
        late = abs((datetime.datetime.now() - times[0]).total_seconds())
        session.check(late < 600, "the log's first time %s lies %d s from now" % (times[0], late))
    return texts


def check_in_order(session, texts, wanted, what):
    """Each line of `wanted` in `texts`, in this order, other lines between them allowed."""
    at = 0
    for line in wanted:
        try:
            at = texts.index(line, at) + 1
        except ValueError:
            session.check(False, "%s: no line %r%s" % (what, line, " after %r" % texts[at - 1] if at else ""))
            return


def check_install_log(session, expected, state, windows_path, first_lines, no_boxes=False):
    """What the log of a complete installation names, in order after `first_lines` (its start): the payload,
    the destination, each file and its record, the group's commands, each type with its earlier class, the
    uninstall entry, the options file, both starts (the last withheld with `no_boxes`) and the end."""
    texts = read_install_log(session, windows_path)
    # The archive header's total: each entry's name with its length byte and zero, and its data.
    total = sum(2 + len(name.encode("latin-1")) + len(data) for name, data in expected.entries)
    wanted = list(first_lines) + ["Option %s=%s" % option for option in expected.options or ()]
    wanted += ["Language: E", "Mode: silent, %s" % ("no message boxes" if no_boxes else "messages in boxes"),
               "Payload integrity: the checksum matches",
               "Payload: %d files, %d bytes" % (len(expected.entries), total),
               "Destination as given: " + expected.destination, "Destination: " + expected.destination,
               RECORDS + "DEF.TVD: made"]
    # Each file's record, then the file with its size, in the archive's order (which the pack tool chooses).
    files = sorted((RECORDS + installed_path(name).replace("\\", "$") + ": made",
                    "File written: %s, %d bytes" % (join(expected.destination, installed_path(name)), len(data)))
                   for name, data in expected.entries)
    session.equal(sorted((texts[at - 1], text) for at, text in enumerate(texts) if at and
                         text.startswith("File written: ")), files, "each file written after its record, in the log")
    folders = {"Folder made: " + expected.destination,
               "Folder there already, its rights now the installer's: " + expected.destination}
    session.check(folders & set(texts), "the log names the destination's folder: one of %s" % sorted(folders))
    program = state.get("short", "")
    # Wine refuses each DeleteItem in a new group, and AddItem with arguments; the text items are not sent after it.
    wanted += ["Program Manager: %s %s" % command for command in (
        [("[CreateGroup(MoraLUME)]", "accepted"), ("[ShowGroup(MoraLUME,1)]", "accepted")] +
        [("[DeleteItem(\"%s\")]" % item, "refused") for item in (
            "MoraLUME", "Uninstall MoraLUME", "Quick Start Guide", "MoraLUME Read Me", "MoraLUME Order Form",
            "MCI Help Information", "Vendor Information")] +
        [("[AddItem(%s,\"MoraLUME\",%s)]" % (program, program), "accepted"),
         ("[AddItem(%s . -u,\"Uninstall MoraLUME\",%s,1)]" % (program, program), "refused")])]
    wanted.append("Open command %s\\shell\\open\\command: %s \"%%1\"" % (CLASS_NAME, expected.program_command))
    for extension in EXTENSIONS:
        earlier = expected.baseline[extension]
        wanted.append("Association %s: earlier class %s, backup %s%s; now %s" % (
            extension, "none" if earlier is None else earlier, BACKUP_PREFIX, extension, ASSOCIATION)
            if extension in expected.associated else "Association %s: not chosen" % extension)
    command = expected.program_command + " . -u"
    wanted.append("Uninstall entry %s: UninstallString %s, QuietUninstallString %s -s" % (UNINSTALL_ENTRY, command,
                                                                                       command))
    wanted.append("Started %s -Q" % expected.program_command)
    if expected.options:
        options_file = join(expected.destination, OPTIONS_FILE)
        wanted += ["Program options: %s written, options: %d" % (options_file, len(expected.options)),
                   RECORDS + OPTIONS_FILE + ": made"]
    short = state.get("short", "")
    wanted += ["Program not started: nobody to see it" if no_boxes else
               "Started " + ('"%s"' % short if " " in short else short), "End: exit code 0, installed"]
    check_in_order(session, texts, wanted, "the installation's log")
    session.equal(texts[-1:], wanted[-1:], "the log's last line")
    session.equal([text for text in texts if text.startswith("Error")], [], "errors in the log")


def check_installed(session, expected, state):
    """Everything of a complete installation, after `gather` and `Session.finish`."""
    check_files(session, expected)
    check_records(session, expected, state)
    check_associations(session, expected, state)
    check_uninstall(session, expected, state)
    check_group(session, expected, state)
    check_options_file(session, expected)
    check_starts(session, expected, state)


def check_nothing_installed(session, expected, state):
    session.check(not os.path.exists(session.host_path(expected.destination)),
                  "destination %s not created" % expected.destination)
    session.equal(state["class"], None, "class key")
    session.equal(state["uninstall"], None, "uninstall entry")
    session.equal(state["uninstall elsewhere"], None, "uninstall entry in the other view")
    session.equal(state["extensions"], expected.baseline, "extension classes unchanged")
    session.check(not os.path.exists(os.path.join(session.programs_folder(), GROUP)), "no Program Manager group")
