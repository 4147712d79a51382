# Shared settings of the scripts: where the builds and the Wine prefixes live, which Wine runs
# which build, and which architectures this machine can run. Sourced, not run.
MORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export MORVANE_ROOT
# The Wine prefixes live outside the source tree, one per checkout and architecture, so that two
# checkouts on one machine never share a wineserver.
checkout_id="$(printf '%s' "$MORVANE_ROOT" | md5sum | cut -c1-10)"
MORVANE_WINE_HOME="${MORVANE_WINE_HOME:-${XDG_CACHE_HOME:-$HOME/.cache}/morvane}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=ja_JP.UTF-8
BUILD_NATIVE="$MORVANE_ROOT/build/native"
BUILD_FUZZ="$MORVANE_ROOT/build/fuzz"

# The 32-bit morvane.exe is the product; the 64-bit build exists so that the Wine tests can run
# on machines whose kernel cannot execute 32-bit code.
ALL_WINE_ARCHS="win32 win64"

# Selects one architecture: its build folder, toolchain, prefix and Wine programs. Debian's
# /usr/bin/wine, winepath and wineserver always start the 32-bit programs when wine32 is
# installed, so each architecture names its own loader and server. Where 32-bit code runs only
# by emulation, the 32-bit prefix is served by the native 64-bit server: the protocol is the same,
# and an emulated server would slow every call of every process.
use_wine_arch() {
  case "$1" in
    win32)
      BUILD_WIN="$MORVANE_ROOT/build/win32"; TOOLCHAIN="cmake/mingw-i686.cmake"
      ARCH_LABEL="32-bit"; CROSS_CXX=i686-w64-mingw32-g++-posix
      export WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32
      find_32bit_way
      if [ "$WAY32" = emulated ]; then export WINESERVER=/usr/lib/wine/wineserver64; fi ;;
    win64)
      BUILD_WIN="$MORVANE_ROOT/build/win64"; TOOLCHAIN="cmake/mingw-x86_64.cmake"
      ARCH_LABEL="64-bit"; CROSS_CXX=x86_64-w64-mingw32-g++-posix
      export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 ;;
    *) echo "unknown Wine architecture '$1' (win32 or win64)" >&2; return 1 ;;
  esac
  export WINEARCH="$1" WINEPREFIX="$MORVANE_WINE_HOME/$1-$checkout_id"
}
# The 32-bit build in the 64-bit prefix, where it runs as a 32-bit program runs on 64-bit Windows
# (WOW64: the system folder redirected to its 32-bit stand-in for it). Wine starts it with its
# 32-bit loader; the prefix is served by the 64-bit server. Call after use_wine_arch win32.
WOW64_PREFIX="$MORVANE_WINE_HOME/win64-$checkout_id"
use_wow64_prefix() {
  export WINEPREFIX="$WOW64_PREFIX" WINEARCH=win64
  export WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver64
}

wine() { "$WINELOADER" "$@"; }
winepath() { "$WINELOADER" winepath.exe "$@"; }
wineserver() { "$WINESERVER" "$@"; }

