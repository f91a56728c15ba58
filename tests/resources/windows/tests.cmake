# The tests of what the Windows build delivers (resources/windows/windows.cmake): shell scripts run
# on Linux with bash (not .exe: CMAKE_CROSSCOMPILING_EMULATOR does not apply to them), which start
# the Windows programs under Wine in prefixes of their own, each inside a network namespace of its
# own.
#   windows_imports        every .exe of bin/ imports only system DLLs; the programs' subsystems
#   windows_portable_zip   the zip's folder and files
#   windows_installer      setup /S, the installed programs, Uninstall /S (netsh recorded)
#   windows_user_settings  config.ini beside the program or in %APPDATA%\Kestrival (needs root)

# A stand-in for netsh.exe in the installer test's prefix: it records its command lines.
function(kestrival_netsh_stub)
  add_executable(kestrival_netsh_stub ${PROJECT_SOURCE_DIR}/tests/resources/windows/netsh_stub.c)
  set_target_properties(kestrival_netsh_stub PROPERTIES OUTPUT_NAME netsh
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests/resources/windows)
  target_compile_options(kestrival_netsh_stub PRIVATE -Wall -Wextra -Wpedantic)
  if(KESTRIVAL_WERROR)
    target_compile_options(kestrival_netsh_stub PRIVATE -Werror)
  endif()
  target_link_options(kestrival_netsh_stub PRIVATE -static)
endfunction()

# kestrival_windows_package_tests(setup.exe portable.zip)
function(kestrival_windows_package_tests setup zip)
  kestrival_netsh_stub()
  set(dir ${PROJECT_SOURCE_DIR}/tests/resources/windows)
  set(bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  set(env "KESTRIVAL_SOURCE_DIR=${PROJECT_SOURCE_DIR};KESTRIVAL_BINARY_DIR=${PROJECT_BINARY_DIR}")

  add_test(NAME windows_imports COMMAND bash ${dir}/imports_test.sh ${bin})
  set_tests_properties(windows_imports PROPERTIES LABELS package TIMEOUT 60 SKIP_RETURN_CODE 77
                                                  ENVIRONMENT "${env}")

  add_test(NAME windows_portable_zip
           COMMAND bash ${dir}/portable_zip_test.sh ${zip} ${bin} ${PROJECT_VERSION})
  set_tests_properties(windows_portable_zip PROPERTIES LABELS package TIMEOUT 60
                                                       SKIP_RETURN_CODE 77 ENVIRONMENT "${env}")

  add_test(NAME windows_installer
           COMMAND bash ${dir}/installer_test.sh ${setup} ${bin}
                   $<TARGET_FILE:kestrival_netsh_stub> ${PROJECT_VERSION})
  set_tests_properties(windows_installer PROPERTIES LABELS "package;wine" TIMEOUT 300
                                                    SKIP_RETURN_CODE 77 ENVIRONMENT "${env}")

  # --help, --version and a bad option of every program, as on Linux.
  add_test(NAME windows_program_options
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/programs/options_test.sh ${bin}
                   ${PROJECT_SOURCE_DIR}/scripts/wine-run)
  set_tests_properties(windows_program_options PROPERTIES LABELS "unit;wine" TIMEOUT 300
                                                          SKIP_RETURN_CODE 77 ENVIRONMENT "${env}")

  add_test(NAME windows_user_settings COMMAND bash ${dir}/user_settings_test.sh ${bin})
  set_tests_properties(windows_user_settings PROPERTIES LABELS wine TIMEOUT 300
                                                        SKIP_RETURN_CODE 77 ENVIRONMENT "${env}")
endfunction()
