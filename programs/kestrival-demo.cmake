# kestrival-demo: the same window on a virtual segment of three simulated readers.
if(NOT TARGET kestrival_platform_qt)
  return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/kestrival-common.cmake)
kestrival_window_program_executable(kestrival-demo ${CMAKE_CURRENT_LIST_DIR}/kestrival_demo_main.cpp)
target_link_libraries(kestrival-demo PRIVATE kestrival_sim)
