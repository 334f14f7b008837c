#!/usr/bin/env bash
# The builder: the catalogue beside the template, the builder window, the flashers it
# writes (byte for byte), the inputs it must survive, and the whole loop from template
# to a flashed virtual drive.
#   builder.sh PACKAGE_TOOL TEMPLATE [LAUNCHER...]
. "$(dirname "$0")/lib.sh"

S=$KRV_SCRATCH
catalogue() { printf '%s' "$1" >"$S/KRVFLASH.INI"; }
section() { # section NUMBER MODEL INQUIRY RANGE MASK VENDOR NOTE
    printf '[MODEL%s]\r\nModel=%s\r\nInquiry=%s\r\nFW-Range=%s\r\nBINMask=%s\r\nVendor=%s\r\nNote=%s\r\n' "$@"
}
GOOD=$(section 00 QKA-270 'QSI     DVD-ROM QKA-270 ' 1A00-1AZZ '1A*.BIN;*.HEX' qsi FLASH-ALL
    section 01 QCW-5216 'QSI     CDRW QCW-5216   ' 2B00-2BZZ '2B*.BIN' QSI '')

# --- Start-up failures --------------------------------------------------------------------
krv_run '' KRVFLASH.EXE
krv_expect_status "missing catalogue"
krv_expect_equal "missing catalogue" "caption:  Flash Utility V1.049 
files:
  0  KRVFLASH.EXE
[message: OK]
|Can't load <dir>/KRVFLASH.INI
[end]
? <end>" "$KRV_OUTPUT"

bad_catalogue() { # bad_catalogue NAME TEXT SECTION
    catalogue "$2"
    krv_run $'\n' KRVFLASH.EXE
    krv_expect_contains "$1" "[message: OK]
|<dir>/KRVFLASH.INI > Session $3 error!
[end]"
    krv_expect_lacks "$1: no window" $'\n> '
}
bad_catalogue "MODEL00 without a Model" "$(printf '[MODEL00]\nInquiry=x\n')" MODEL00
bad_catalogue "a section with a Model but no Note" "$GOOD
$(printf '[MODEL02]\nModel=QKB-394\nInquiry=QSI\n')" MODEL02
bad_catalogue "a value exactly FAIL" "$(section 00 QKA-270 FAIL 1A00-1AZZ '*.BIN' QSI '')" MODEL00
bad_catalogue "a catalogue of binary garbage" "$(head -c 3000 "$S/KRVFLASH.EXE" | tr -d '\000')" MODEL00
bad_catalogue "an empty catalogue" "" MODEL00

# --- The builder window ---------------------------------------------------------------------
: >"$S/1A07.BIN"
: >"$S/1a99.bin"
: >"$S/2B01.BIN"
: >"$S/1A08.TXT"
catalogue "$GOOD"
krv_run $'row 1\nfile 2B01.BIN\nrow 0\nclose\n' KRVFLASH.EXE
krv_expect_status "builder window"
krv_expect_contains "the window at start" "caption:  Flash Utility V1.049 1A00-1AZZ [Buiding]
label: Select Model: 
rows:
  0* 1A00-1AZZ QSI     DVD-ROM QKA-270
  1  2B00-2BZZ QSI     CDRW QCW-5216
files:
  0  1A07.BIN
  1  1a99.bin
status: 
progress: 0/100
button: Build (disabled)
> row 1
rows:
  0  1A00-1AZZ QSI     DVD-ROM QKA-270
  1* 2B00-2BZZ QSI     CDRW QCW-5216
files:
  0  2B01.BIN
caption:  Flash Utility V1.049 2B00-2BZZ [Buiding]
button: Build (disabled)
> file 2B01.BIN
files:
  0* 2B01.BIN
button: Build (enabled)
> row 0
rows:
  0* 1A00-1AZZ QSI     DVD-ROM QKA-270
  1  2B00-2BZZ QSI     CDRW QCW-5216
files:
  0  1A07.BIN
  1  1a99.bin
caption:  Flash Utility V1.049 1A00-1AZZ [Buiding]
button: Build (disabled)
> close"

# Other letter cases, blanks and quotation marks, an empty value, LF endings, a gap.
catalogue "$(printf '[model00]\nmODEL = "QKA 270" \nINQUIRY=  QSI     DVD-ROM QKA-270  \nfw-range='"'"'1A00-1AZZ'"'"'\nbinmask=*.BIN\nvendor=qsi\nnote=\n[MODEL01]\nModel=fail\nInquiry=%s\nFW-Range=2B00-2BZZ\nBINMask=*.BIN\nVendor=QSI\nNote=x\n[MODEL05]\nModel=never read\n' "$(head -c 2100 /dev/zero | tr '\0' 'I')")"
krv_run $'show\nclose\n' KRVFLASH.EXE
krv_expect_contains "names in any case, values trimmed and unquoted" "rows:
  0* 1A00-1AZZ QSI     DVD-ROM QKA-270
  1  2B00-2BZZ $(head -c 2047 /dev/zero | tr '\0' 'I')
