# What the Windows build (cmake/mingw-w64-x86_64.cmake) needs besides the cross compiler: the C++
# runtime linked into every program, GoogleTest built from Debian's sources with the cross
# compiler, and the header-only JSON library without the rest of the build machine's headers.

# Programs that import only system DLLs: libstdc++, libgcc and winpthread linked statically.
add_link_options(-static -static-libgcc -static-libstdc++)
# Released programs without their symbols: a third of the size to download.
add_link_options($<$<CONFIG:Release>:-s>)
# -O2: at -O3 gcc 12 warns falsely of overlapping copies inside std::string (-Wrestrict).
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "" FORCE)
# Windows 10 and later; the W functions.
add_compile_definitions(_WIN32_WINNT=0x0A00 WINVER=0x0A00 UNICODE _UNICODE NOMINMAX
                        WIN32_LEAN_AND_MEAN)

set(KESTRIVAL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources (googletest)")
if(NOT EXISTS ${KESTRIVAL_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest's sources are missing: apt-get install googletest")
endif()
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${KESTRIVAL_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${t})
    add_library(GTest::${t} ALIAS ${t})
  endif()
endforeach()

# nlohmann-json is header-only: its folder is copied out of /usr/include, so that the build
# machine's C library headers never enter the cross build.
set(kestrival_host_headers ${PROJECT_BINARY_DIR}/host-include)
file(COPY /usr/include/nlohmann DESTINATION ${kestrival_host_headers})
add_library(nlohmann_json INTERFACE)
target_include_directories(nlohmann_json SYSTEM INTERFACE ${kestrival_host_headers})
add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json)
