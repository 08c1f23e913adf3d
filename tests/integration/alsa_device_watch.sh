#!/usr/bin/env bash
# Devices that come and go on the ALSA sequencer. `tessaline-cli devices --watch` prints both
# lines, gone and new, for an instrument stopped and started again at once under the same
# client numbers. An instrument that comes back under other client numbers is still the device
# the settings name: a stored choice written with the old numbers finds it and names it.
#
# usage: alsa_device_watch.sh TESSALINE_VIRTUAL_INSTRUMENT TESSALINE_CLI
# Exit 0: passed; 77: skipped (reason on stdout); anything else: failed.
set -u

instrument_bin=$1
cli_bin=$2
source "$(dirname "$0")/alsa_lib.sh"

watch_out="$work/watch.out"
timeout 120 "$cli_bin" devices --watch </dev/null >"$watch_out" 2>"$work/watch.err" &
watch_pid=$!
helper_pids+=("$watch_pid")

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
start_instrument "Motif ES7"
wait_lines '^new in [0-9]*: Motif ES7 (virtual):MIDI Out ' 1

# Stopped and started again at once: the sequencer gives it the same numbers, so the lists
# look the same before and after; only its announcements tell.
rm -f "$work/Motif_ES7.ctl"
kill -TERM "${instrument_pids[-1]}"
wait "${instrument_pids[-1]}"
stopped=$(date +%s%N)
start_instrument "Motif ES7"
say "started again $((($(date +%s%N) - stopped) / 1000000)) ms after the stop"
wait_lines '^gone in [0-9]*: Motif ES7 (virtual):MIDI Out ' 1
wait_lines '^new in [0-9]*: Motif ES7 (virtual):MIDI Out ' 2
wait_lines '^gone out [0-9]*: Motif ES7 (virtual):MIDI In ' 1
wait_lines '^new out [0-9]*: Motif ES7 (virtual):MIDI In ' 2
kill -TERM "$watch_pid"
wait "$watch_pid"
status=$?
cat "$watch_out"
[ "$status" = 0 ] || fail "the watch ended with $status on SIGTERM"

# Back under other numbers: another client takes the instrument's while it is away. The choice
# stored before, by an older version with the numbers of its day and a stale device number,
# still finds it.
listed=$("$cli_bin" devices)
listed_in=$(grep -o 'Motif ES7 (virtual):MIDI Out [0-9]*:[0-9]*$' <<<"$listed")
listed_out=$(grep -o 'Motif ES7 (virtual):MIDI In [0-9]*:[0-9]*$' <<<"$listed")
rm -f "$work/Motif_ES7.ctl"
stop_process "${instrument_pids[-1]}"
start_instrument "S90"
start_instrument "Motif ES7"
now=$("$cli_bin" devices | grep -o 'Motif ES7 (virtual):MIDI Out [0-9]*:[0-9]*$')
say "the instrument was $listed_in, is now $now"
[ "$now" != "$listed_in" ] || fail "the instrument came back under the same numbers"
mkdir -p "$XDG_CONFIG_HOME/Quorvath"
cat >"$XDG_CONFIG_HOME/Quorvath/tessaline.conf" <<CONF
[General]
MIDI%20Device%20In=0
MIDI%20Device%20Out=0
MIDI%20Device%20In%20Name="$listed_in"
MIDI%20Device%20Out%20Name="$listed_out"
CONF
# Under software emulation a start of the command line alone takes seconds.
identified=$(timeout 60 "$cli_bin" --timeout 15000 identify </dev/null 2>&1)
say "\$ tessaline-cli identify: $identified"
grep -qxF "Motif ES7 connected" <<<"$identified" || fail "the stored choice did not find the instrument"
say "PASSED"
exit 0
