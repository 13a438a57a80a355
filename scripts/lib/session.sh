# Shell functions for running Nimbra as a user would, shared by scripts/run and bench/run:
# the embedded default (the reference service and two exits on loopback), a virtual
# display with a notification area, and the key press that confirms an exit.
# Source it from bash; the caller adds the PIDs in session_pids to its own clean-up.

session_pids=()

# The service's demo answer lists these two exits; each microsocks makes its outgoing
# connections from its own address, so a page sees which exit a request came through.
session_exit_user=nimbra
session_exit_key=nimbra-demo

session_port_busy() { (exec 3<>"/dev/tcp/$1/$2") 2>/dev/null; }

session_wait_port() {
  local _
  for _ in $(seq 100); do session_port_busy "$1" "$2" && return 0; sleep 0.1; done
  echo "nothing listens on $1:$2" >&2
  return 1
}

# session_start_embedded BUILD_DIR LOG_DIR: the reference service on 127.0.0.1:8369 and
# the exits on 127.0.0.2:1080 and 127.0.0.3:1080.
session_start_embedded() {
  local build=$1 logs=$2 address
  for address in 127.0.0.1:8369 127.0.0.2:1080 127.0.0.3:1080; do
    if session_port_busy "${address%:*}" "${address#*:}"; then
      echo "$address is already in use: is another Nimbra demo running?" >&2
      return 1
    fi
  done
  "$build/bin/nimbra-service" --listen 127.0.0.1:8369 >"$logs/service.log" 2>&1 &
  session_pids+=($!)
  for address in 127.0.0.2 127.0.0.3; do
    microsocks -i "$address" -p 1080 -u "$session_exit_user" -P "$session_exit_key" -b "$address" \
      >"$logs/exit-$address.log" 2>&1 &
    session_pids+=($!)
  done
  session_wait_port 127.0.0.1 8369 && session_wait_port 127.0.0.2 1080 && session_wait_port 127.0.0.3 1080
}

# session_start_display: Xvfb on the first free display from :77 and trayer as its
# notification area at the bottom right; exports DISPLAY.
session_start_display() {
  local number=77
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
  export DISPLAY=:$number
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  session_pids+=($!)
  local _
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
  trayer --edge bottom --align right --widthtype request --height 24 >/dev/null 2>&1 &
  session_pids+=($!)
  for _ in $(seq 100); do session_window panel >/dev/null && return 0; sleep 0.05; done
  echo "the notification area did not appear on $DISPLAY" >&2
  return 1
}

# session_window TITLE: the id of the shown top-level window with exactly that title; fails
# when there is none. Without a window manager the windows are the root's children, shown or
# not.
session_window() {
  local id
  for id in $(xwininfo -root -children 2>/dev/null | awk -v title="\"$1\":" 'index($0, title) { print $1 }'); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' || continue
    echo "$id"
    return 0
  done
  return 1
}

# session_wait_window TITLE SECONDS
session_wait_window() {
  local deadline=$((SECONDS + $2))
  while [ $SECONDS -le $deadline ]; do session_window "$1" && return 0; sleep 0.05; done
  return 1
}

# session_confirm_exit SECONDS: waits for the IP selection dialog and presses Return in it,
# which confirms the exit selected when it opens (OK has the focus and is the default).
session_confirm_exit() {
  local id
  id=$(session_wait_window "Select IP" "$1") || return 1
  xdotool windowfocus --sync "$id" && xdotool key Return
}

# session_wait_report FILE TEXT SECONDS: waits until the log file holds TEXT.
session_wait_report() {
  local deadline=$((SECONDS + $3))
  while [ $SECONDS -le $deadline ]; do
    grep -qF "$2" "$1" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}