# Whether this machine executes 32-bit x86 code: some kernels have IA-32 emulation switched off,
# and then the 32-bit Wine loader fails with "Exec format error". Tried, not guessed. Inside
# scripts/emulate32 this holds too, by emulation.
can_run_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Where the kernel runs no 32-bit code, qemu-i386 (user-mode emulation, fetched by scripts/setup
# into the cache) runs it inside a private namespace (scripts/emulate32).
EMULATION_HOME="$MORVANE_WINE_HOME/emulation"
QEMU_I386="$EMULATION_HOME/qemu-i386"
QEMU_MIN_MAJOR=10   # Debian 12's own 7.2 cannot reserve Wine's address ranges

kernel_at_least() {  # MAJOR MINOR
  local major minor
  IFS=. read -r major minor _ <<<"$(uname -r)"
  minor="${minor%%[!0-9]*}"
  [ "${major:-0}" -gt "$1" ] || { [ "${major:-0}" -eq "$1" ] && [ "${minor:-0}" -ge "$2" ]; }
}

# Why this machine cannot emulate 32-bit code, or nothing when it can in principle (the emulator
# may still have to be fetched). A binfmt_misc of one's own needs Linux 6.7 and user namespaces.
emulation_obstacle() {
  if ! kernel_at_least 6 7; then
    echo "the kernel ($(uname -r)) is older than 6.7, which a private binfmt_misc needs"
  elif ! unshare --user --map-root-user --mount true 2>/dev/null; then
    echo "user namespaces are not available"
  fi
}

qemu_version() { "$QEMU_I386" --version 2>/dev/null | awk 'NR==1 {print $3}'; }

# How this machine runs 32-bit x86 code: WAY32 is native, emulated or none (then WAY32_WHY says
# why). Found once per script, by trying.
find_32bit_way() {
  [ -n "${WAY32:-}" ] && return 0
  WAY32_WHY=""
  if [ -n "${MORVANE_IN_EMULATION:-}" ]; then WAY32=emulated; return 0; fi
  if can_run_32bit; then WAY32=native; return 0; fi
  WAY32=none
  WAY32_WHY="$(emulation_obstacle)"
  if [ -n "$WAY32_WHY" ]; then return 0; fi
  if [ ! -x "$QEMU_I386" ]; then
    WAY32_WHY="no emulator in $EMULATION_HOME (scripts/setup fetches it)"
  elif ! "$MORVANE_ROOT/scripts/emulate32" /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WAY32_WHY="the emulator $QEMU_I386 does not start the 32-bit Wine loader"
  else
    WAY32=emulated
  fi
}

# One line: how 32-bit code runs here.
describe_32bit_way() {
  find_32bit_way
  case "$WAY32" in
    native) echo "32-bit code runs natively on this machine." ;;
    emulated) echo "32-bit code runs by emulation on this machine (qemu-i386 $(qemu_version), the kernel runs none)." ;;
    *) echo "32-bit code does not run on this machine: it executes none, and $WAY32_WHY." ;;
  esac
}

# Runs a command for the selected architecture: inside the emulation namespace where the 32-bit
# build runs only by emulation, directly otherwise.
run_for_arch() {
  if [ "$WINEARCH" = win32 ] && [ "$WAY32" = emulated ] && [ -z "${MORVANE_IN_EMULATION:-}" ]; then
    "$MORVANE_ROOT/scripts/emulate32" "$@"
  else
    "$@"
  fi
}

# Runs the calling script again inside the emulation namespace when the selected build is the
# 32-bit one and this machine runs it only by emulation (its prefix lives there); returns
# otherwise. Call as: reenter_for_emulation "$0" "$@"
reenter_for_emulation() {
  if [ "$WINEARCH" = win32 ] && [ "$WAY32" = emulated ] && [ -z "${MORVANE_IN_EMULATION:-}" ]; then
    exec "$MORVANE_ROOT/scripts/emulate32" "$@"
  fi
}

# The architectures to run under Wine: MORVANE_WINE_ARCHS when given (e.g. "win64"), otherwise
# both where the machine can run 32-bit code, natively or by emulation, and the 64-bit one alone
# where it cannot. Sets WINE_ARCHS and, when the 32-bit one is left out, WINE32_SKIPPED (why).
choose_wine_archs() {
  WINE32_SKIPPED=""
  find_32bit_way
  if [ -n "${MORVANE_WINE_ARCHS:-}" ]; then
    WINE_ARCHS="$(echo "$MORVANE_WINE_ARCHS" | tr ',' ' ')"
    local arch
    for arch in $WINE_ARCHS; do
      case "$arch" in win32|win64) ;; *) echo "MORVANE_WINE_ARCHS: unknown '$arch'" >&2; return 1 ;; esac
    done
    case " $WINE_ARCHS " in
      *" win32 "*) ;;
      *) WINE32_SKIPPED="MORVANE_WINE_ARCHS is '$MORVANE_WINE_ARCHS'" ;;
    esac
  elif [ "$WAY32" != none ]; then
    WINE_ARCHS="win32 win64"
  else
    WINE_ARCHS="win64"
    WINE32_SKIPPED="this machine executes no 32-bit x86 code, and $WAY32_WHY"
  fi
}

