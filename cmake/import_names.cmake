# The names a system DLL exports, read from the toolchain's import library:
# the tests' planted DLLs export the same ones.
find_program(TAVRIN_NM NAMES ${triple}-nm REQUIRED)

# tavrin_import_names(DLL VARIABLE): the names the toolchain's import library
# lib<DLL>.a imports (32-bit names keep their "@n" of stdcall arguments).
function(tavrin_import_names dll variable)
  find_library(TAVRIN_IMPORT_${dll} NAMES lib${dll}.a REQUIRED)
  execute_process(COMMAND ${TAVRIN_NM} ${TAVRIN_IMPORT_${dll}} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL " I __imp_[^\n]+" imports "${symbols}")
  set(names "")
  foreach(import IN LISTS imports)
    string(REGEX REPLACE "^ I __imp_" "" name "${import}")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(REGEX REPLACE "^_" "" name "${name}")  # the C prefix of 32-bit names
    endif()
    list(APPEND names "${name}")
  endforeach()
  set(${variable} "${names}" PARENT_SCOPE)
endfunction()
