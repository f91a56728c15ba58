# cmake -DINPUT=file -DOUTPUT=file.cpp -DFUNCTION=name -DHEADER=path -P EmbedBytes.cmake
# Writes a C++ source whose function returns the input file's bytes as a std::string_view.
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
"// Generated from ${INPUT} at build time: do not edit.
#include \"${HEADER}\"

namespace {
const unsigned char kBytes[] = {
    ${bytes}0x00};
}  // namespace

std::string_view ${FUNCTION}() {
  return {reinterpret_cast<const char*>(kBytes), sizeof kBytes - 1};
}
")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
