# kestrival-cli: batch work on the real main dialog without a window: search, save a reader's
# configuration as a profile, apply a profile to many readers and read them back.
# The profile is kestrival-profile.cmake's.
include(${CMAKE_CURRENT_LIST_DIR}/kestrival-profile.cmake)
add_library(kestrival_cli STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Cli.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CliApply.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CliAudit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CliDryRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CliOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CliReport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CliSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CliTargets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TapBackend.cpp)
target_include_directories(kestrival_cli PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrival_cli PUBLIC kestrival_profile kestrival_app kestrival_sim
                                           kestrival_protocol kestrival_params kestrival_i18n
                                           kestrival_platform)
target_compile_definitions(kestrival_cli PRIVATE KESTRIVAL_VERSION="${PROJECT_VERSION}")
kestrival_target_options(kestrival_cli)

add_executable(kestrival-cli ${CMAKE_CURRENT_LIST_DIR}/kestrival-cli.cpp)
target_link_libraries(kestrival-cli PRIVATE kestrival_cli)
kestrival_target_options(kestrival-cli)
if(TARGET kestrival_language_csv)
  add_dependencies(kestrival-cli kestrival_language_csv)
endif()
if(COMMAND kestrival_install_program)
  kestrival_install_program(kestrival-cli)
endif()

# The lab test starts kestrival-cli and kestrival-sim; its target is made later (tests/).
function(kestrival_cli_for_tests)
  if(TARGET Cli_netlab_test)
    add_dependencies(Cli_netlab_test kestrival-cli kestrival-sim)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL kestrival_cli_for_tests)
