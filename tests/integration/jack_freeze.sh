#!/usr/bin/env bash
# A stalling instrument: copies over JACK at cable pace, with two processes burning the CPU
# beside them, each into an instrument that stops taking MIDI for 1.5 s at a random moment of
# the copy's sending. The transport in front of it holds only a couple of dozen messages, so
# the rest is lost without the sender knowing. Whatever the copy then says, it may never exit
# 0 while the instrument's memory (read through its control pipe) differs from what the trace
# shows was sent. The losses must really happen, or the run proves nothing: the counts are
# printed, and a run in which no copy lost a message fails.
# Then one parameter change dropped (a second send, then exit 0) and one damaged block in the
# read-back (a second request, then an honest result).
#
# usage: jack_freeze.sh TESSALINE_VIRTUAL_INSTRUMENT TESSALINE_CLI [COPIES]
# COPIES defaults to TESSALINE_FREEZE_COPIES, else 4 (about a minute); 20 for the full run. With TESSALINE_FREEZE_TRACES set to a
# folder, every copy's trace is kept there.
# Exit 0: passed; 77: skipped (reason on stdout); anything else: failed.
set -u

instrument_bin=$1
cli_bin=$2
copies=${3:-${TESSALINE_FREEZE_COPIES:-4}}
here=$(cd "$(dirname "$0")" && pwd)
# TESSALINE_FREEZE_API=alsa runs the same over the ALSA sequencer (inside scripts/alsa-vm).
api=${TESSALINE_FREEZE_API:-jack}
if [ "$api" = alsa ]; then
    source "$here/alsa_lib.sh"
else
    source "$here/jack_lib.sh"
fi
[ -x "$instrument_bin" ] || fail "no virtual instrument at $instrument_bin"
[ -x "$cli_bin" ] || fail "no tessaline-cli at $cli_bin"
[[ "$copies" =~ ^[1-9][0-9]{0,2}$ ]] || fail "COPIES must be 1 to 999, not \"$copies\""
command -v python3 >/dev/null 2>&1 || skip_test "python3 is not installed"
[ "$api" = alsa ] || start_server
# The backups every copy keeps go with the test's own folder.
export XDG_DATA_HOME="$work/data"

freeze_ms=1500
model="Motif ES7"
start_instrument "$model"
fd=$control
mem=$out

for _ in 1 2; do
    (while :; do :; done) &
    helper_pids+=($!)
done

# ask LINE: one control command; its one-line answer.
ask() {
    local before
    before=$(wc -l <"$mem")
    printf '%s\n' "$1" >&"$fd"
    for _ in $(seq 1 3000); do
        if [ "$(wc -l <"$mem")" -gt "$before" ]; then
            tail -n 1 "$mem"
            return 0
        fi
        sleep 0.01
    done
    fail "the instrument did not answer '$1'"
}

# is_count TEXT: fails the test unless TEXT is a count; a helper that failed inside $(...)
# leaves its words there instead.
is_count() {
    [[ "$1" =~ ^[0-9]+$ ]] || fail "expected a count, got: $1"
}

# lost_so_far: how many messages never reached the instrument through its freezes.
lost_so_far() {
    local answer
    answer=$(ask lost)
    [[ "$answer" =~ ^lost\ ([0-9]+)$ ]] || fail "unexpected answer to 'lost': $answer"
    say "${BASH_REMATCH[1]}"
}

# wait_for_line FILE PATTERN PID: until FILE has a line matching PATTERN; false if PID ended
# first, or after 30 s.
wait_for_line() {
    for _ in $(seq 1 1500); do
        grep -q -- "$2" "$1" && return 0
        kill -0 "$3" 2>/dev/null || return 1
        sleep 0.02
    done
    return 1
}

