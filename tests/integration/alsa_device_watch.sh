#!/usr/bin/env bash
# Devices that come and go on the ALSA sequencer. `tessaline-cli devices --watch` prints a line
# when the instrument's ports come and when they go; when the instrument comes back under other
# client numbers (another client took its own while it was away), a choice stored with the old
# numbers, as an older version stored it, and a stale device number, still finds it and names
# it. (The port lists' own test holds a port gone and back at once under the same numbers.)
#
# usage: alsa_device_watch.sh TESSALINE_VIRTUAL_INSTRUMENT TESSALINE_CLI
# Exit 0: passed; 77: skipped (reason on stdout); anything else: failed.
set -u

instrument_bin=$1
cli_bin=$2
source "$(dirname "$0")/alsa_lib.sh"

watch_out="$work/watch.out"
instrument="Motif ES7 (virtual)"
timeout 120 "$cli_bin" devices --watch </dev/null >"$watch_out" 2>"$work/watch.err" &
watch_pid=$!
helper_pids+=("$watch_pid")

# wait_lines PATTERN COUNT: until the watch has printed COUNT lines that match PATTERN.
wait_lines() {
    for _ in $(seq 1 200); do
        [ "$(grep -c -- "$1" "$watch_out")" -ge "$2" ] && return 0
        sleep 0.1
    done
    say "--- the watch printed:"
    cat "$watch_out"
    fail "expected $2 lines like \"$1\""
}
# listed KIND PORT: the name of the instrument's port in the watch's last line of that kind.
listed() {
    grep "^$1 " "$watch_out" | grep -o "$instrument:$instrument $2 [0-9]*:[0-9]*\$" | tail -n 1
}

wait_lines '^out [0-9]*: Virtual S90 (simulated)$' 1
start_instrument "Motif ES7"
wait_lines "^new in [0-9]*: $instrument:$instrument MIDI Out " 1
wait_lines "^new out [0-9]*: $instrument:$instrument MIDI In " 1
was_in=$(listed new "MIDI Out")
was_out=$(listed new "MIDI In")
rm -f "$work/Motif_ES7.ctl"
stop_process "${instrument_pids[-1]}"
wait_lines "^gone in [0-9]*: $instrument:$instrument MIDI Out " 1
wait_lines "^gone out [0-9]*: $instrument:$instrument MIDI In " 1

start_instrument "S90"
start_instrument "Motif ES7"
wait_lines "^new in [0-9]*: $instrument:$instrument MIDI Out " 2
now_in=$(listed new "MIDI Out")
kill -TERM "$watch_pid"
wait "$watch_pid"
status=$?
cat "$watch_out"
[ "$status" = 0 ] || fail "the watch ended with $status on SIGTERM"
say "the instrument was $was_in, is now $now_in"
[ -n "$was_in" ] && [ "$now_in" != "$was_in" ] || fail "the instrument came back under the same numbers"

mkdir -p "$XDG_CONFIG_HOME/Quorvath"
cat >"$XDG_CONFIG_HOME/Quorvath/tessaline.conf" <<CONF
[General]
MIDI%20Device%20In=0
MIDI%20Device%20Out=0
MIDI%20Device%20In%20Name="$was_in"
MIDI%20Device%20Out%20Name="$was_out"
CONF
# Under software emulation a start of the command line alone takes seconds.
identified=$(timeout 60 "$cli_bin" --timeout 15000 identify </dev/null 2>&1)
say "\$ tessaline-cli identify: $identified"
grep -qxF "Motif ES7 connected" <<<"$identified" || fail "the stored choice did not find the instrument"
say "PASSED"
exit 0
