# Turns the flash-profile block (5,812 bytes of profile segments) into a list of C++
# byte literals that flash/FlashProfile.cpp includes.
#   cmake -DINPUT=file.bin -DOUTPUT=file.inc -P EmbedFlashProfile.cmake
file(SIZE "${INPUT}" size)
if(NOT size EQUAL 5812)
  message(FATAL_ERROR "${INPUT} is ${size} bytes; a flash-profile block is exactly 5812 bytes")
endif()
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp" "// Generated from ${INPUT}; do not edit.\n${bytes}\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
