"""The dialog driver seen from the harness: command lists in, parsed reports out."""
import json


class DriverRun:
    """What one run of the driver reported."""

    def __init__(self, exit_code, events):
        self.exit_code = exit_code
        self.events = events

    @property
    def ok(self):
        return self.exit_code == 0

    @property
    def failure(self):
        for event in self.events:
            if event["event"] == "failed":
                return "%s: %s" % (event["command"], event["reason"])
        return None if self.ok else "driver exit code %s" % self.exit_code

    def dialogs(self):
        return [event for event in self.events if event["event"] == "dialog"]

    def last_dialog(self):
        dialogs = self.dialogs()
        return dialogs[-1] if dialogs else None

    def controls(self):
        """Controls of the last dump, by id (controls without an id of their own listed under 65535)."""
        found = {}
        for event in self.events:
            if event["event"] == "dialog":
                found = {}
            elif event["event"] == "control":
                found.setdefault(event["id"], []).append(event)
        return found

    def control(self, control_id):
        matches = self.controls().get(control_id, [])
        return matches[0] if len(matches) == 1 else None

    def texts(self, control_id=0xFFFF):
        return [control["text"] for control in self.controls().get(control_id, [])]

    def focused(self):
        for controls in self.controls().values():
            for control in controls:
                if control["focus"]:
                    return control
        return None

    def of_kind(self, kind):
        return [event for event in self.events if event["event"] == kind]


class Driver:
    def __init__(self, wine, exe_windows_path):
        self.wine = wine
        self.exe = exe_windows_path

    def run(self, *commands, timeout=120):
        """Each command is a list of words; they run in one driver process, in order."""
        words = []
        for command in commands:
            if words:
                words.append(";")
            words.extend(str(word) for word in command)
        code, output = self.wine.run([self.exe] + words, "driver-" + commands[0][0], timeout=timeout)
        events = []
        for line in output.decode("latin-1").splitlines():
            line = line.strip()
            if line.startswith("{"):
                events.append(json.loads(line))
        return DriverRun(code, events)
