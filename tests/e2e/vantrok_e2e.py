#!/usr/bin/env python3
"""Runs VANTROK.exe under Wine on its own Xvfb display against a station.

One scenario per run; each gets its own Wine prefix, display and station, so
several runs can go side by side:

  vantrok_e2e.py --scenario NAME --exe VANTROK.exe --station vantrok-station --work DIR

Scenarios: normal-start, short-date-refused, connect-retry, reconnect,
tray-record (with --probe and --record-size), installer (with --installer,
--version, --nsi and --launch), installer-failures (as installer, with
--failing-launch: failed upgrades, run as root for a small disk),
installer-views (as installer: an installation of the other bitness, uninstall
then install), installer-views-x86 (with --installer and --x86-installer),
installed-carries (with --installer and --version: install, carry a delivery,
uninstall), installer-in-job (with --installer, --version, --launch and
--job-runner).
A 32-bit prefix (--arch win32) needs a kernel that runs 32-bit programs and
the 32-bit Wine and ODBC libraries; where they are missing the run exits with
SKIPPED (77) and says why.
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
SKIPPED = 77

# Debian's wine starts the 32-bit loader whenever wine32 is installed, also in
# a 64-bit prefix (where reg.exe then sees the 32-bit registry view): each
# prefix is run with the loader of its own bitness.
LOADERS = {"win64": "/usr/lib/wine/wine64", "win32": "/usr/lib/wine/wine"}
I386_LOADER = "/lib/ld-linux.so.2"
I386_ODBC = "/usr/lib/i386-linux-gnu/libodbc.so.2"


class Failure(Exception):
    pass


class Skip(Exception):
    pass


def wine_loader(arch):
    return LOADERS[arch] if os.path.exists(LOADERS[arch]) else "wine"


def require_32_bit_road(args):
    """Raises Skip, saying why, where 32-bit Windows programs cannot run."""
    try:
        result = subprocess.run([I386_LOADER, "--version"], capture_output=True, text=True)
    except OSError as error:
        raise Skip(f"this machine runs no 32-bit (i386) programs: {I386_LOADER} --version: {error.strerror}")
    if result.returncode != 0:
        raise Skip(f"this machine runs no 32-bit (i386) programs: {I386_LOADER} --version "
                   f"exits {result.returncode}")
    needed = [(LOADERS["win32"], "wine32:i386"), (I386_ODBC, "libodbc1:i386")]
    if args.freetds_driver:
        needed.append((args.freetds_driver, "tdsodbc:i386"))
    missing = [f"{package} ({path})" for path, package in needed if not os.path.exists(path)]
    if missing:
        raise Skip("not installed: " + ", ".join(missing))


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
            "WINEARCH": args.arch,
            "WINEDEBUG": "-all,trace+win,trace+process,trace+systray",
            # No menu entries on this machine for the Start menu's shortcuts.
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "ODBCSYSINI": self.station_dir,
            # Wine's own services write the locale of their environment into
            # the prefix's registry when they start, so every process in the
            # prefix runs under the one locale.
            "LC_ALL": locale,
        })
        self.wine_loader = wine_loader(args.arch)
        # On FreeTDS every program of the prefix is a client of the station:
        # its registration, and "(LOCAL)" reaching it. The installer starts
        # VANTROK.exe through the shell, so the shell (which wineboot starts)
        # must be one too.
        self.client = [args.station, "exec", self.station_dir, "--"] if args.driver == "freetds" else []
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

    def logins(self):
        """The logins the TDS endpoint accepted: database, user and how each came."""
        with open(os.path.join(self.station_dir, "logins.log")) as log:
            return [line.split("\t") for line in log.read().splitlines()]

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
        subprocess.run([*self.client, self.wine_loader, "wineboot", "-i"], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)

    def serve(self):
        """The station on TDS at a free port, FreeTDS registered for it."""
        self.server = subprocess.Popen([self.args.station, "serve", self.station_dir, "--port", "0"],
                                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        line = self.server.stdout.readline()
        if not line.startswith("listening on 127.0.0.1:"):
            raise Failure(f"vantrok-station serve: {line.strip()}")
        driver = ["--driver", self.args.freetds_driver] if self.args.freetds_driver else []
        self.station("register", "--freetds", "--port", line.strip().rsplit(":", 1)[1], *driver)

    def start(self, name, *command):
        """Starts VANTROK.exe, or another command in the prefix, logged to NAME.log."""
        path = os.path.join(self.work, name + ".log")
        with open(path, "w") as log:
            process = subprocess.Popen([*self.client, self.wine_loader, *(command or [self.args.exe])], env=self.env,
                                       cwd=self.work, stdout=log, stderr=subprocess.STDOUT)
        self.programs.append(process)
        return process, path

    def wine(self, *command, timeout=120, loader=None):
        """Runs a program in the prefix to its end: exit status and output.

        The output goes through a file, not a pipe: programs it starts (the
        installer starts VANTROK.exe) inherit it and would hold a pipe open."""
        with open(os.path.join(self.work, "wine-command.out"), "w+", errors="replace") as output:
            result = subprocess.run([*self.client, loader or self.wine_loader, *command], env=self.env, stdout=output,
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
    if session.args.driver == "freetds":
        # The station offers TLS, as SQL Server does: the driver encrypts the
        # login (FreeTDS' default, and Windows' "SQL Server" driver's).
        logins = session.logins()
        check({database for database, _, _ in logins} == {"enablerdb", "torvane"}
              and all(how == "login encrypted" for _, _, how in logins),
              f"VANTROK.exe's logins to both databases went encrypted: {logins}")

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
CHECK_SHORTCUT = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\VANTROK\\VANTROK check.lnk"
FLUSH_MARK = "E2eRegistryFlushed"
# The installer's exit codes, as the README gives them.
EXIT_FILE_IN_USE = 10
EXIT_NEWER_INSTALLED = 11


def uninstall_entry(session, view=None):
    """The Programs and Features entry: value name -> data, or None. In one
    registry view (32 or 64) when asked, else in the prefix's own."""
    code, output = session.wine("reg", "query", UNINSTALL_KEY, *([f"/reg:{view}"] if view else []))
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


