# Runs a test command and, when it fails without having printed a single byte, runs it again (up
# to three tries in all). The 64-bit Wine of some machines now and then lets a process die before
# its first instruction; a test program that ran prints its banner before anything can fail, so
# a silent failure is a start that never happened, never a test's verdict. The output is passed
# on as it comes, so that a test that hangs still shows how far it got.
#   sh start_again_if_silent.sh COMMAND...
output=$(mktemp) || exec "$@"
trap 'rm -f "$output" "$output.status"' EXIT
try=1
while :; do
  { "$@" 2>&1; echo $? >"$output.status"; } | tee "$output"
  status=$(cat "$output.status")
  if [ "$status" -eq 0 ] || [ -s "$output" ] || [ "$try" -ge 3 ]; then break; fi
  echo "The test program ended at once with status $status and no output; started again." >&2
  try=$((try + 1))
done
exit "$status"
