"""PNG pictures of dialogs: the Xvfb root window cropped to the rectangle the driver reports."""
import subprocess


def crop_geometry(rect):
    left, top, right, bottom = rect
    if right <= left or bottom <= top:
        raise ValueError("empty rectangle %s" % (rect,))
    return "%dx%d+%d+%d" % (right - left, bottom - top, left, top)


def save_dialog_png(display, rect, path):
    """Saves the dialog at `rect` (left, top, right, bottom in screen pixels) as a PNG at `path`."""
    subprocess.run(["import", "-display", display, "-window", "root", "-crop", crop_geometry(rect), "+repage", path],
                   check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                   timeout=30)
    return path


def png_facts(path):
    """(width, height, colour count) as ImageMagick reads the file."""
    result = subprocess.run(["identify", "-format", "%w %h %k", path], check=True, capture_output=True, text=True)
    width, height, colours = (int(part) for part in result.stdout.split())
    return width, height, colours


def dominant_colour(path):
    """The most common colour as (r, g, b)."""
    histogram = subprocess.run(["convert", path, "-format", "%c", "histogram:info:-"], check=True,
                               capture_output=True, text=True).stdout
    best = None
    for line in histogram.splitlines():
        if ":" not in line or "(" not in line:
            continue
        count = int(line.split(":")[0])
        channels = line[line.index("(") + 1:line.index(")")].split(",")
        colour = tuple(int(float(channel)) for channel in channels[:3])
        if best is None or count > best[0]:
            best = (count, colour)
    return best[1] if best else None
