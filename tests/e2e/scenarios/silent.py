"""Silent installations, steered by tovaopt.ini beside the installer."""
from . import scenario
from .flows import CANCELLED, run_installer
from .install_checks import Expected, check_installed, check_nothing_installed, gather


@scenario("silent-defaults", "sSilent=1: files, records, all ten types, group, tova.opt, -Q then the final start")
def silent_defaults(session):
    expected = Expected(session, options=[("sSilent", "1")])
    run_installer(session, options=["sSilent=1"])
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)


@scenario("silent-packed", "the stub packed by the pack tool installs exactly like the linked setup.exe")
def silent_packed(session):
    expected = Expected(session, options=[("sSilent", "1")])
    run_installer(session, kind="packed", options=["sSilent=1"])
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)


@scenario("silent-assoc-0", "sSilent=1 and sAssoc=0: installed, the open command, no type associated")
def silent_assoc_0(session):
    expected = Expected(session, associated=(), options=[("sSilent", "1"), ("sAssoc", "0")])
    run_installer(session, options=["sSilent=1", "sAssoc=0"])
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)


@scenario("silent-assoc-minus-1", "sSilent=1 and sAssoc=-1: the run ends at the checklist, nothing installed")
def silent_assoc_minus_1(session):
    expected = Expected(session, starts=())
    run_installer(session, options=["sSilent=1", "sAssoc=-1"], exit_code=CANCELLED)
    state = gather(session, expected)
    session.finish()
    check_nothing_installed(session, expected, state)


@scenario("latin1-names", "a stub packed here from files named naïve.txt, Ölbild.png, Bücher/Größe.txt: exact names, "
          "bytes and records")
def latin1_names(session):
    expected = Expected(session, options=[("sSilent", "1")], entries=session.artifacts.latin1_entries())
    run_installer(session, kind="latin1-names", options=["sSilent=1"])
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)

