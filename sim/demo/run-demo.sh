#!/usr/bin/env bash
# A demo station with forecourt traffic and VANTROK.exe under Wine, shown as
# a station manager would watch it: deliveries, daily sales, backup runs.
#
#   run-demo.sh BUILD_DIR VANTROK_EXE [--minutes N] [--every SECONDS] [--simulator-driver]
#
# VANTROK reaches the station as it reaches SQL Server from Linux: Wine's
# odbc32, unixODBC and Debian's FreeTDS over TDS to the station's endpoint,
# with "(LOCAL)" mapped to the loopback for VANTROK alone (as root). With
# --simulator-driver it takes the station's own ODBC driver instead.
#
# Stops after N minutes or on Ctrl-C, prints a summary and leaves no process
# behind. The station is made afresh each run; the Wine prefix is kept so later
# runs start faster.
set -uo pipefail

usage() {
    cat <<'EOF'
usage: run-demo.sh BUILD_DIR VANTROK_EXE [--minutes N] [--every SECONDS] [--simulator-driver]
  --minutes N         stop after N minutes (VANTROK's start-up minute included);
                      without it the demo runs until Ctrl-C
  --every SECONDS     a new delivery on the forecourt every SECONDS (default 5)
  --simulator-driver  the station's own ODBC driver instead of FreeTDS over TDS
EOF
}

# ---------------------------------------------------------------- terminal

if [ -t 1 ]; then tty=true; else tty=false; fi
status=""              # a line kept under the table while something is awaited

end_status_line() {
    if $tty && [ -n "${status:-}" ]; then printf '\r\033[K'; fi
    status=""
}

# Redrawn in place on a terminal; elsewhere written once per change.
show_status() {
    if $tty; then
        status=$1
        printf '\r\033[K%s' "$status"
    elif [ "$1" != "$status" ]; then
        status=$1
        printf '%s\n' "$status"
    fi
}

# Prints above the status line, which then comes back.
say() {
    if $tty && [ -n "$status" ]; then printf '\r\033[K'; fi
    printf '%s\n' "$*"
    if $tty && [ -n "$status" ]; then printf '%s' "$status"; fi
}

now() { printf '%(%H:%M:%S)T' -1; }

row_format='%-8s  %-8s  %5s %-7s  %-17s  %4s %4s  %-4s  %7s  %7s  %7s'

row() {
    local line
    # shellcheck disable=SC2059  # the format is ours
    printf -v line "$row_format" "$@"
    say "${line%"${line##*[! ]}"}"
}

die() {
    end_status_line
    printf 'run-demo: %s\n' "$*" >&2
    exit 1
}

# The last words of a log, for a failure that happened out of sight.
log_tail() {
    [ -s "$1" ] || return 0
    printf '  last lines of %s:\n' "$1" >&2
    tail -n 5 "$1" | sed 's/^/  | /' >&2
}

case ${1:-} in -h|--help) usage; exit 0 ;; esac
[ $# -ge 2 ] || { usage >&2; exit 2; }
build_dir=$1
exe=$2
shift 2
minutes=""
every=5
road=freetds
while [ $# -gt 0 ]; do
    case $1 in
        --simulator-driver) road=simulator; shift ;;
        --minutes) minutes=${2:-}; shift 2 || { usage >&2; exit 2; } ;;
        --every) every=${2:-}; shift 2 || { usage >&2; exit 2; } ;;
        -h|--help) usage; exit 0 ;;
        *) printf 'run-demo: unknown argument %s\n' "$1" >&2; usage >&2; exit 2 ;;
    esac
