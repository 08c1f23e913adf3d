#!/usr/bin/env bash
# An endless System Exclusive message over JACK: F0, then data bytes at a steady rate, never
# F7. First into the virtual instrument's input, then into the window's (offscreen, talking to
# that instrument). Each program's resident memory must stay within 16 MiB of where it was
# before the flood, and what comes after must be received: the instrument answers
# `tessaline-cli identify`, and the window, given a fresh identity reply, asks the instrument
# for its data again as it does after every identification.
#
# usage: sysex_flood.sh TESSALINE_VIRTUAL_INSTRUMENT TESSALINE_CLI TESSALINE SYSEX_FLOOD
#                       [SECONDS [BYTES_PER_SECOND]]
#   SECONDS: how long each flood lasts (default $TESSALINE_FLOOD_SECONDS, else 60)
#   BYTES_PER_SECOND: the flood's rate (default $TESSALINE_FLOOD_RATE, else 3000000); a
#   JACK server at 48 kHz with 256-frame periods carries at most about 6 MB/s
# Exit 0: passed; 77: skipped (reason on stdout); anything else: failed.
set -u

instrument_bin=$1
cli_bin=$2
window_bin=$3
flood_bin=$4
seconds=${5:-${TESSALINE_FLOOD_SECONDS:-60}}
rate=${6:-${TESSALINE_FLOOD_RATE:-3000000}}
limit_kib=$((16 * 1024))
source "$(dirname "$0")/jack_lib.sh"
for program in "$instrument_bin" "$cli_bin" "$window_bin" "$flood_bin"; do
    [ -x "$program" ] || fail "no program at $program"
done
[[ "$seconds" =~ ^[0-9]+$ && "$rate" =~ ^[0-9]+$ ]] || fail "SECONDS and the rate are whole numbers"
start_server

# rss PID: resident memory in KiB.
rss() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null
}

# child_of PID: the program that `timeout` runs.
child_of() {
    local pid
    for _ in $(seq 1 50); do
        pid=$(pgrep -P "$1") && { echo "$pid"; return 0; }
        sleep 0.1
    done
    fail "no program under process $1"
}

# flood TARGET: the endless message into TARGET for $seconds seconds; extra options first.
flood() {
    local said
    said=$(timeout $((seconds + 30)) "$flood_bin" "$@" 2>&1)
    local status=$?
    say "$said"
    [ "$status" = 0 ] || fail "sysex_flood exited with $status"
}

# check_growth NAME BEFORE AFTER
check_growth() {
    say "$1: resident $(($2 / 1024)) MiB before the flood, $(($3 / 1024)) MiB after ($(($3 - $2)) KiB)"
    [ $(($3 - $2)) -le "$limit_kib" ] || fail "$1 grew by more than 16 MiB"
}

# received: how many messages the instrument has taken in so far.
received() {
    local before line
    before=$(wc -l <"$out")
    printf 'ignored\n' >&"$fd"
    for _ in $(seq 1 100); do
        line=$(tail -n 1 "$out")
        if [ "$(wc -l <"$out")" -gt "$before" ] &&
            [[ "$line" =~ ^ignored\ [0-9]+\ received\ ([0-9]+)$ ]]; then
            echo "${BASH_REMATCH[1]}"
            return 0
        fi
        sleep 0.05
    done
    fail "the instrument did not answer 'ignored'"
}

# received_beyond COUNT: waits until the instrument has taken in more than COUNT messages and
# then none for half a second; prints the count. False when nothing more came.
received_beyond() {
    local last now
    for _ in $(seq 1 300); do
        last=$(received)
        [ "$last" -gt "$1" ] && break
        sleep 0.1
    done
    [ "$last" -gt "$1" ] || return 1
    for _ in $(seq 1 60); do
        sleep 0.5
        now=$(received)
        [ "$now" = "$last" ] && break
        last=$now
    done
    echo "$last"
}

model="Motif ES7"
start_instrument "$model"
fd=$control
instrument_pid=$(child_of "${instrument_pids[-1]}")
instrument_in="$model (virtual):$model (virtual) MIDI In"
instrument_out="$model (virtual):$model (virtual) MIDI Out"
say "== $(head -n 1 "$out")"

before=$(rss "$instrument_pid")
flood "$instrument_in" "$rate" "$seconds"
sleep 0.5
kill -0 "$instrument_pid" 2>/dev/null || fail "the instrument died in the flood"
check_growth "the instrument" "$before" "$(rss "$instrument_pid")"

answer=$(timeout 60 "$cli_bin" --trace --device "$model (virtual)" --timeout 4000 identify 2>&1)
status=$?
say "\$ tessaline-cli --device \"$model (virtual)\" identify"
say "$answer"
[ "$status" = 0 ] || fail "identify after the flood exited with $status"
grep -qxF "$model connected" <<<"$answer" || fail "identify after the flood was not answered"
identity_request=$(grep -m 1 '^> F0 7E' <<<"$answer" | cut -c 3-)

# The window, on the same instrument, named in a settings store of its own.
mkdir -p "$work/config/Quorvath"
printf '[General]\nMIDI%%20Device%%20In%%20Name=%s\nMIDI%%20Device%%20Out%%20Name=%s\n' \
    "$instrument_out" "$instrument_in" >"$work/config/Quorvath/tessaline.conf"
XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen timeout 1800 "$window_bin" \
    </dev/null >"$work/window.out" 2>"$work/window.err" &
helper_pids+=($!)
window_pid=$(child_of "$!")
# More than the identity request: the window asked for data, so it had the reply.
startup=$(received_beyond 1) || fail "the window did not identify the instrument at start"
window_in=$(timeout 5 jack_lsp | grep -m 1 '^Tessaline[^:]*:MIDI In$') ||
    fail "the window has no JACK input"
say "== the window: $window_in, after identifying the instrument, which has $startup messages in"

before=$(rss "$window_pid")
flood --end "$window_in" "$rate" "$seconds"
sleep 0.5
kill -0 "$window_pid" 2>/dev/null || fail "the window died in the flood"
check_growth "the window" "$before" "$(rss "$window_pid")"

# The instrument answers an identity request from elsewhere on its output, which goes to the
# window: the window takes it as a new identification and asks for its data again.
count=$(received)
flood --then "$identity_request" "$instrument_in" 0 0
after=$(received_beyond $((count + 1))) || fail "the window did not act on the identity reply"
say "the instrument had $count messages in, $after after its identity reply went to the window"
kill -0 "$window_pid" 2>/dev/null || fail "the window has ended"
say "PASSED"
exit 0
