# The profile: a reader's configuration as JSON (nlohmann-json, Debian's nlohmann-json3-dev,
# header-only), its groups bound to the dialog's controls. kestrival-cli reads and writes it, and
# the window programs install it as the dialog's profile format (app/ProfileFormat.h).
include_guard(GLOBAL)
if(NOT TARGET nlohmann_json::nlohmann_json)
  find_package(nlohmann_json 3 REQUIRED)
endif()
add_library(kestrival_profile STATIC
  ${CMAKE_CURRENT_LIST_DIR}/JsonCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Profile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileCatalogue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileRecord.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowProfiles.cpp)
target_include_directories(kestrival_profile PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrival_profile PUBLIC kestrival_app kestrival_params kestrival_i18n
                                               kestrival_platform nlohmann_json::nlohmann_json)
kestrival_target_options(kestrival_profile)