done
if [ -n "$minutes" ] && ! [[ $minutes =~ ^[0-9]+$ && $((10#$minutes)) -gt 0 ]]; then
    printf 'run-demo: --minutes takes a whole number of minutes from 1, not "%s"\n' "$minutes" >&2
    exit 2
fi
if ! [[ $every =~ ^[0-9]*\.?[0-9]+$ ]] || [[ $every =~ ^[0.]+$ ]]; then
    printf 'run-demo: --every takes a number of seconds greater than 0, not "%s"\n' "$every" >&2
    exit 2
fi

station_tool=$(realpath -m "$build_dir")/bin/vantrok-station
[ -x "$station_tool" ] || die "no $station_tool: build the project first (./vantrok run does)"
[ -f "$exe" ] || die "VANTROK.exe not found at $exe: make the Windows build first (./vantrok run does)"
exe=$(realpath "$exe")
if ! command -v wine >/dev/null || ! command -v wineserver >/dev/null; then
    die "Wine is not installed (Debian: apt-get install wine wine64)"
fi

state_dir=${XDG_STATE_HOME:-$HOME/.local/state}/vantrok
station=$state_dir/demo-station
export WINEPREFIX=${XDG_CACHE_HOME:-$HOME/.cache}/vantrok/wineprefix
mkdir -p "$state_dir" "$(dirname "$WINEPREFIX")" || die "cannot create $state_dir"

# One demo at a time: they would share the station and the Wine prefix.
exec 9>"$state_dir/demo.lock"
flock -n 9 || die "another demo is running (it holds $state_dir/demo.lock)"

export WINEDEBUG=-all
# No offers to install Mono or Gecko into a new prefix: nobody may be there to answer.
export WINEDLLOVERRIDES="mscoree,mshtml="
export ODBCSYSINI=$station
if [ "$road" = freetds ]; then
    [ "$(id -u)" -eq 0 ] || die "FreeTDS reaches \"(LOCAL)\" through a private mount namespace, which needs root: run as root, or with --simulator-driver"
    [ -f /usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so ] || die "FreeTDS is not installed (Debian: apt-get install tdsodbc)"
fi

# VANTROK insists on the short date pattern dd/MM/yyyy, which Wine takes from
# the locale. Only Wine's processes get it (through env, so that this shell
# does not try it): the host needs no such locale.
wine_locale=(env LC_ALL=en_GB.UTF-8)
# Debian's wine starts the 32-bit loader whenever wine32 is installed, also for
# this 64-bit prefix: it gets the 64-bit loader.
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine

startup_seconds=60     # VANTROK's wait before it connects
main_caption="FINAL VANTROK MODE"

# ---------------------------------------------------------------- stopping

traffic_pid=""
vantrok_pid=""
server_pid=""
xvfb_pid=""

stop_traffic() {
    [ -n "$traffic_pid" ] || return 0
    kill -TERM "$traffic_pid" 2>/dev/null
    wait "$traffic_pid" 2>/dev/null
    traffic_pid=""
}

stop_vantrok() {
    [ -n "$vantrok_pid" ] || return 0
    wineserver -k >/dev/null 2>&1
    wait "$vantrok_pid" 2>/dev/null
    timeout 30 wineserver -w >/dev/null 2>&1
    vantrok_pid=""
}

stop_server() {
    [ -n "$server_pid" ] || return 0
    kill -TERM "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
    server_pid=""
}

stop_display() {
    [ -n "$xvfb_pid" ] || return 0
    kill -TERM "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
}

stop_everything() {
    stop_traffic
    stop_vantrok
    stop_server
    stop_display
}

trap 'end_status_line; stop_everything' EXIT
stop_requested=false
trap 'stop_requested=true' INT TERM HUP

# ---------------------------------------------------------------- station

if [ -e "$station" ] && [ ! -e "$station/torvane.sqlite" ]; then
    die "$station exists but holds no demo station; move it away first"
fi
rm -rf "$station"
if ! "$station_tool" init "$station"; then
    die "could not make the demo station in $station"
fi
wine_log=$station/wine.log
if [ "$road" = freetds ]; then
    # The station on TDS at a free port, and FreeTDS registered for it.
    setsid "$station_tool" serve "$station" --port 0 9>&- </dev/null >"$station/serve.out" 2>"$station/serve.log" &
    server_pid=$!
    for _ in $(seq 50); do
        grep -q '^listening on' "$station/serve.out" 2>/dev/null && break
        sleep 0.1
    done
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$station/serve.out")
    [ -n "$port" ] || { log_tail "$station/serve.log"; die "the station did not start listening"; }
    "$station_tool" register "$station" --freetds --port "$port" || die "could not register FreeTDS for $station"
    client=("$station_tool" exec "$station" --)
else
    "$station_tool" register "$station" || die "could not register the station's driver for $station"
    client=()
fi

station_sql() { "$station_tool" sql "$station" "$@"; }

declare -A fuel_of     # "pump/hose" -> fuel type code, from the hose master
while IFS=$'\t' read -r pump hose code; do
    fuel_of[$pump/$hose]=$code
done < <(station_sql torvane "select pump_no, hose_number, fueltypecode from D10_Hose")
fuels=$(station_sql torvane "select fueltypecode || ' ' || fueltypename from d1_fueltype order by fueltypecode" |
        paste -sd, - | sed 's/,/, /g')

# ---------------------------------------------------------------- display

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    display_note="your display $DISPLAY"
else
    display_note=""
    [ -n "${DISPLAY:-}" ] && display_note="(DISPLAY=$DISPLAY cannot be opened) "
    command -v Xvfb >/dev/null || die "no display and no Xvfb (Debian: apt-get install xvfb)"
    display_file=$station/xvfb.display
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
        3>"$display_file" 9>&- </dev/null >/dev/null 2>"$station/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$display_file" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$display_file" ]; then
        log_tail "$station/xvfb.log"
        die "Xvfb did not start"
    fi
    DISPLAY=":$(tr -d '[:space:]' <"$display_file")"
    export DISPLAY
    display_note="${display_note}a virtual display (Xvfb $DISPLAY)"
fi
# Finding VANTROK's windows is a nicety: without xdotool the countdown still runs.
if command -v xdotool >/dev/null && xdotool getdisplaygeometry >/dev/null 2>&1; then
    can_see_windows=true
else
    can_see_windows=false
fi

printf 'VANTROK demo\n'
printf '  %-12s %s (made afresh for this run)\n' "Station" "$station"
printf '  %-12s %s\n' "Wine prefix" "$WINEPREFIX"
printf '  %-12s %s\n' "Display" "$display_note"
if [ "$road" = freetds ]; then
    printf '  %-12s %s\n' "Driver" "FreeTDS over TDS, the station listening on 127.0.0.1:$port"
else
    printf '  %-12s %s\n' "Driver" "the station's own ODBC driver"
fi
printf '  %-12s a delivery every %s s; fuels %s\n' "Forecourt" "$every" "$fuels"
if [ -n "$minutes" ]; then
    printf '  %-12s after %s minute(s), or Ctrl-C\n' "Stops" "$minutes"
else
    printf '  %-12s on Ctrl-C\n' "Stops"
fi
printf '  %-12s %s\n\n' "Wine output" "$wine_log"

# ---------------------------------------------------------------- Wine

# A copy left by a demo that was killed would make VANTROK refuse to start twice.
wineserver -k >/dev/null 2>&1
timeout 30 wineserver -w >/dev/null 2>&1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    show_status "Preparing the Wine prefix (first run only, this takes a while)..."
    if ! "${wine_locale[@]}" timeout 600 "$wine" wineboot -i >>"$wine_log" 2>&1 9>&-; then
        log_tail "$wine_log"
        die "Wine could not prepare its prefix in $WINEPREFIX"
    fi
    end_status_line
fi

# Each in its own session, so Ctrl-C reaches only this script, which stops
# them in order.
setsid "$station_tool" traffic "$station" --every "$every" \
    9>&- </dev/null >"$station/traffic.out" 2>"$station/traffic.log" &
traffic_pid=$!
"${wine_locale[@]}" setsid "${client[@]}" "$wine" "$exe" 9>&- </dev/null >>"$wine_log" 2>&1 &
vantrok_pid=$!
vantrok_started=$EPOCHSECONDS
deadline=""
[ -n "$minutes" ] && deadline=$((vantrok_started + 10#$minutes * 60))

sleep 2
kill -0 "$vantrok_pid" 2>/dev/null || {
    wait "$vantrok_pid"
    status_code=$?
    log_tail "$wine_log"
    die "Wine could not start VANTROK.exe (exit status $status_code)"
}

row Time Event Deliv Kind Invoice Pump Hose Fuel Litres Gallons Amount
row -------- -------- ----- ------- ----------------- ---- ---- ---- ------- ------- -------

# ---------------------------------------------------------------- watching

declare -A kind_of     # Delivery_ID -> live | offline
deliveries_seen=0
sales_seen=0
log_seen=0
backups=0

kind_name() { case $1 in 6) echo live ;; 14) echo offline ;; *) echo "type $1" ;; esac; }

# traffic prints: Delivery_ID, type, pump, hose, litres, value. Only whole
# lines count; a line still being written is read at the next poll.
poll_deliveries() {
    local id type pump hose litres value
    while IFS=$'\t' read -r id type pump hose litres value; do
        deliveries_seen=$((deliveries_seen + 1))
        kind_of[$id]=$(kind_name "$type")
        row "$(now)" recorded "#$id" "${kind_of[$id]}" "" "$pump" "$hose" "${fuel_of[$pump/$hose]:-?}" \
            "$litres" "" "$value"
    done < <(tail -n +$((deliveries_seen + 1)) "$station/traffic.out")
}

# Daily sales as VANTROK wrote them, columns found by name in the CSV header.
new_sales() {
    "$station_tool" sales "$station" 2>/dev/null | awk -v seen="$1" '
        function split_csv(line, field,    n, i, c, quoted, text) {
            n = 1; text = ""; quoted = 0
            for (i = 1; i <= length(line); i++) {
                c = substr(line, i, 1)
                if (quoted) {
                    if (c == "\"" && substr(line, i + 1, 1) == "\"") { text = text c; i++ }
                    else if (c == "\"") quoted = 0
                    else text = text c
                } else if (c == "\"") quoted = 1
                else if (c == ",") { field[n++] = text; text = "" }
                else text = text c
            }
            field[n] = text
            return n
        }
        NR == 1 { n = split_csv($0, head); for (i = 1; i <= n; i++) col[head[i]] = i; next }
        NR - 1 > seen {
            split_csv($0, f)
            print f[col["VocNo"]] "\037" f[col["Delivery_ID"]] "\037" f[col["Pump_No"]] "\037" \
                  f[col["Hose_No"]] "\037" f[col["FuelTypeCode"]] "\037" f[col["Qty_Litres"]] "\037" \
                  f[col["Qty_Gallons"]] "\037" f[col["Amount"]]
        }'
}

poll_sales() {
    local invoice id pump hose fuel litres gallons amount
    while IFS=$'\037' read -r invoice id pump hose fuel litres gallons amount; do
        sales_seen=$((sales_seen + 1))
        row "$(now)" sale "#$id" "${kind_of[$id]:-}" "$invoice" "$pump" "$hose" "$fuel" \
            "$litres" "$gallons" "$amount"
    done < <(new_sales "$sales_seen")
}

poll_backups() {
    local database text
    while IFS=$'\t' read -r database text; do
        log_seen=$((log_seen + 1))
        if [ "$database" = torvane ] && [ "$text" = "EXEC SYNX_TWO_DB_TO_BK1_BK2" ]; then
            backups=$((backups + 1))
            say "$(now)  backup    EXEC SYNX_TWO_DB_TO_BK1_BK2 on torvane (run $backups)"
        fi
    done < <("$station_tool" log "$station" 2>/dev/null | tail -n +$((log_seen + 1)))
}

# main, date (the short date message), connect (the connect retry), or nothing.
vantrok_window() {
    $can_see_windows || return 0
    local w name
    for w in $(xdotool search --onlyvisible --name "^($main_caption|vantrok)\$" 2>/dev/null); do
        name=$(xdotool getwindowname "$w" 2>/dev/null)
        case $name in
            "$main_caption") echo main; return ;;
            VANTROK) echo date; return ;;
            Vantrok) echo connect; return ;;
        esac
    done
}

