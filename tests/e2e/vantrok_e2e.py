#!/usr/bin/env python3
"""Runs VANTROK.exe under Wine on its own Xvfb display against a station.

One scenario per run; each gets its own Wine prefix, display and station, so
several runs can go side by side:

  vantrok_e2e.py --scenario NAME --exe VANTROK.exe --station vantrok-station --work DIR

Scenarios: normal-start, short-date-refused, connect-retry, reconnect,
tray-record (with --probe and --record-size), installer (with --installer and
--version).
What the program shows is read from Wine's own traces: the texts it gives its
windows (trace+win) and the command lines it starts (trace+process).
"""
import argparse
import csv
import filecmp
import io
import os
import re
import shutil
import subprocess
import sys
import time

MAIN_CAPTION = "FINAL VANTROK MODE"
LABEL_TEXT = "FINAL VANTROK MODE Torvane"
SHORT_DATE_MESSAGE = "Short Date format must be - dd/MM/yyyy"
SHORT_DATE_TITLE = "VANTROK"
RETRY_MESSAGE = "Fail to connect SQL Server ,Click Yes to Retry"
RETRY_TITLE = "Vantrok"
REGIONAL_SETTINGS = "rundll32.exe shell32.dll,Control_RunDLL intl.cpl,,0"

# The program waits one minute before anything shows; Wine itself needs a
# few seconds more to start it.
QUIET_MINUTE = 57
SHOWS_BY = 100
# A few import ticks (4 s each) on a loaded machine.
IMPORT_WITHIN = 30


STARTED = time.monotonic()


class Failure(Exception):
    pass


def report(*words):
    print(f"{time.monotonic() - STARTED:6.1f}s", *words, flush=True)


def check(condition, what):
    if not condition:
        raise Failure(what)
    report("ok:", what)


class Display:
    """A private Xvfb server."""

    def __init__(self, work):
        read_end, write_end = os.pipe()
        with open(os.path.join(work, "xvfb.log"), "w") as log:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=log)
        os.close(write_end)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_end, 16)
            if not chunk:
                raise Failure("Xvfb did not start")
            number += chunk
        os.close(read_end)
        self.name = ":" + number.decode().strip()

    def close(self):
        self.process.terminate()
        self.process.wait(timeout=10)


