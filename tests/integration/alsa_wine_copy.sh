#!/usr/bin/env bash
# The Windows command line end to end: tessaline-cli.exe under Wine, through Wine's MIDI driver
# and the real ALSA sequencer, to a Linux virtual instrument. It lists and names the
# instrument, then copies a voice into a performance and into the song mix, each checked by
# reading it back, and undoes the second from its backup; the instrument's own memory confirms
# each step.
#
# usage: alsa_wine_copy.sh TESSALINE_VIRTUAL_INSTRUMENT TESSALINE_CLI_EXE WINE_RUN
# Exit 0: passed; 77: skipped (reason on stdout); anything else: failed. Where the Windows
# build is required (TESSALINE_REQUIRE_WINDOWS=1, as scripts/test sets it), a missing program
# fails instead of skipping.
set -u

instrument_bin=$1
windows_cli=$2
wine_run=$3
source "$(dirname "$0")/process_lib.sh"

if [ ! -f "$windows_cli" ] || ! command -v wine >/dev/null 2>&1; then
    reason="no Windows build at $windows_cli, or no Wine (cmake --preset windows builds it)"
    if [ "${TESSALINE_REQUIRE_WINDOWS:-0}" = 1 ]; then
        say "FAILED: $reason"
        exit 1
    fi
    skip_test "$reason"
fi
cli_bin=$windows_cli
source "$(dirname "$0")/alsa_lib.sh"

# The program as alsa_lib runs it: through Wine, in the project's prefix, its lines ended the
# Windows way (CR LF) read as lines here. Wine reads a program's sections with plain reads, and
# the machine's shared folder answers a large read only in part: the program runs from a copy
# in the machine's own memory.
# Its output goes through a file: Wine's own processes, which outlive the program, inherit
# where it writes and would hold a pipe open.
cp "$windows_cli" "$work/tessaline-cli.exe"
cat >"$work/tessaline-cli" <<EOF
#!/bin/bash
$(printf '%q %q "$@" >%q 2>&1' "$wine_run" "$work/tessaline-cli.exe" "$work/cli.txt")
status=\$?
tr -d '\r' <$(printf '%q' "$work/cli.txt")
exit \$status
EOF
chmod +x "$work/tessaline-cli"
cli_bin=$work/tessaline-cli
# One Wine server for every run of the program, stopped with the test: each start of an
# emulated Windows program is costly enough without starting the server again.
export TESSALINE_WINEPREFIX=${TESSALINE_WINEPREFIX:-$(cd "$(dirname "$wine_run")/.." && pwd)/build/wine-prefix}
export WINEPREFIX=$TESSALINE_WINEPREFIX
"$wine_run" cmd /c exit >/dev/null 2>&1 || fail "Wine does not run programs here"
wineserver -w
wineserver -p -f >/dev/null 2>&1 &
helper_pids+=($!)

model="Motif ES7"
start_instrument "$model"
say "== $(head -n 1 "$out")"

# Wine shows a port by its name alone: the instrument's names say whose they are.
cli "$model" devices
grep -qF "$model (virtual) MIDI In" <<<"$cli_out" || fail "the instrument's input is not listed"
grep -qF "$model (virtual) MIDI Out" <<<"$cli_out" || fail "the instrument's output is not listed"
cli "$model" identify
grep -qxF "$model connected" <<<"$cli_out" || fail "the instrument was not named"

# PRE2:B03 (bank select 3F 01, program 18 = 12 hex) into part 2 of performance A01, whose
# part 2 begins at 31 01 00 with bank MSB, bank LSB and program.
verified_copy "$model" copy --voice PRE2:B03 --to performance:A01 --part 2
landed=$(memory "$control" "$out" 310100 3)
[ "$landed" = "3F 01 12" ] || fail "performance part 2 holds $landed"

# PRE1:H16 (program 127) into part 5 of the song mix, at 37 04 00, in song mode. The backup
# goes where Windows keeps a user's local application data.
before=$(memory "$control" "$out" 370400 3)
verified_copy "$model" copy --voice PRE1:H16 --to mix --part 5
grep -qE '^Saved the destination as .*\\AppData\\Local\\Tessaline\\backups\\Motif ES7\\.*_song-mix\.syx$' \
    <<<"$cli_out" || fail "the backup is not in the local application data"
landed=$(memory "$control" "$out" 370400 3)
[ "$landed" = "3F 00 7F" ] || fail "song mix part 5 holds $landed"
[ "$(memory "$control" "$out" 0A0001 1)" = "03" ] || fail "the instrument is not in song mode"

# And undone from that backup.
cli "$model" undo
landed=$(memory "$control" "$out" 370400 3)
[ "$landed" = "$before" ] || fail "after undo, song mix part 5 holds $landed, not $before"

say "PASSED"
exit 0
