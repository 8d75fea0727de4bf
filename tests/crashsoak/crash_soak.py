#!/usr/bin/env python3
"""Crash-restart soak: the importer killed (SIGKILL) at random points, and on
the FreeTDS road the TDS station killed and served again on the same port,
while the forecourt records deliveries throughout. After every round each
delivery must be carried by exactly one daily sale and no invoice number of a
day may repeat.

  crash_soak.py --station vantrok-station --cycle vantrok-cycle --work DIR [--driver freetds]
  crash_soak.py --station vantrok-station --exe VANTROK.exe --work DIR [--driver freetds]

--cycle runs the importer as vantrok-cycle --run (fast: many rounds), --exe
runs VANTROK.exe under Wine on its own Xvfb display (its start-up minute
comes at every start: few rounds). Exits 0 when nothing was lost, duplicated
or repeated, 1 otherwise, 77 when the road cannot run on this machine.
"""
import argparse
import csv
import io
import os
import random
import shutil
import signal
import subprocess
import sys
import time

from soak_audit import Delivery, Sale, audit

# The end-to-end runner's private Xvfb display, for VANTROK.exe under Wine.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from vantrok_e2e import Display  # noqa: E402

SKIPPED = 77

# Kill points. The importer's: at a random moment of its 4 s / 10 s schedule,
# or while the station holds a daily sale it has just stored. The station's
# (FreeTDS road): while it holds a sale, or in the middle of a slow backup.
IMPORTER_AT_RANDOM = "importer at a random moment"
IMPORTER_WHILE_HELD = "importer while its sale was held"
STATION_WHILE_HELD = "station while a sale was held"
STATION_IN_BACKUP = "station during a slow backup"
IMPORTER_KILLS = (IMPORTER_AT_RANDOM, IMPORTER_WHILE_HELD)
STATION_KILLS = (STATION_WHILE_HELD, STATION_IN_BACKUP)

POLL = 0.2


class Failure(Exception):
    pass


def say(*words):
    print(*words, flush=True)


def wait_until(condition, seconds):
    until = time.monotonic() + seconds
    while time.monotonic() < until:
        if condition():
            return True
        time.sleep(POLL)
    return condition()


def alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    return True


class Station:
    """The station folder through vantrok-station, and on the FreeTDS road its
    TDS endpoint, a process of its own that the soak may kill and serve again."""

    def __init__(self, tool, folder, driver):
        self.tool = tool
        self.folder = folder
        self.driver = driver
        self.server = None
        self.port = 0
        self.restarts = 0

    def run(self, *words):
        result = subprocess.run([self.tool, words[0], self.folder, *words[1:]], capture_output=True, text=True)
        if result.returncode != 0:
            raise Failure(f"vantrok-station {' '.join(words)}: {result.stderr.strip()}")
        return result.stdout

    def create(self):
        self.run("init")
        if self.driver == "freetds":
            self.serve()
            self.run("register", "--freetds", "--port", str(self.port))
        else:
            self.run("register")

    def serve(self):
        with open(os.path.join(os.path.dirname(self.folder), "serve.log"), "a") as log:
            self.server = subprocess.Popen([self.tool, "serve", self.folder, "--port", str(self.port)],
                                           stdout=subprocess.PIPE, stderr=log, text=True)
        line = self.server.stdout.readline()
        if not line.startswith("listening on 127.0.0.1:"):
            raise Failure(f"vantrok-station serve on port {self.port}: {line.strip() or 'no answer'}")
        self.port = int(line.strip().rsplit(":", 1)[1])

    def kill_server(self):
        self.server.kill()
        self.server.wait()

    def restart_server(self):
        """Served again on the same port at once, as a service manager would."""
        self.serve()
        self.restarts += 1

    def stop(self):
        if self.server and self.server.poll() is None:
            self.server.terminate()
            self.server.wait(timeout=10)

    def client(self):
        """The prefix that makes a command a client of the station as registered."""
        return [self.tool, "exec", self.folder, "--"]

    def fault(self, name, value):
        self.run("fault", name, value)

    def holder(self):
        """The process holding a daily sale, or None."""
        try:
            with open(os.path.join(self.folder, "sale-held")) as announcement:
                return int(announcement.read().strip() or 0) or None
        except (FileNotFoundError, ValueError):
            return None

    def release_hold(self):
        """Switches the hold off; an announcement left by a killed holder goes too."""
        self.fault("hold-after-sale", "off")
        if not wait_until(lambda: not (self.holder() and alive(self.holder())), 10):
            raise Failure("the held sale was not released")
        try:
            os.remove(os.path.join(self.folder, "sale-held"))
        except FileNotFoundError:
            pass

    def statement_log_size(self):
        try:
            return os.path.getsize(os.path.join(self.folder, "statements.log"))
        except FileNotFoundError:
            return 0

    def backup_called_since(self, offset):
        with open(os.path.join(self.folder, "statements.log"), errors="replace") as log:
            log.seek(offset)
            return "SYNX_TWO_DB_TO_BK1_BK2" in log.read()

    def deliveries(self):
        rows = self.run("sql", "enablerdb",
                        "SELECT Delivery_ID, Delivery_Type, Completed_TS FROM Hose_Delivery").splitlines()
        return [Delivery(int(i), int(t), c) for i, t, c in (row.split("\t") for row in rows)]

    def sales(self):
        rows = csv.DictReader(io.StringIO(self.run("sales")))
        return [Sale(int(row["Delivery_ID"]), row["VocNo"], row["S_Date"]) for row in rows
                if row["Delivery_ID"]]


