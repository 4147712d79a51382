# Runs a command with Wine told to prefer a library it finds by a search (in a program's folder,
# say) to its own, as Windows takes the first file it finds. The test that plants libraries next
# to the program relies on it; Wine reads this when a process starts, from the environment the
# process inherits, so it is set for the test program, whose children inherit it.
#   sh prefer_found_libraries.sh COMMAND...
WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}version,comctl32,rsrc32=n,b"
export WINEDLLOVERRIDES
exec "$@"