class Session:
    """A Wine prefix, a display and a station for one scenario."""

    def __init__(self, args, locale):
        self.args = args
        self.work = os.path.abspath(args.work)
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        self.display = Display(self.work)
        self.station_dir = os.path.join(self.work, "station")
        self.env = dict(os.environ)
        self.env.update({
            "DISPLAY": self.display.name,
            "WINEPREFIX": os.path.join(self.work, "prefix"),
            "WINEDEBUG": "-all,trace+win,trace+process,trace+systray",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "ODBCSYSINI": self.station_dir,
            # Wine's own services write the locale of their environment into
            # the prefix's registry when they start, so every process in the
            # prefix runs under the one locale.
            "LC_ALL": locale,
        })
        self.programs = []
        self.server = None

    # --- station -----------------------------------------------------------
    def station(self, *words):
        result = subprocess.run([self.args.station, words[0], self.station_dir, *words[1:]],
                                capture_output=True, text=True)
        if result.returncode != 0:
            raise Failure(f"vantrok-station {' '.join(words)}: {result.stderr.strip()}")
        return result.stdout

    def sold_delivery_ids(self):
        rows = csv.DictReader(io.StringIO(self.station("sales")))
        return [row["Delivery_ID"] for row in rows]

    def statement_log(self):
        return self.station("log").splitlines()

    def add_delivery(self, delivery_type):
        return self.station("delivery", "--type", str(delivery_type), "--pump", "1", "--hose", "1",
                            "--volume", "45.46", "--price", "1.459", "--value", "66.33").strip()

    # --- Wine --------------------------------------------------------------
    def boot(self):
        self.station("init")
        if self.args.driver == "freetds":
            self.serve()
        else:
            self.station("register")
        subprocess.run(["wineboot", "-i"], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)

    def serve(self):
        """The station on TDS at a free port, FreeTDS registered for it."""
        self.server = subprocess.Popen([self.args.station, "serve", self.station_dir, "--port", "0"],
                                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        line = self.server.stdout.readline()
        if not line.startswith("listening on 127.0.0.1:"):
            raise Failure(f"vantrok-station serve: {line.strip()}")
        self.station("register", "--freetds", "--port", line.strip().rsplit(":", 1)[1])

    def start(self, name, *command):
        """Starts VANTROK.exe, or another command in the prefix, logged to NAME.log."""
        path = os.path.join(self.work, name + ".log")
        # On FreeTDS, as a client of the station: its registration, and "(LOCAL)" reaching it.
        client = [self.args.station, "exec", self.station_dir, "--"] if self.args.driver == "freetds" else []
        with open(path, "w") as log:
            process = subprocess.Popen([*client, self.args.wine, *(command or [self.args.exe])], env=self.env,
                                       cwd=self.work, stdout=log, stderr=subprocess.STDOUT)
        self.programs.append(process)
        return process, path

    def wine(self, *command, timeout=120):
        """Runs a program in the prefix to its end: exit status and output.

        The output goes through a file, not a pipe: programs it starts (the
        installer starts VANTROK.exe) inherit it and would hold a pipe open."""
        with open(os.path.join(self.work, "wine-command.out"), "w+", errors="replace") as output:
            result = subprocess.run([self.args.wine, *command], env=self.env, stdout=output,
                                    stderr=subprocess.DEVNULL, timeout=timeout)
            output.seek(0)
            return result.returncode, output.read()

    def windows_processes(self, marker):
        """Linux process ids of this prefix's Windows processes whose command line holds marker."""
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/environ", "rb") as environ:
                    if f"WINEPREFIX={self.env['WINEPREFIX']}".encode() not in environ.read().split(b"\0"):
                        continue
                with open(f"/proc/{entry}/cmdline", "rb") as cmdline:
                    command = cmdline.read().replace(b"\0", b" ").decode(errors="replace")
            except OSError:
                continue
            if marker.lower() in command.lower():
                found.append(int(entry))
        return found

    def drive_c(self, windows_path):
        """Where a C: path of the prefix is on this machine."""
        assert windows_path[:3].upper() == "C:\\"
        return os.path.join(self.env["WINEPREFIX"], "drive_c", *windows_path[3:].split("\\"))

    def set_dpi(self, dpi):
        code, _ = self.wine("reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels",
                            "/t", "REG_DWORD", "/d", str(dpi), "/f")
        check(code == 0, f"the screen is set to {dpi} dpi")

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
        for process in self.programs:
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self.display.close()
        if self.server:
            self.server.terminate()
            self.server.wait(timeout=10)
        shutil.rmtree(self.env["WINEPREFIX"], ignore_errors=True)

    # --- X windows ---------------------------------------------------------
    def xdotool(self, *words, check_result=False):
        result = subprocess.run(["xdotool", *words], env=self.env, capture_output=True, text=True)
        if check_result and result.returncode != 0:
            raise Failure(f"xdotool {' '.join(words)}: {result.stderr.strip()}")
        return result.stdout

    def windows(self, title):
        """X windows whose title is exactly this (xdotool matches without case)."""
        found = self.xdotool("search", "--onlyvisible", "--name", f"^{title}$").split()
        return [w for w in found if self.xdotool("getwindowname", w).rstrip("\n") == title]

    def wait_for_window(self, title, until, what):
        while time.monotonic() < until:
            found = self.windows(title)
            if found:
                return found[0]
            time.sleep(0.5)
        raise Failure(f"no window {title!r}: {what}")

    def press(self, window, key):
        self.xdotool("windowfocus", "--sync", window, check_result=True)
        self.xdotool("key", "--clearmodifiers", key, check_result=True)

    def tray_icon(self):
        """Where the program's tray icon is, the only one in the tray.

        Without a window manager Wine's tray is a small window of its own,
        placed where the main window is: it is moved below first."""
        trays = self.windows("Wine System Tray")
        if not trays:
            raise Failure("no tray window")
        self.xdotool("windowmove", "--sync", trays[0], "3", "70")
        return "12", "80"

    def click(self, point, button, repeat=1):
        self.xdotool("mousemove", *point, check_result=True)
        self.xdotool("click", "--repeat", str(repeat), "--delay", "80", button, check_result=True)

    def helper(self, *words):
        """Runs window_helper.exe in the prefix: what a user or the shell would do."""
        code, output = self.wine(self.args.helper, *words, timeout=60)
        if code != 0:
            raise Failure(f"window_helper {' '.join(words)} failed ({code})")
        return output

    def screenshot(self, name):
        # The pointer comes to rest on the tray icon so its tip shows as well.
        x, y = self.tray_icon()
        for point in (("300", "300"), (x, y), (str(int(x) + 1), str(int(y) + 1))):
            self.xdotool("mousemove", *point)
            time.sleep(0.5)
        time.sleep(2.5)
        path = os.path.join(self.work, name)
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True)
        report("screenshot:", path)