class CycleImporter:
    """vantrok-cycle on the real 4 s / 10 s schedule."""

    name = "vantrok-cycle"
    # Its first import comes 4 s after its start; on the FreeTDS road a
    # reopened link may take three ticks.
    catch_up_seconds = 40

    def __init__(self, station, cycle, work):
        self.station = station
        self.cycle = cycle
        self.log = os.path.join(work, "importer.log")
        self.process = None

    def boot(self):
        pass

    def start(self):
        with open(self.log, "a") as log:
            self.process = subprocess.Popen([*self.station.client(), self.cycle, "--run", "86400"],
                                            stdout=log, stderr=subprocess.STDOUT)

    def pids(self):
        return [self.process.pid] if self.process and self.process.poll() is None else []

    def kill(self):
        self.process.kill()
        self.process.wait()

    def ended_by_itself(self):
        return self.process.poll() is not None

    def close(self):
        if self.process and self.process.poll() is None:
            self.kill()


class WineImporter:
    """VANTROK.exe under Wine, on its own display and prefix."""

    name = "VANTROK.exe under Wine"
    # The start-up minute, Wine's own start, then a few import ticks.
    catch_up_seconds = 130

    def __init__(self, station, exe, work, wine):
        self.station = station
        self.exe = exe
        self.wine = wine
        self.log = os.path.join(work, "importer.log")
        self.display = Display(work)
        self.env = dict(os.environ, DISPLAY=self.display.name, WINEPREFIX=os.path.join(work, "prefix"),
                        WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="en_GB.UTF-8",
                        ODBCSYSINI=station.folder)
        self.process = None

    def boot(self):
        subprocess.run(["wineboot", "-i"], env=self.env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=300)

    def start(self):
        # A copy still ending would make the new one end at once as a second copy.
        if not wait_until(lambda: not self.pids(), 30):
            raise Failure("a killed VANTROK.exe did not go away")
        with open(self.log, "a") as log:
            self.process = subprocess.Popen([*self.station.client(), self.wine, self.exe], env=self.env,
                                            stdout=log, stderr=subprocess.STDOUT)

    def pids(self):
        """Linux processes of this prefix that run VANTROK.exe."""
        found = []
        marker = f"WINEPREFIX={self.env['WINEPREFIX']}".encode()
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/environ", "rb") as environ:
                    if marker not in environ.read().split(b"\0"):
                        continue
                with open(f"/proc/{entry}/cmdline", "rb") as cmdline:
                    if b"vantrok.exe" in cmdline.read().lower():
                        found.append(int(entry))
            except OSError:
                continue
        return found

    def kill(self):
        for pid in self.pids():
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.process.wait()

    def ended_by_itself(self):
        return self.process.poll() is not None

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
        if self.process:
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.display.close()
        shutil.rmtree(self.env["WINEPREFIX"], ignore_errors=True)


