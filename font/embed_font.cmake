# Writes a font file into a C++ source as a byte array, so the program needs
# no font on disk at run time.
#   cmake -DINPUT=<font.ttf> -DOUTPUT=<file.cpp> -DSYMBOL=<name> -P embed_font.cmake
foreach(var INPUT OUTPUT SYMBOL)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "embed_font.cmake: ${var} is not set")
  endif()
endforeach()
if(NOT EXISTS "${INPUT}")
  message(FATAL_ERROR "embed_font.cmake: ${INPUT} not found (Debian package fonts-dejavu-core)")
endif()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
if(hex_length EQUAL 0)
  message(FATAL_ERROR "embed_font.cmake: ${INPUT} is empty")
endif()
math(EXPR byte_count "${hex_length} / 2")

# Sixteen bytes a line keeps the source readable and the compiler fast; one
# regex pass over the whole string takes well under a second.
string(REPEAT "[0-9a-f]" 32 row)
string(REGEX REPLACE "(${row})" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")

get_filename_component(input_name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${input_name} by font/embed_font.cmake. Do not edit.\n"
  "#include \"font/embedded_fonts.h\"\n\n"
  "extern const unsigned char ${SYMBOL}[${byte_count}] = {\n${bytes}\n};\n"
  "extern const std::size_t ${SYMBOL}Size = ${byte_count};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
