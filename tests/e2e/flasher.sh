#!/usr/bin/env bash
# The flasher against virtual drives: start-up texts and the drive list, eligibility,
# and full flash runs with their exact command sequence.
#   flasher.sh PACKAGE_TOOL TEMPLATE [LAUNCHER...]
. "$(dirname "$0")/lib.sh"

INQUIRY='QSI     DVD-ROM QKA-270 '
machine_head='[Machine]
Clock=virtual
CommandLog=log
Roots=C:fixed'

krv_image plain 32768 plain.bin
krv_image critical 32768 critical.bin
krv_image tagged 32768 tagged.bin
krv_flasher RANGE Model=QKA-270 "Inquiry=$INQUIRY" FWRange=1A00-1AZZ Vendor=qsi Note=note BinName=1A07 IMAGE=plain.bin
krv_flasher OPEN Model=QKA-270 "Inquiry=$INQUIRY" "FWRange=---- ----" Vendor=QSI Note=note BinName=1A07 IMAGE=plain.bin

# --- The warning, in both wordings; declining it touches no drive -----------------------
krv_machine "$machine_head
$(krv_drive E 1A05)"
krv_run $'no\n' RANGE.EXE machine
krv_expect_status "declined warning"
krv_expect_equal "warning with a revision range" "caption:  Flash Utility V1.049 
label: Select the QSI drive you want to update:
[warning: Yes/No]
|
|WARNING:
|
|This flash utility only supports QSI QKA-270 drive with firmware:1A00-1AZZ
|Please REMOVE disc and close all applications before run this utility! 
|Don't turn off the system while the flash is in progress!
|
|Do you wish to continue?
|
[end]
? no" "$KRV_OUTPUT"
krv_expect_equal "declining touches no drive" "" "$(krv_log)"

krv_run '' OPEN.EXE machine
krv_expect_equal "warning with an open range, closed at end of input" "caption:  Flash Utility V1.049 
label: Select the QSI drive you want to update:
[warning: Yes/No]
|
|WARNING:
|
|This flash utility only supports QSI QKA-270 drive. 
|Please REMOVE disc and close all applications before run this utility!
|Don't turn off the system while flash is in progress! 
|
|Do you wish to continue?
|
[end]
? <end>" "$KRV_OUTPUT"
krv_expect_equal "closing the warning touches no drive" "" "$(krv_log)"

# --- No drive, and drives of which none qualifies ---------------------------------------
krv_machine "$machine_head"
krv_run $'yes\n\n' RANGE.EXE machine
krv_expect_contains "no drive" "[error: OK]
|
|ERROR:
|
|Can't found QKA-270 firmware: 1A00-1AZZ drive !
|
|This flash utility only supports QKA-270 firmware: 1A00-1AZZ
|
|Can't find ATAPI Drive !
|
[end]
? "
krv_expect_lacks "no drive: no window" "> "

krv_machine "$machine_head
[Drive0]
Letter=D
Vendor=QSI
Product=CDRW QCW-5216
Revision=2B10"
krv_run $'yes\n\n' OPEN.EXE machine
krv_expect_contains "none qualifies, open range" "[error: OK]
|
|ERROR:
|
|Can't found QKA-270 drive !
|
|This flash utility only supports QKA-270
|
|Detected drives:
|-----------------------------------------------------------
|0-0-0 D: QSI     CDRW QCW-5216   2B10
|
[end]"
krv_expect_lacks "none qualifies: no window" "> "

# --- Three drives, the second and third qualify ------------------------------------------
krv_machine "$machine_head
[Drive0]
Letter=D
Vendor=QSI
Product=CDRW QCW-5216
Revision=2B10
$(krv_drive E 1A05)
$(krv_drive F 1AZZ)"
krv_run $'yes\nrow 1\nrow 0\nclose\n' RANGE.EXE machine
krv_expect_contains "two rows, the first selected" "caption: QSI Flash Utility V1.049 QKA-270
label: Select the QSI drive you want to update:
rows:
  0* 0-0-0 E: QSI     DVD-ROM QKA-270 1A05
  1  0-0-0 F: QSI     DVD-ROM QKA-270 1AZZ
status: 
progress: 0/100
button: FLASH (enabled)
> row 1
rows:
  0  0-0-0 E: QSI     DVD-ROM QKA-270 1A05
  1* 0-0-0 F: QSI     DVD-ROM QKA-270 1AZZ
