# Presentation: libmpv (loaded at run time, never linked), the movie wrapper, the video view and
# screenshots. Only libmpv's headers are needed to build.
vindrel_require_header(MPV_INCLUDE_DIR mpv/client.h "libmpv's headers" libmpv-dev)

# Bitmaps and the bitmap file format: no Qt at all.
add_library(vindrel_bitmap STATIC Bitmap.cpp)
vindrel_folder_include(vindrel_bitmap PUBLIC playback)

add_library(vindrel_playback STATIC
  MpvLibrary.cpp
  MpvPlayer.cpp
  RealEngine.cpp
  VideoOutput.cpp
  EngineLog.cpp
  EngineStartup.cpp
  QuickTime.cpp
  VideoView.cpp
  Screenshot.cpp
  FrameCommand.cpp
)
vindrel_folder_include(vindrel_playback PUBLIC playback)
target_include_directories(vindrel_playback PUBLIC ${MPV_INCLUDE_DIR})
target_link_libraries(vindrel_playback PUBLIC Qt6::Widgets vindrel_engine_core vindrel_bitmap ${CMAKE_DL_LIBS})
# The stop picture comes from the skin's pictures.
target_link_libraries(vindrel_playback PRIVATE vindrel_controls_core)
