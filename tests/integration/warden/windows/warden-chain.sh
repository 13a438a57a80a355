#!/usr/bin/env bash
# warden.exe under wine in the chain the tray program builds: curl -> Warden -> microsocks
# -> a web server, all on 127.0.0.1, with a page of random bytes fetched byte for byte.
# Then the end of the program that started Warden ends Warden, a wrong key is reported,
# and a taken local port is reported with exit status 1.
#
# Usage: warden-chain.sh PATH/TO/warden.exe   (wine uses WINEPREFIX from the environment)
#
# Warden is started by start.exe /wait, a Windows process, as the tray program starts it:
# Warden binds its lifetime to the process that started it and refuses to run without one
# (started by a Linux process under wine it has none).

set -u

readonly warden_exe=$1
readonly user=nimbra key=open-sesame
work=$(mktemp -d) || exit 1
readonly work
warden_ports=() # the local ports of the Wardens started, to find one that lingers
failures=0
: "${WINEDEBUG:=-all}"
export WINEDEBUG

# Whether process $1, started by this script, still runs. bash knows which of its jobs
# still run, so an id that has gone (and may have been given to another process) is not
# taken for one of them.
running() {
    [[ " $(jobs -pr | xargs) " == *" $1 "* ]]
}

# Stops process $1, started by this script, if it still runs.
stop() {
    running "$1" && { kill -9 "$1" && wait "$1"; } 2>/dev/null
}

# The Unix processes of this test's Wardens on local port $1: wine shows each Windows
# command line as the process's own, and Warden is not a child of this script.
warden_pids() {
    local entry line
    for entry in /proc/[0-9]*; do
        line=$({ tr '\0' ' ' <"$entry/cmdline"; } 2>/dev/null) || continue
        [[ $line == "$warden_windows_path -name $user -key "*" -H $1 "* ]] && echo "${entry#/proc/}"
    done
}

cleanup() {
    local pid port
    for pid in $(jobs -pr); do
        { kill -9 "$pid" && wait "$pid"; } 2>/dev/null
    done
    for port in "${warden_ports[@]}"; do
        for pid in $(warden_pids "$port"); do
            kill -9 "$pid" 2>/dev/null
        done
    done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

listening() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# Waits until something accepts connections at 127.0.0.1:$1, for at most $2 seconds.
wait_listening() {
    local i
    for ((i = 0; i < $2 * 10; i++)); do
        listening "$1" && return 0
        sleep 0.1
    done
    return 1
}

# The status codes Warden wrote to file $1 so far, one line each, up to the first $2 when
# given (Windows ends its lines with CR LF).
codes() {
    tr -d '\r' <"$1" | grep -oE '^[0-9]{6}' | sed "/^${2:-none}\$/q"
}

# Waits until file $1 holds a line with code $2, for at most $3 seconds.
wait_code() {
    local i
    for ((i = 0; i < $3 * 10; i++)); do
        codes "$1" | grep -qx "$2" && return 0
        sleep 0.1
    done
    return 1
}

# Waits until process $1 has ended, for at most $2 seconds; its exit status in `status`.
wait_exit() {
    local i
    for ((i = 0; i < $2 * 10; i++)); do
        if ! running "$1"; then
            wait "$1"
            status=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Starts Warden with key $1, local port $2 and exit port $3, its lines in file $4; the
# Unix process of its parent in `parent`.
start_warden() {
    warden_ports+=("$2")
    : >"$4"
    wine "$start_exe" /wait /b /unix "$warden_exe" -name "$user" -key "$1" -do -H "$2" -dirudo \
        -port "$3" -say 127.0.0.1 >"$4" 2>&1 &
    parent=$!
}

for tool in wine python3 microsocks curl cmp; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }
done
# The first start of wine also sets up a new prefix, which takes a while.
start_exe=$(timeout 120 wine winepath.exe -u 'C:\windows\system32\start.exe' 2>/dev/null | tr -d '\r')
[[ -f $start_exe ]] || { echo "FAIL: no start.exe in the wine prefix" >&2; exit 1; }
warden_windows_path=$(timeout 30 wine winepath.exe -w "$warden_exe" 2>/dev/null | tr -d '\r')

# The web server and the exit.
mkdir "$work/site"
head -c $((3 * 1024 * 1024 + 7)) /dev/urandom >"$work/site/page.bin"
http_port=$(free_port)
(cd "$work/site" && exec python3 -m http.server --bind 127.0.0.1 "$http_port") >/dev/null 2>&1 &
exit_port=$(free_port)
microsocks -i 127.0.0.1 -p "$exit_port" -u "$user" -P "$key" >/dev/null 2>&1 &
wait_listening "$http_port" 10 || fail "the web server did not start"
wait_listening "$exit_port" 10 || fail "microsocks did not start"
((failures == 0)) || exit 1

echo "== a page fetched through Warden arrives byte for byte"
local_port=$(free_port)
start_warden "$key" "$local_port" "$exit_port" "$work/chain.out"
if wait_code "$work/chain.out" 160138 60; then
    [[ $(codes "$work/chain.out" 160138 | xargs) == "160032 160238 160239 160138" ]] ||
        fail "status lines before ready: $(codes "$work/chain.out" | xargs)"
    curl -s --max-time 60 --socks5-hostname "127.0.0.1:$local_port" -o "$work/fetched.bin" \
        "http://127.0.0.1:$http_port/page.bin" || fail "curl through Warden: exit status $?"
    cmp -s "$work/site/page.bin" "$work/fetched.bin" || fail "the page fetched differs from the page served"
else
    fail "no ready line; Warden wrote: $(tr -d '\r' <"$work/chain.out")"
fi

echo "== Warden ends with the program that started it"
stop "$parent"
gone=no
for ((i = 0; i < 100; i++)); do
    if [[ -z $(warden_pids "$local_port") ]] && ! listening "$local_port"; then
        gone=yes
        break
    fi
    sleep 0.1
done
[[ $gone == yes ]] || fail "Warden outlived its parent by 10 s"

echo "== a wrong key is reported as rejected"
local_port=$(free_port)
start_warden not-the-key "$local_port" "$exit_port" "$work/wrong-key.out"
if wait_code "$work/wrong-key.out" 160244 60; then
    [[ $(codes "$work/wrong-key.out" 160244 | xargs) == "160032 160238 160244" ]] ||
        fail "status lines for a wrong key: $(codes "$work/wrong-key.out" | xargs)"
else
    fail "no rejection; Warden wrote: $(tr -d '\r' <"$work/wrong-key.out")"
fi
stop "$parent"

echo "== a taken local port is reported and ends Warden with status 1"
start_warden "$key" "$http_port" "$exit_port" "$work/taken.out"
if wait_exit "$parent" 60; then
    [[ $(codes "$work/taken.out" | xargs) == "160243" ]] ||
        fail "status lines for a taken port: $(tr -d '\r' <"$work/taken.out")"
    ((status == 1)) || fail "exit status $status for a taken port"
else
    fail "Warden kept running on a taken port"
fi

((failures == 0)) && echo "all passed"
exit $((failures == 0 ? 0 : 1))