> row 0"
krv_expect_lacks "the file list is hidden" "files:"
# Each drive answers INQUIRY when it is opened and when its description is listed;
# choosing a row sends nothing.
krv_expect_equal "start-up commands" "D: 12 00 00 00 80 00 00 00 00 00 00 00 in 128 t=60 -> 00 00 00
E: 12 00 00 00 80 00 00 00 00 00 00 00 in 128 t=60 -> 00 00 00
F: 12 00 00 00 80 00 00 00 00 00 00 00 in 128 t=60 -> 00 00 00
D: 12 00 00 00 80 00 00 00 00 00 00 00 in 128 t=60 -> 00 00 00
E: 12 00 00 00 80 00 00 00 00 00 00 00 in 128 t=60 -> 00 00 00
F: 12 00 00 00 80 00 00 00 00 00 00 00 in 128 t=60 -> 00 00 00" "$(krv_log)"

# Text typed into the drive list's field selects no row: the drive chosen before is the
# one FLASH works on.
krv_run $'yes\nrow 1\ntype something\nclick\nno\nclose\n' RANGE.EXE machine
krv_expect_contains "typed text keeps the chosen drive" "|Update Firmware 1AZZ to 1A07 ?"

# A header text of 25 characters without a zero byte stays within its field.
krv_flasher LONGMODEL Model=ABCDEFGHIJKLMNOPQRSTUVWXY "Inquiry=$INQUIRY" FWRange=1A00-1AZZ Vendor=QSI BinName=1A07 IMAGE=plain.bin
krv_run $'no\n' LONGMODEL.EXE machine
krv_expect_contains "a full text field" "|This flash utility only supports QSI ABCDEFGHIJKLMNOPQRSTUVWXY drive with firmware:1A00-1AZZ"

# --- Eligibility ------------------------------------------------------------------------
# rows_of PROGRAM: the rows the flasher offers for the machine file, one drive letter each.
rows_of() {
    krv_run $'yes\n\nclose\n' "$1" machine
    printf '%s\n' "$KRV_OUTPUT" | sed -n '/^> /q; /^  [0-9]/s/^  [0-9]*[* ] 0-0-0 \(.\):.*/\1/p' | sort -u | tr -d '\n'
}
krv_machine "$machine_head
$(krv_drive D 1A00)
$(krv_drive E 1A05)
$(krv_drive F 1AZZ)
$(krv_drive G 1B00)
$(krv_drive H 19ZZ)
$(krv_drive I 1a05)
$(krv_drive J 0900)
[Drive10]
Letter=K
Vendor=qsi
Product=DVD-ROM QKA-270
Revision=1A05
[Drive11]
Letter=L
InquiryHex=51 53 49 20 20 20 20 20 44 56 44 2D 52 4F 4D 20 51 4B 41 2D 32 37 30 00 31 41 30 35"
krv_expect_equal "range 1A00-1AZZ, bounds included, letter case counts" "DEF" "$(rows_of RANGE.EXE)"
krv_expect_equal "open range: every revision" "DEFGHIJ" "$(rows_of OPEN.EXE)"
krv_flasher ANY Model=QKA-270 Inquiry=--anything FWRange=1A00-1AZZ Vendor=QSI BinName=1A07 IMAGE=plain.bin
krv_expect_equal "inquiry -- : every drive" "DEFGHIJKL" "$(rows_of ANY.EXE)"
krv_flasher LOWDASH Model=QKA-270 "Inquiry=$INQUIRY" "FWRange=-   -1AZZ" Vendor=QSI BinName=1A07 IMAGE=plain.bin
krv_expect_equal "a '-' in byte 0 only: a real range from below the digits" "DEFHJ" "$(rows_of LOWDASH.EXE)"
krv_flasher HIGHDASH Model=QKA-270 "Inquiry=$INQUIRY" "FWRange=1A00--AZZ" Vendor=QSI BinName=1A07 IMAGE=plain.bin
krv_expect_equal "a '-' in byte 5 only: every revision is above the high bound" "" "$(rows_of HIGHDASH.EXE)"
krv_flasher SHORT Model=QKA-270 "Inquiry=QSI     DVD-ROM QKA-270" FWRange=1A00-1AZZ Vendor=QSI BinName=1A07 IMAGE=plain.bin
krv_expect_equal "an inquiry text shorter than 24 matches the blank-padded identity" "DEF" "$(rows_of SHORT.EXE)"