# The one build that runs the program for a user: the 32-bit product where the machine can run
# it, the 64-bit build otherwise (or as MORVANE_WINE_ARCHS names first).
choose_program_arch() {
  choose_wine_archs || return 1
  local first; first="${WINE_ARCHS%% *}"
  use_wine_arch "$first"
}

# The build a benchmark runs: the program's build, but never one that runs by emulation, whose
# times say nothing of the program. Sets BENCH_NOTE when the 32-bit build is passed over; fails
# when no native build is left to run.
choose_bench_arch() {
  BENCH_NOTE=""
  choose_wine_archs || return 1
  local arch
  for arch in $WINE_ARCHS; do
    if [ "$arch" = win32 ] && [ "$WAY32" = emulated ]; then
      BENCH_NOTE="32-bit not run: it runs here only by emulation, and an emulated time means nothing"
      continue
    fi
    use_wine_arch "$arch"
    [ -z "$BENCH_NOTE" ] && [ -n "$WINE32_SKIPPED" ] && BENCH_NOTE="32-bit not run: $WINE32_SKIPPED"
    return 0
  done
  echo "No benchmark: the 32-bit build runs here only by emulation, and an emulated time means" >&2
  echo "nothing. MORVANE_WINE_ARCHS=win64 measures the 64-bit build natively." >&2
  return 1
}

# Configures and builds the selected architecture's cross build; extra arguments are targets.
build_cross() {
  cmake -S "$MORVANE_ROOT" -B "$BUILD_WIN" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null || return 1
  if [ $# -gt 0 ]; then cmake --build "$BUILD_WIN" --target "$@"; else cmake --build "$BUILD_WIN"; fi
}

# A sample folder with files and a subfolder of mixed attributes, made afresh under DIR with the
# test probe (PROBE); Wine and the selected architecture must be ready.
make_demo_folder() {
  local demo="$1" probe="$2"
  rm -rf "$demo"
  mkdir -p "$demo/sample/sub"
  local name
  for name in report.txt notes.log photo.jpg sub/inner.txt sub/readme.md; do
    echo "sample $name" >"$demo/sample/$name"
  done
  touch -d '2001-02-03 04:05:06' "$demo/sample"/* "$demo/sample/sub"/*
  wine "$probe" set 3 "$(winepath -w "$demo/sample/notes.log" 2>/dev/null)" >/dev/null   # read-only, hidden
  wine "$probe" set 6 "$(winepath -w "$demo/sample/photo.jpg" 2>/dev/null)" >/dev/null   # hidden, system
  wine "$probe" set 2 "$(winepath -w "$demo/sample/sub/inner.txt" 2>/dev/null)" >/dev/null  # hidden
  wine "$probe" set 2 "$(winepath -w "$demo/sample/sub" 2>/dev/null)" >/dev/null         # hidden folder
}

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

# Wine links a new prefix's desktop to the user's home folder. The tests put the program's
# shortcut on the desktop and must not write into the home folder, so the prefix gets a desktop
# folder of its own.
own_prefix_desktop() {
  local desktop
  for desktop in "$WINEPREFIX"/drive_c/users/*/Desktop; do
    if [ -L "$desktop" ]; then rm -f "$desktop" && mkdir "$desktop"; fi
  done
}

stop_wine() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ -n "${KEEPER_PID:-}" ]; then wait "$KEEPER_PID" 2>/dev/null; fi
  KEEPER_PID=""
}
