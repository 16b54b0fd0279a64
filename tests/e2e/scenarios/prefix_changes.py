"""The prefix's files and registry compared with an earlier state, without Wine's own bookkeeping and the
harness's staging folder: what a program under test changed."""
from harness import snapshot

# Where Wine keeps the renames and deletes waiting for its next start.
PENDING = "system.reg [system\\\\currentcontrolset\\\\control\\\\session manager]"
PENDING_VALUE = '"pendingfilerenameoperations"'

# Wine's own bookkeeping, whatever program runs: (registry key, value name or None for the whole key).
WINE_BOOKKEEPING = (
    # The display driver's date, written again each time the desktop starts.
    ("system.reg [system\\\\currentcontrolset\\\\control\\\\class\\\\{4d36e968-e325-11ce-bfc1-08002be10318}"
     "\\\\0000]", '"driverdatedata"'),
    # The host's fonts, registered when the first 32-bit program starts.
    ("system.reg [software\\\\microsoft\\\\windows nt\\\\currentversion\\\\fonts]", None),
    ("system.reg [software\\\\microsoft\\\\windows\\\\currentversion\\\\fonts]", None),
    ("user.reg [software\\\\wine\\\\fonts\\\\external fonts]", None),
    # The display devices and their video ids, which Wine may enumerate again at a desktop's start
    # (seen once, on a 32-bit run); every key below these two.
    ("system.reg [system\\\\currentcontrolset\\\\enum\\\\", None),
    ("system.reg [system\\\\currentcontrolset\\\\control\\\\video\\\\", None),
    # Settings of Wine's folder window, which opens on the installer's ShowGroup.
    ("user.reg [software\\\\microsoft\\\\windows\\\\currentversion\\\\explorer\\\\advanced]", None),
)


def _is_bookkeeping(change):
    for key, value in WINE_BOOKKEEPING:
        if value is None and change[2:].split(" ", 1)[1].startswith(key):
            return True
        if value is not None and change[2:] == "value %s %s" % (key, value):
            return True
    return False


def state_before(session):
    """The state to compare with later: taken once the desktop has started (its first start writes into
    the registry) and every Wine process has ended."""
    session.wait_for_desktop()
    session.finish()
    return snapshot.take(session.wine.prefix)


def changes_since(session, before):
    """What changed since `before`, without Wine's bookkeeping and the harness's staging folder; read while
    no Wine process runs."""
    found = snapshot.changes(before, snapshot.take(session.wine.prefix))
    stage = "file C:\\%s" % session.stage.rsplit("/", 1)[-1]
    return sorted(c for c in found if not _is_bookkeeping(c) and not (c[2:] == stage or c[2:].startswith(stage + "\\")))


def pending_deletes(session):
    """The paths that Wine deletes at its next start (PendingFileRenameOperations, a list of pairs)."""
    raw = snapshot.take(session.wine.prefix)[1].get(PENDING, {}).get(PENDING_VALUE, "")
    text = raw.partition(':"')[2][:-1]
    for escaped, plain in (("\\0", "\0"), ('\\"', '"'), ("\\\\", "\\")):
        text = text.replace(escaped, plain)
    entries = text.split("\0")
    return [(entries[at], entries[at + 1]) for at in range(0, len(entries) - 1, 2) if entries[at]]


def restart_wine(session):
    """Wine's restart, which carries out the deletes waiting for it; every Wine process has ended afterwards."""
    code, _ = session.wine.run(["wineboot", "-r"], "wineboot-restart", timeout=120)
    session.equal(code, 0, "wineboot -r exit code")
    session.wine.wait_all(timeout=60)
