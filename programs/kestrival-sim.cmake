# kestrival-sim: one simulated reader on real UDP, for the network-namespace lab.
add_executable(kestrival-sim ${CMAKE_CURRENT_LIST_DIR}/kestrival-sim.cpp)
target_link_libraries(kestrival-sim PRIVATE kestrival_sim)
kestrival_target_options(kestrival-sim)