# copy_in_background TRACE VOICE PART: starts the copy; sets $cli_pid. The time-out leaves room
# for a stall, the questions it makes the command ask again and a second send, on a loaded
# machine: a copy that ends in time-out proves less.
copy_in_background() {
    : >"$1"
    timeout 120 "$cli_bin" --trace --pace cable --device "$model (virtual)" --timeout 8000 \
        copy --voice "$2" --to performance:A01 --part "$3" --sys-fx --ins-fx --name \
        </dev/null >"$1" 2>&1 &
    cli_pid=$!
}

# differing TRACE: how many written runs the instrument's memory does not hold as the trace
# shows them sent; each one is named.
differing() {
    local runs address count values found wrong=0
    runs=$(python3 "$here/expected_writes.py" "$1") || fail "cannot read the trace $1"
    [ -n "$runs" ] || fail "the trace $1 shows no parameter change"
    while read -r address count values; do
        found=$(ask "print $address $count")
        # An answer that is no memory is the instrument's control line failing us, not a
        # difference: say so rather than count it.
        [[ "$found" =~ ^[0-9A-F]{2}( [0-9A-F]{2})*$ ]] ||
            fail "the instrument answered 'print $address $count' with \"$found\""
        if [ "$found" != "$values" ]; then
            wrong=$((wrong + 1))
            say "    at $address the instrument holds \"$found\", the copy sent \"$values\"" >&2
        fi
    done <<<"$runs"
    say "$wrong"
}

# summary_of TRACE: the copy's own lines, on one line; the trace is kept when asked for.
summary_of() {
    [ -n "${TESSALINE_FREEZE_TRACES:-}" ] && cp "$1" "$TESSALINE_FREEZE_TRACES/"
    grep -vE '^[<>]|^ ' "$1" | tr '\n' '|'
}

