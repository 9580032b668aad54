"""Writes a job file set for the benchmarks: one value a line, CR LF line ends."""
import os


def write_job(program, job, folders, main, backup, watch=False):
    """A job of job group 1 over the main folder `main`, whose folder list is `folders`;
    `watch` turns on the rescan of the folder structure before each run."""
    group = os.path.join(program, "Listor")
    os.makedirs(group, exist_ok=True)
    os.makedirs(backup, exist_ok=True)

    def write(ext, lines):
        with open(os.path.join(group, job + ext), "w", newline="") as f:
            f.write("".join(line + "\r\n" for line in lines))

    write(".000", folders)
    write(".001", [main])
    write(".002", [backup])
    write(".003", ["*.*", "", "", "", ""])
    write(".004", ["JA" if watch else "NEJ", "NEJ", "0", "NEJ", "NEJ"])
    write(".005", [])
    write(".008", ["", ""])
    write(".009", ["NEJ", "", "", "", ""])
