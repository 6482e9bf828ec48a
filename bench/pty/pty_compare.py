#!/usr/bin/env python3
"""Data pushed through one pseudo-terminal into a reader, as a user would
measure it: the same bytes to `cat`, to the terminal front end (time stamps,
online log) and to jpnevulator (hex with time stamps), one after the other in
one run. A reader's rate is the bytes over the time from the first write to
the last growth of its output; every reader's output is checked for every
byte. Then the CPU share of the monitor in the line at two 12 Mbaud lines."""

import argparse
import os
import random
import re
import shutil
import string
import subprocess
import sys
import tempfile
import time
import tty

LINE = 64  # bytes per line of test data, the last one a line feed


def test_data(megabytes):
    rnd = random.Random(7)
    alphabet = (string.ascii_letters + string.digits).encode()
    lines = []
    for _ in range(megabytes * 1024 * 1024 // LINE):
        lines.append(bytes(rnd.choice(alphabet) for _ in range(LINE - 1)) + b"\n")
    return lines


class Pty:
    """A pseudo-terminal pair; the slave stays open here so that its line
    buffer keeps what arrives before the reader opens it."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)  # no echo, no line editing: cat gets bytes
        self.name = os.ttyname(self.slave)

    def close(self):
        os.close(self.master)
        os.close(self.slave)


def wait_open(pid, path, limit=10.0):
    """Until the process holds the device open (and a moment for its set-up)."""
    end = time.monotonic() + limit
    while time.monotonic() < end:
        try:
            for fd in os.listdir(f"/proc/{pid}/fd"):
                if os.readlink(f"/proc/{pid}/fd/{fd}") == path:
                    time.sleep(0.3)
                    return True
        except OSError:
            pass
        time.sleep(0.02)
    return False


def push_and_time(pty, data, output, quiet=0.5):
    """Writes everything, then waits until the output stops growing; the
    time of its last growth ends the measurement."""
    start = time.monotonic()
    view = memoryview(data)
    while view:
        n = os.write(pty.master, view[:65536])
        view = view[n:]
    last_size, last_change = -1, time.monotonic()
    while time.monotonic() - last_change < quiet:
        size = os.path.getsize(output) if os.path.exists(output) else 0
        if size != last_size:
            last_size, last_change = size, time.monotonic()
        time.sleep(0.002)
    return last_change - start


def run_reader(name, argv, data, output, cwd, stdout_path=None):
    pty = Pty()
    argv = [a.replace("{tty}", pty.name).replace("{pts}", pty.name[len("/dev/"):]) for a in argv]
    out = open(stdout_path or output, "wb")
    proc = subprocess.Popen(argv, cwd=cwd, stdout=out, stderr=subprocess.PIPE)
    try:
        if not wait_open(proc.pid, pty.name):
            raise RuntimeError(f"{name} did not open {pty.name}")
        seconds = push_and_time(pty, data, output)
    finally:
        proc.terminate()
        try:
            _, err = proc.communicate(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            _, err = proc.communicate()
        out.close()
        pty.close()
    return seconds, err.decode(errors="replace")


def check_cat(output, data):
    with open(output, "rb") as f:
        return f.read() == data


def check_monitor(log, lines):
    """Each logged line is a prefix, " : ", the line's bytes and [LF]."""
    with open(log, "rb") as f:
        logged = f.read().split(b"\r\n")
    got = [l.split(b" : ", 1)[-1] for l in logged if l]
    want = [l[:-1] + b"[LF]" for l in lines]
    return got == want


def check_jpnevulator(output, data):
    hex_bytes = bytearray()
    with open(output, "r", errors="replace") as f:
        for line in f:
            if re.match(r"^\d{4}-\d{2}-\d{2} ", line):
                continue  # a time stamp line
            for token in line.split("\t")[0].split():
                if re.fullmatch(r"[0-9A-Fa-f]{2}", token):
                    hex_bytes.append(int(token, 16))
    return bytes(hex_bytes) == data


def monitor_ini(folder):
    """Time stamps with milliseconds, a new line after each line feed, the
    online log on: set here, not left to the defaults."""
    line_breaks = "0" * 10 + "1" + "0" * 245
    with open(os.path.join(folder, "Tamarik.ini"), "w", newline="") as f:
        f.write("[FrmMain]\r\nSDlg_FileName=online.txt\r\nchkOnlineLog_Checked=1\r\n"
                f"chkProtZeit_Checked=1\r\nchkMs_Checked=1\r\nZeilenw={line_breaks}\r\n")


def compare(program, megabytes):
    lines = test_data(megabytes)
    data = b"".join(lines)
    print(f"{len(data) / 1e6:.1f} MB through one pseudo-terminal into each reader")
    rates = {}
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "cat.out")
        seconds, _ = run_reader("cat", ["cat", "{tty}"], data, out, work)
        rates["cat"] = (len(data) / seconds, check_cat(out, data))

        folder = os.path.join(work, "monitor")
        os.mkdir(folder)
        monitor_ini(folder)
        log = os.path.join(folder, "online.txt")
        seconds, err = run_reader("tamarik", [program, "--headless", "--mode", "110", "--port-a", "{pts}"], data,
                                  log, folder, stdout_path=os.path.join(folder, "trace.out"))
        rates["tamarik --headless"] = (len(data) / seconds, check_monitor(log, lines))
        if err.strip():
            print("  tamarik:", err.strip().replace("\n", "\n  "))

        if shutil.which("jpnevulator"):
            out = os.path.join(work, "jpnevulator.out")
            seconds, _ = run_reader("jpnevulator", ["jpnevulator", "--tty={tty}", "--read", "--timing-print"], data,
                                    out, work)
            rates["jpnevulator"] = (len(data) / seconds, check_jpnevulator(out, data))
    for name, (rate, complete) in rates.items():
        print(f"  {name:20s} {rate / 1e6:8.2f} MB/s  {'every byte' if complete else 'BYTES MISSING'}")
    if "jpnevulator" in rates:
        print(f"  terminal front end / jpnevulator: {rates['tamarik --headless'][0] / rates['jpnevulator'][0]:.1f}x")
    print(f"  terminal front end / cat:         {rates['tamarik --headless'][0] / rates['cat'][0]:.2f}x")
    return all(complete for _, complete in rates.values())


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def cpu_share(program, seconds=5.0, rate=1_200_000):
    """The monitor in the line between two pseudo-terminals, each side
    sending at 1.2 MB/s (12 Mbaud), both far ends reading what is relayed."""
    pc, sps = Pty(), Pty()
    with tempfile.TemporaryDirectory() as work:
        proc = subprocess.Popen([program, "--headless", "--mode", "200", "--port-a", pc.name[5:], "--port-b",
                                 sps.name[5:]], cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        try:
            if not (wait_open(proc.pid, pc.name) and wait_open(proc.pid, sps.name)):
                raise RuntimeError("the monitor did not open both lines")
            for fd in (pc.master, sps.master):
                os.set_blocking(fd, False)
            chunk = bytes(b"0123456789ABCDEF"[i % 16] for i in range(rate // 100))
            cpu0, t0 = cpu_seconds(proc.pid), time.monotonic()
            sent = 0
            next_tick = t0
            while time.monotonic() - t0 < seconds:
                for fd in (pc.master, sps.master):
                    try:
                        sent += os.write(fd, chunk)
                    except BlockingIOError:
                        pass
                    try:
                        while os.read(fd, 65536):
                            pass
                    except BlockingIOError:
                        pass
                next_tick += 0.01
                time.sleep(max(0.0, next_tick - time.monotonic()))
            elapsed = time.monotonic() - t0
            share = (cpu_seconds(proc.pid) - cpu0) / elapsed
        finally:
            proc.terminate()
            proc.communicate(timeout=10)
            pc.close()
            sps.close()
    records = sent / elapsed
    print(f"two lines at 1.2 MB/s each, relayed: {records / 1e6:.2f} M records/s offered, "
          f"CPU share {share * 100:.0f} % of one core, {records / max(share, 1e-9) / 1e6:.1f} M records/s per core")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True)
    parser.add_argument("--megabytes", type=int, default=4)
    parser.add_argument("--skip-cpu", action="store_true")
    args = parser.parse_args()
    complete = compare(os.path.abspath(args.program), args.megabytes)
    if not args.skip_cpu:
        cpu_share(os.path.abspath(args.program))
    return 0 if complete else 1


if __name__ == "__main__":
    sys.exit(main())
