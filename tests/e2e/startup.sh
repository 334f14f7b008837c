#!/usr/bin/env bash
# The template starts in builder mode, shows its window with the version caption and
# ends with exit code 0, however the window is left.
#   startup.sh PACKAGE_TOOL TEMPLATE [LAUNCHER...]
. "$(dirname "$0")/lib.sh"

printf '[MODEL00]\nModel=QKA-270\nInquiry=QSI     DVD-ROM QKA-270 \nFW-Range=1A00-1AZZ\nBINMask=*.BIN\nVendor=QSI\nNote=\n' >"$KRV_SCRATCH/KRVFLASH.INI"
# The catalogue's values come back without their surrounding blanks.
window='caption:  Flash Utility V1.049 1A00-1AZZ [Buiding]
label: Select Model: 
rows:
  0* 1A00-1AZZ QSI     DVD-ROM QKA-270
files:
status: 
progress: 0/100
button: Build (disabled)'
start='caption:  Flash Utility V1.049 
files:
  0  KRVFLASH.EXE
  1  KRVFLASH.INI
rows:
rows:
  0  1A00-1AZZ QSI     DVD-ROM QKA-270
rows:
  0* 1A00-1AZZ QSI     DVD-ROM QKA-270
files:
caption:  Flash Utility V1.049 1A00-1AZZ [Buiding]
button: FLASH (disabled)
files:
label: Select Model: 
button: Build (disabled)
button: Build (disabled)'

krv_run '' KRVFLASH.EXE
krv_expect_status "end of input"
krv_expect_equal "end of input" "$start
$window
> <end>" "$KRV_OUTPUT"

krv_run $'show\nclose\nshow\n' KRVFLASH.EXE
krv_expect_status "close"
krv_expect_equal "close" "$start
$window
> show
$window
> close" "$KRV_OUTPUT"

krv_run $'row 1\nfile x\nclick\nfrobnicate\n' KRVFLASH.EXE
krv_expect_status "commands that cannot apply"
krv_expect_equal "commands that cannot apply" "$start
$window
> row 1
no such row: 1
> file x
no such file: x
> click
the button is disabled
> frobnicate
unknown command: frobnicate
> <end>" "$KRV_OUTPUT"

krv_finish
