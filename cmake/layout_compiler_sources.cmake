# The layout compiler's sources, shared by the native tree and the host tools
# the Windows tree builds.
set(TAVRIN_LAYOUT_COMPILER_SOURCES
  ${TAVRIN_SOURCE}/tools/layout_compiler/main.cpp
  ${TAVRIN_SOURCE}/tools/layout_compiler/compile.cpp
  ${TAVRIN_SOURCE}/frame/core/layout_properties.cpp
  ${TAVRIN_SOURCE}/frame/core/layout_reader.cpp
  ${TAVRIN_SOURCE}/frame/core/layout_writer.cpp
)