class Release:
    """One version's installer and the two programs it installs."""

    def __init__(self, version, installer, program, check_program):
        self.version, self.installer, self.program, self.check_program = version, installer, program, check_program


def next_version(version):
    major, minor, patch = (int(part) for part in version.split("."))
    return f"{major}.{minor}.{patch + 1}"


def make_newer_release(session, *defines, name="newer", launch=None):
    """The same script made into the next version's installer, with programs
    that differ from the build's by a few trailing bytes (ignored when they run),
    so which version's files are installed can be told apart. defines are the
    script's test-only faults."""
    built = os.path.dirname(session.args.installer)
    version = next_version(session.args.version)
    folder = os.path.join(session.work, name)
    os.makedirs(folder)
    programs = {}
    for name in ("VANTROK.exe", "vantrok-check.exe"):
        programs[name] = os.path.join(folder, name)
        shutil.copyfile(os.path.join(built, name), programs[name])
        with open(programs[name], "ab") as program:
            program.write(f"\0{version}\0".encode())
    installer = os.path.join(folder, f"VANTROK-setup-{version}-x64.exe")
    subprocess.run(["makensis", "-V2", "-WX", "-NOCD", f"-DVERSION={version}", "-DCOPYRIGHT=e2e",
                    "-DTARGET=amd64-unicode", f"-DPROGRAM={programs['VANTROK.exe']}",
                    f"-DCHECK={programs['vantrok-check.exe']}",
                    f"-DLAUNCH={launch or session.args.launch}", f"-DOUTFILE={installer}",
                    *(f"-D{define}" for define in defines), session.args.nsi], check=True, stdout=subprocess.DEVNULL)
    return Release(version, installer, programs["VANTROK.exe"], programs["vantrok-check.exe"])


def run_installer(session, release, *options):
    """As a deployment tool runs it: silent, to its end; its exit code."""
    code, _ = session.wine(release.installer, "/S", *options, timeout=300)
    return code


def expect_installed(session, folder, release, what):
    entry = uninstall_entry(session) or {}
    check(entry.get("DisplayVersion") == release.version, f"{what}: Programs and Features shows {release.version}")
    for name, built in (("VANTROK.exe", release.program), ("vantrok-check.exe", release.check_program)):
        check(filecmp.cmp(session.drive_c(folder + "\\" + name), built, shallow=False),
              f"{what}: {name} is {release.version}'s, whole")
    leftovers = [name for name in os.listdir(session.drive_c(folder))
                 if name not in ("VANTROK.exe", "vantrok-check.exe", "uninstall.exe")]
    check(not leftovers, f"{what}: nothing else in the folder {leftovers}")


def vantrok_processes(session):
    """What the prefix says of each running VANTROK.exe: parent, session, elevation."""
    return session.helper("processes", "VANTROK.exe").splitlines()


