"""Compares the host probe's lines with those of the probes run under Wine.

Usage: compare.py KNOWN_DIFFERENCES HOST_OUTPUT SIDE=OUTPUT...

Each output line is "name: outcome". A probe passes when its outcome is the
same on every side, or when its difference on a side is listed in
KNOWN_DIFFERENCES as "name pattern | side | reason" (side: i686, x64 or both;
the pattern is a shell-style wildcard). Prints every other difference, the
summary line and "N passed, M failed"; exits 1 when a probe failed.
"""
import fnmatch
import sys


def read_outcomes(path):
    outcomes = {}
    duplicates = []
    with open(path, encoding="utf-8", errors="replace") as lines:
        for line in lines:
            line = line.rstrip("\r\n")
            if not line:
                continue
            name, _, outcome = line.partition(": ")
            if name in outcomes:
                duplicates.append(name)
            outcomes[name] = outcome
    return outcomes, duplicates


def read_known(path):
    known = []
    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            fields = [field.strip() for field in line.split("|")]
            if len(fields) != 3 or fields[1] not in ("i686", "x64", "both") or not fields[2]:
                raise SystemExit("%s:%d: expected 'pattern | i686, x64 or both | reason'" % (path, number))
            known.append({"pattern": fields[0], "side": fields[1], "reason": fields[2], "used": False})
    return known


def known_reason(known, name, side):
    for entry in known:
        if entry["side"] in (side, "both") and fnmatch.fnmatchcase(name, entry["pattern"]):
            entry["used"] = True
            return entry["reason"]
    return None


def main(arguments):
    if len(arguments) < 3:
        raise SystemExit(__doc__)
    known = read_known(arguments[0])
    host, problems = read_outcomes(arguments[1])
    problems = ["host: %s appears twice" % name for name in problems]
    sides = []
    for argument in arguments[2:]:
        side, _, path = argument.partition("=")
        outcomes, duplicates = read_outcomes(path)
        problems += ["%s: %s appears twice" % (side, name) for name in duplicates]
        if not outcomes:
            problems.append("%s: no output" % side)
        sides.append((side, outcomes))
    if not host:
        problems.append("host: no output")

    names = list(host)
    for _, outcomes in sides:
        names += [name for name in outcomes if name not in host and name not in names]
    failed = set()
    summary = []
    for side, outcomes in sides:
        differences = 0
        known_count = 0
        for name in names:
            ours = host.get(name, "(no such probe)")
            theirs = outcomes.get(name, "(no such probe)")
            if ours == theirs:
                continue
            differences += 1
            if known_reason(known, name, side):
                known_count += 1
                continue
            failed.add(name)
            print("DIFFERENT [%s] %s\n    host: %s\n    wine: %s" % (side, name, ours, theirs))
        summary.append("host vs %s: %d differences (%d known)" % (side, differences, known_count))
    for entry in known:
        if not entry["used"] and any(entry["side"] in (side, "both") for side, _ in sides):
            print("note: no difference matches the known one '%s' (%s)" % (entry["pattern"], entry["side"]))
    for problem in problems:
        print("PROBLEM " + problem)
    print("conformance: %d probes, %s" % (len(names), ", ".join(summary)))
    passed = len(names) - len(failed)
    print("%d passed, %d failed" % (passed, len(failed) + len(problems)))
    return 1 if failed or problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
