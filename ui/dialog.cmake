# The main dialog (widgets): the player window with its layout, chrome and message routing.
# Needs the browser engine (map view), the controls, the playback and the recording list; the
# shell library (single-instance mark, about box) comes from app/.

add_library(vindrel_dialog STATIC
  ${CMAKE_CURRENT_LIST_DIR}/UiStrings.h
  ${CMAKE_CURRENT_LIST_DIR}/ListViewAdapter.h ${CMAKE_CURRENT_LIST_DIR}/ListViewAdapter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VindrelDlg.h ${CMAKE_CURRENT_LIST_DIR}/VindrelDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VindrelDlgLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowChrome.h ${CMAKE_CURRENT_LIST_DIR}/WindowChrome.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Statics.h ${CMAKE_CURRENT_LIST_DIR}/Statics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlaybackController.h ${CMAKE_CURRENT_LIST_DIR}/PlaybackController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogServices.h ${CMAKE_CURRENT_LIST_DIR}/DialogServices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TripView.h ${CMAKE_CURRENT_LIST_DIR}/TripView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowLog.h ${CMAKE_CURRENT_LIST_DIR}/WindowLog.cpp
)
vindrel_folder_include(vindrel_dialog PUBLIC ui)
target_link_libraries(vindrel_dialog PUBLIC
  vindrel_layout vindrel_map vindrel_controls vindrel_playback vindrel_recordings vindrel_gps
  vindrel_shell vindrel_skin_resources vindrel_window Qt6::Widgets Qt6::Network)
