# language.csv beside the executables: written in UTF-8 in the source tree, delivered in code page
# 936 (GBK), the code page in which the tool shows its texts.
find_program(KESTRIVAL_ICONV iconv REQUIRED)

set(kestrival_language_source ${CMAKE_CURRENT_SOURCE_DIR}/language.csv.in)
set(kestrival_language_csv ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/language.csv)

# Converted into a temporary file first, so that a character GBK lacks fails the build and leaves
# no half-written file behind.
add_custom_command(
  OUTPUT ${kestrival_language_csv}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
  COMMAND ${KESTRIVAL_ICONV} -f UTF-8 -t CP936 -o ${kestrival_language_csv}.tmp
          ${kestrival_language_source}
  COMMAND ${CMAKE_COMMAND} -E rename ${kestrival_language_csv}.tmp ${kestrival_language_csv}
  DEPENDS ${kestrival_language_source}
  COMMENT "Converting language.csv to code page 936"
  VERBATIM)
add_custom_target(kestrival_language_csv ALL DEPENDS ${kestrival_language_csv})
