# The main dialog (widgets): the player window with its layout, chrome and message routing.
# Needs the browser engine (map view), the controls, the playback and the recording list; the
# shell library (single-instance mark, about box) comes from app/.
if(NOT TARGET vindrel_map OR NOT TARGET vindrel_controls OR NOT TARGET vindrel_playback
   OR NOT TARGET vindrel_recordings)
  return()
endif()

add_library(vindrel_dialog STATIC
  ${CMAKE_CURRENT_LIST_DIR}/UiStrings.h
  ${CMAKE_CURRENT_LIST_DIR}/ListViewAdapter.h ${CMAKE_CURRENT_LIST_DIR}/ListViewAdapter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VindrelDlg.h ${CMAKE_CURRENT_LIST_DIR}/VindrelDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VindrelDlgLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowChrome.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VindrelDlgPlayback.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TripView.h ${CMAKE_CURRENT_LIST_DIR}/TripView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowLog.h ${CMAKE_CURRENT_LIST_DIR}/WindowLog.cpp
)
target_include_directories(vindrel_dialog PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vindrel_dialog PUBLIC
  vindrel_layout vindrel_map vindrel_controls vindrel_playback vindrel_recordings vindrel_gps
  vindrel_shell vindrel_skin_resources vindrel_window Qt6::Widgets)
find_package(Qt6 QUIET COMPONENTS Network)
target_link_libraries(vindrel_dialog PUBLIC Qt6::Network)
