# Shared by the JACK tests: a private JACK server with the dummy driver, virtual instruments
# on its ports with a control pipe each, and clean-up that stops clients before the server.
# Sourced, not run. The test sets instrument_bin before calling start_instrument.

source "$(dirname "${BASH_SOURCE[0]}")/process_lib.sh"

fail() {
    say "FAILED: $*"
    # What the instruments and the server said, for the post-mortem.
    local log
    for log in "$work"/*.err "$work/jackd.log"; do
        [ -s "$log" ] && say "--- $(basename "$log"): $(tail -n 5 "$log" | tr '\n' '|')"
    done
    local pid
    for pid in "${instrument_pids[@]}"; do
        kill -0 "$pid" 2>/dev/null || say "--- instrument $pid has ended"
    done
    exit 1
}

for tool in jackd jack_lsp timeout mkfifo; do
    command -v "$tool" >/dev/null 2>&1 || skip_test "$tool is not installed"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tessaline-jack.XXXXXX") || fail "no temporary folder"
# jack_lsp's -s option corrupts its heap for some lengths of the name (24 characters): the
# server is named in the environment instead, and the name has one length.
server=$(printf 'tessaline-test-%07d-%05d' "$$" "$RANDOM")
jackd_pid=""
instrument_pids=()
helper_pids=()
control_fds=()

cleanup() {
    local fd pid
    for fd in "${control_fds[@]}"; do
        eval "exec $fd>&-"
    done
    for pid in "${helper_pids[@]}"; do
        stop_process "$pid"
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

# start_server: the private server; skips the test when it cannot start here.
start_server() {
    [ -n "${XDG_RUNTIME_DIR:-}" ] && mkdir -p "$XDG_RUNTIME_DIR"
    # JACK is meant to run its graph in real time, and where this machine lets it (chrt can
    # make a real-time thread) the test server does: then a client's cycle is not taken by the
    # load beside the test, as it is not on a real studio machine. Where it cannot, the
    # server runs without, and the read-back check and its second send cover missed cycles.
    local realtime=--no-realtime
    if chrt -f 1 true 2>/dev/null; then
        realtime=--realtime
    fi
    timeout 1800 jackd "$realtime" --name "$server" --port-max 32 -d dummy -r 48000 -p 256 \
        >"$work/jackd.log" 2>&1 &
    jackd_pid=$!
    local ready=0
    for _ in $(seq 1 100); do
        if ! kill -0 "$jackd_pid" 2>/dev/null; then
            break
        fi
        if JACK_DEFAULT_SERVER="$server" timeout 5 jack_lsp >/dev/null 2>"$work/jack_lsp.err"; then
            ready=1
            break
        fi
        sleep 0.1
    done
    if [ "$ready" != 1 ]; then
        local server_said client_said
        server_said=$(tail -n 3 "$work/jackd.log" | tr '\n' ' ')
        client_said=$(tail -n 1 "$work/jack_lsp.err" 2>/dev/null)
        skip_test "the JACK server cannot start here: jackd: ${server_said:-no output}; jack_lsp: ${client_said:-no output}"
    fi
    export JACK_DEFAULT_SERVER="$server"
    export TESSALINE_MIDI_API=jack
    # The built-in virtual instruments stay in the lists after the JACK ports; keep them quick.
    export TESSALINE_NO_PACING=1
}

# start_instrument MODEL [OPTIONS...]: runs the instrument with a control pipe; sets $control
# (fd) and $out.
start_instrument() {
    local model=$1 tag=${1// /_}
    shift
    mkfifo "$work/$tag.ctl"
    timeout 1800 "$instrument_bin" --api jack --model "$model" "$@" <"$work/$tag.ctl" \
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
