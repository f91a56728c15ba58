# What the window programs share: the program library (display check, Qt application, desktop
# host, runtime), the icon pictures for the hicolor theme, and the installed program folder.
include_guard(GLOBAL)
if(NOT TARGET kestrival_platform_qt)
  return()
endif()
set(kestrival_program_dir lib/kestrival)

add_library(kestrival_window_program STATIC ${CMAKE_CURRENT_LIST_DIR}/WindowProgram.cpp)
target_include_directories(kestrival_window_program PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrival_window_program PUBLIC kestrival_profile kestrival_app kestrival_platform_qt)
kestrival_target_options(kestrival_window_program)


# The icon group's pictures as PNG files of the hicolor theme, written at build time, and the
# group as icons/kestrival.ico, which the Windows build's resource scripts take.
add_executable(kestrival-icon-tool ${CMAKE_CURRENT_LIST_DIR}/IconTool.cpp)
target_include_directories(kestrival-icon-tool PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrival-icon-tool PRIVATE kestrival_app kestrival_platform_qt)
kestrival_target_options(kestrival-icon-tool)
set(kestrival_icon_dir ${PROJECT_BINARY_DIR}/icons/hicolor)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/icons/icons.stamp
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${kestrival_icon_dir}
  COMMAND kestrival-icon-tool ${kestrival_icon_dir} ${PROJECT_BINARY_DIR}/icons/kestrival.ico
  COMMAND ${CMAKE_COMMAND} -E touch ${PROJECT_BINARY_DIR}/icons/icons.stamp
  DEPENDS kestrival-icon-tool
  COMMENT "Writing the icon pictures for the hicolor theme"
  VERBATIM)
add_custom_target(kestrival_icons ALL DEPENDS ${PROJECT_BINARY_DIR}/icons/icons.stamp)

install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/language.csv DESTINATION ${kestrival_program_dir})
install(FILES ${PROJECT_SOURCE_DIR}/resources/kestrival.desktop DESTINATION share/applications)
install(DIRECTORY ${kestrival_icon_dir}/ DESTINATION share/icons/hicolor)
install(FILES ${PROJECT_SOURCE_DIR}/resources/io.github.kestrival.Kestrival.metainfo.xml
        DESTINATION share/metainfo)
# The one port that receives the readers' replies, for firewalld and for ufw.
install(FILES ${PROJECT_SOURCE_DIR}/resources/firewall/kestrival-firewalld.xml
        DESTINATION lib/firewalld/services RENAME kestrival.xml)
install(FILES ${PROJECT_SOURCE_DIR}/resources/firewall/kestrival-ufw
        DESTINATION /etc/ufw/applications.d RENAME kestrival)

# kestrival_window_program_executable(name main.cpp): one window program, installed into the
# program folder with a link in bin/.
function(kestrival_window_program_executable name main)
  add_executable(${name} ${main})
  target_link_libraries(${name} PRIVATE kestrival_window_program)
  kestrival_target_options(${name})
  if(TARGET kestrival_language_csv)
    add_dependencies(${name} kestrival_language_csv)
  endif()
  add_dependencies(${name} kestrival_icons)
  kestrival_install_program(${name})
endfunction()

# kestrival_install_program(name): the program into the program folder, beside language.csv, and
# a link to it in bin/.
function(kestrival_install_program name)
  install(TARGETS ${name} RUNTIME DESTINATION ${kestrival_program_dir})
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(CREATE_LINK ../${kestrival_program_dir}/${name} \"\${bin}/${name}\" SYMBOLIC)
    message(STATUS \"Link: \${bin}/${name} -> ../${kestrival_program_dir}/${name}\")
  ")
endfunction()

# What a Debian system expects of every package: its copyright and a compressed changelog.
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/resources/debian/changelog > ${PROJECT_BINARY_DIR}/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/debian/changelog
  COMMENT "Compressing the changelog")
add_custom_target(kestrival_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright ${PROJECT_BINARY_DIR}/changelog.gz
        DESTINATION share/doc/kestrival)
