# Shared by the ALSA tests, which run inside the sequencer machine (scripts/alsa-vm): virtual
# instruments on ALSA sequencer ports with a control pipe each, tessaline-cli against them, and
# clean-up that leaves nothing running. Sourced, not run; the test sets instrument_bin and
# cli_bin first.

source "$(dirname "${BASH_SOURCE[0]}")/process_lib.sh"

fail() {
    say "FAILED: $*"
    local log
    for log in "$work"/*.err; do
        [ -s "$log" ] && say "--- $(basename "$log"): $(tail -n 5 "$log" | tr '\n' '|')"
    done
    exit 1
}

[ -e /dev/snd/seq ] ||
    skip_test "no ALSA sequencer at /dev/snd/seq (scripts/alsa-vm runs these tests in a machine that has one)"
for tool in timeout mkfifo pgrep; do
    command -v "$tool" >/dev/null 2>&1 || skip_test "$tool is not installed"
done
[ -x "$instrument_bin" ] || fail "no virtual instrument at $instrument_bin"
[ -x "$cli_bin" ] || fail "no tessaline-cli at $cli_bin"

work=$(mktemp -d "${TMPDIR:-/tmp}/tessaline-alsa.XXXXXX") || fail "no temporary folder"
instrument_pids=()
helper_pids=()
control_fds=()

cleanup() {
    local fd pid
    for fd in "${control_fds[@]}"; do
        eval "exec $fd>&-"
    done
    for pid in "${helper_pids[@]}" "${instrument_pids[@]}"; do
        stop_process "$pid"
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

export TESSALINE_MIDI_API=alsa
# The built-in virtual instruments stay in the lists after the ALSA ports; keep them quick.
export TESSALINE_NO_PACING=1

# start_instrument MODEL [OPTIONS...]: runs the instrument with a control pipe; sets $control
# (fd), $out, $err and $instrument_pid (the program itself, not its `timeout`).
start_instrument() {
    local model=$1 tag=${1// /_}
    shift
    mkfifo "$work/$tag.ctl"
    timeout 600 "$instrument_bin" --api alsa --model "$model" "$@" <"$work/$tag.ctl" \
        >"$work/$tag.out" 2>"$work/$tag.err" &
    instrument_pids+=($!)
    exec {control}>"$work/$tag.ctl"
    control_fds+=("$control")
    out="$work/$tag.out"
    err="$work/$tag.err"
    for _ in $(seq 1 100); do
        if grep -q '^ready' "$out"; then
            instrument_pid=$(pgrep -P "${instrument_pids[-1]}")
            return 0
        fi
        kill -0 "${instrument_pids[-1]}" 2>/dev/null || break
        sleep 0.1
    done
    fail "the $model instrument did not start: $(cat "$err")"
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

# cli MODEL ARGS...: tessaline-cli against the instrument's ports, bounded by $cli_timeout_ms
# from its start; fails unless it exits 0. Sets $cli_out. The machine is emulated, on a host
# that may be busy with builds: starting a program alone can take seconds there, so the bound
# is far above what a real machine needs.
cli_timeout_ms=30000
cli() {
    local model=$1 started
    shift
    started=$(date +%s%N)
    cli_out=$(timeout 120 "$cli_bin" --device "$model (virtual)" --timeout "$cli_timeout_ms" "$@" \
        </dev/null 2>&1)
    local status=$?
    say "\$ tessaline-cli --device \"$model (virtual)\" $* ($((($(date +%s%N) - started) / 1000000)) ms)"
    say "$cli_out"
    [ "$status" = 0 ] || fail "tessaline-cli $* exited with $status"
}

# verified_copy MODEL ARGS...: a copy with its read-back check, which must find every value.
verified_copy() {
    cli "$@" --verify
    grep -q '^Verified [0-9]* of [0-9]* values' <<<"$cli_out" || fail "no read-back check reported"
}