def texts_shown(log_path):
    """Window texts the program set, from Wine's trace+win output."""
    marker = ":trace:win:set_window_text L\""
    texts = []
    with open(log_path, errors="replace") as log:
        for line in log:
            at = line.find(marker)
            if at >= 0:
                texts.append(line[at + len(marker):].rstrip("\n").rstrip('"'))
    return texts


def tray_requests(log_path):
    """Shell_NotifyIcon operations the program asked for: 0 add, 2 delete."""
    marker = ":trace:systray:Shell_NotifyIconW dwMessage = "
    with open(log_path, errors="replace") as log:
        return [int(line[line.find(marker) + len(marker):].split(",")[0])
                for line in log if marker in line]


def programs_started(log_path):
    marker = ":trace:process:CreateProcessInternalW app (null) cmdline L\""
    with open(log_path, errors="replace") as log:
        return [line[line.find(marker) + len(marker):].rstrip("\n").rstrip('"')
                for line in log if marker in line]


def wait_for(condition, seconds, what):
    until = time.monotonic() + seconds
    while time.monotonic() < until:
        if condition():
            report("ok:", what)
            return
        time.sleep(1)
    raise Failure(what)


def ended(process, seconds):
    try:
        process.wait(timeout=seconds)
        return True
    except subprocess.TimeoutExpired:
        return False


def expect_quiet_minute(session, process, started, titles):
    """Nothing at all on the screen during the start-up wait."""
    while time.monotonic() < started + QUIET_MINUTE:
        for title in titles:
            if session.windows(title):
                raise Failure(f"{title!r} showed before the one-minute wait was over")
        if process.poll() is not None:
            raise Failure(f"VANTROK.exe ended during the wait (exit {process.returncode})")
        time.sleep(1)
    report("ok: nothing shown during the first minute")


def bring_up_main_window(session):
    process, log = session.start("vantrok")
    started = time.monotonic()
    expect_quiet_minute(session, process, started, [MAIN_CAPTION, RETRY_TITLE, SHORT_DATE_TITLE])
    window = session.wait_for_window(MAIN_CAPTION, started + SHOWS_BY, "after the wait")
    return process, log, window


def expect_import(session, delivery_id, what):
    wait_for(lambda: delivery_id in session.sold_delivery_ids(), IMPORT_WITHIN, what)
    check(session.sold_delivery_ids().count(delivery_id) == 1, "written once")


def close_main_window(session, process, window):
    session.press(window, "alt+F4")
    check(ended(process, 20), "closing the window ends the process")


def scenario_normal_start(session):
    live = session.add_delivery(6)
    process, log, window = bring_up_main_window(session)
    check(LABEL_TEXT in texts_shown(log), "the window shows its label")
    geometry = session.xdotool("getwindowgeometry", window)
    check("Geometry: 202x32" in geometry, "the client area is 202 by 32 pixels")
    check(tray_requests(log) == [0], "the tray icon is added once")
    expect_import(session, live, "a delivery recorded before the start becomes a daily sale")
    offline = session.add_delivery(14)
    later = session.add_delivery(6)
    expect_import(session, offline, "an offline delivery becomes a daily sale")
    expect_import(session, later, "a delivery recorded while running becomes a daily sale")
    wait_for(lambda: "torvane\tEXEC SYNX_TWO_DB_TO_BK1_BK2" in session.statement_log(), 20,
             "the backup procedure runs")

    second, second_log = session.start("second-copy")
    check(ended(second, 30), "a second VANTROK.exe ends at once")
    check(len(session.windows(MAIN_CAPTION)) == 1 and not session.windows(RETRY_TITLE),
          "the second copy shows nothing")
    check(MAIN_CAPTION not in texts_shown(second_log), "the second copy made no window")

    check_tray_icon(session, log)
    session.screenshot("vantrok-running.png")
    close_main_window(session, process, window)
    check(tray_requests(log)[-1] == 2, "the tray icon is taken away when the window closes")


