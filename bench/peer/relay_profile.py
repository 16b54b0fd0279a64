"""Where an installer's time goes under Wine: sums the calls of a WINEDEBUG=+timestamp,+relay log.

    python3 bench/peer/relay_profile.py LOG [FUNCTION ...]

Pairs each "Call" with its "Ret" on the same thread and prints, per function, the number of calls
and their total and mean time (relay logging slows every call; compare the functions, not the
absolute figures). Without FUNCTION names, the 25 functions taking the most time are shown."""
import collections
import re
import sys

LINE = re.compile(r"^(\d+\.\d+):(?:[0-9a-f]+:)?([0-9a-f]+):(Call|Ret)\s+([\w.]+)\.(\w+)\(")


def main():
    wanted = set(sys.argv[2:])
    open_calls = collections.defaultdict(list)
    totals = collections.defaultdict(lambda: [0, 0.0])
    with open(sys.argv[1], errors="replace") as log:
        for line in log:
            match = LINE.match(line)
            if not match:
                continue
            stamp, thread, kind, module, function = match.groups()
            name = module + "." + function
            key = thread
            if kind == "Call":
                open_calls[key].append((name, float(stamp)))
            else:
                stack = open_calls[key]
                while stack and stack[-1][0] != name:
                    stack.pop()
                if stack:
                    _, started = stack.pop()
                    entry = totals[name]
                    entry[0] += 1
                    entry[1] += float(stamp) - started
    rows = [(name, count, total) for name, (count, total) in totals.items()
            if not wanted or name.split(".", 1)[1] in wanted]
    rows.sort(key=lambda row: -row[2])
    print("%-40s %8s %10s %10s" % ("function", "calls", "total s", "mean ms"))
    for name, count, total in rows[:25 if not wanted else None]:
        print("%-40s %8d %10.3f %10.3f" % (name, count, total, 1000 * total / count))


if __name__ == "__main__":
    main()
