"""Fills a folder with the sample's files and a bulk of picture files, for a payload large
enough that the copy dialog stays up long enough to be photographed mid-way.

    python3 make_payload.py FOLDER LUME32_EXE SAMPLE_DIR MEGABYTES
"""
import os
import random
import shutil
import sys

FILES = 8


def main(folder, lume32, sample, megabytes):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(os.path.join(folder, "SCRIPTS"))
    shutil.copy(lume32, folder)
    for name in os.listdir(sample):
        if name.endswith(".txt"):
            shutil.copy(os.path.join(sample, name), folder)
    for name in os.listdir(os.path.join(sample, "SCRIPTS")):
        shutil.copy(os.path.join(sample, "SCRIPTS", name), os.path.join(folder, "SCRIPTS"))
    # Seeded noise: it does not compress, so inflation and writing take their full time, and
    # every run packs the same bytes.
    noise = random.Random(1994)
    os.makedirs(os.path.join(folder, "IMAGES"))
    size = megabytes * 1024 * 1024 // FILES
    for index in range(FILES):
        with open(os.path.join(folder, "IMAGES", "PIC%02d.BMP" % (index + 1)), "wb") as picture:
            picture.write(noise.randbytes(size))


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]))