files:"
krv_expect_lacks "a section after a gap is not read" "never read"

# Text typed into the combo box selects no row: the list raises its index error.
catalogue "$GOOD"
krv_run $'file 1A07.BIN\ntype hello\n\nclick\n\nclose\n' KRVFLASH.EXE
krv_expect_contains "typed text" "> type hello
rows:
  0  1A00-1AZZ QSI     DVD-ROM QKA-270
  1  2B00-2BZZ QSI     CDRW QCW-5216
[exception: OK]
|List index out of bounds (-1)
[end]
? 
> click
status: Building 1A07.BIN  Please wait... 
[exception: OK]
|List index out of bounds (-1)
[end]"
[ -e "$S/1A07.EXE" ] && krv_fail "a build without a row wrote a file"

# --- Builds ------------------------------------------------------------------------------
# build FILE [ROW]: builds FILE with catalogue row ROW (default 0).
build() {
    krv_run "row ${2:-0}"$'\n'"file $1"$'\n'$'click\n\nclose\n' KRVFLASH.EXE
}
marker_offset() {
    grep -obUa 'K519-0-2043617' "$1" | head -n 1 | cut -d: -f1
}
field() { # field FILE OFFSET SIZE: the bytes as hex
    od -An -tx1 -v -j "$2" -N "$3" "$1" | tr -d ' \n'
}
hex() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }
zeros() { head -c "$1" /dev/zero | od -An -tx1 -v | tr -d ' \n'; }
text_field() { # the text zero-padded to SIZE, as hex
    printf '%s%s' "$(hex "$1")" "$(zeros $(($2 - ${#1})))"
}

