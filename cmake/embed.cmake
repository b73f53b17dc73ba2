# tavrin_embed_bytes(TARGET SYMBOL FILE): links FILE's bytes into TARGET as
# `const std::uint8_t SYMBOL[]` with `SYMBOL_size`, rebuilt when FILE changes.
function(tavrin_embed_bytes target symbol input)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.cpp)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DNAME=${symbol}
      -P ${PROJECT_SOURCE_DIR}/cmake/embed_bytes.cmake
    DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/embed_bytes.cmake
    COMMENT "Embedding ${input}" VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()
