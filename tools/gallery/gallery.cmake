# A window showing every skinned control with made-up data, to look at them before the main window
# exists: vindrel_gallery [--screenshot <file.png>]
add_executable(vindrel_gallery ${CMAKE_CURRENT_LIST_DIR}/Gallery.cpp)
target_link_libraries(vindrel_gallery PRIVATE vindrel_controls Qt6::Widgets)
