#!/usr/bin/env bash
# The ALSA path end to end, on three families: virtual instruments on sequencer ports, and
# tessaline-cli listing them, naming them and copying into them with its read-back check. The
# copy is also read from the instrument's own memory.
#
# usage: alsa_round_trip.sh TESSALINE_VIRTUAL_INSTRUMENT TESSALINE_CLI
# Exit 0: passed; 77: skipped (reason on stdout); anything else: failed.
set -u

instrument_bin=$1
cli_bin=$2
source "$(dirname "$0")/alsa_lib.sh"

for model in "Motif ES7" "Motif 7" "S90"; do
    start_instrument "$model"
    say "== $(head -n 1 "$out")"
    if [ "$model" = "Motif ES7" ]; then
        cli "$model" devices
        # Each port's own name says whose it is: a list of port names alone still tells them apart.
        grep -qF "$model (virtual):$model (virtual) MIDI In " <<<"$cli_out" ||
            fail "the instrument's input is not listed under its name"
        grep -qF "$model (virtual):$model (virtual) MIDI Out " <<<"$cli_out" ||
            fail "the instrument's output is not listed under its name"
    fi
    cli "$model" identify
    grep -qxF "$model connected" <<<"$cli_out" || fail "the instrument was not named"
    # PRE2 is bank select 3F 01; B03 is program 18 (12 hex). Part 2 of the performance edit
    # buffer starts at 31 01 00 with bank MSB, bank LSB, program.
    verified_copy "$model" copy --voice PRE2:B03 --to performance:A01 --part 2
    landed=$(memory "$control" "$out" 310100 3)
    [ "$landed" = "3F 01 12" ] || fail "performance part 2 holds $landed"
done
say "PASSED"
exit 0
