#!/usr/bin/env bash
# Verified copies over ALSA with two processes burning the CPU beside them, into instruments of
# both data layouts: each must exit 0 with its read-back check, and land in the instrument.
#
# usage: alsa_stress.sh TESSALINE_VIRTUAL_INSTRUMENT TESSALINE_CLI [COPIES]
# Exit 0: passed; 77: skipped (reason on stdout); anything else: failed.
set -u

instrument_bin=$1
cli_bin=$2
copies=${3:-4}
source "$(dirname "$0")/alsa_lib.sh"

models=("Motif ES7" "Motif 7")
fds=()
outs=()
for model in "${models[@]}"; do
    start_instrument "$model"
    fds+=("$control")
    outs+=("$out")
done
for _ in 1 2; do
    (while :; do :; done) &
    helper_pids+=($!)
done

banks=(PRE1 PRE2)
for i in $(seq 0 $((copies - 1))); do
    which=$((i % 2))
    model=${models[$which]}
    part=$((i % 4 + 1))
    program=$((i * 9 % 128))
    letter=$(printf "\\x$(printf %x $((65 + program / 16)))")
    voice=${banks[$((i / 2 % 2))]}:$letter$(printf %02d $((program % 16 + 1)))
    verified_copy "$model" copy --voice "$voice" --to performance:A01 --part "$part"
    landed=$(memory "${fds[$which]}" "${outs[$which]}" 310$((part - 1))00 3)
    expected=$(printf '3F %02X %02X' $((i / 2 % 2)) "$program")
    [ "$landed" = "$expected" ] || fail "copy $i: part $part holds $landed, not $expected"
done
say "PASSED: $copies verified copies beside two busy loops"
exit 0