def check_tray_icon(session, log):
    icon = session.tray_icon()
    session.helper("hide", MAIN_CAPTION)
    check(not session.windows(MAIN_CAPTION), "the window can be hidden")
    session.click(icon, "3")
    time.sleep(1)
    session.click(icon, "1")
    time.sleep(2)
    check(not session.windows(MAIN_CAPTION), "single and right clicks on the tray icon do nothing")
    session.click(icon, "1", repeat=2)
    wait_for(lambda: session.windows(MAIN_CAPTION), 10, "a double-click on the tray icon shows the window")
    session.helper("taskbar-created")
    wait_for(lambda: tray_requests(log) == [0, 0], 10, "the icon is added again when the shell restarts")


def scenario_short_date_refused(session):
    process, log = session.start("vantrok")
    started = time.monotonic()
    expect_quiet_minute(session, process, started, [SHORT_DATE_TITLE, MAIN_CAPTION])
    box = session.wait_for_window(SHORT_DATE_TITLE, started + SHOWS_BY, "the short date message")
    check(SHORT_DATE_MESSAGE in texts_shown(log), "the message names the required format")
    check(REGIONAL_SETTINGS not in programs_started(log), "the panel waits for the message")
    session.press(box, "Return")
    check(ended(process, 20), "after OK the process ends")
    check(REGIONAL_SETTINGS in programs_started(log), "the regional settings panel is launched")
    check(not session.windows(MAIN_CAPTION), "no main window")


def scenario_connect_retry(session):
    session.station("fault", "refuse-connections", "on")
    process, log = session.start("vantrok")
    started = time.monotonic()
    expect_quiet_minute(session, process, started, [RETRY_TITLE, MAIN_CAPTION])
    box = session.wait_for_window(RETRY_TITLE, started + SHOWS_BY, "the connect retry message")
    check(texts_shown(log).count(RETRY_MESSAGE) == 1, "the retry message is shown")

    session.press(box, "Return")
    wait_for(lambda: texts_shown(log).count(RETRY_MESSAGE) == 2, 30,
             "OK while the server refuses brings the message again")
    box = session.wait_for_window(RETRY_TITLE, time.monotonic() + 10, "the second retry message")
    check(not session.windows(MAIN_CAPTION), "no main window while refused")

    session.station("fault", "refuse-connections", "off")
    delivery = session.add_delivery(6)
    session.press(box, "Return")
    window = session.wait_for_window(MAIN_CAPTION, time.monotonic() + 30, "after the server accepts")
    expect_import(session, delivery, "imports start once connected")
    check(texts_shown(log).count(RETRY_MESSAGE) == 2, "no further message")
    close_main_window(session, process, window)


def scenario_reconnect(session):
    first = session.add_delivery(6)
    process, log, window = bring_up_main_window(session)
    expect_import(session, first, "imports run before the fault")

    session.station("fault", "refuse-connections", "on")
    session.station("fault", "break-connections", "on")
    waiting = session.add_delivery(6)
    time.sleep(12)
    check(waiting not in session.sold_delivery_ids(), "nothing is imported while the server is away")
    session.station("fault", "break-connections", "off")
    session.station("fault", "refuse-connections", "off")
    expect_import(session, waiting, "imports resume on their own once the server accepts again")
    later = session.add_delivery(14)
    expect_import(session, later, "later deliveries follow")
    check(not session.windows(RETRY_TITLE), "no message once the window is up")
    check(RETRY_MESSAGE not in texts_shown(log), "no retry message was ever shown")
    close_main_window(session, process, window)


