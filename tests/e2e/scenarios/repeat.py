"""A second installation over the first, with .gif taken by another program beforehand."""
from . import scenario
from .flows import run_installer, wait_for_lines
from .install_checks import LOG, Expected, check_installed, gather, join

FOREIGN_CLASS = "OtherViewer.Image"


@scenario("repeat-over-foreign-gif", "installed twice, .gif foreign before: first backup kept, shortcuts once")
def repeat_over_foreign_gif(session):
    expected = Expected(session, backups={".gif": FOREIGN_CLASS}, options=[("sSilent", "1")],
                        starts=("-Q", "", "-Q", ""))
    session.registry.add("HKCR\\.gif", FOREIGN_CLASS)
    session.equal(session.registry.default_value("HKCR\\.gif"), FOREIGN_CLASS, ".gif before the installation")
    run_installer(session, options=["sSilent=1"])
    # The first run's final start must have logged before the second run's -Q start does.
    session.check(wait_for_lines(session.host_path(join(expected.destination, LOG)), 2),
                  "first run logged two starts")
    run_installer(session, options=["sSilent=1"])
    state = gather(session, expected)
    session.finish()
    check_installed(session, expected, state)
