# Header-only libraries for the web build, from Debian's packages: CLI11
# (libcli11-dev) for vexlora-evolve's options and stb_image_write
# (libstb-dev) for PNG. Their headers are copied into the build: /usr/include
# itself must never be on em++'s include path, where glibc's headers would
# take the place of its own.
set(VEXLORA_HEADER_LIBRARIES ${PROJECT_BINARY_DIR}/header-libraries)
foreach(header /usr/include/CLI/CLI.hpp /usr/include/stb/stb_image_write.h)
  if(NOT EXISTS ${header})
    message(FATAL_ERROR "${header} not found: install libcli11-dev and libstb-dev (scripts/install-deps.sh)")
  endif()
endforeach()
file(COPY /usr/include/CLI DESTINATION ${VEXLORA_HEADER_LIBRARIES})
file(COPY /usr/include/stb/stb_image_write.h DESTINATION ${VEXLORA_HEADER_LIBRARIES}/stb)

add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${VEXLORA_HEADER_LIBRARIES})
add_library(stb_image_write INTERFACE IMPORTED)
set_target_properties(stb_image_write PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${VEXLORA_HEADER_LIBRARIES})