def scenario_tray_record(session):
    """The record the shell receives, read by a debugger at Shell_NotifyIconA;
    on a screen scaled to 150 %, so the window's sizes are checked there too."""
    session.set_dpi(144)
    probe, probe_log = session.start("tray-probe", session.args.probe, session.args.exe)
    window = session.wait_for_window(MAIN_CAPTION, time.monotonic() + SHOWS_BY, "after the wait")
    check(ended(probe, 30) and probe.returncode == 0, "the probe saw the tray icon registered")
    with open(probe_log, errors="replace") as log:
        line = next((line for line in log if line.startswith("message=")), "")
    fields = dict(re.findall(r"(\w+)=(.*?)(?= \w+=|$)", line.strip()))
    report("record:", fields)
    check(fields.get("message") == "0", "the icon is added (NIM_ADD)")
    check(fields.get("cbSize") == str(session.args.record_size),
          f"cbSize is {session.args.record_size}: the record's first form")
    check(fields.get("hWnd") == MAIN_CAPTION, "the record names the main window")
    check((fields.get("uID"), fields.get("uFlags"), fields.get("uCallbackMessage")) == ("0", "7", "512"),
          "id 0, flags message, icon and tip, callback WM_MOUSEMOVE")
    check(fields.get("hIcon") == "yes" and fields.get("szTip") == "VANTROK", "the icon and the tip VANTROK")
    check("Geometry: 303x48" in session.xdotool("getwindowgeometry", window),
          "at 150 % the client area is 303 by 48 pixels")
    running = session.windows_processes("VANTROK.exe")
    check(len(running) == 1, "the program runs on without the probe")
    session.press(window, "alt+F4")
    wait_for(lambda: not session.windows_processes("VANTROK.exe"), 20, "closing the window ends it")


UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTROK"
STARTUP_SHORTCUT = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\VANTROK.lnk"
FLUSH_MARK = "E2eRegistryFlushed"


def uninstall_entry(session):
    """The Programs and Features entry: value name -> data, or None."""
    code, output = session.wine("reg", "query", UNINSTALL_KEY)
    if code != 0:
        return None
    values = {}
    for line in output.splitlines():
        parts = re.split(r"\s{4}", line.strip())
        if len(parts) == 3:
            values[parts[0]] = parts[2]
    return values


def files_named_vantrok(session):
    found = []
    for folder, names, files in os.walk(os.path.join(session.env["WINEPREFIX"], "drive_c")):
        found += [os.path.join(folder, name) for name in names + files if "vantrok" in name.lower()]
    return found


def registry_lines_naming_vantrok(session):
    """Every key or value of the prefix's registry that names VANTROK, read from
    the registry files once Wine has written them out."""
    session.wine("reg", "add", "HKCU\\Software\\" + FLUSH_MARK, "/f")
    subprocess.run(["wineserver", "-k"], env=session.env, timeout=60)
    subprocess.run(["wineserver", "-w"], env=session.env, timeout=60)
    text = ""
    for name in ("system.reg", "user.reg", "userdef.reg"):
        with open(os.path.join(session.env["WINEPREFIX"], name), errors="replace") as registry:
            text += registry.read()
    check(FLUSH_MARK in text, "the registry files are written out")
    return [line for line in text.splitlines() if "vantrok" in line.lower()]


def run_installer(session, name):
    code, _ = session.wine(session.args.installer, "/S", timeout=300)
    check(code == 0, f"{name}: the silent installer ends with exit code 0")