# --- Full flash runs ---------------------------------------------------------------------
# flash PROGRAM: accepts the warning, presses FLASH, answers yes, closes.
flash() {
    krv_run $'yes\nclick\nyes\nclose\n' "$1" machine
}
# run_log: the command log of the flash run, without the start-up inquiries.
run_log() {
    krv_log | sed '1,2d'
}
prepare='E: 1B 00 00 00 03 00 00 00 00 00 00 00 in 0 t=60 -> 00 00 00
E: 00 00 00 00 00 00 00 00 00 00 00 00 in 0 t=60 -> 00 00 00
E: 4E 00 00 00 00 00 00 00 00 00 00 00 in 0 t=60 -> 00 00 00
E: 4E 00 00 00 00 00 00 00 00 00 00 00 in 0 t=60 -> 00 00 00
E: 1B 00 00 00 00 00 00 00 00 00 00 00 in 0 t=60 -> 00 00 00'
write_image='E: 3B 05 01 00 00 00 00 40 00 00 00 00 out 16384 t=60 -> 00 00 00
E: 3B 05 01 00 40 00 00 40 00 00 00 00 out 16384 t=60 -> 00 00 00'
read_image='E: 3C 01 01 00 00 00 00 40 00 00 00 00 in 16384 t=60 -> 00 00 00
E: 3C 01 01 00 40 00 00 40 00 00 00 00 in 16384 t=60 -> 00 00 00'
refresh='E: 12 00 00 00 80 00 00 00 00 00 00 00 in 128 t=60 -> 00 00 00'
flash_machine() { # flash_machine MORE KEYS... for drive E
    krv_machine "$machine_head
$(krv_drive E 1A05 Medium=present FlashId='BF B6 00 02' RevisionAfterFlash=1A07 FlashFile=flashed.bin "$@")"
}

flash_machine
flash RANGE.EXE
krv_expect_equal "plain image: no profile, no entry critical" "$prepare
$write_image
$read_image
E: 3B 05 01 00 00 00 00 00 00 80 00 00 in 16 t=180 -> 00 00 00
$refresh" "$(run_log)"
# The bar's position stays within its range: a maximum of 200 first brings it to 200.
krv_expect_contains "plain image: status lines" "? yes
progress: 0/32768
status: Write BIN to drive's DRAM... 
progress: 16384/32768
progress: 32768/32768
status: Read back and Verify drive's DRAM... 
progress: 0/32768
progress: 16384/32768
progress: 32768/32768
status: Don't turn off the system, Flash is in progress...
progress: 200/200
progress: 198/200
progress: 200/200
status: Flash Completed.
rows:
  0* 0-0-0 E: QSI     DVD-ROM QKA-270 1A07
  1  0-0-0 E: QSI     DVD-ROM QKA-270 1A05
rows:
  0* 0-0-0 E: QSI     DVD-ROM QKA-270 1A07
progress: 0/200
> close"
krv_expect_lacks "plain image: no profile step" "Write profile"
cmp -s "$KRV_SCRATCH/flashed.bin" "$KRV_SCRATCH/plain.bin" || krv_fail "plain image: the flash holds the image"

krv_flasher CRITICAL Model=QKA-270 "Inquiry=$INQUIRY" FWRange=1A00-1AZZ Vendor=QSI Note=FLASH-ALL BinName=1A07 IMAGE=critical.bin
flash_machine
flash CRITICAL.EXE
krv_expect_equal "critical-entry image: profile at 512 KB, entry critical, profile read back, flash all" "$prepare
E: DF 11 00 00 00 00 00 00 00 00 00 00 in 128 t=60 -> 00 00 00
E: 3B 05 01 08 00 00 00 05 04 7F 00 00 out 1284 t=60 -> 00 00 00
$write_image
E: 3B 05 01 00 00 00 00 00 00 7F 00 00 in 0 t=60 -> 00 00 00
E: 3C 01 01 08 00 00 00 05 04 00 00 00 in 1284 t=60 -> 00 00 00
$read_image
E: 3B 05 01 00 00 00 00 00 00 A0 00 00 in 16 t=180 -> 00 00 00
$refresh" "$(run_log)"
krv_expect_contains "critical-entry image: status lines" "status: Write profile to drive's DRAM... 
status: Write BIN to drive's DRAM... "
krv_expect_contains "critical-entry image: entry critical" "status: Drive entry critical... 
status: Read back and Verify drive's DRAM... "
cmp -s "$KRV_SCRATCH/flashed.bin" "$KRV_SCRATCH/critical.bin" || krv_fail "critical-entry image: the flash holds the image"