window_up=false
last_note=""           # the countdown's last line when the output is no terminal
failure=""
failure_log=""         # a log that may tell why

watch_startup() {
    local left=$((startup_seconds - (EPOCHSECONDS - vantrok_started)))
    if [ "$left" -gt 0 ]; then
        if $tty; then
            show_status "VANTROK is waiting out its start-up minute: $left s left"
        elif [ "$last_note" != $(((left + 14) / 15)) ]; then
            last_note=$(((left + 14) / 15))
            say "$(now)  VANTROK   waiting out its start-up minute: $left s left"
        fi
        return
    fi
    if ! $can_see_windows; then
        end_status_line
        say "$(now)  VANTROK   start-up minute over: it imports every 4 s and runs the backup every 10 s"
        window_up=true
        return
    fi
    case $(vantrok_window) in
        main)
            end_status_line
            say "$(now)  VANTROK   window \"$main_caption\" is up: imports every 4 s, backup every 10 s"
            window_up=true ;;
        date) failure="VANTROK refused the short date format (it needs dd/MM/yyyy)" ;;
        connect) failure="VANTROK could not connect to the station (its retry message is showing)" ;;
        *) show_status "Waiting for VANTROK's window..." ;;
    esac
}

while ! $stop_requested; do
    poll_deliveries
    poll_sales
    poll_backups
    $window_up || watch_startup
    [ -n "$failure" ] && break
    if ! kill -0 "$vantrok_pid" 2>/dev/null; then
        failure="VANTROK.exe stopped on its own"
        failure_log=$wine_log
        break
    fi
    if ! kill -0 "$traffic_pid" 2>/dev/null; then
        failure="the forecourt traffic stopped"
        failure_log=$station/traffic.log
        break
    fi
    if [ -n "$deadline" ] && [ "$EPOCHSECONDS" -ge "$deadline" ]; then break; fi
    # Wake at the turn of the next second, so the countdown ticks evenly.
    printf -v pause '0.%06d' $((999999 - 10#${EPOCHREALTIME: -6}))
    sleep "$pause"
done

# ---------------------------------------------------------------- summary

vantrok_ran=$((EPOCHSECONDS - vantrok_started))
trap '' INT TERM HUP   # a second Ctrl-C must not cut the clean-up short
stopped="forecourt traffic, VANTROK.exe"
[ -n "$xvfb_pid" ] && stopped="$stopped, Xvfb"
show_status "Stopping $stopped..."
stop_traffic
stop_vantrok
stop_server
# What happened between the last poll and the stop.
poll_deliveries
poll_sales
poll_backups
stop_display
end_status_line
printf '\nStopped %s.\n' "$stopped"
if [ -n "$failure" ]; then
    [ -n "$failure_log" ] && log_tail "$failure_log"
    printf 'run-demo: %s\n' "$failure" >&2
fi

recorded_ids=$(station_sql enablerdb "select Delivery_ID from Hose_Delivery")
all_sales=$(new_sales 0)
recorded=$(grep -c . <<<"$recorded_ids")
written=$(grep -c . <<<"$all_sales")
waiting=$(grep -vxFf <(cut -d $'\037' -f 2 <<<"$all_sales") <<<"$recorded_ids" | grep -c .)
twice=$((written - (recorded - waiting)))
# Litres (3 places) and amounts (2 places) summed exactly, as whole thousandths and cents.
read -r litres amount < <(awk -F '\037' '
    function scaled(v, places,    part) {
        split(v, part, ".")
        return part[1] * 10 ^ places + substr(part[2] "000", 1, places)
    }
    { ml += scaled($6, 3); cents += scaled($8, 2) }
    END { printf "%d.%03d %d.%02d\n", int(ml / 1000), ml % 1000, int(cents / 100), cents % 100 }' <<<"$all_sales")

printf '\nSummary (VANTROK ran %d min %02d s)\n' $((vantrok_ran / 60)) $((vantrok_ran % 60))
printf '  %-22s %6d\n' "Deliveries recorded" "$recorded"
printf '  %-22s %6d   %s litres, amount %s\n' "Sales written" "$written" "$litres" "$amount"
printf '  %-22s %6d\n' "Deliveries waiting" "$waiting"
[ "$twice" -gt 0 ] && printf '  %-22s %6d   (sales beyond one per delivery)\n' "Written twice" "$twice"
printf '  %-22s %6d\n' "Backups run" "$backups"
printf '\nThe station stays in %s for a look:\n' "$station"
printf '  %s sales %s\n  %s log %s\n' "$station_tool" "$station" "$station_tool" "$station"

[ -z "$failure" ]
