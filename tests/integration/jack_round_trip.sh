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
skip=77

say() { printf '%s\n' "$*"; }
fail() {
    say "FAILED: $*"
    exit 1
}
skip_test() {
    say "SKIPPED: $*"
    exit "$skip"
}

for tool in jackd jack_lsp timeout mkfifo; do
    command -v "$tool" >/dev/null 2>&1 || skip_test "$tool is not installed"
done
[ -x "$instrument_bin" ] || fail "no virtual instrument at $instrument_bin"
[ -x "$cli_bin" ] || fail "no tessaline-cli at $cli_bin"

work=$(mktemp -d "${TMPDIR:-/tmp}/tessaline-jack.XXXXXX") || fail "no temporary folder"
server="tessaline-test-$$-$RANDOM"
jackd_pid=""
instrument_pids=()
control_fds=()

stop_process() {
    # TERM, a grace period, then KILL: nothing may outlive the test.
    local pid=$1
    kill -TERM "$pid" 2>/dev/null || return 0
    for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}

cleanup() {
    local fd pid
    for fd in "${control_fds[@]}"; do
        eval "exec $fd>&-"
    done
    # Clients first, then the server.
    for pid in "${instrument_pids[@]}"; do
        stop_process "$pid"
    done
    if [ -n "$jackd_pid" ]; then
        stop_process "$jackd_pid"
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

timeout 600 jackd --no-realtime --name "$server" --port-max 32 -d dummy -r 48000 -p 256 \
    >"$work/jackd.log" 2>&1 &
jackd_pid=$!
ready=0
for _ in $(seq 1 100); do
    if ! kill -0 "$jackd_pid" 2>/dev/null; then
        break
    fi
    if timeout 5 jack_lsp -s "$server" >/dev/null 2>"$work/jack_lsp.err"; then
        ready=1
        break
    fi
    sleep 0.1
done
if [ "$ready" != 1 ]; then
    server_said=$(tail -n 3 "$work/jackd.log" | tr '\n' ' ')
    client_said=$(tail -n 1 "$work/jack_lsp.err" 2>/dev/null)
    skip_test "the JACK server cannot start here: jackd: ${server_said:-no output}; jack_lsp: ${client_said:-no output}"
fi

export JACK_DEFAULT_SERVER="$server"
export TESSALINE_MIDI_API=jack
# The built-in virtual instruments stay in the lists after the JACK ports; keep them quick.
export TESSALINE_NO_PACING=1

# start_instrument MODEL: runs the instrument with a control pipe; sets $control (fd) and $out.
start_instrument() {
    local model=$1 tag=${1// /_}
    mkfifo "$work/$tag.ctl"
    timeout 600 "$instrument_bin" --api jack --model "$model" <"$work/$tag.ctl" \
        >"$work/$tag.out" 2>"$work/$tag.err" &
    instrument_pids+=($!)
    exec {control}>"$work/$tag.ctl"
    control_fds+=("$control")
    out="$work/$tag.out"
    for _ in $(seq 1 100); do
        grep -q '^ready' "$out" && return 0
        kill -0 "${instrument_pids[-1]}" 2>/dev/null || break
        sleep 0.1
    done
    fail "the $model instrument did not start: $(cat "$work/$tag.err")"
}

# memory FD OUT ADDRESS COUNT: the instrument's bytes, as hex pairs.
memory() {
    local fd=$1 out=$2 before
    before=$(wc -l <"$out")
    printf 'print %s %s\n' "$3" "$4" >&"$fd"
    for _ in $(seq 1 100); do
        if [ "$(wc -l <"$out")" -gt "$before" ]; then
            tail -n 1 "$out"
            return 0
        fi
        sleep 0.05
    done
    fail "the instrument did not answer 'print $3 $4'"
}

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
    grep -q "(virtual)" <<<"$cli_out" || fail "the instrument's JACK ports are not listed"

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

check_model "Motif ES7"
check_model "Motif 7"
say "PASSED"
exit 0
