#!/usr/bin/env python3
"""Makes a deterministic folder tree for the list benchmark.

    make_tree.py SIZE DEST      SIZE: small (~2,000 files), medium (~100,000),
                                large (~1,000,000)

The same SIZE always gives the same tree: names mix Japanese (full- and
half-width), mixed case and several extensions; some files are hidden, some
sparse and large, some folders empty, and a few branches are deeply nested.
"""
import os
import random
import sys

SIZES = {"small": 2_000, "medium": 100_000, "large": 1_000_000}

STEMS = ["report", "Report", "README", "データ", "ﾃﾞｰﾀ", "写真", "ｼｬｼﾝ", "notes",
         "Budget", "ｍｅｍｏ", "議事録", "image", "IMG_", "backup", "Setup", "ログ"]
EXTENSIONS = [".txt", ".TXT", ".jpg", ".JPG", ".dat", ".cpp", ".h", ".pdf",
              ".xlsx", ".log", "", ".tar.gz", ".ｔｘｔ"]
FOLDERS = ["src", "Docs", "資料", "ｱｰｶｲﾌﾞ", "2024", "Photos", "tmp", "Work",
           "経理", "build", "assets", "Misc"]


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in SIZES:
        sys.exit("usage: make_tree.py small|medium|large DEST")
    total = SIZES[sys.argv[1]]
    dest = sys.argv[2]
    rng = random.Random(20261208)
    os.makedirs(dest, exist_ok=True)

    made = 0
    folders = [dest]
    serial = 0
    while made < total:
        parent = folders[rng.randrange(len(folders))]
        depth = parent.count(os.sep) - dest.count(os.sep)
        if depth > 12:
            continue
        serial += 1
        name = f"{rng.choice(FOLDERS)}_{serial}"
        if rng.random() < 0.02:
            name = "." + name  # hidden folder: never walked
        folder = os.path.join(parent, name)
        os.mkdir(folder)
        folders.append(folder)
        # Every tenth folder stays empty; the others get about 20 files.
        count = 0 if serial % 10 == 0 else rng.randint(1, 40)
        if serial % 97 == 0:
            count = 1200  # now and then a big folder
        for i in range(min(count, total - made)):
            stem = rng.choice(STEMS)
            ext = rng.choice(EXTENSIONS)
            fname = f"{stem}{i}_{serial}{ext}"
            if rng.random() < 0.03:
                fname = "." + fname
            path = os.path.join(folder, fname)
            fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
            roll = rng.random()
            if roll < 0.001:
                os.ftruncate(fd, rng.randint(2**31, 5 * 2**30))  # sparse, over 2 GiB
            elif roll < 0.5:
                os.ftruncate(fd, rng.randint(0, 5_000_000))      # sparse
            elif roll < 0.6:
                os.write(fd, b"x" * rng.randint(1, 4096))
            os.close(fd)
            made += 1
    print(f"{dest}: {made} files in {len(folders)} folders")


if __name__ == "__main__":
    main()
