# Shared settings of the scripts: where the builds and the Wine prefix live. Sourced, not run.
MORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export MORVANE_ROOT
# The Wine prefix lives outside the source tree, one per checkout, so that two checkouts on one
# machine never share a wineserver.
checkout_id="$(printf '%s' "$MORVANE_ROOT" | md5sum | cut -c1-10)"
export WINEPREFIX="${MORVANE_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/morvane/wine-$checkout_id}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=ja_JP.UTF-8
BUILD_NATIVE="$MORVANE_ROOT/build/native"
BUILD_WIN="$MORVANE_ROOT/build/win"
BUILD_FUZZ="$MORVANE_ROOT/build/fuzz"

# Starts Xvfb on a free display unless one is given; sets DISPLAY and XVFB_PID.
start_display() {
  XVFB_PID=""
  if [ -n "${DISPLAY:-}" ] && [ -z "${MORVANE_OWN_DISPLAY:-}" ]; then return 0; fi
  local fifo; fifo="$(mktemp -u)"; mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local number; read -r number <"$fifo"; rm -f "$fifo"
  export DISPLAY=":$number"
}

stop_display() {
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; fi
  XVFB_PID=""
}

# A warm wineserver: without it every test process waits for the server to time out.
# With a keeper program given, one of its hidden windows also keeps Wine's desktop process alive.
start_wine() {
  wineserver -p
  wine wineboot </dev/null >/dev/null 2>&1
  KEEPER_PID=""
  if [ -n "${1:-}" ] && [ -f "$1" ]; then
    wine "$1" </dev/null >/dev/null 2>&1 &
    KEEPER_PID=$!
  fi
}

# Whether Wine leaves its windows to a window manager. A bare Xvfb has none, and Wine then waits
# two seconds for every window it shows to be taken over; on our own display windows go unmanaged.
set_windows_managed() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$1" /f >/dev/null 2>&1
}

stop_wine() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ -n "${KEEPER_PID:-}" ]; then wait "$KEEPER_PID" 2>/dev/null; fi
  KEEPER_PID=""
}