def expect_started_for_user(session, before, what):
    """Exactly one VANTROK.exe, a new one, started as the logged-on user."""
    wait_for(lambda: len(session.windows_processes("VANTROK.exe")) == 1
             and session.windows_processes("VANTROK.exe") != before, 30, f"{what}: one new VANTROK.exe runs")
    time.sleep(3)
    check(len(session.windows_processes("VANTROK.exe")) == 1, f"{what}: and only one")
    (process,) = vantrok_processes(session)
    report("VANTROK.exe:", process)
    # Wine has no SYSTEM and no session 0, and gives every process the full
    # token: the installer's helper takes the elevated administrator's way,
    # and VANTROK must come out of the shell, with the shell's token.
    shell = session.helper("processes", "explorer.exe").splitlines()[0]
    check(process.startswith("parent=explorer.exe "), f"{what}: started under the shell, not by the installer")
    check(process.split(" ")[1:] == shell.split(" ")[1:], f"{what}: in the shell's session, with its token's elevation")
    return session.windows_processes("VANTROK.exe")


def read_text(path):
    with open(path, errors="replace") as text:
        return text.read()


def hold_file(session, windows_path, seconds):
    """A scanner's hold on a file for some seconds: others may read it, not
    write, rename or delete it."""
    holder, log = session.start("hold", session.args.helper, "hold", windows_path, str(seconds))
    wait_for(lambda: "held" in read_text(log), 30, f"a scanner holds {windows_path}")
    return holder


def quiet_uninstall(session, command):
    """Runs the entry's QuietUninstallString as a deployment tool does: the
    text is a whole command line, so _?= keeps its spaces unquoted."""
    program, arguments = re.fullmatch(r'"([^"]+)" (.*)', command).groups()
    code, _ = session.wine(program, *arguments.split(" "), timeout=300)
    return code


def built_release(session):
    """The build's installer and the programs beside it."""
    built = os.path.dirname(session.args.installer)
    return Release(session.args.version, session.args.installer, session.args.exe,
                   os.path.join(built, "vantrok-check.exe"))


def install(session, release):
    """Into a prefix that holds nothing of VANTROK: the folder installed into."""
    check(not files_named_vantrok(session) and uninstall_entry(session) is None,
          "the prefix holds nothing of VANTROK before the install")
    check(run_installer(session, release) == 0, "install: exit code 0")
    entry = uninstall_entry(session) or {}
    folder = entry.get("InstallLocation", "")
    check(re.fullmatch(r"C:\\Program Files( \(x86\))?\\VANTROK", folder), f"installed into {folder}")
    expect_installed(session, folder, release, "install")
    return folder


def expect_uninstall_leaves_nothing(session, folder):
    command = (uninstall_entry(session) or {}).get("QuietUninstallString", "")
    check(quiet_uninstall(session, command) == 0, "the quiet uninstall command: exit code 0")
    check(not session.windows_processes("VANTROK.exe") and not session.windows(MAIN_CAPTION),
          "when it returns: VANTROK is ended")
    check(uninstall_entry(session) is None, "when it returns: the Programs and Features entry is gone")
    left = files_named_vantrok(session)
    allowed = {session.drive_c(folder + name) for name in ("", "\\uninstall.exe", "\\uninstall.exe.removing")}
    check(set(left) <= allowed, f"when it returns: nothing left but the folder and its uninstaller {left}")
    wait_for(lambda: not files_named_vantrok(session), 30, "soon after: no file or folder of VANTROK is left")
    left_in_registry = registry_lines_naming_vantrok(session)
    check(not left_in_registry, f"no registry key or value names VANTROK {left_in_registry}")


