# The skin generator. Built with the project so it keeps compiling, but never run by the build:
# its output (resources/bitmaps/*.png, resources/vindrel.qrc) is committed. After changing a
# picture run: vindrel_skin_gen <source>/resources
add_executable(vindrel_skin_gen ${CMAKE_CURRENT_LIST_DIR}/SkinGen.cpp)
target_link_libraries(vindrel_skin_gen PRIVATE Qt6::Gui)