# The copy's own messages begin once the destination is saved.
started_writing='^Saved the destination'
voices=(PRE1:A01 PRE2:B03 USER1:C05 PRE3:D07 USER2:E09 PRE1:F11 PRE2:G13 USER1:H16)
lost_in=0
all_lost=0
resent=0
wrong_at_end=0
declare -A exits=()
began=$(date +%s%N)
for i in $(seq 1 "$copies"); do
    voice=${voices[$((i % ${#voices[@]}))]}
    part=$((i % 4 + 1))
    trace="$work/freeze-$i.trace"
    lost_before=$(lost_so_far)
    is_count "$lost_before"
    copy_began=$(date +%s%N)
    copy_in_background "$trace" "$voice" "$part"
    # The freeze falls somewhere in the copy's 0.65 s of sending at cable pace.
    delay_ms=$((RANDOM % 600))
    froze=0
    if wait_for_line "$trace" "$started_writing" "$cli_pid"; then
        sleep "$(printf '0.%03d' "$delay_ms")"
        [ "$(ask "freeze $freeze_ms")" = "frozen for $freeze_ms ms" ] || fail "the freeze was refused"
        froze=$(date +%s%N)
    fi
    wait "$cli_pid"
    status=$?
    copy_ms=$((($(date +%s%N) - copy_began) / 1000000))
    # What waited through the freeze is taken in when it ends: read the memory after that.
    if [ "$froze" != 0 ]; then
        left_ms=$((freeze_ms + 200 - ($(date +%s%N) - froze) / 1000000))
        [ "$left_ms" -gt 0 ] && sleep "$(printf '%d.%03d' $((left_ms / 1000)) $((left_ms % 1000)))"
    fi
    lost=$(lost_so_far)
    is_count "$lost"
    lost=$((lost - lost_before))
    all_lost=$((all_lost + lost))
    wrong=$(differing "$trace")
    is_count "$wrong"
    exits[$status]=$((${exits[$status]:-0} + 1))
    [ "$lost" -gt 0 ] && lost_in=$((lost_in + 1))
    grep -q '^Sent the copy a second time' "$trace" && resent=$((resent + 1))
    [ "$wrong" -gt 0 ] && wrong_at_end=$((wrong_at_end + 1))
    say "copy $i: $voice into part $part, frozen ${delay_ms} ms into the sending: exit $status"\
        "after $copy_ms ms," \
        "$lost messages lost, $wrong runs differ; $(summary_of "$trace")"
    [ "$froze" != 0 ] || fail "copy $i never began writing"
    # Time-out, not all sent, not taken, not checked: any other end is a fault of its own.
    [[ "$status" =~ ^[03456]$ ]] || fail "copy $i ended with exit $status"
    if [ "$status" = 0 ] && [ "$wrong" -gt 0 ]; then
        fail "copy $i exited 0 while the instrument's memory differs from what was sent"
    fi
done
elapsed_ms=$((($(date +%s%N) - began) / 1000000))
codes=""
for status in $(printf '%s\n' "${!exits[@]}" | sort -n); do
    codes+=" $status:${exits[$status]}"
done
say "$copies frozen copies in $elapsed_ms ms: $lost_in lost messages ($all_lost in all), $resent" \
    "sent the copy a second time, $wrong_at_end left the memory different (none with exit 0);" \
    "exit codes$codes"
[ "$lost_in" -gt 0 ] || fail "no copy lost a message: the freeze proved nothing"

# A dropped parameter change: the program number of part 1, made to differ from what it holds.
# Each copy selects the performance first, which reloads it: the value before the write is the
# stored one, as the first copy's look at the performance shows it (data byte 3 of 31 00 00).
held=$(grep -m 1 '^< F0 43 00 7F 00 00 40 31 00 00 ' "$work/freeze-1.trace" | cut -d ' ' -f 14)
[[ "$held" =~ ^[0-7][0-9A-F]$ ]] || fail "the first copy shows no part 1 of the performance"
program=$(((16#$held + 1) % 128))
letters=(A B C D E F G H)
voice=PRE1:${letters[program / 16]}$(printf %02d $((program % 16 + 1)))
[ "$(ask "drop 310002")" = "dropping the next parameter change to 310002" ] ||
    fail "the drop was refused"
trace="$work/drop.trace"
copy_in_background "$trace" "$voice" 1
wait "$cli_pid"
status=$?
wrong=$(differing "$trace")
is_count "$wrong"
say "dropped 310002 (held $held) copying $voice: exit $status, $wrong runs differ; $(summary_of "$trace")"
grep -q '^Sent the copy a second time' "$trace" || fail "the dropped change was not sent again"
[ "$status" = 0 ] || fail "the copy with one dropped change exited with $status"
[ "$wrong" = 0 ] || fail "after the second send the memory still differs"

# A damaged block in the read-back: armed once the copy is writing, so the first dump block the
# instrument sends after that is the read-back's.
trace="$work/damage.trace"
copy_in_background "$trace" PRE2:A02 2
wait_for_line "$trace" "$started_writing" "$cli_pid" || fail "the copy never began writing"
[ "$(ask damage)" = "damaging the next dump block" ] || fail "the damage was refused"
wait "$cli_pid"
status=$?
wrong=$(differing "$trace")
is_count "$wrong"
requests=$(sed -n "/$started_writing/,\$p" "$trace" | grep -c '^> F0 43 20 7F 00 0E 4F 00 F7$')
say "damaged read-back: exit $status, $requests requests after the writes, $wrong runs differ;" \
    "$(summary_of "$trace")"
grep -q 'Bulk Receive Error' "$trace" || fail "the damaged block went unnoticed"
[ "$requests" -ge 2 ] || fail "the damaged answer was not asked for again"
case $status in
    0) [ "$wrong" = 0 ] || fail "exit 0 after a damaged answer while the memory differs" ;;
    6) grep -q '^Verified' "$trace" && fail "a damaged answer was reported verified" ;;
    *) fail "the copy with a damaged answer exited with $status" ;;
esac
say "PASSED"
exit 0
