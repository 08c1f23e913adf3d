#!/usr/bin/env bash
# Undo and restore over JACK, checked in the instrument's own memory: a copy then `undo` leaves
# the performance byte for byte as it was, and `restore` of an older backup brings that one
# back although a later copy came between.
#
# usage: jack_undo.sh TESSALINE_VIRTUAL_INSTRUMENT TESSALINE_CLI
# Exit 0: passed; 77: skipped (reason on stdout); anything else: failed.
set -u

instrument_bin=$1
cli_bin=$2
source "$(dirname "$0")/jack_lib.sh"
[ -x "$instrument_bin" ] || fail "no virtual instrument at $instrument_bin"
[ -x "$cli_bin" ] || fail "no tessaline-cli at $cli_bin"
start_server
export XDG_DATA_HOME="$work/data"

model="Motif ES7"
start_instrument "$model"
fd=$control
mem=$out

# cli ARGS...: tessaline-cli against the instrument; sets $cli_out, fails on a non-zero exit.
cli() {
    cli_out=$(timeout 60 "$cli_bin" --device "$model (virtual)" --timeout 8000 "$@" 2>&1)
    local status=$?
    say "\$ tessaline-cli $*"
    say "$cli_out"
    [ "$status" = 0 ] || fail "tessaline-cli $* exited with $status"
}

# The performance edit buffer: common, both effect blocks, the fixed block and the four parts.
performance() {
    local region text all=""
    for region in "300000 101" "300100 36" "300200 37" "301000 20" \
        "310000 64" "310100 64" "310200 64" "310300 64"; do
        text=$(memory "$fd" "$mem" $region) || exit 1
        [[ "$text" =~ ^[0-9A-F\ ]+$ ]] || fail "not memory: $text"
        all+="$text|"
    done
    printf '%s' "$all"
}

# saved: the backup the last copy printed.
saved() {
    sed -n 's/^Saved the destination as //p' <<<"$cli_out"
}

cli performance A01
before=$(performance)
cli copy --voice PRE1:A05 --to performance:A01 --part 2 --sys-fx --ins-fx --name
[ "$(performance)" != "$before" ] || fail "the copy changed nothing"
cli undo
[ "$(performance)" = "$before" ] || fail "undo left the performance other than it was"
say "undo: the performance is byte for byte as it was"

cli copy --voice PRE2:B03 --to performance:A01 --part 1 --sys-fx --name
older=$(saved)
[ -f "$older" ] || fail "no backup at \"$older\""
cli copy --voice PRE3:C07 --to performance:A01 --part 3 --ins-fx
[ "$(performance)" != "$before" ] || fail "the copies changed nothing"
cli restore "$older"
[ "$(performance)" = "$before" ] || fail "restore did not bring the older backup back"
say "restore: the older backup is back, byte for byte"
say "PASSED"