krv_flasher TAGGED Model=QKA-270 "Inquiry=$INQUIRY" FWRange=1A00-1AZZ Vendor=QSI Note=flash-all BinName=1A07 IMAGE=tagged.bin
flash_machine
flash TAGGED.EXE
krv_expect_equal "model-tagged image: six-byte profile header at 0, checked locally, lower-case note flashes with 80" "$prepare
E: DF 11 00 00 00 00 00 00 00 00 00 00 in 128 t=60 -> 00 00 00
E: 3B 05 01 00 00 00 00 02 BA 7F 00 00 out 698 t=60 -> 00 00 00
$write_image
$read_image
E: 3B 05 01 00 00 00 00 00 00 80 00 00 in 16 t=180 -> 00 00 00
$refresh" "$(run_log)"

# An unknown flash ID: the four-byte record, no profile verification, the flash goes on.
krv_machine "$machine_head
$(krv_drive E 1A05 Medium=present 'FlashId=37 0D 00 01' FlashFile=flashed.bin)"
flash TAGGED.EXE
krv_expect_equal "unknown flash ID" "$prepare
E: DF 11 00 00 00 00 00 00 00 00 00 00 in 128 t=60 -> 00 00 00
E: 3B 05 01 00 00 00 00 00 04 7F 00 00 out 4 t=60 -> 00 00 00
$write_image
$read_image
E: 3B 05 01 00 00 00 00 00 00 80 00 00 in 16 t=180 -> 00 00 00
$refresh" "$(run_log)"
krv_expect_contains "unknown flash ID: completed" "status: Flash Completed."

# --- The confirmation and the revision checks --------------------------------------------
krv_flasher SAME Model=QKA-270 "Inquiry=$INQUIRY" FWRange=1A00-1AZZ Vendor=QSI BinName=1A05 IMAGE=plain.bin
krv_flasher OLDER Model=QKA-270 "Inquiry=$INQUIRY" FWRange=1A00-1AZZ Vendor=QSI BinName=1A01 IMAGE=plain.bin
krv_flasher OPENOLDER Model=QKA-270 "Inquiry=$INQUIRY" "FWRange=---- ----" Vendor=QSI BinName=1A01 IMAGE=plain.bin
krv_flasher OTHERFAMILY Model=QKA-270 "Inquiry=$INQUIRY" FWRange=1A00-1AZZ Vendor=QSI BinName=2A07 IMAGE=plain.bin
krv_flasher LOWERFAMILY Model=QKA-270 "Inquiry=$INQUIRY" "FWRange=---- ----" Vendor=QSI BinName=aA07 IMAGE=plain.bin
flash_machine
krv_run $'yes\nclick\nno\nclose\n' SAME.EXE machine
krv_expect_contains "same revision: warning text, confirmation type" "> click
[confirmation: Yes/No]
|
|WARNING !!!
|
|Your drive Firmware 1A05 is aready the most updated !
|
|Update Firmware 1A05 to 1A05 ?
|
[end]
? no
> close"
krv_expect_equal "answering no sends nothing" "" "$(run_log)"
krv_run $'yes\nclick\nno\nclose\n' OLDER.EXE machine
krv_expect_contains "newer drive revision: warning type" "[warning: Yes/No]
|
|WARNING !!!
|
|Your drive Firmware 1A05 is aready the most updated !
|
|Update Firmware 1A05 to 1A01 ?
|
[end]"
krv_run $'yes\nclick\nno\nclose\n' OPENOLDER.EXE machine
krv_expect_contains "open range, newer drive revision: plain text, warning type" "[warning: Yes/No]
|
|Update Firmware 1A05 to 1A01 ?
|
[end]"
krv_run $'yes\nclick\n\nclose\n' OTHERFAMILY.EXE machine
krv_expect_contains "another revision family" "> click
[message: OK]
|NOT support this drive !!!
[end]
? 
> close"
krv_expect_equal "another revision family: nothing sent" "" "$(run_log)"
krv_machine "$machine_head
$(krv_drive E aA05)"
krv_run $'yes\nclick\nno\nclose\n' LOWERFAMILY.EXE machine
krv_expect_contains "the family check ignores letter case" "|Update Firmware aA05 to aA07 ?"

