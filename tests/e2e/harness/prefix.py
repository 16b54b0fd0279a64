"""The template Wine prefix, built once per run, and its copies, one per scenario."""
import glob
import os
import shutil
import subprocess
import time

from .wine import Wine

# Wine's desktop in a window of its own: dialog frames and captions only show there, and it
# hosts the "progman" DDE server. Checked boxes and text show in Tahoma only with the fonts below.
DESKTOP_SETTINGS = r"""REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="800x600"
"""


# The display scale, in the user's settings and the machine's alike, and a desktop grown with it, so that
# dialogs laid out at that scale still fit on it.
DPI_SETTINGS = r"""REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="%s"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:%08x

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts]
"LogPixels"=dword:%08x
"""
USUAL_DPI = 96
DESKTOP_SIZE = (800, 600)


def desktop_size(dpi):
    """The desktop's size at a display scale: 800x600 at 96 DPI, grown in proportion."""
    return tuple(side * dpi // USUAL_DPI for side in DESKTOP_SIZE)


def set_dpi(wine, dpi):
    """Sets the prefix's display scale; every Wine process ends first, as each reads it once at its start."""
    wine.wait_all(timeout=30)
    settings = os.path.join(wine.drive_c, "e2e-dpi.reg")
    with open(settings, "w", newline="\r\n") as reg_file:
        reg_file.write(DPI_SETTINGS % ("%dx%d" % desktop_size(dpi), dpi, dpi))
    code, _ = wine.run(["regedit", "/S", wine.windows_path(settings)], "regedit-dpi", timeout=60)
    wine.wait_all(timeout=30)
    os.unlink(settings)
    if code != 0:
        raise RuntimeError("regedit failed (%s) setting %d DPI" % (code, dpi))


def user_folder(prefix):
    """drive_c/users/<user>, the one user folder that is not Public."""
    users = [path for path in glob.glob(os.path.join(prefix, "drive_c", "users", "*"))
             if os.path.basename(path) != "Public"]
    if len(users) != 1:
        raise RuntimeError("expected one user folder in %s, found %s" % (prefix, users))
    return users[0]


def _replace_links_with_folders(folder):
    # The user folders point into $HOME; a scenario must write into the prefix only.
    for entry in os.listdir(folder):
        path = os.path.join(folder, entry)
        if os.path.islink(path):
            os.unlink(path)
            os.mkdir(path)


def build_template(root, display, log):
    """Makes a fresh prefix at root/prefix with its home at root/home; returns the seconds it took."""
    started = time.monotonic()
    prefix = os.path.join(root, "prefix")
    home = os.path.join(root, "home")
    logs = os.path.join(root, "logs")
    for folder in (home, logs):
        os.makedirs(folder, exist_ok=True)
    wine = Wine(prefix, display, home, logs)
    code, _ = wine.run(["wineboot", "--init"], "wineboot", timeout=120)
    wine.wait_all(timeout=60)
    if code != 0 or not os.path.isdir(os.path.join(prefix, "drive_c")):
        raise RuntimeError("wineboot failed (%s); see %s" % (code, logs))

    settings = os.path.join(prefix, "drive_c", "e2e-desktop.reg")
    with open(settings, "w", newline="\r\n") as reg_file:
        reg_file.write(DESKTOP_SETTINGS)
    code, _ = wine.run(["regedit", "/S", wine.windows_path(settings)], "regedit", timeout=60)
    wine.wait_all(timeout=30)
    os.unlink(settings)
    if code != 0:
        raise RuntimeError("regedit failed (%s); see %s" % (code, logs))

    fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    for font in glob.glob("/usr/share/wine/fonts/*.ttf"):
        shutil.copy(font, fonts)

    user = user_folder(prefix)
    _replace_links_with_folders(user)

    # z: maps to the host's /: a scenario must not be able to write there.
    z_drive = os.path.join(prefix, "dosdevices", "z:")
    if os.path.lexists(z_drive):
        os.unlink(z_drive)
    log("template prefix built in %.1f s" % (time.monotonic() - started))
    return time.monotonic() - started


def copy_prefix(template_root, destination_root):
    """A full copy (never hard links: Wine rewrites its registry files in place)."""
    os.makedirs(destination_root, exist_ok=True)
    for part in ("prefix", "home"):
        subprocess.run(["cp", "-a", os.path.join(template_root, part), destination_root], check=True)
    return os.path.join(destination_root, "prefix"), os.path.join(destination_root, "home")
