#!/usr/bin/env bash
# Delivery under load: a private JACK server, two processes burning the CPU beside it, and
# copies over JACK into virtual instruments of both data layouts, every destination and every
# combination of the three options. Each copy must land byte for byte in the instrument's
# memory (read back through its control pipe, compared with what the trace shows was sent),
# and the command's own read-back check must find no difference.
#
# usage: jack_stress.sh TESSALINE_VIRTUAL_INSTRUMENT TESSALINE_CLI [COPIES]
# Exit 0: passed; 77: skipped (reason on stdout); anything else: failed.
set -u

instrument_bin=$1
cli_bin=$2
copies=${3:-50}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/jack_lib.sh"
[ -x "$instrument_bin" ] || fail "no virtual instrument at $instrument_bin"
[ -x "$cli_bin" ] || fail "no tessaline-cli at $cli_bin"
command -v python3 >/dev/null 2>&1 || skip_test "python3 is not installed"
start_server

for _ in 1 2; do
    (while :; do :; done) &
    helper_pids+=($!)
done

models=("Motif ES7" "Motif 7" "S90" "Motif Rack")
fds=()
outs=()
for model in "${models[@]}"; do
    start_instrument "$model"
    fds+=("$control")
    outs+=("$out")
done

# The cases, as "model-index destination flags": both data layouts into both destinations with
# every combination of options (a song mix part has no name), the S90 into its performances and
# the Motif Rack into its song mix. Repeated until there are enough copies.
cases=()
for flags in 0 1 2 3 4 5 6 7; do
    cases+=("$((flags % 2)) performance $flags" "$(((flags + 1) % 2)) mix $((flags % 4))")
    cases+=("2 performance $flags")
done
for flags in 0 1 2 3; do
    cases+=("3 mix $flags")
done

# check_landed FD OUT TRACE: every value the trace shows sent is in the instrument's memory.
check_landed() {
    local fd=$1 mem=$2 trace=$3 address count values found
    local runs
    runs=$(python3 "$here/expected_writes.py" "$trace") || fail "cannot read the trace"
    [ -n "$runs" ] || fail "the trace shows no parameter change"
    while read -r address count values; do
        found=$(memory "$fd" "$mem" "$address" "$count")
        [ "$found" = "$values" ] ||
            fail "at $address the instrument holds \"$found\", the copy sent \"$values\""
    done <<<"$runs"
}

banks=(PRE1 PRE2 USER1)
resent=0
for i in $(seq 0 $((copies - 1))); do
    read -r which kind flags <<<"${cases[$((i % ${#cases[@]}))]}"
    model=${models[$which]}
    letter=$(printf "\\x$(printf %x $((65 + i % 8)))")
    voice=${banks[$((i % 3))]}:$letter$(printf %02d $((i % 16 + 1)))
    if [ "$kind" = performance ]; then
        destination=(--to "performance:$(printf "\\x$(printf %x $((65 + (i / 3) % 8)))")01" --part $((i % 4 + 1)))
    else
        destination=(--to mix --part $((i % 16 + 1)))
    fi
    options=()
    ((flags & 1)) && options+=(--sys-fx)
    ((flags & 2)) && options+=(--ins-fx)
    ((flags & 4)) && options+=(--name)
    trace="$work/copy-$i.trace"
    timeout 120 "$cli_bin" --trace --device "$model (virtual)" --timeout 4000 \
        copy --voice "$voice" "${destination[@]}" "${options[@]}" --verify </dev/null \
        >"$trace" 2>&1
    status=$?
    summary=$(grep -E '^(Copied|Verified|Sent the copy)' "$trace" | tr '\n' ' ')
    say "copy $i: $model $voice ${destination[*]} ${options[*]}: exit $status; $summary"
    [ "$status" = 0 ] || {
        grep -v '^[<>]' "$trace"
        fail "copy $i exited with $status"
    }
    grep -q '^Verified [0-9]* of [0-9]* values' "$trace" || fail "copy $i printed no check"
    check_landed "${fds[$which]}" "${outs[$which]}" "$trace"
    grep -q '^Sent the copy a second time' "$trace" && resent=$((resent + 1))
done
say "PASSED: $copies copies, $resent of them sent a second time; the server missed" \
    "$(grep -c 'was not finished' "$work/jackd.log") client cycles"
exit 0
