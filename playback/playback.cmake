# Presentation: libmpv (loaded at run time, never linked), the movie wrapper, the video view and
# screenshots. Only libmpv's headers are needed to build.
find_path(MPV_INCLUDE_DIR mpv/client.h)

# Bitmaps and the bitmap file format: no Qt at all.
add_library(vindrel_bitmap STATIC Bitmap.cpp)
target_include_directories(vindrel_bitmap PUBLIC ${PROJECT_SOURCE_DIR})

set(vindrel_playback_sources
  MpvLibrary.cpp
  MpvPlayer.cpp
  RealEngine.cpp
  VideoOutput.cpp
  EngineLog.cpp
)
foreach(extra EngineStartup.cpp QuickTime.cpp VideoView.cpp Screenshot.cpp FrameCommand.cpp)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${extra})
    list(APPEND vindrel_playback_sources ${extra})
  endif()
endforeach()
add_library(vindrel_playback STATIC ${vindrel_playback_sources})
target_include_directories(vindrel_playback PUBLIC ${PROJECT_SOURCE_DIR} ${MPV_INCLUDE_DIR})
target_link_libraries(vindrel_playback PUBLIC Qt6::Widgets vindrel_engine_core vindrel_bitmap ${CMAKE_DL_LIBS})
# The stop picture comes from the skin's pictures when they are built.
target_link_libraries(vindrel_playback PRIVATE $<TARGET_NAME_IF_EXISTS:vindrel_controls_core>)
target_compile_definitions(vindrel_playback PRIVATE $<$<TARGET_EXISTS:vindrel_controls_core>:VINDREL_HAVE_SKIN=1>)
