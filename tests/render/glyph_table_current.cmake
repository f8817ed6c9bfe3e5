# The committed render/glyph_table.cpp is what the generator writes from the
# font now: a new font or SDL2_ttf that draws differently fails here, and
# `cmake --build BUILD --target update-glyph-table` writes the table again.
execute_process(COMMAND ${GENERATOR} ${FONT} ${SCRATCH}/glyph_table_now.cpp RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "vexlora-make-glyph-table failed (${status})")
endif()
file(READ ${COMMITTED} committed)
file(READ ${SCRATCH}/glyph_table_now.cpp now)
if(NOT committed STREQUAL now)
  message(FATAL_ERROR "render/glyph_table.cpp is not what ${FONT} gives now (${SCRATCH}/glyph_table_now.cpp); "
                      "look at the differences, then: cmake --build BUILD --target update-glyph-table")
endif()
message(STATUS "render/glyph_table.cpp is current")
