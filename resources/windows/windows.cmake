# What the Windows build delivers besides bin/: the installer kestrival-<version>-setup.exe (NSIS,
# resources/windows/installer.nsi) and the portable zip kestrival-<version>-portable.zip (a folder
# kestrival-<version>/ with the five programs and language.csv), both part of the default build;
# and their tests (tests/resources/windows/tests.cmake).
find_program(KESTRIVAL_MAKENSIS makensis)
if(NOT KESTRIVAL_MAKENSIS)
  message(FATAL_ERROR "makensis is missing (the installer): apt-get install nsis")
endif()

include(${PROJECT_SOURCE_DIR}/tests/resources/windows/tests.cmake)

# The programs' targets are made later (programs/): the packages are added once the whole tree
# has been read, in the top folder's scope. Both need all five programs; without one, neither is
# built and the tests say so.
function(kestrival_windows_packages)
  set(KESTRIVAL_WINDOWS_PROGRAMS kestrival kestrival-demo kestrival-cli kestrival-headless
      kestrival-sim)
  set(KESTRIVAL_SETUP ${PROJECT_BINARY_DIR}/kestrival-${PROJECT_VERSION}-setup.exe)
  set(KESTRIVAL_PORTABLE_ZIP ${PROJECT_BINARY_DIR}/kestrival-${PROJECT_VERSION}-portable.zip)
  kestrival_windows_package_tests(${KESTRIVAL_SETUP} ${KESTRIVAL_PORTABLE_ZIP})

  set(missing)
  foreach(p ${KESTRIVAL_WINDOWS_PROGRAMS})
    if(NOT TARGET ${p})
      list(APPEND missing ${p})
    endif()
  endforeach()
  if(missing)
    list(JOIN missing ", " missing)
    message(WARNING "The Windows build makes no ${missing}: no installer and no portable zip")
    return()
  endif()

  set(bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  set(files)
  foreach(p ${KESTRIVAL_WINDOWS_PROGRAMS})
    list(APPEND files ${bin}/${p}.exe)
  endforeach()
  list(APPEND files ${bin}/language.csv)
  # The installer's and the uninstaller's icon: icon group 128 of the programs, when the native
  # build has written it (programs/kestrival-windows.cmake); else NSIS's own.
  set(icon)
  if(KESTRIVAL_ICON AND EXISTS ${KESTRIVAL_ICON})
    set(icon -DICON=${KESTRIVAL_ICON})
  endif()
  set(nsi ${PROJECT_SOURCE_DIR}/resources/windows/installer.nsi)
  set(strict)
  if(KESTRIVAL_WERROR)
    set(strict -WX)
  endif()

  # Written under another name first, so that a failed run leaves no installer behind.
  add_custom_command(
    OUTPUT ${KESTRIVAL_SETUP}
    COMMAND ${KESTRIVAL_MAKENSIS} -V2 ${strict} -DVERSION=${PROJECT_VERSION} -DBINDIR=${bin}
            -DOUTFILE=${KESTRIVAL_SETUP}.tmp ${icon} ${nsi}
    COMMAND ${CMAKE_COMMAND} -E rename ${KESTRIVAL_SETUP}.tmp ${KESTRIVAL_SETUP}
    DEPENDS ${nsi} ${KESTRIVAL_WINDOWS_PROGRAMS} ${files} kestrival_language_csv
    COMMENT "Building the installer kestrival-${PROJECT_VERSION}-setup.exe"
    VERBATIM)
  add_custom_target(kestrival_installer ALL DEPENDS ${KESTRIVAL_SETUP})

  set(stage ${PROJECT_BINARY_DIR}/portable)
  set(folder kestrival-${PROJECT_VERSION})
  add_custom_command(
    OUTPUT ${KESTRIVAL_PORTABLE_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/${folder}
    COMMAND ${CMAKE_COMMAND} -E copy ${files} ${stage}/${folder}
    COMMAND ${CMAKE_COMMAND} -E chdir ${stage}
            ${CMAKE_COMMAND} -E tar cf ${KESTRIVAL_PORTABLE_ZIP}.tmp --format=zip ${folder}
    COMMAND ${CMAKE_COMMAND} -E rename ${KESTRIVAL_PORTABLE_ZIP}.tmp ${KESTRIVAL_PORTABLE_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    DEPENDS ${KESTRIVAL_WINDOWS_PROGRAMS} ${files} kestrival_language_csv
    COMMENT "Packing kestrival-${PROJECT_VERSION}-portable.zip"
    VERBATIM)
  add_custom_target(kestrival_portable_zip ALL DEPENDS ${KESTRIVAL_PORTABLE_ZIP})
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL kestrival_windows_packages)
