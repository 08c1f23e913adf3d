#!/usr/bin/env bash
# Devices that come and go over JACK: `tessaline-cli devices --watch`, started before the JACK
# server, finds the server's ports once it runs; it prints a line when the virtual instrument's
# ports appear, when they go with the instrument, and when they come back with it, and both
# lines when the instrument stops and starts again at once, between two of its looks; SIGTERM
# then ends the watch with exit code 0.
#
# usage: jack_device_watch.sh TESSALINE_VIRTUAL_INSTRUMENT TESSALINE_CLI
# Exit 0: passed; 77: skipped (reason on stdout); anything else: failed.
set -u

instrument_bin=$1
cli_bin=$2
source "$(dirname "$0")/jack_lib.sh"
[ -x "$instrument_bin" ] || fail "no virtual instrument at $instrument_bin"
[ -x "$cli_bin" ] || fail "no tessaline-cli at $cli_bin"

watch_out="$work/watch.out"
JACK_DEFAULT_SERVER="$server" TESSALINE_MIDI_API=jack TESSALINE_NO_PACING=1 \
    timeout 120 "$cli_bin" devices --watch </dev/null >"$watch_out" 2>"$work/watch.err" &
watch_pid=$!
helper_pids+=("$watch_pid")
sleep 0.5
start_server

# wait_lines PATTERN COUNT: until the watch has printed COUNT lines that match PATTERN.
wait_lines() {
    for _ in $(seq 1 100); do
        [ "$(grep -c -- "$1" "$watch_out")" -ge "$2" ] && return 0
        sleep 0.1
    done
    say "--- the watch printed:"
    cat "$watch_out"
    fail "expected $2 lines like \"$1\""
}

wait_lines '^out [0-9]*: Virtual S90 (simulated)$' 1
for round in 1 2; do
    rm -f "$work/Motif_ES7.ctl"
    start_instrument "Motif ES7"
    wait_lines '^new in [0-9]*: Motif ES7 (virtual):' "$round"
    wait_lines '^new out [0-9]*: Motif ES7 (virtual):' "$round"
    stop_process "${instrument_pids[-1]}"
    wait_lines '^gone in [0-9]*: Motif ES7 (virtual):' "$round"
    wait_lines '^gone out [0-9]*: Motif ES7 (virtual):' "$round"
done

# Stopped and started again at once: the same port names, under which the watch would see
# nothing had it only compared its looks.
rm -f "$work/Motif_ES7.ctl"
start_instrument "Motif ES7"
wait_lines '^new out [0-9]*: Motif ES7 (virtual):' 3
rm -f "$work/Motif_ES7.ctl"
kill -TERM "${instrument_pids[-1]}"
wait "${instrument_pids[-1]}"
stopped=$(date +%s%N)
start_instrument "Motif ES7"
say "started again $(( ($(date +%s%N) - stopped) / 1000000 )) ms after the stop"
wait_lines '^gone in [0-9]*: Motif ES7 (virtual):' 3
wait_lines '^new in [0-9]*: Motif ES7 (virtual):' 4
wait_lines '^gone out [0-9]*: Motif ES7 (virtual):' 3
wait_lines '^new out [0-9]*: Motif ES7 (virtual):' 4
# Each change once: a port on its way out is not taken for one that came back.
for kind in 'new in' 'new out' 'gone in' 'gone out'; do
    want=4
    [ "${kind%% *}" = gone ] && want=3
    got=$(grep -c "^$kind [0-9]*: Motif ES7 (virtual):" "$watch_out")
    [ "$got" = "$want" ] || { cat "$watch_out"; fail "$got lines \"$kind\", not $want"; }
done

kill -TERM "$watch_pid"
wait "$watch_pid"
status=$?
cat "$watch_out"
[ "$status" = 0 ] || fail "the watch ended with $status on SIGTERM"
say "PASSED"
exit 0
