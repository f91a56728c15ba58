# kestrival: the desktop window on the real network (it broadcasts: run it only on a segment of
# readers, or inside a network namespace of one's own).
if(NOT TARGET kestrival_platform_qt)
  return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/kestrival-common.cmake)
kestrival_window_program_executable(kestrival ${CMAKE_CURRENT_LIST_DIR}/kestrival_main.cpp)
