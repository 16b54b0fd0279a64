"""Every end-to-end scenario, registered by name in the order they are listed."""
import importlib


class Scenario:
    def __init__(self, name, function, summary):
        self.name = name
        self.function = function
        self.summary = summary


SCENARIOS = []


def scenario(name, summary):
    def register(function):
        SCENARIOS.append(Scenario(name, function, summary))
        return function
    return register


for _module in ("selftest", "silent", "interactive", "exits", "repeat", "broken"):
    importlib.import_module("scenarios." + _module)
