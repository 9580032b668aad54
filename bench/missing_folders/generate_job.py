#!/usr/bin/env python3
"""Writes a job whose folder list names many folders, most of which no longer exist.

usage: generate_job.py ROOT MISSING EXISTING PROGRAM_FOLDER BACKUP_FOLDER JOB_NAME

The folder list holds the main folder ROOT, EXISTING folders that are there (one small file
each) and MISSING folders that are gone: half of them siblings directly below ROOT, half of them
below gone parents (which are listed too), as a job's list looks after a tree was moved away.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from job_files import write_job  # noqa: E402


def main():
    root, missing, existing, prog, backup, job = sys.argv[1:7]
    missing, existing = int(missing), int(existing)
    folders = [root]
    os.makedirs(root, exist_ok=True)
    for i in range(existing):
        d = os.path.join(root, "finns%06d" % i)
        os.makedirs(d, exist_ok=True)
        with open(os.path.join(d, "fil.txt"), "w") as f:
            f.write("x")
        folders.append(d)
    siblings = missing // 2
    for i in range(siblings):
        folders.append(os.path.join(root, "borta%06d" % i))
    # Gone parents with ten gone subfolders each, listed after their parent as a scan does.
    nested = missing - siblings
    i = 0
    while i < nested:
        parent = os.path.join(root, "bortamapp%06d" % i)
        folders.append(parent)
        i += 1
        for j in range(min(10, nested - i)):
            folders.append(os.path.join(parent, "under%02d" % j))
            i += 1
    write_job(prog, job, folders, root, backup)


if __name__ == "__main__":
    main()
