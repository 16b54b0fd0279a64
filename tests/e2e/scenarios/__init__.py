"""Every end-to-end scenario, registered by name in the order they are listed.

A scenario of the installer runs once for each build: "NAME/i686" against the product
(build/win32, under wine32) and "NAME/x64" against its twin (build/win64, under wine64)."""
import importlib

BITNESSES = ("i686", "x64")


class Scenario:
    def __init__(self, name, function, summary, bitness=None, runs_here=None):
        self.base_name = name
        self.name = name + ("/" + bitness if bitness else "")
        self.function = function
        self.summary = summary
        self.bitness = bitness
        self.runs_here = runs_here


SCENARIOS = []


def scenario(name, summary, each_build=True, runs_here=None):
    """each_build=False: one run, for the harness's own programs, which come from the win64 build.
    runs_here: asked once before the runs, None where this machine allows the scenario, or why it does not;
    then its runs are left out and one line says why."""
    def register(function):
        for bitness in BITNESSES if each_build else (None,):
            SCENARIOS.append(Scenario(name, function, summary, bitness, runs_here))
        return function
    return register


for _module in ("selftest", "silent", "interactive", "exits", "repeat", "broken", "uninstall", "rollback"):
    importlib.import_module("scenarios." + _module)