# --- Packages that cannot be flashed -----------------------------------------------------
for size in 0 20000 540672; do
    krv_flasher DAMAGED Model=QKA-270 "Inquiry=$INQUIRY" FWRange=1A00-1AZZ Vendor=QSI BinName=1A07 IMAGE=plain.bin SIZE=$size
    flash_machine
    krv_run $'yes\nclick\n\nclose\n' DAMAGED.EXE machine
    krv_expect_contains "BIN size $size" "> click
[message: OK]
|Damaged firmware package: BIN size $size is not a whole number of 16 KB blocks up to 512 KB.
[end]"
    krv_expect_equal "BIN size $size: nothing sent" "" "$(run_log)"
done

# --- Failures that stop the run before the flash command ----------------------------------
flash_machine Fail=3C@2=corrupt
flash RANGE.EXE
krv_expect_contains "a corrupt read-back" "status: Read back and Verify drive's DRAM... , Compare BIN and DRAM Fail! 
[message: OK]
|Compare BIN and DRAM fail!
[end]"
run_log | grep -q ' 80 00 00 in 16' && krv_fail "a corrupt read-back: the flash command was sent"

flash_machine Fail=3B/00@2=lie
flash RANGE.EXE
krv_expect_contains "a write that lies" "|Compare BIN and DRAM fail!"
run_log | grep -q ' 80 00 00 in 16' && krv_fail "a write that lies: the flash command was sent"
[ -e "$KRV_SCRATCH/flashed.bin" ] && [ "$(krv_log | grep -c ' 80 00 00 in 16')" != 0 ] && krv_fail "a write that lies: flashed"

# --- A drive that becomes ready for ever, a drive that vanishes after the flash ----------
flash_machine BecomingReady=forever
flash RANGE.EXE
krv_expect_equal "500 passes of the ready wait" "500" "$(run_log | grep -c '^E: 00 00 00')"
krv_expect_contains "becoming ready for ever: the run goes on" "status: Flash Completed."

flash_machine Vanish=yes
flash RANGE.EXE
krv_expect_contains "a drive that vanishes after the flash" "status: Flash Completed.
rows:
  0* 0
  1  0-0-0 E: QSI     DVD-ROM QKA-270 1A05
rows:
  0* 0"

# --- The 9x family: ASPI, more drives than a fixed table of 20 rows would hold --------------
nine_x="[Machine]
Platform=9x
Clock=virtual
CommandLog=log"
for n in $(seq 0 23); do
    nine_x="$nine_x
[Drive$n]
HostAdapter=$((n / 2))
Target=$((n % 2))
Vendor=QSI
Product=DVD-ROM QKA-270
Revision=1A05
FlashId=BF B6 00 02"
done
krv_machine "$nine_x"
krv_run $'yes\nrow 23\nclick\nyes\nclose\n' RANGE.EXE machine
krv_expect_contains "24 rows on the 9x family" "  23* 11-1-0  : QSI     DVD-ROM QKA-270 1A05"
krv_expect_contains "the 24th row flashes" "status: Flash Completed."
krv_expect_equal "the flash command goes to that drive over ASPI" "11:1:0 3B 05 01 00 00 00 00 00 00 80 00 00 in 16 t=- -> 00 00 00" \
    "$(krv_log | grep ' 80 00 00 in 16')"

# --- A machine file that cannot be used ---------------------------------------------------
printf '[Machine]\nClock=sometimes\n' >"$KRV_SCRATCH/machine.ini"
krv_run '' RANGE.EXE machine
krv_expect_status "bad machine file"
krv_expect_equal "bad machine file: one message" "[error: OK]
|Machine file machine.ini, section [Machine], key Clock: \"sometimes\" is not one of real, virtual
[end]
? <end>" "$KRV_OUTPUT"

krv_finish