def scenario_installer(session):
    delivery = session.add_delivery(6)
    current = built_release(session)
    newer = make_newer_release(session)

    folder = install(session, current)
    entry = uninstall_entry(session) or {}
    program = folder + "\\VANTROK.exe"
    check(session.helper("shortcut-target", STARTUP_SHORTCUT).split("\n")[0] == program,
          "the common Startup folder's shortcut starts the installed program")
    check(session.helper("shortcut-target", CHECK_SHORTCUT).split("\n")[:2]
          == ["C:\\windows\\system32\\cmd.exe", f'/k "{folder}\\vantrok-check.exe" report --last 31'],
          "the Start menu's check opens a console with the last 31 days' report")
    code, output = session.wine("C:\\windows\\system32\\cmd.exe", "/c", f"{folder}\\vantrok-check.exe",
                                "report", "--last", "31")
    check(code in (0, 1) and "Deliveries completed" in output, "and that report runs against the station")
    check(entry.get("DisplayName") == "VANTROK", "Programs and Features lists VANTROK")
    check(entry.get("QuietUninstallString") == f'"{folder}\\uninstall.exe" /S _?={folder}',
          "its quiet uninstall runs in place, to its end")
    running = expect_started_for_user(session, [], "install")

    check(run_installer(session, current) == 0, "same-version reinstall: exit code 0")
    expect_installed(session, folder, current, "reinstall")
    running = expect_started_for_user(session, running, "reinstall")

    holder = hold_file(session, program, 40)
    check(run_installer(session, newer) == EXIT_FILE_IN_USE, "upgrade while held: exit code 'a file is in use'")
    expect_installed(session, folder, current, "the failed upgrade")
    running = expect_started_for_user(session, running, "the failed upgrade restarts the copy it ended")
    check(ended(holder, 60), "the scanner lets go")

    # A station login as vantrok-check stores it: the upgrade keeps it, the uninstall removes it.
    stored_login = ("HKLM\\SOFTWARE\\VANTROK", "/v", "StationLogin", "/reg:64")
    code, _ = session.wine("reg", "add", *stored_login, "/t", "REG_BINARY", "/d", "0102", "/f")
    check(code == 0, "a station login is stored")
    check(run_installer(session, newer) == 0, f"upgrade to {newer.version}: exit code 0")
    expect_installed(session, folder, newer, "upgrade")
    check(session.wine("reg", "query", *stored_login)[0] == 0, "the upgrade keeps the stored login")
    # Not a login VANTROK could use: gone again before the restarted copy connects.
    session.wine("reg", "delete", *stored_login, "/f")
    running = expect_started_for_user(session, running, "upgrade")

    check(run_installer(session, current) == EXIT_NEWER_INSTALLED,
          "downgrade: exit code 'a newer version is installed'")
    expect_installed(session, folder, newer, "the refused downgrade")
    check(session.windows_processes("VANTROK.exe") == running, "the refused downgrade leaves VANTROK running")

    check(run_installer(session, current, "/ALLOWDOWNGRADE") == 0, "downgrade asked for: exit code 0")
    expect_installed(session, folder, current, "the downgrade asked for")
    running = expect_started_for_user(session, running, "the downgrade asked for")

    window = session.wait_for_window(MAIN_CAPTION, time.monotonic() + SHOWS_BY, "the installed program's window")
    expect_import(session, delivery, "the installed program carries a delivery")

    command = (uninstall_entry(session) or {}).get("QuietUninstallString", "")
    holder = hold_file(session, folder + "\\vantrok-check.exe", 15)
    check(quiet_uninstall(session, command) == EXIT_FILE_IN_USE, "uninstall while held: exit code 'a file is in use'")
    expect_installed(session, folder, current, "the failed uninstall")
    check(uninstall_entry(session) is not None, "the failed uninstall keeps its entry")
    expect_started_for_user(session, running, "the failed uninstall restarts the copy it ended")
    check(ended(holder, 60), "the scanner lets go")
    session.wine("reg", "add", *stored_login, "/t", "REG_BINARY", "/d", "0102", "/f")
    expect_uninstall_leaves_nothing(session, folder)


