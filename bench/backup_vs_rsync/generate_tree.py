#!/usr/bin/env python3
"""Writes a source tree for the benchmark and a job file set that backs it up.

usage: generate_tree.py TREE FILES FOLDERS TOTAL_BYTES PROGRAM_FOLDER BACKUP_FOLDER JOB_NAME [WATCH_JOB]

WATCH_JOB names a second job over the same tree and backup folder that rescans the folder
structure before each run.
"""
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from job_files import write_job  # noqa: E402


def main():
    tree, files, folders, total, prog, backup, job = sys.argv[1:8]
    watch_job = sys.argv[8] if len(sys.argv) > 8 else None
    files, folders, total = int(files), int(folders), int(total)
    rnd = random.Random(7)
    # Folders at most four levels deep, so the job's folder list looks like a real one.
    paths = [tree]
    for i in range(folders - 1):
        d = os.path.join(paths[rnd.randrange(len(paths))], "mapp%04d" % i)
        if d.count(os.sep) - tree.count(os.sep) > 4:
            d = os.path.join(tree, "mapp%04d" % i)
        paths.append(d)
    for p in paths:
        os.makedirs(p, exist_ok=True)
    # Sizes vary around the mean; the sum comes to TOTAL_BYTES.
    weights = [rnd.uniform(0.2, 1.8) for _ in range(files)]
    scale = total / sum(weights)
    block = os.urandom(1 << 20)
    for i in range(files):
        size = int(weights[i] * scale)
        folder = paths[i % len(paths)]
        with open(os.path.join(folder, "fil%06d.dat" % i), "wb") as f:
            left = size
            while left > 0:
                n = min(left, len(block))
                f.write(block[:n])
                left -= n
    scan = []

    def walk(d):
        scan.append(d)
        for name in sorted(n for n in os.listdir(d) if os.path.isdir(os.path.join(d, n))):
            walk(os.path.join(d, name))

    walk(tree)
    write_job(prog, job, scan, tree, backup)
    if watch_job:
        write_job(prog, watch_job, scan, tree, backup, watch=True)


if __name__ == "__main__":
    main()
