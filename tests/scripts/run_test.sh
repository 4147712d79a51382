#!/usr/bin/env bash
# scripts/run as a new user meets it, on real files, for each build this machine runs: without a
# display, with one that cannot be reached (then the program cannot create its job window and
# must say so by its exit code), asking for the dialog where nobody can see it, and from another
# folder with the folder named relative to it (it once named the checkout's entry of that name).
#   tests/scripts/run_test.sh     (scripts/test runs it; exits non-zero when a case fails)
set -uo pipefail
source "$(dirname "$0")/../../scripts/env.sh"
cd "$MORVANE_ROOT"

export TZ=UTC
stamp="2006-01-03 12:34:56"
want="$(date -u -d "$stamp" +%s)"
failures=0

unreachable_display() {
  local number=97
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
  echo ":$number"
}

# Fresh files for each case; a name with Japanese characters among them.
make_tree() {
  rm -rf "$1"; mkdir -p "$1/sub"
  echo one >"$1/a.txt"; echo two >"$1/sub/b.txt"; echo three >"$1/sub/日本語.txt"
  touch -d '2001-02-03 04:05:06' "$1/a.txt" "$1/sub/b.txt" "$1/sub/日本語.txt"
}

# DISPLAY-SETTING | ARGUMENTS BEFORE THE FOLDER | EXIT CODE | FILES CHANGED (yes/no) | FOLDER
# GIVEN (absolute, or relative to the caller's folder, which is not the checkout)
cases=(
  "none|/dlg:0 /tray:0 /on:h /sub:1|0|yes|absolute"
  "unreachable|/dlg:0 /tray:0 /on:h /sub:1|2|no|absolute"
  "none|/on:h|2|no|absolute"
  "none|/dlg:0 /tray:0 /on:h /sub:1|0|yes|relative"
)

choose_wine_archs || exit 1
for arch in $WINE_ARCHS; do
  use_wine_arch "$arch"
  for row in "${cases[@]}"; do
    IFS='|' read -r display arguments code changed given <<<"$row"
    tree="$BUILD_WIN/run-test"
    make_tree "$tree"
    environment=(env -u DISPLAY)
    [ "$display" = unreachable ] && environment=(env DISPLAY="$(unreachable_display)")
    # No server left from an earlier case may serve this one.
    run_for_arch "$WINESERVER" -k 2>/dev/null
    attempt=1
    while :; do
      folder="$tree"
      caller="$MORVANE_ROOT"
      [ "$given" = relative ] && { caller="$(dirname "$tree")"; folder="$(basename "$tree")"; }
      # shellcheck disable=SC2086  # the arguments are words
      output="$(cd "$caller" && MORVANE_WINE_ARCHS="$arch" timeout 150 "${environment[@]}" \
                "$MORVANE_ROOT/scripts/run" $arguments "/write:$stamp" "$folder" 2>&1)"
      got=$?
      run_for_arch "$WINESERVER" -k 2>/dev/null
      # Wine's start-up without a usable display has once hung under emulation (not reproduced
      # in many tries since): a case that times out is tried once more, and says so.
      [ "$got" = 124 ] && [ $attempt = 1 ] || break
      echo "note $ARCH_LABEL, display $display, $arguments, $given folder: timed out, trying once more"
      attempt=2
    done
    times="$(stat -c %Y "$tree/a.txt" "$tree/sub/b.txt" "$tree/sub/日本語.txt" | sort -u)"
    if [ "$changed" = yes ]; then expected_times="$want"; else expected_times="$(date -u -d '2001-02-03 04:05:06' +%s)"; fi
    if [ "$got" = "$code" ] && [ "$times" = "$expected_times" ]; then
      echo "ok   $ARCH_LABEL, display $display, $arguments, $given folder: exit $got, files changed: $changed"
    else
      echo "FAIL $ARCH_LABEL, display $display, $arguments, $given folder: exit $got (want $code), times $times (want $expected_times)"
      echo "$output" | tail -5
      failures=$((failures + 1))
    fi
  done
done
exit $((failures > 0))
