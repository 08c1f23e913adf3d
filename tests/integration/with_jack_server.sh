#!/usr/bin/env bash
# Runs a command against a private JACK server (JACK_DEFAULT_SERVER), started and stopped here.
# usage: with_jack_server.sh COMMAND [ARGS...]
# Exit: the command's; 77 (skipped) when the server cannot start here.
set -u
source "$(dirname "$0")/jack_lib.sh"
start_server
timeout 120 "$@"
