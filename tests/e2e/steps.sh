# Sourced by the end-to-end tests: the step a failure names, bounded waits, and the processes
# started, ended by PID on the way out.
PIDS=()
STEP=start
step() { STEP=$1; echo "-- $1"; }
# wait_for <seconds> <command...>: true once the command succeeds, false after the time.
wait_for() {
    local until=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        ((SECONDS >= until)) && return 1
        sleep 0.1
    done
}
cleanup() {
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null; done
}
