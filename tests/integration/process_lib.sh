# Shared by the JACK and ALSA test libraries: the test's words, its skip, and stopping a process
# so that nothing outlives the test. Sourced, not run.

skip=77

say() { printf '%s\n' "$*"; }
skip_test() {
    say "SKIPPED: $*"
    exit "$skip"
}

# stop_process PID: TERM, a grace period, then KILL.
stop_process() {
    local pid=$1
    kill -TERM "$pid" 2>/dev/null || return 0
    for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}
