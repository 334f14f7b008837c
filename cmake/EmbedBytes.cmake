# Turns a binary file into a list of C++ byte literals for an #include inside an array
# initialiser.
#   cmake -DINPUT=file.bin -DOUTPUT=file.inc [-DEXPECTED_SIZE=N] -P EmbedBytes.cmake
file(SIZE "${INPUT}" size)
if(DEFINED EXPECTED_SIZE AND NOT size EQUAL EXPECTED_SIZE)
  message(FATAL_ERROR "${INPUT} is ${size} bytes, not ${EXPECTED_SIZE}")
endif()
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp" "// Generated from ${INPUT}; do not edit.\n${bytes}\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
