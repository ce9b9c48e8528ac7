# Writes OUTPUT, a C++ source that defines velmora::ui::SkinLibraryImage()
# (ui/skin_library_file.h) as the bytes of INPUT, the built skinning library.
#
#   cmake -DINPUT=libvelmora-skin.so -DOUTPUT=skin_library_image.cpp -P embed_library_image.cmake
#
# The source is rewritten only when the bytes changed, so an unchanged library
# rebuilds nothing further.
if(NOT INPUT OR NOT OUTPUT)
  message(FATAL_ERROR "embed_library_image.cmake needs INPUT and OUTPUT")
endif()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
# Sixteen bytes a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)"
       "\\1\n" bytes "${bytes}")

file(WRITE "${OUTPUT}.new" "// Generated from ${INPUT} by skin/embed_library_image.cmake; do not edit.

#include \"ui/skin_library_file.h\"

namespace velmora::ui {

namespace {
const unsigned char kImage[${size}] = {
${bytes}
};
}  // namespace

std::span<const unsigned char> SkinLibraryImage() {
    return kImage;
}

}  // namespace velmora::ui
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
