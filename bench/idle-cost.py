#!/usr/bin/env python3
"""Processor time VANTROK.exe uses under Wine while nothing happens.

  idle-cost.py --exe build-win64/bin/VANTROK.exe --station build/bin/vantrok-station \
               --work /tmp/vantrok-idle [--idle-minutes 10] [--driver PATH]

Starts the program on its own Xvfb display and Wine prefix against a fresh
station (no deliveries), and reads utime+stime of the program's process from
/proc: over its start-up minute, then over the idle minutes that follow. The
station's engine runs inside the program's process (the ODBC driver is loaded
there), so its share of every tick is counted too. The prefix's other
processes (wineserver, services) are reported apart.
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

TICKS = os.sysconf("SC_CLK_TCK")
STARTUP_SECONDS = 60


def cpu_seconds(pid):
    """utime+stime of one process, in seconds."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def prefix_processes(prefix):
    """pid -> name of every process whose environment names this prefix."""
    found = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as f:
                if b"WINEPREFIX=" + prefix.encode() + b"\0" not in f.read():
                    continue
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                found[int(entry)] = f.read().split(b"\0")[0].decode(errors="replace")
        except OSError:
            continue
    return found


def others_cpu(prefix, program_pid):
    """name -> processor seconds of the prefix's other processes."""
    times = {}
    for pid, name in prefix_processes(prefix).items():
        if pid == program_pid:
            continue
        try:
            name = os.path.basename(name.replace("\\", "/"))
            times[name] = times.get(name, 0.0) + cpu_seconds(pid)
        except OSError:
            pass
    return times


def difference(later, earlier):
    return {name: seconds - earlier.get(name, 0.0) for name, seconds in later.items()}


def describe(times, wall):
    busiest = sorted(times.items(), key=lambda item: -item[1])
    return ", ".join(f"{name} {seconds:.2f} s ({100 * seconds / wall:.2f} %)" for name, seconds in busiest
                     if seconds >= 0.005) or "none"


def start_display(work):
    read_end, write_end = os.pipe()
    process = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "xvfb.log"), "w"))
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            sys.exit("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return process, ":" + number.decode().strip()


def find_program(prefix, exe_name, until):
    while time.monotonic() < until:
        for pid, name in prefix_processes(prefix).items():
            if name.replace("\\", "/").lower().endswith(exe_name.lower()):
                return pid
        time.sleep(0.2)
    sys.exit(f"no process {exe_name} appeared")


def count_log(log_path):
    selections = backups = 0
    with open(log_path) as f:
        for line in f:
            if "delivery_type in (" in line:
                selections += 1
            elif "SYNX_TWO_DB_TO_BK1_BK2" in line:
                backups += 1
    return selections, backups


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--station", required=True, help="the vantrok-station tool")
    parser.add_argument("--work", required=True)
    parser.add_argument("--idle-minutes", type=float, default=10)
    parser.add_argument("--window", default="^FINAL VANTROK MODE$",
                        help="title of the window that shows the program is up")
    parser.add_argument("--driver", help="the station's ODBC driver, if not the one beside the tool")
    parser.add_argument("--wine", default="/usr/lib/wine/wine64" if os.path.exists("/usr/lib/wine/wine64") else "wine")
    args = parser.parse_args()

    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    station = os.path.join(work, "station")
    prefix = os.path.join(work, "prefix")
    display, display_name = start_display(work)
    env = dict(os.environ, DISPLAY=display_name, WINEPREFIX=prefix, WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=", ODBCSYSINI=station, LC_ALL="en_GB.UTF-8")
    program = None
    try:
        driver = ["--driver", os.path.abspath(args.driver)] if args.driver else []
        for words in (["init", station], ["register", station, *driver]):
            subprocess.run([args.station, *words], check=True)
        subprocess.run(["wineboot", "-i"], env=env, check=True, timeout=300,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Let the prefix's own services settle before the program starts.
        subprocess.run(["wineserver", "-w"], env=env, timeout=300)
        # A program of the prefix itself (notepad.exe) serves as a baseline.
        exe = os.path.abspath(args.exe) if os.path.exists(args.exe) else args.exe
        launched = time.monotonic()
        program = subprocess.Popen([args.wine, exe], env=env, cwd=work,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        pid = find_program(prefix, os.path.basename(exe), launched + 60)
        others_at_launch = others_cpu(prefix, pid)

        time.sleep(max(0.0, launched + STARTUP_SECONDS - time.monotonic()))
        startup_cpu = cpu_seconds(pid)
        others_after_startup = others_cpu(prefix, pid)
        startup_wall = time.monotonic() - launched

        idle_started = time.monotonic()
        log_path = os.path.join(station, "statements.log")
        selections_before, backups_before = count_log(log_path)
        time.sleep(args.idle_minutes * 60)
        idle_cpu = cpu_seconds(pid) - startup_cpu
        idle_others = difference(others_cpu(prefix, pid), others_after_startup)
        idle_wall = time.monotonic() - idle_started
        selections, backups = count_log(log_path)
        window = subprocess.run(["xdotool", "search", "--name", args.window], env=env,
                                capture_output=True, text=True).stdout.split()

        name = os.path.basename(exe)
        print(f"{name} start-up: {startup_cpu:.2f} s processor time in {startup_wall:.0f} s "
              f"({100 * startup_cpu / startup_wall:.2f} % of one core)")
        print(f"  other prefix processes: {describe(difference(others_after_startup, others_at_launch), startup_wall)}")
        print(f"{name} idle: {idle_cpu:.2f} s processor time in {idle_wall:.0f} s "
              f"({100 * idle_cpu / idle_wall:.3f} % of one core)")
        print(f"  other prefix processes: {describe(idle_others, idle_wall)}")
        print(f"idle ticks seen by the station: {selections - selections_before} selections, "
              f"{backups - backups_before} backup runs; window {args.window!r} found: {'yes' if window else 'no'}")
        return 0 if window else 1
    finally:
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)
        if program:
            try:
                program.wait(timeout=10)
            except subprocess.TimeoutExpired:
                program.kill()
        display.terminate()
        display.wait(timeout=10)


if __name__ == "__main__":
    sys.exit(main())