class Soak:
    def __init__(self, args, station, importer):
        self.args = args
        self.station = station
        self.importer = importer
        self.random = random.Random(args.seed)
        self.kills = {kind: 0 for kind in IMPORTER_KILLS + (STATION_KILLS if args.driver == "freetds" else ())}
        self.problems = []
        self.findings = None
        self.checked = 0
        self.started = time.monotonic()

    def kill_points(self):
        """Every kind in turn, each turn in a seeded order, so a short run meets them all."""
        while True:
            kinds = list(self.kills)
            self.random.shuffle(kinds)
            yield from kinds

    def run(self):
        traffic = subprocess.Popen([self.station.tool, "traffic", self.station.folder, "--every",
                                    str(self.args.every), "--seed", str(self.args.seed)],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            self.importer.start()
            points = self.kill_points()
            for number in range(1, self.args.rounds + 1):
                kind = next(points)
                self.kill(kind)
                self.check(f"round {number} ({kind})")
            self.check("after the last round")
        finally:
            traffic.terminate()
            traffic.wait()

    def kill(self, kind):
        if kind == IMPORTER_AT_RANDOM:
            time.sleep(self.random.uniform(0, 10))
            self.kill_importer()
        elif kind == IMPORTER_WHILE_HELD:
            held = self.hold()
            if held:
                self.kill_importer()
            self.station.release_hold()
            if not held:
                kind = None
        elif kind == STATION_WHILE_HELD:
            held = self.hold()
            self.station.kill_server()
            self.station.release_hold()
            self.station.restart_server()
            if not held:
                kind = None
        elif kind == STATION_IN_BACKUP:
            self.station.fault("backup-seconds", "8")
            since = self.station.statement_log_size()
            in_backup = wait_until(lambda: self.station.backup_called_since(since), self.importer.catch_up_seconds)
            time.sleep(self.random.uniform(0.2, 3) if in_backup else 0)
            self.station.kill_server()
            self.station.fault("backup-seconds", "off")
            self.station.restart_server()
            if not in_backup:
                kind = None
        if kind:
            self.kills[kind] += 1
        else:
            say("  (no kill at the chosen point this round: it never came)")

    def hold(self):
        """Holds the next daily sale; whether one was held in time."""
        self.station.fault("hold-after-sale", "on")
        return wait_until(lambda: self.station.holder() is not None, self.importer.catch_up_seconds)

    def kill_importer(self):
        if self.importer.ended_by_itself():
            raise Failure(f"{self.importer.name} ended by itself; see {self.importer.log}")
        self.importer.kill()
        self.importer.start()

    def check(self, what):
        """Waits for the importer to carry what was recorded up to now, then audits."""
        if self.importer.ended_by_itself():
            raise Failure(f"{self.importer.name} ended by itself; see {self.importer.log}")
        # At least one delivery recorded after the kill, so the importer that
        # goes on (restarted, or reconnected) has something of its own to carry.
        at_kill = self.latest_delivery()
        if not wait_until(lambda: self.latest_delivery() > at_kill, 30):
            raise Failure("the forecourt traffic stopped")
        up_to = self.checked = self.latest_delivery()
        today = time.strftime("%Y-%m-%d")

        def findings():
            return audit(self.station.deliveries(), self.station.sales(), up_to, today)

        wait_until(lambda: not findings().lost, self.importer.catch_up_seconds)
        self.findings = findings()
        problems = self.findings.problems()
        say(f"{time.monotonic() - self.started:6.0f}s {what}: {up_to} deliveries, "
            f"{'; '.join(problems) if problems else 'each carried once'}")
        self.problems += [f"{what}: {problem}" for problem in problems]

    def latest_delivery(self):
        return max((d.delivery_id for d in self.station.deliveries()), default=0)

    def summary(self):
        f = self.findings
        say(f"crash-restart soak, {self.importer.name} on the {self.args.driver} road, seed {self.args.seed}")
        lines = [("rounds", self.args.rounds)]
        lines += [(f"killed: {kind}", count) for kind, count in self.kills.items()]
        lines += [("station restarts", self.station.restarts),
                  ("deliveries checked", f"{self.checked} (Delivery_ID 1 to {self.checked})"),
                  ("lost", len(f.lost)), ("duplicated", len(f.duplicated)),
                  ("repeated invoice numbers", len(f.repeated))]
        if f.not_due:
            lines.append(("offline of a day gone by", f"{len(f.not_due)} (no import selects them any more)"))
        for label, value in lines:
            say(f"  {label:<42} {value}")


def road_runs_here(driver):
    # The FreeTDS road maps "(LOCAL)" in a private mount namespace: root only.
    return driver != "freetds" or os.geteuid() == 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--station", required=True, help="vantrok-station")
    importers = parser.add_mutually_exclusive_group(required=True)
    importers.add_argument("--cycle", help="vantrok-cycle: the importer without its window")
    importers.add_argument("--exe", help="VANTROK.exe, under Wine")
    parser.add_argument("--work", required=True, help="a folder of its own (emptied first)")
    parser.add_argument("--driver", choices=["simulator", "freetds"], default="simulator",
                        help="the station's own ODBC driver, or FreeTDS over TDS")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--rounds", type=int, default=10)
    parser.add_argument("--every", type=float, default=0.5, help="seconds between deliveries")
    parser.add_argument("--wine", default="wine")
    args = parser.parse_args()
    if args.rounds < 1 or args.every <= 0:
        parser.error("--rounds takes a number from 1, --every a number of seconds above 0")
    if not road_runs_here(args.driver):
        say("skipped: the FreeTDS road needs root (a private mount namespace for (LOCAL))")
        return SKIPPED

    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    station = Station(os.path.abspath(args.station), os.path.join(work, "station"), args.driver)
    if args.cycle:
        importer = CycleImporter(station, os.path.abspath(args.cycle), work)
    else:
        importer = WineImporter(station, os.path.abspath(args.exe), work, args.wine)
    soak = Soak(args, station, importer)
    try:
        station.create()
        importer.boot()
        soak.run()
    except Failure as failure:
        soak.problems.append(str(failure))
    finally:
        importer.close()
        station.stop()
    if soak.findings:
        soak.summary()
    for problem in soak.problems:
        print("FAILED:", problem, file=sys.stderr, flush=True)
    return 1 if soak.problems else 0


if __name__ == "__main__":
    sys.exit(main())
