# kestrival-headless: the real main dialog without a window, driven from standard input; on the
# real network, or with --demo on a virtual segment of the three demo readers.
# Its replies are JSON lines, written with nlohmann-json (Debian's nlohmann-json3-dev, header-only).
if(NOT TARGET nlohmann_json::nlohmann_json)
  find_package(nlohmann_json 3 REQUIRED)
endif()
# The line protocol is a library of its own, which the tests also drive with dialogs of theirs.
add_library(kestrival_headless_driver STATIC ${CMAKE_CURRENT_LIST_DIR}/HeadlessDriver.cpp
                                             ${CMAKE_CURRENT_LIST_DIR}/HeadlessReplies.cpp)
target_include_directories(kestrival_headless_driver PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrival_headless_driver PUBLIC kestrival_params kestrival_protocol
                      kestrival_platform nlohmann_json::nlohmann_json)
kestrival_target_options(kestrival_headless_driver)
add_executable(kestrival-headless ${CMAKE_CURRENT_LIST_DIR}/kestrival-headless.cpp)
target_include_directories(kestrival-headless PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrival-headless PRIVATE kestrival_headless_driver kestrival_profile kestrival_app
                                                 kestrival_sim kestrival_protocol kestrival_params
                                                 kestrival_i18n kestrival_platform)
kestrival_target_options(kestrival-headless)
if(TARGET kestrival_language_csv)
  add_dependencies(kestrival-headless kestrival_language_csv)
endif()

# The tests that start kestrival-sim and kestrival-headless need them built first; their targets
# are made later (tests/), so the dependency is added once the whole tree has been read.
function(kestrival_programs_for_tests)
  foreach(t sim_tests reader_netlab_test)
    if(TARGET ${t})
      add_dependencies(${t} kestrival-sim kestrival-headless)
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL kestrival_programs_for_tests)