def windows_path(path):
    """A path of this machine as the prefix's programs see it, through drive Z:."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def scenario_installer_in_job(session):
    """As a deployment agent runs the installer: silent, inside a job object
    that kills whatever is left in it when the agent closes it. VANTROK must
    outlive the job and carry a delivery."""
    release = built_release(session)
    check(not files_named_vantrok(session), "the prefix holds nothing of VANTROK before the install")
    code, output = session.wine(session.args.job_runner, windows_path(release.installer), "/S", timeout=300)
    report("job runner:", output.strip())
    check(code == 0, "the installer in the job: exit code 0")
    in_job = re.search(r"processes=(\d+)", output)
    check(in_job and int(in_job.group(1)) >= 2, "the installer's helper ran inside the job too")
    running = expect_started_for_user(session, [], "the install in the job")
    time.sleep(5)
    check(session.windows_processes("VANTROK.exe") == running, "the closed job left VANTROK running")
    (process,) = vantrok_processes(session)
    record = os.path.join(session.work, "sessions.txt")
    code, _ = session.wine(session.args.launch, "--record", windows_path(record))
    check(code == 0 and read_text(record) == re.search(r"session=(\d+)", process).group(1) + "\n",
          "the helper's record names the session VANTROK runs in")
    delivery = session.add_delivery(6)
    session.wait_for_window(MAIN_CAPTION, time.monotonic() + SHOWS_BY, "the installed program's window")
    expect_import(session, delivery, "VANTROK carries a delivery after the job is closed")


EXIT_CANNOT_WRITE = 12
EXIT_NOT_STARTED = 13
EXIT_ROLLBACK_INCOMPLETE = 14
DEFAULT_FOLDER = "C:\\Program Files\\VANTROK"
X86_FOLDER = "C:\\Program Files (x86)\\VANTROK"


class SmallDisk:
    """A size-limited file system (tmpfs) mounted as a folder of the prefix:
    a disk that can be filled. Needs root; without it the run is skipped."""

    def __init__(self, path):
        self.path = path
        os.makedirs(path, exist_ok=True)
        result = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64m", "tmpfs", path],
                                capture_output=True, text=True)
        if result.returncode != 0:
            raise Skip(f"a small disk needs mounting (root): {result.stderr.strip()}")

    def leave_free(self, free):
        """Shrinks it so that only about this many bytes stay free."""
        used = shutil.disk_usage(self.path).used
        subprocess.run(["mount", "-o", f"remount,size={used + free}", self.path], check=True)
        report(f"the disk has {shutil.disk_usage(self.path).free} bytes free")

    def grow(self):
        subprocess.run(["mount", "-o", "remount,size=64m", self.path], check=True)

    def close(self):
        subprocess.run(["chattr", "-i", self.path])
        subprocess.run(["umount", "--lazy", self.path])


def expect_failed_upgrade(session, release, code, what, folder, current, running):
    """The upgrade exits with code, the installed copy stays whole and the copy
    it ended runs again, as the logged-on user."""
    seen = run_installer(session, release)
    check(seen == code, f"{what}: exit code {code} (was {seen})")
    expect_installed(session, folder, current, what)
    return expect_started_for_user(session, running, f"{what}: the copy it ended runs again")


def scenario_installer_failures(session):
    """Upgrades that fail, one after the other on one installation: a file held
    open, a full disk, a folder that cannot be written. Each leaves the copy as
    it was and VANTROK running; the last one's copy carries the deliveries."""
    current, newer = built_release(session), make_newer_release(session)
    disk = SmallDisk(session.drive_c(DEFAULT_FOLDER))
    try:
        check(run_installer(session, current) == 0, "install onto the small disk: exit code 0")
        expect_installed(session, DEFAULT_FOLDER, current, "install")
        running = expect_started_for_user(session, [], "install")
        deliveries = [session.add_delivery(6)]

        holder = hold_file(session, DEFAULT_FOLDER + "\\VANTROK.exe", 40)
        running = expect_failed_upgrade(session, newer, EXIT_FILE_IN_USE, "upgrade while a file is held",
                                        DEFAULT_FOLDER, current, running)
        check(ended(holder, 60), "the scanner lets go")
        deliveries.append(session.add_delivery(14))

        # Room for part of the new VANTROK.exe: the write fails half-way.
        disk.leave_free(os.path.getsize(newer.program) // 2)
        running = expect_failed_upgrade(session, newer, EXIT_CANNOT_WRITE, "upgrade onto a full disk",
                                        DEFAULT_FOLDER, current, running)
        disk.grow()
        deliveries.append(session.add_delivery(6))

        subprocess.run(["chattr", "+i", disk.path], check=True)
        running = expect_failed_upgrade(session, newer, EXIT_CANNOT_WRITE, "upgrade into a folder it cannot write",
                                        DEFAULT_FOLDER, current, running)
        subprocess.run(["chattr", "-i", disk.path], check=True)
        session.wait_for_window(MAIN_CAPTION, time.monotonic() + SHOWS_BY, "the copy started again")
        for delivery in deliveries:
            expect_import(session, delivery, f"delivery {delivery} is carried after the failed upgrades")

        # A scanner holds the new VANTROK.exe once placed, and the next file
        # before it is placed: the rollback cannot take the new file away.
        held = make_newer_release(session, "TEST_SCANNER_HOLDS_NEW_FILES", name="held-by-scanner")
        check(run_installer(session, held) == EXIT_ROLLBACK_INCOMPLETE, "a rollback that cannot undo: exit code 14")
        log = read_text(session.drive_c(DEFAULT_FOLDER + "\\VANTROK-setup.log"))
        report("the log:", log)
        check("VANTROK.exe is the new version's and could not be removed" in log
              and "VANTROK.exe.old" in log, "the log beside the programs names the file and where the old one is")
        check(filecmp.cmp(session.drive_c(DEFAULT_FOLDER + "\\VANTROK.exe.old"), current.program, shallow=False),
              "the version before is kept")
        running = expect_started_for_user(session, running, "the rollback that cannot undo: VANTROK runs again")
        check(run_installer(session, newer) == 0, "the installer run again: exit code 0")
        expect_installed(session, DEFAULT_FOLDER, newer, "the installer run again")
        running = expect_started_for_user(session, running, "the installer run again")

        # The upgrade itself works, but VANTROK cannot be started again: a
        # deployment tool must not hear success.
        unstarted = make_newer_release(session, name="not-started", launch=session.args.failing_launch)
        check(run_installer(session, unstarted) == EXIT_NOT_STARTED, "a start that fails: exit code 13")
        expect_installed(session, DEFAULT_FOLDER, unstarted, "the upgrade whose start failed")
        check(not session.windows_processes("VANTROK.exe"), "no VANTROK runs, as the exit code says")
    finally:
        subprocess.run(["wineserver", "-k"], env=session.env, timeout=60)
        subprocess.run(["wineserver", "-w"], env=session.env, timeout=60)
        disk.close()


def plant_x86_installation(session, version):
    """What the 32-bit installer leaves: its files in Program Files (x86) and
    its entry in the 32-bit view."""
    folder = session.drive_c(X86_FOLDER)
    os.makedirs(folder, exist_ok=True)
    for name in ("VANTROK.exe", "vantrok-check.exe"):
        shutil.copyfile(os.path.join(os.path.dirname(session.args.installer), name), os.path.join(folder, name))
    shutil.copyfile(session.args.helper, os.path.join(folder, "uninstall.exe"))
    for name, data in (("DisplayName", "VANTROK"), ("DisplayVersion", version), ("InstallLocation", X86_FOLDER)):
        code, _ = session.wine("reg", "add", UNINSTALL_KEY, "/v", name, "/d", data, "/f", "/reg:32")
        check(code == 0, f"planted in the 32-bit view: {name} {data}")


def scenario_installer_views(session):
    """The 64-bit installer over an installation the 32-bit one made; then an
    uninstall and at once an install, as a deployment script does."""
    current, newer = built_release(session), make_newer_release(session)
    plant_x86_installation(session, newer.version)
    check(run_installer(session, current) == EXIT_NEWER_INSTALLED,
          "a newer 32-bit installation: the 64-bit installer refuses to downgrade it")
    check(uninstall_entry(session, 64) is None, "and writes no entry of its own")

    plant_x86_installation(session, "0.0.1")
    check(run_installer(session, current) == 0, "an older 32-bit installation: upgraded, exit code 0")
    expect_installed(session, X86_FOLDER, current, "the upgrade across bitness")
    check(uninstall_entry(session, 32) is None, "the 32-bit view's entry is gone: one entry")
    check((uninstall_entry(session, 64) or {}).get("InstallLocation") == X86_FOLDER,
          "the entry names the folder it was found in")
    check(not os.path.exists(session.drive_c(DEFAULT_FOLDER)), "no second folder")
    expect_started_for_user(session, [], "the upgrade across bitness")

    # A scanner keeps the old uninstaller past the uninstall, so its clean-up
    # is still waiting when the next installation starts: from then on the
    # clean-up deletes nothing, not even once the scanner lets go.
    command = (uninstall_entry(session) or {}).get("QuietUninstallString", "")
    check(quiet_uninstall(session, command) == 0, "uninstall: exit code 0")
    uninstaller = session.drive_c(X86_FOLDER + "\\uninstall.exe")
    subprocess.run(["chattr", "+i", uninstaller], check=True)
    # /D= is read unquoted to the end of the command line.
    held_install = run_installer(session, newer, *f"/D={X86_FOLDER}".split(" "))
    subprocess.run(["chattr", "-i", uninstaller], check=True)
    check(held_install == EXIT_FILE_IN_USE, "an install while the old uninstaller is held: exit code 10")
    time.sleep(3)
    check(os.path.exists(uninstaller), "the clean-up stopped when the installation started")
    check(run_installer(session, newer, *f"/D={X86_FOLDER}".split(" ")) == 0,
          "the install into the same folder once it is let go: exit code 0")
    time.sleep(3)
    expect_installed(session, X86_FOLDER, newer, "the install after the uninstall")

    command = (uninstall_entry(session) or {}).get("QuietUninstallString", "")
    check(quiet_uninstall(session, command) == 0, "the last uninstall: exit code 0")
    returned = time.monotonic()
    wait_for(lambda: not os.path.exists(session.drive_c(X86_FOLDER)), 10, "its clean-up is done within seconds")
    report(f"clean-up done {time.monotonic() - returned:.1f}s after the uninstall returned")

    # Two installations from before: the one uninstalled leaves the shared
    # shortcuts to the one that remains.
    check(run_installer(session, current) == 0, "a 64-bit installation: exit code 0")
    plant_x86_installation(session, current.version)
    command = (uninstall_entry(session, 64) or {}).get("QuietUninstallString", "")
    check(quiet_uninstall(session, command) == 0, "its uninstall beside a 32-bit installation: exit code 0")
    check(session.helper("shortcut-target", STARTUP_SHORTCUT).split("\n")[0] == X86_FOLDER + "\\VANTROK.exe",
          "the Startup shortcut starts the 32-bit installation's program")


def scenario_installer_views_x86(session):
    """The 32-bit installer over the 64-bit one's installation, in a 64-bit
    prefix: it upgrades it in its folder and leaves one entry."""
    check(run_installer(session, built_release(session)) == 0, "the 64-bit install: exit code 0")
    code, _ = session.wine(session.args.x86_installer, "/S", timeout=300, loader=LOADERS["win32"])
    check(code == 0, "the 32-bit installer over it: exit code 0")
    entry = uninstall_entry(session, 32) or {}
    check(entry.get("InstallLocation") == DEFAULT_FOLDER, "its entry names the 64-bit installation's folder")
    check(uninstall_entry(session, 64) is None, "the 64-bit view's entry is gone: one entry")
    check(not os.path.exists(session.drive_c(X86_FOLDER)), "no second folder")
    check(pe_machine(session.drive_c(DEFAULT_FOLDER + "\\VANTROK.exe")) == PE_MACHINE_I386,
          "the folder holds the 32-bit program now")


# The machine field of a PE file's header: what the program was built for.
PE_MACHINE_I386 = 0x14C


def pe_machine(path):
    with open(path, "rb") as program:
        header = program.read(4096)
    at = int.from_bytes(header[0x3C:0x40], "little")
    if header[at:at + 4] != b"PE\0\0":
        raise Failure(f"{path} is no Windows program")
    return int.from_bytes(header[at + 4:at + 6], "little")


def scenario_installed_carries(session):
    """What a station gets, from install to uninstall: the installer's program
    runs from Program Files and carries a delivery."""
    delivery = session.add_delivery(6)
    release = built_release(session)
    folder = install(session, release)
    if session.args.arch == "win32":
        check(pe_machine(session.drive_c(folder + "\\VANTROK.exe")) == PE_MACHINE_I386,
              "the installed program is the 32-bit (x86) one")
    session.wait_for_window(MAIN_CAPTION, time.monotonic() + SHOWS_BY, "the installed program's window")
    expect_import(session, delivery, "the installed program carries a delivery")
    expect_uninstall_leaves_nothing(session, folder)


# Braced by ODBC's rules in the connection text; a '}' FreeTDS would not take.
STATION_PASSWORD = "St;{e2e=9"


def files_holding(session, text):
    """The run's files whose bytes hold text: its logs and outputs, the station
    and the prefix's registry (not the prefix's own program files)."""
    prefix = session.env["WINEPREFIX"]
    paths = [os.path.join(prefix, name) for name in os.listdir(prefix) if name.endswith(".reg")]
    for folder, folders, names in os.walk(session.work):
        folders[:] = [f for f in folders if os.path.join(folder, f) != prefix]
        paths += [os.path.join(folder, name) for name in names]
    found = []
    for path in paths:
        if os.path.isfile(path) and not os.path.islink(path):
            with open(path, "rb") as f:
                if text.encode() in f.read():
                    found.append(path)
    return found


def check_tool(session, *words, password=None):
    """vantrok-check.exe in the prefix, the password (if any) on its standard input."""
    tool = os.path.join(os.path.dirname(session.args.exe), "vantrok-check.exe")
    quiet = dict(session.env, WINEDEBUG="-all")
    result = subprocess.run([*session.client, session.wine_loader, tool, *words], env=quiet,
                            input=(password + "\n") if password else "", capture_output=True, text=True,
                            timeout=120)
    for stream, text in (("out", result.stdout), ("err", result.stderr)):
        with open(os.path.join(session.work, "vantrok-check-" + words[0] + "." + stream), "a") as log:
            log.write(text)
    return result


def scenario_station_login(session):
    """VANTROK.exe on a station login with only the script's rights, stored by vantrok-check.exe."""
    added = subprocess.run([session.args.station, "login", "add", session.station_dir, "vantrok_station",
                            "--password-stdin", "--grant", "station"], input=STATION_PASSWORD + "\n",
                           capture_output=True, text=True)
    check(added.returncode == 0, "the station has a login with the script's rights")
    stored = check_tool(session, "login", "set", "--user", "vantrok_station", "--password-stdin",
                        password=STATION_PASSWORD)
    check(stored.returncode == 0, "vantrok-check.exe login set stores it: " + stored.stderr.strip())
    shown = check_tool(session, "login", "show")
    check(shown.stdout.startswith("vantrok_station, set "), "login show gives its name and when")

    live = session.add_delivery(6)
    process, log, window = bring_up_main_window(session)
    expect_import(session, live, "VANTROK.exe imports under the station login")
    wait_for(lambda: "torvane\tEXEC SYNX_TWO_DB_TO_BK1_BK2" in session.statement_log(), 20,
             "the backup procedure runs under it")
    status = check_tool(session, "status", "--json")
    check('"builtinLogin":false' in status.stdout, "status says the built-in login is no longer used")
    close_main_window(session, process, window)

    cleared = check_tool(session, "login", "clear")
    check(cleared.returncode == 0 and '"builtinLogin":true' in check_tool(session, "status", "--json").stdout,
          "login clear goes back to the built-in login")
    check(not files_holding(session, STATION_PASSWORD),
          "the password is in no output, trace, log or file of the run")


# Each scenario with the locale it runs under: Wine gives en_GB the short
# date pattern dd/MM/yyyy and en_US M/d/yyyy.
SCENARIOS = {
    "normal-start": (scenario_normal_start, "en_GB.UTF-8"),
    "short-date-refused": (scenario_short_date_refused, "en_US.UTF-8"),
    "connect-retry": (scenario_connect_retry, "en_GB.UTF-8"),
    "reconnect": (scenario_reconnect, "en_GB.UTF-8"),
    "tray-record": (scenario_tray_record, "en_GB.UTF-8"),
    "installer": (scenario_installer, "en_GB.UTF-8"),
    "installed-carries": (scenario_installed_carries, "en_GB.UTF-8"),
    "installer-in-job": (scenario_installer_in_job, "en_GB.UTF-8"),
    "installer-failures": (scenario_installer_failures, "en_GB.UTF-8"),
    "installer-views": (scenario_installer_views, "en_GB.UTF-8"),
    "installer-views-x86": (scenario_installer_views_x86, "en_GB.UTF-8"),
    "station-login": (scenario_station_login, "en_GB.UTF-8"),
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--scenario", required=True, choices=sorted(SCENARIOS))
    parser.add_argument("--exe", required=True)
    parser.add_argument("--station", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--helper", help="window_helper.exe of the program's bitness (scenarios that use it)")
    parser.add_argument("--arch", choices=sorted(LOADERS), default="win64", help="the Wine prefix's bitness")
    parser.add_argument("--driver", choices=["simulator", "freetds"], default="simulator",
                        help="the station's own ODBC driver, or FreeTDS over TDS")
    parser.add_argument("--freetds-driver", help="the FreeTDS library of the program's bitness (--driver freetds)")
    parser.add_argument("--probe", help="tray_probe.exe of the program's bitness (tray-record)")
    parser.add_argument("--record-size", type=int, help="the tray record's expected cbSize (tray-record)")
    parser.add_argument("--installer", help="the installer of --exe (installer)")
    parser.add_argument("--version", help="the version the installer registers (installer)")
    parser.add_argument("--nsi", help="the installer's script, to make another version's (installer)")
    parser.add_argument("--launch", help="the installer's vantrok-launch.exe, for the same (installer)")
    parser.add_argument("--job-runner", help="job_runner.exe, which runs the installer in a job (installer-in-job)")
    parser.add_argument("--failing-launch", help="a launch helper whose starts fail (installer-failures)")
    parser.add_argument("--x86-installer", help="the 32-bit build's installer (installer-views-x86)")
    args = parser.parse_args()
    for name in ("exe", "helper", "probe", "installer", "nsi", "launch", "failing_launch", "x86_installer", "job_runner"):
        if getattr(args, name):
            setattr(args, name, os.path.abspath(getattr(args, name)))

    run, locale = SCENARIOS[args.scenario]
    if args.arch == "win32" or args.x86_installer:
        try:
            require_32_bit_road(args)
        except Skip as reason:
            print("SKIPPED:", reason, flush=True)
            return SKIPPED
    session = Session(args, locale)
    try:
        session.boot()
        report("prefix booted")
        run(session)
    except Skip as reason:
        print("SKIPPED:", reason, flush=True)
        return SKIPPED
    except Failure as failure:
        print("FAILED:", failure, file=sys.stderr, flush=True)
        return 1
    finally:
        session.close()
    print("passed:", args.scenario)
    return 0


if __name__ == "__main__":
    sys.exit(main())
