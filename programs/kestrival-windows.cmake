# The window programs on Windows, kestrival.exe and kestrival-demo.exe: windows-subsystem programs
# that draw the window with native controls (platform/win32), each with its resource script in
# resources/windows/ (icon group 128, string 103, the version block, the manifest). The mains are
# those of Linux.
if(NOT TARGET kestrival_platform_win32)
  return()
endif()
enable_language(RC)

add_library(kestrival_window_program STATIC ${CMAKE_CURRENT_LIST_DIR}/WindowProgram_win32.cpp)
target_include_directories(kestrival_window_program PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrival_window_program PUBLIC kestrival_profile kestrival_app kestrival_platform_win32)
kestrival_target_options(kestrival_window_program)

# Icon group 128 as a .ico file, which the native build writes (scripts/build-windows passes it).
set(KESTRIVAL_ICON ${PROJECT_SOURCE_DIR}/build/icons/kestrival.ico CACHE FILEPATH
    "Icon group 128 as a .ico file, written by the native build (icons/kestrival.ico)")
set(kestrival_rc_icon "")
if(EXISTS ${KESTRIVAL_ICON})
  set(kestrival_rc_icon "#define KESTRIVAL_RC_ICON \"${KESTRIVAL_ICON}\"\n")
else()
  message(STATUS "No ${KESTRIVAL_ICON} (build the native target kestrival_icons): the Windows "
                 "programs carry no icon group 128; their windows still show the icon")
endif()
# The version and the icon for the resource scripts, as a header: windres's command line loses
# the quotes of a string define.
string(REPLACE "." "," kestrival_version_numbers ${PROJECT_VERSION})
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/kestrival-version.rc.h CONTENT
     "#define KESTRIVAL_RC_VERSION \"@PROJECT_VERSION@\"\n#define KESTRIVAL_RC_VERSION_NUMBERS @kestrival_version_numbers@\n@kestrival_rc_icon@")

# kestrival_windows_program(name main.cpp script.rc): one window program with its resources.
function(kestrival_windows_program name main rc)
  # The script compiles apart from the C++ sources: their warning options are none of windres's.
  add_library(${name}_resources OBJECT ${PROJECT_SOURCE_DIR}/resources/windows/${rc})
  target_include_directories(${name}_resources PRIVATE ${PROJECT_SOURCE_DIR}/resources/windows
                                                       ${CMAKE_CURRENT_BINARY_DIR})
  set_property(SOURCE ${PROJECT_SOURCE_DIR}/resources/windows/${rc} APPEND PROPERTY OBJECT_DEPENDS
               ${PROJECT_SOURCE_DIR}/resources/windows/kestrival-common.rc
               ${PROJECT_SOURCE_DIR}/resources/windows/kestrival.manifest
               ${CMAKE_CURRENT_BINARY_DIR}/kestrival-version.rc.h)
  if(EXISTS ${KESTRIVAL_ICON})
    set_property(SOURCE ${PROJECT_SOURCE_DIR}/resources/windows/${rc} APPEND PROPERTY
                 OBJECT_DEPENDS ${KESTRIVAL_ICON})
  endif()
  add_executable(${name} WIN32 ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${main}
                               $<TARGET_OBJECTS:${name}_resources>)
  target_link_libraries(${name} PRIVATE kestrival_window_program)
  kestrival_target_options(${name})
  if(TARGET kestrival_language_csv)
    add_dependencies(${name} kestrival_language_csv)
  endif()
endfunction()

kestrival_windows_program(kestrival-demo kestrival_demo_main.cpp kestrival-demo.rc)
target_link_libraries(kestrival-demo PRIVATE kestrival_sim)
kestrival_windows_program(kestrival kestrival_main.cpp kestrival.rc)
