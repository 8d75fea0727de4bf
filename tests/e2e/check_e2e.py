#!/usr/bin/env python3
"""vantrok-check.exe under Wine against a station simulator: the report finds
yesterday's offline delivery missing, carry writes it once, the report then
finds everything accounted for; status tells through WMI whether VANTROK.exe
runs. Exits 0 when all of that held."""

import argparse
import datetime
import os
import shutil
import subprocess
import sys


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--station", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()

    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    station_dir = os.path.join(work, "station")
    env = dict(os.environ, WINEPREFIX=os.path.join(work, "prefix"), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=", ODBCSYSINI=station_dir)

    def station(*words):
        return subprocess.run([args.station, words[0], station_dir, *words[1:]], check=True,
                              capture_output=True, text=True).stdout

    def check(*words, answer=""):
        result = subprocess.run(["wine", args.exe, *words], env=env, input=answer, capture_output=True,
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
        subprocess.run(["wineboot", "-i"], env=env, check=True, stdout=subprocess.DEVNULL,
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
        vantrok = subprocess.Popen(["wine", os.path.join(os.path.dirname(args.exe), "VANTROK.exe")], env=env,
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
