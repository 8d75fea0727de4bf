#!/usr/bin/env python3
"""vantrok-check.exe under Wine against a station simulator: the report finds
yesterday's offline delivery missing, carry writes it once, the report then
finds everything accounted for; status tells through WMI whether VANTROK.exe
runs; its Prometheus file is replaced while the exporter holds it for a
moment, and is left alone, the probe UNKNOWN, while it holds it for good.
Exits 0 when all of that held."""

import argparse
import datetime
import os
import shutil
import subprocess
import sys

from vantrok_e2e import wine_loader


def held_file_replace(wine, env, check, holder, work):
    """The probe's file held by another program as the exporter holds it:
    for half a second past the replace, then for longer than the probe
    retries."""
    failures = []
    path = os.path.join(work, "vantrok.prom")
    windows_path = "Z:" + path.replace("/", "\\")
    for hold_ms, replaced in (("500", True), ("5000", False)):
        with open(path, "w") as f:
            f.write("vantrok_up 0\n")
        held = subprocess.Popen([wine, holder, windows_path, hold_ms], env=env, stdout=subprocess.PIPE, text=True)
        try:
            if held.stdout.readline().strip() != "held":
                failures.append(f"the holder did not open {path}")
                continue
            code, out = check("status", "--prometheus", windows_path)
            met = held.stdout.readline().strip() == "met"
        finally:
            held.wait(timeout=120)
        with open(path) as f:
            content = f.read()
        leftovers = sorted(n for n in os.listdir(work) if n.startswith("vantrok.prom.tmp"))
        if not met or leftovers:
            failures.append(f"held {hold_ms} ms: replacement met {met}, left {leftovers}")
        elif replaced and (code != 1 or "\nvantrok_up 1\n" not in content):
            failures.append(f"held {hold_ms} ms: exit {code}\n{out}{content}")
        elif not replaced and (code != 3 or "(another program holds it)" not in out or content != "vantrok_up 0\n"):
            failures.append(f"held for good: exit {code}\n{out}{content}")
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--station", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--holder", required=True)
    args = parser.parse_args()

    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    station_dir = os.path.join(work, "station")
    wine = wine_loader("win64")
    env = dict(os.environ, WINEPREFIX=os.path.join(work, "prefix"), WINEARCH="win64", WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=", ODBCSYSINI=station_dir)

    def station(*words):
        return subprocess.run([args.station, words[0], station_dir, *words[1:]], check=True,
                              capture_output=True, text=True).stdout

    def check(*words, answer=""):
        result = subprocess.run([wine, args.exe, *words], env=env, input=answer, capture_output=True,
                                text=True, timeout=300)
        return result.returncode, result.stdout.replace("\r\n", "\n")

    today = datetime.date.today()
    yesterday = today - datetime.timedelta(days=1)
    days = ["--from", yesterday.isoformat(), "--to", today.isoformat()]
    failures = []
    try:
        station("init")
        station("register")
        station("delivery", "--type", "14", "--pump", "2", "--hose", "1", "--volume", "20", "--price", "1.459",
                "--value", "29.18", "--completed", f"{yesterday.isoformat()} 12:00:00")
        subprocess.run([wine, "wineboot", "-i"], env=env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=300)

        code, out = check("report", *days)
        if code != 1 or "missing: a type-14 of an earlier day" not in out:
            failures.append(f"first report: exit {code}\n{out}")
        code, out = check("carry", *days, "--yes", "--settle", "0")
        if code != 0 or "wrote Delivery_ID 1 as INV/C9/" not in out:
            failures.append(f"carry: exit {code}\n{out}")
        code, out = check("report", *days, "--json")
        if code != 0 or '"accountedFor":true' not in out:
            failures.append(f"second report: exit {code}\n{out}")
        code, _ = check("report", "--from", today.isoformat())
        if code != 2:
            failures.append(f"wrong arguments: exit {code}")
        code, out = check("status")
        if code != 1 or not out.startswith("VANTROK WARNING - ") or "VANTROK is not running on this PC" not in out:
            failures.append(f"status without VANTROK.exe: exit {code}\n{out}")
        # In its start-up minute it runs, and imports nothing yet.
        vantrok = subprocess.Popen([wine, os.path.join(os.path.dirname(args.exe), "VANTROK.exe")], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            code, out = 1, ""
            for _ in range(30):
                code, out = check("status")
                if code == 0:
                    break
            if code != 0 or not out.startswith("VANTROK OK - "):
                failures.append(f"status with VANTROK.exe running: exit {code}\n{out}")
        finally:
            vantrok.kill()
            vantrok.wait()
        failures += held_file_replace(wine, env, check, args.holder, work)
        sales = station("sales").strip().splitlines()
        if len(sales) != 2:
            failures.append(f"daily sales: {sales}")
    finally:
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)
        shutil.rmtree(env["WINEPREFIX"], ignore_errors=True)
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
