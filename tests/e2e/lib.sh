# Shared helpers of the end-to-end tests. A test runs the built program (the command
# line given to the test, for example "wine64 KRVFLASH.EXE") in a scratch directory
# through the console front end and compares what it printed.

set -u
KRV_FAILURES=0

krv_scratch() {
    KRV_SCRATCH=$(mktemp -d)
    trap 'rm -rf "$KRV_SCRATCH"' EXIT
}

# krv_run INPUT PROGRAM...: runs the program in the scratch directory with INPUT on its
# standard input; the transcript lands in $KRV_OUTPUT, the exit code in $KRV_STATUS.
krv_run() {
    local input=$1
    shift
    KRV_OUTPUT=$(cd "$KRV_SCRATCH" && printf '%s' "$input" | KRVFLASH_UI=console "$@" 2>"$KRV_SCRATCH/stderr")
    KRV_STATUS=$?
}

krv_expect_status() {
    if [ "$KRV_STATUS" != "$1" ]; then
        echo "FAIL: $2: exit code $KRV_STATUS, expected $1"
        KRV_FAILURES=$((KRV_FAILURES + 1))
    fi
}

# krv_expect_transcript NAME EXPECTED: the whole transcript, byte for byte.
krv_expect_transcript() {
    if [ "$KRV_OUTPUT" != "$2" ]; then
        echo "FAIL: $1: transcript differs"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$KRV_OUTPUT") | sed 's/^/    /'
        KRV_FAILURES=$((KRV_FAILURES + 1))
    fi
}

krv_finish() {
    if [ "$KRV_FAILURES" != 0 ]; then
        echo "$KRV_FAILURES check(s) failed"
        exit 1
    fi
    echo "all checks passed"
}