def scenario_installer(session):
    check(not files_named_vantrok(session) and uninstall_entry(session) is None,
          "the prefix holds nothing of VANTROK before the install")
    delivery = session.add_delivery(6)

    run_installer(session, "install")
    entry = uninstall_entry(session) or {}
    folder = entry.get("InstallLocation", "")
    check(re.fullmatch(r"C:\\Program Files( \(x86\))?\\VANTROK", folder), f"installed into {folder}")
    program = folder + "\\VANTROK.exe"
    check(filecmp.cmp(session.drive_c(program), session.args.exe, shallow=False),
          "VANTROK.exe is the build's")
    check(os.path.isfile(session.drive_c(folder + "\\uninstall.exe")), "the uninstaller is there")
    check(session.helper("shortcut-target", STARTUP_SHORTCUT).strip() == program,
          "the common Startup folder's shortcut starts the installed program")
    check(entry.get("DisplayName") == "VANTROK" and entry.get("DisplayVersion") == session.args.version,
          f"Programs and Features lists VANTROK {session.args.version}")
    check(entry.get("UninstallString") == f'"{folder}\\uninstall.exe"'
          and entry.get("QuietUninstallString") == f'"{folder}\\uninstall.exe" /S',
          "with its uninstaller, also silent")
    wait_for(lambda: len(session.windows_processes(program)) == 1, 20,
             "the installer starts the installed program")
    first = session.windows_processes(program)

    # Still in its start-up minute: it has no window to close.
    run_installer(session, "upgrade over the running copy")
    wait_for(lambda: len(session.windows_processes(program)) == 1
             and session.windows_processes(program) != first, 20,
             "the running copy is ended and the new one started")

    window = session.wait_for_window(MAIN_CAPTION, time.monotonic() + SHOWS_BY,
                                     "the installed program's window")
    expect_import(session, delivery, "the installed program carries a delivery")

    # As a roll-out tool would: the quiet uninstall command that the entry gives.
    quoted_program, arguments = re.fullmatch(r'"([^"]+)" (.*)', entry["QuietUninstallString"]).groups()
    code, _ = session.wine(quoted_program, *arguments.split(), timeout=300)
    check(code == 0, "the silent uninstaller starts")
    # The uninstaller works from a copy of itself in the temporary folder.
    wait_for(lambda: not session.windows_processes("_?="), 60, "the uninstaller finishes")
    check(not session.windows_processes("VANTROK.exe") and not session.windows(MAIN_CAPTION),
          "the uninstaller ends the running copy")
    check(uninstall_entry(session) is None, "the Programs and Features entry is gone")
    leftovers = files_named_vantrok(session)
    check(not leftovers, f"no file or shortcut of VANTROK is left {leftovers}")
    check(not os.path.exists(session.drive_c(folder)), "its folder is gone")
    left_in_registry = registry_lines_naming_vantrok(session)
    check(not left_in_registry, f"no registry key or value names VANTROK {left_in_registry}")


# Each scenario with the locale it runs under: Wine gives en_GB the short
# date pattern dd/MM/yyyy and en_US M/d/yyyy.
SCENARIOS = {
    "normal-start": (scenario_normal_start, "en_GB.UTF-8"),
    "short-date-refused": (scenario_short_date_refused, "en_US.UTF-8"),
    "connect-retry": (scenario_connect_retry, "en_GB.UTF-8"),
    "reconnect": (scenario_reconnect, "en_GB.UTF-8"),
    "tray-record": (scenario_tray_record, "en_GB.UTF-8"),
    "installer": (scenario_installer, "en_GB.UTF-8"),
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--scenario", required=True, choices=sorted(SCENARIOS))
    parser.add_argument("--exe", required=True)
    parser.add_argument("--station", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--helper", required=True, help="window_helper.exe")
    parser.add_argument("--wine", default="wine")
    parser.add_argument("--driver", choices=["simulator", "freetds"], default="simulator",
                        help="the station's own ODBC driver, or FreeTDS over TDS")
    parser.add_argument("--probe", help="tray_probe.exe of the program's bitness (tray-record)")
    parser.add_argument("--record-size", type=int, help="the tray record's expected cbSize (tray-record)")
    parser.add_argument("--installer", help="the installer of --exe (installer)")
    parser.add_argument("--version", help="the version the installer registers (installer)")
    args = parser.parse_args()
    for name in ("exe", "helper", "probe", "installer"):
        if getattr(args, name):
            setattr(args, name, os.path.abspath(getattr(args, name)))

    run, locale = SCENARIOS[args.scenario]
    session = Session(args, locale)
    try:
        session.boot()
        report("prefix booted")
        run(session)
    except Failure as failure:
        print("FAILED:", failure, file=sys.stderr, flush=True)
        return 1
    finally:
        session.close()
    print("passed:", args.scenario)
    return 0


if __name__ == "__main__":
    sys.exit(main())
