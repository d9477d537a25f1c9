# The needle table generator, run at build time by controls/CMakeLists.txt. Plain C++, so the
# table is the same wherever it is built.
add_executable(vindrel_needle_gen ${CMAKE_CURRENT_LIST_DIR}/NeedleGen.cpp)
