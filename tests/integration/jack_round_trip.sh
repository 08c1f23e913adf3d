#!/usr/bin/env bash
# Real-transport round trip: a private JACK server with the dummy driver, two virtual
# instruments on JACK ports, and tessaline-cli talking to each over JACK. The result of every
# copy is read back from the instrument's memory.
#
# usage: jack_round_trip.sh TESSALINE_VIRTUAL_INSTRUMENT TESSALINE_CLI
# Exit 0: passed; 77: skipped (reason on stdout); anything else: failed.
set -u

instrument_bin=$1
cli_bin=$2
source "$(dirname "$0")/jack_lib.sh"
[ -x "$instrument_bin" ] || fail "no virtual instrument at $instrument_bin"
[ -x "$cli_bin" ] || fail "no tessaline-cli at $cli_bin"
start_server

# cli MODEL ARGS...: runs tessaline-cli against the instrument's JACK ports; sets $cli_out.
cli() {
    local model=$1
    shift
    cli_out=$(timeout 60 "$cli_bin" --device "$model (virtual)" --timeout 4000 "$@" 2>&1)
    local status=$?
    say "\$ tessaline-cli --device \"$model (virtual)\" $*"
    say "$cli_out"
    [ "$status" = 0 ] || fail "tessaline-cli $* exited with $status"
}

expect_line() {
    grep -qxF -- "$1" <<<"$cli_out" || fail "expected the line \"$1\""
}

check_model() {
    local model=$1
    start_instrument "$model"
    local fd=$control
    say "== $model: $(head -n 1 "$out")"

    cli "$model" devices
    # Each port's own name says whose it is: a list of port names alone still tells them apart.
    grep -qF ": $model (virtual):$model (virtual) MIDI In" <<<"$cli_out" ||
        fail "the instrument's JACK input is not listed under its name"
    grep -qF ": $model (virtual):$model (virtual) MIDI Out" <<<"$cli_out" ||
        fail "the instrument's JACK output is not listed under its name"

    cli "$model" identify
    expect_line "$model connected"

    cli "$model" voice PRE2:B03
    [ -n "$cli_out" ] || fail "no voice line"

    # PRE2 is bank select 3F 01; B03 is program 18 (12 hex). Part 2 of the performance edit
    # buffer starts at 31 01 00 with bank MSB, bank LSB, program.
    cli "$model" copy --voice PRE2:B03 --to performance:A01 --part 2
    grep -q "^Copied PRE2:B03 into part 2 of performance" <<<"$cli_out" || fail "no copy report"
    [ "$(memory "$fd" "$out" 310100 3)" = "3F 01 12" ] ||
        fail "performance part 2 holds $(memory "$fd" "$out" 310100 3)"

    # PRE1:H16 (program 127) into part 5 of the song mix, at 37 04 00.
    cli "$model" copy --voice PRE1:H16 --to mix --part 5
    grep -q "^Copied PRE1:H16 into part 5 of the song mix" <<<"$cli_out" || fail "no copy report"
    [ "$(memory "$fd" "$out" 370400 3)" = "3F 00 7F" ] ||
        fail "song mix part 5 holds $(memory "$fd" "$out" 370400 3)"
    [ "$(memory "$fd" "$out" 0A0001 1)" = "03" ] || fail "the instrument is not in song mode"
}

# An instrument that goes away in the middle of a copy: the copy ends with code 4, says how many
# messages went out, and does not wait out its time-out.
check_device_gone() {
    start_instrument "Motif ES6"
    local victim trace="$work/gone.trace" status started
    victim=$(pgrep -P "${instrument_pids[-1]}")
    started=$(date +%s)
    timeout 60 "$cli_bin" --trace --pace 20 --device "Motif ES6 (virtual)" \
        copy --voice PRE1:A01 --to performance:A01 --part 1 </dev/null >"$trace" 2>&1 &
    local cli_pid=$!
    # The copy has begun once its mode change is out: the second one, after the performance's.
    for _ in $(seq 1 200); do
        [ "$(grep -c '0A 00 01 01 F7$' "$trace")" -ge 2 ] && break
        sleep 0.05
    done
    sleep 0.5
    kill -KILL "$victim"
    wait "$cli_pid"
    status=$?
    say "== instrument gone mid-copy: exit $status after $(($(date +%s) - started)) s"
    grep -v '^[<>]' "$trace"
    [ "$status" = 4 ] || fail "the copy to a vanished instrument exited with $status"
    grep -q '^Sent [0-9]* of [0-9]* messages$' "$trace" || fail "no count of the messages sent"
}

# A frozen instrument: the whole command says "Timeout" and ends on its time-out, the first time
# and the next, when the JACK server is still busy waiting on the frozen client. The command's
# own bound is half a second over; a second leaves room for a loaded machine.
check_frozen() {
    start_instrument "Motif ES8"
    local victim status start elapsed
    victim=$(pgrep -P "${instrument_pids[-1]}")
    kill -STOP "$victim"
    for run in 1 2; do
        start=$(date +%s%N)
        cli_out=$(timeout 60 "$cli_bin" --device "Motif ES8 (virtual)" --timeout 2000 \
            copy --voice PRE1:A01 --to performance:A01 --part 1 </dev/null 2>&1)
        status=$?
        elapsed=$((($(date +%s%N) - start) / 1000000))
        say "== frozen instrument, run $run: exit $status after $elapsed ms: $(tr '\n' '|' <<<"$cli_out")"
        [ "$status" = 3 ] || fail "the copy to a frozen instrument exited with $status"
        expect_line "Timeout"
        grep -q "no longer available" <<<"$cli_out" && fail "a frozen instrument is not a gone one"
        [ "$elapsed" -le 3000 ] || fail "the copy to a frozen instrument took $elapsed ms"
    done
    kill -KILL "$victim"
}

# A client name longer than JACK takes is cut to fit, and the ports still carry it.
check_long_name() {
    local name listed client
    name="S90 on the long bench $(printf 'x%.0s' $(seq 1 80))"
    start_instrument "S90" --name "$name"
    say "== long name: $(head -n 1 "$out")"
    listed=$(timeout 5 jack_lsp | grep -m 1 '^S90 on the long bench.* MIDI In$') ||
        fail "the instrument's input is not listed"
    client=${listed%%:*}
    [ "${#client}" -le 60 ] && [ "${name#"$client"}" != "$name" ] ||
        fail "the client is named \"$client\""
    [ "$listed" = "$client:$client MIDI In" ] || fail "the input is named \"$listed\""
    cli_out=$(timeout 60 "$cli_bin" --device "S90 on the long bench" --timeout 4000 identify 2>&1)
    local status=$?
    say "\$ tessaline-cli --device \"S90 on the long bench\" identify: $cli_out"
    [ "$status" = 0 ] || fail "identify under the long name exited with $status"
    expect_line "S90 connected"
}

check_model "Motif ES7"
check_model "Motif 7"
check_long_name
check_device_gone
check_frozen
say "PASSED"
exit 0
