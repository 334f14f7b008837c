#!/usr/bin/env bash
# The template starts in builder mode in the console front end, shows its window with
# the version caption and ends with exit code 0, however the window is left.
#   startup.sh PROGRAM...
. "$(dirname "$0")/lib.sh"
krv_scratch

window='caption:  Flash Utility V1.049 
label: 
rows:
files:
status: 
progress: 0/100
button: FLASH (enabled)'

krv_run '' "$@"
krv_expect_status 0 "end of input"
krv_expect_transcript "end of input" "caption:  Flash Utility V1.049 
$window
> <end>"

krv_run $'show\nclose\nshow\n' "$@"
krv_expect_status 0 "close"
krv_expect_transcript "close" "caption:  Flash Utility V1.049 
$window
> show
$window
> close"

krv_run $'row 0\nfile x\nclick\n' "$@"
krv_expect_status 0 "commands that cannot apply"
krv_expect_transcript "commands that cannot apply" "caption:  Flash Utility V1.049 
$window
> row 0
no such row: 0
> file x
no such file: x
> click
> <end>"

krv_finish
