# Shared helpers of the end-to-end tests. A test script is called as
#   SCRIPT PACKAGE_TOOL TEMPLATE [LAUNCHER...]
# (LAUNCHER is "wine64" for the Windows build). It copies the template into a scratch
# directory as KRVFLASH.EXE, writes flashers and machine files beside it, runs the
# programs there through the console front end and compares what they printed, the
# command log of the virtual drives and the files they wrote.

set -u
KRV_FAILURES=0
KRV_TOOL=$1
KRV_TEMPLATE=$2
shift 2
KRV_LAUNCHER=("$@")
KRV_SCRATCH=$(mktemp -d)
KRV_STDERR=$(mktemp)
trap 'rm -rf "$KRV_SCRATCH" "$KRV_STDERR"' EXIT
cp "$KRV_TEMPLATE" "$KRV_SCRATCH/KRVFLASH.EXE"

# krv_flasher NAME FIELD=VALUE... IMAGE=FILE: a flasher NAME.EXE in the scratch directory.
krv_flasher() {
    local name=$1
    shift
    (cd "$KRV_SCRATCH" && "$KRV_TOOL" make-flasher KRVFLASH.EXE "$name.EXE" "$@" && chmod +x "$name.EXE") \
        || { echo "cannot make flasher $name"; exit 1; }
}

# krv_image KIND SIZE NAME: a firmware image in the scratch directory.
krv_image() {
    (cd "$KRV_SCRATCH" && "$KRV_TOOL" make-image "$1" "$2" "$3") || { echo "cannot make image $3"; exit 1; }
}

# krv_drive LETTER REVISION [KEY=VALUE...]: a machine-file section for an NT drive of
# the sample model (QSI DVD-ROM QKA-270) at LETTER, numbered after its letter.
krv_drive() {
    local letter=$1 revision=$2
    shift 2
    printf '[Drive%d]\nLetter=%s\nVendor=QSI\nProduct=DVD-ROM QKA-270\nRevision=%s\n' "$(($(printf '%d' "'$letter") - 65))" "$letter" "$revision"
    printf '%s\n' "$@"
}

# krv_machine TEXT: the machine file machine.ini; the command log starts empty.
krv_machine() {
    printf '%s\n' "$1" >"$KRV_SCRATCH/machine.ini"
    rm -f "$KRV_SCRATCH/log"
}

# krv_run INPUT PROGRAM [machine]: runs PROGRAM in the scratch directory with INPUT on
# its standard input, against machine.ini when asked (with a new, empty command log). The transcript, with the scratch
# directory written as <dir>/, lands in $KRV_OUTPUT, the exit code in $KRV_STATUS.
krv_run() {
    local input=$1 program=$2 machine=${3:-}
    local environment=(KRVFLASH_UI=console)
    if [ -n "$machine" ]; then
        environment+=(KRVFLASH_VIRTUAL_DRIVES=machine.ini)
        rm -f "$KRV_SCRATCH/log"
    fi
    KRV_OUTPUT=$(cd "$KRV_SCRATCH" && printf '%s' "$input" | env "${environment[@]}" "${KRV_LAUNCHER[@]}" "./$program" 2>"$KRV_STDERR")
    KRV_STATUS=$?
    local windows="Z:${KRV_SCRATCH//\//\\}\\"
    KRV_OUTPUT=${KRV_OUTPUT//"$windows"/<dir>/}
    KRV_OUTPUT=${KRV_OUTPUT//"$KRV_SCRATCH/"/<dir>/}
}

krv_log() {
    cat "$KRV_SCRATCH/log" 2>/dev/null
}

krv_fail() {
    echo "FAIL: $1"
    KRV_FAILURES=$((KRV_FAILURES + 1))
}

krv_expect_status() {
    [ "$KRV_STATUS" = 0 ] || krv_fail "$1: exit code $KRV_STATUS, expected 0"
}

# krv_expect_equal NAME EXPECTED ACTUAL
krv_expect_equal() {
    if [ "$2" != "$3" ]; then
        krv_fail "$1"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/    /' | head -n 60
    fi
}

# krv_expect_contains NAME TEXT: the transcript holds TEXT (several lines allowed).
krv_expect_contains() {
    case "$KRV_OUTPUT" in
    *"$2"*) ;;
    *)
        krv_fail "$1: the transcript lacks:"
        printf '%s\n' "$2" | sed 's/^/    /'
        ;;
    esac
}

krv_expect_lacks() {
    case "$KRV_OUTPUT" in
    *"$2"*) krv_fail "$1: the transcript holds: $2" ;;
    esac
}

krv_finish() {
    if [ "$KRV_FAILURES" != 0 ]; then
        echo "$KRV_FAILURES check(s) failed"
        exit 1
    fi
    echo "all checks passed"
}
