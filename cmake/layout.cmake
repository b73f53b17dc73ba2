# tavrin_add_layout(target SOURCES a.layout b.layout ...)
# Compiles the layout sources (window identifiers follow their order) into
# the stored layout description, linked into `target` as the RCDATA resource
# LAYOUT, with the generated handler table and identifier header
# (layout_ids.h).
function(tavrin_add_layout target)
  cmake_parse_arguments(LAYOUT "" "" "SOURCES" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_layout)
  set(sources)
  foreach(source ${LAYOUT_SOURCES})
    get_filename_component(absolute ${source} ABSOLUTE)
    list(APPEND sources ${absolute})
  endforeach()
  add_custom_command(
    OUTPUT ${out}/layout.bin ${out}/layout_ids.h ${out}/layout_handlers.cpp
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${TAVRIN_LAYOUT_COMPILER} --output ${out}/layout.bin --header ${out}/layout_ids.h
            --handlers ${out}/layout_handlers.cpp --depfile ${out}/layout.d ${sources}
    DEPENDS ${sources} ${TAVRIN_LAYOUT_COMPILER_DEPENDS}
    DEPFILE ${out}/layout.d
    COMMENT "Compiling the layout of ${target}"
    VERBATIM)
  file(MAKE_DIRECTORY ${out})
  file(WRITE ${out}/layout.rc "LAYOUT RCDATA \"${out}/layout.bin\"\n")
  set_source_files_properties(${out}/layout.rc PROPERTIES OBJECT_DEPENDS ${out}/layout.bin)
  target_sources(${target} PRIVATE ${out}/layout_handlers.cpp ${out}/layout.rc ${out}/layout_ids.h)
  # Public: an object library's users name the same identifiers.
  target_include_directories(${target} PUBLIC ${out})
endfunction()