rm -f "$S"/*.BIN "$S"/*.bin
krv_image tagged 32768 1A07.BIN
build 1A07.BIN
krv_expect_contains "build completes" "status: Building 1A07.BIN  Please wait... "
krv_expect_contains "build completes" "status: Build 1A07.EXE complete!
progress: 0/"
m=$(marker_offset "$S/KRVFLASH.EXE")
size=$(stat -c %s "$S/KRVFLASH.EXE")
if [ ! -f "$S/1A07.EXE" ]; then
    krv_fail "the flasher 1A07.EXE was written"
else
    krv_expect_equal "same size as the template" "$size" "$(stat -c %s "$S/1A07.EXE")"
    cmp -s -n $((m + 15)) "$S/KRVFLASH.EXE" "$S/1A07.EXE" || krv_fail "everything up to the marker's end unchanged"
    header=$(field "$S/1A07.EXE" $((m + 15)) 137)
    expected="$(text_field QKA-270 25)$(text_field 'QSI     DVD-ROM QKA-270 ' 25)$(text_field 1A00-1AZZ 25)$(text_field qsi 25)$(text_field FLASH-ALL 25)$(text_field 1A07. 5)000000""00800000"
    krv_expect_equal "the header" "$expected" "$header"
    cmp -s -i "$((m + 152)):0" -n 32768 "$S/1A07.EXE" "$S/1A07.BIN" || krv_fail "the image behind the header"
    cmp -s -i "$((m + 152 + 32768))" "$S/KRVFLASH.EXE" "$S/1A07.EXE" || krv_fail "everything behind the image unchanged"
    [ ${#KRV_LAUNCHER[@]} -gt 0 ] || [ -x "$S/1A07.EXE" ] || krv_fail "the flasher has the template's permission bits"
fi

# The new flasher starts in flasher mode with the model's texts, and flashes.
krv_machine "[Machine]
Clock=virtual
CommandLog=log
$(krv_drive E 1A05 'FlashId=BF B6 00 02' FlashFile=flashed.bin)"
krv_run $'yes\nclick\nyes\nclose\n' 1A07.EXE machine
krv_expect_contains "the built flasher's warning" "|This flash utility only supports QSI QKA-270 drive with firmware:1A00-1AZZ"
krv_expect_contains "the built flasher flashes" "status: Flash Completed."
cmp -s "$S/flashed.bin" "$S/1A07.BIN" || krv_fail "the whole loop: the drive's flash holds the firmware file"

# Names: the output name keeps the letter case, the BIN name is upper-cased.
catalogue "$(section 00 QKA-270 'QSI     DVD-ROM QKA-270 ' 1A00-1AZZ '*' qsi FLASH-ALL)"
krv_image plain 16384 ab12.bin
build ab12.bin
[ -f "$S/ab12.EXE" ] || krv_fail "ab12.bin gives ab12.EXE"
[ -f "$S/ab12.EXE" ] && krv_expect_equal "BIN name AB12." "$(hex AB12.)" "$(field "$S/ab12.EXE" $((m + 140)) 5)"
krv_image plain 16384 A.B
build A.B
[ -f "$S/ A.B.EXE" ] || krv_fail "A.B gives ' A.B.EXE'"
[ -f "$S/ A.B.EXE" ] && krv_expect_equal "BIN name A.B and two zero bytes" "$(hex A.B)0000" "$(field "$S/ A.B.EXE" $((m + 140)) 5)"

# Firmware sizes: empty (a builder again), 16 KB, 512 KB; refused: 524289 and 20000 bytes.
catalogue "$GOOD"
rm -f "$S"/*.EXE.part
: >"$S/1A00.BIN"
build 1A00.BIN
krv_expect_contains "an empty file builds" "status: Build 1A00.EXE complete!"
krv_run '' 1A00.EXE
krv_expect_contains "the flasher of an empty file starts as a builder" "|Can't load <dir>/1A00.INI"
krv_image plain 524288 1A01.BIN
build 1A01.BIN
cmp -s -i "$((m + 152)):0" -n 524288 "$S/1A01.EXE" "$S/1A01.BIN" || krv_fail "a 512 KB image fills the area"
for bytes in 524289 20000; do
    head -c $bytes /dev/zero | tr '\0' 'x' >"$S/1A02.BIN"
    printf 'old' >"$S/1A02.EXE"
    build 1A02.BIN
    krv_expect_contains "$bytes bytes are refused" "[message: OK]
|Building fail: 1A02.BIN is not a whole number of 16 KB blocks up to 512 KB!
[end]"
    krv_expect_equal "$bytes bytes: the existing output is untouched" "old" "$(cat "$S/1A02.EXE")"
done
# A larger second build in the same window writes all of its image.
krv_image plain 16384 1A03.BIN
krv_image critical 65536 1A04.BIN
krv_run $'file 1A03.BIN\nclick\n\nfile 1A04.BIN\nclick\n\nclose\n' KRVFLASH.EXE
cmp -s -i "$((m + 152)):0" -n 65536 "$S/1A04.EXE" "$S/1A04.BIN" || krv_fail "a larger second build writes all of it"
# A firmware file that begins with ZUNO gives a flasher that starts as a builder.
{ printf 'ZUNO'; head -c 16380 /dev/zero; } >"$S/1A05.BIN"
build 1A05.BIN
krv_run '' 1A05.EXE
krv_expect_contains "a ZUNO image starts as a builder" "|Can't load <dir>/1A05.INI"

# No file selected; the output cannot be created; the marker destroyed.
krv_run $'file -\nclick\n\nclose\n' KRVFLASH.EXE
krv_expect_contains "no file selected" "|Open  fail!"
mkdir -p "$S/1A03.EXE.part"
printf 'old' >"$S/1A03.EXE"
build 1A03.BIN
krv_expect_contains "the output cannot be created" "|Create 1A03.EXE Fail"
krv_expect_equal "the output cannot be created: the old file stays" "old" "$(cat "$S/1A03.EXE")"
rmdir "$S/1A03.EXE.part"
# The program finds the marker by its own bytes in memory, so its file can only lose the
# marker to the search rule: a 'K' in front of it hides it.
cp "$S/KRVFLASH.EXE" "$S/BROKEN.EXE"
printf 'K' | dd of="$S/BROKEN.EXE" bs=1 seek=$((m - 1)) conv=notrunc status=none
cp "$S/KRVFLASH.INI" "$S/BROKEN.INI"
krv_run $'file 1A03.BIN\nclick\n\nclose\n' BROKEN.EXE
krv_expect_contains "a destroyed marker" "|Building fail: not found key-word in BROKEN.EXE"
krv_expect_equal "a destroyed marker: the old file stays" "old" "$(cat "$S/1A03.EXE")"
ls "$S"/*.part >/dev/null 2>&1 && krv_fail "a temporary file was left behind"

# A current directory longer than 255 characters (not under Wine, which keeps to
# shorter paths itself).
if [ ${#KRV_LAUNCHER[@]} = 0 ]; then
    deep="$S/$(printf 'd%.0s' $(seq 100))/$(printf 'e%.0s' $(seq 100))/$(printf 'f%.0s' $(seq 100))"
    mkdir -p "$deep"
    cp "$S/KRVFLASH.EXE" "$S/KRVFLASH.INI" "$S/1A03.BIN" "$deep/"
    (cd "$deep" && printf 'file 1A03.BIN\nclick\n\nclose\n' | KRVFLASH_UI=console ./KRVFLASH.EXE >"$deep/out.txt" 2>&1)
    grep -q 'status: Build 1A03.EXE complete!' "$deep/out.txt" || krv_fail "a current directory of ${#deep} characters"
    cmp -s -i "$((m + 152)):0" -n 16384 "$deep/1A03.EXE" "$S/1A03.BIN" || krv_fail "a long current directory: the flasher holds the image"
fi

krv_finish
