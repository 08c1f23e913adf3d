#!/usr/bin/env bash
# An endless System Exclusive message into the virtual instrument's ALSA input: its resident
# memory stays within 16 MiB of where it was, it says what it dropped in a line or two rather
# than a line per piece, and the next identify is answered.
#
# usage: alsa_sysex_flood.sh TESSALINE_VIRTUAL_INSTRUMENT TESSALINE_CLI ALSA_SYSEX_FLOOD
#                            [SECONDS [BYTES_PER_SECOND]]
# Exit 0: passed; 77: skipped (reason on stdout); anything else: failed.
set -u

instrument_bin=$1
cli_bin=$2
flood_bin=$3
seconds=${4:-5}
rate=${5:-3000000}
limit_kib=$((16 * 1024))
source "$(dirname "$0")/alsa_lib.sh"
[ -x "$flood_bin" ] || fail "no flood program at $flood_bin"

rss() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null
}

model="Motif ES7"
start_instrument "$model"
say "== $(head -n 1 "$out")"
target=$(sed -n 's/^ready [^"]*in "\([^"]*\)".*/\1/p' "$out")
before=$(rss "$instrument_pid")
said=$(timeout $((seconds + 60)) "$flood_bin" "$target" "$rate" "$seconds" 2>&1)
status=$?
say "$said"
[ "$status" = 0 ] || fail "alsa_sysex_flood exited with $status"
sleep 0.5
kill -0 "$instrument_pid" 2>/dev/null || fail "the instrument died in the flood"
after=$(rss "$instrument_pid")
say "the instrument: resident $((before / 1024)) MiB before the flood, $((after / 1024)) MiB after ($((after - before)) KiB)"
[ $((after - before)) -le "$limit_kib" ] || fail "the instrument grew by more than 16 MiB"

cli "$model" identify
grep -qxF "$model connected" <<<"$cli_out" || fail "identify after the flood was not answered"
say "the instrument's stderr: $(tr '\n' '|' <"$err")"
grep -q 'input dropped' "$err" || fail "the instrument did not say what it dropped"
[ "$(wc -l <"$err")" -le 3 ] || fail "the instrument's stderr has $(wc -l <"$err") lines"
say "PASSED"
exit 0
