# Tests of the player window on a real display: the real media engine and browser.

add_executable(vindrel_dialog_tests
  ${CMAKE_CURRENT_LIST_DIR}/dialog_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogHarness.h
  ${CMAKE_CURRENT_LIST_DIR}/DialogStartTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChromeTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScreenshotTest.cpp
)
target_link_libraries(vindrel_dialog_tests PRIVATE vindrel_dialog vindrel_shell vindrel_test_support Qt6::Test GTest::gtest)
target_compile_definitions(vindrel_dialog_tests PRIVATE
  VINDREL_SCREENSHOT_DIR="${PROJECT_BINARY_DIR}/screenshots")
gtest_discover_tests(vindrel_dialog_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120)

# The single-instance mark on X servers of the tests' own, and the real program started twice.
add_executable(vindrel_single_instance_tests
  ${CMAKE_CURRENT_LIST_DIR}/single_instance_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/XvfbServer.h
  ${CMAKE_CURRENT_LIST_DIR}/SingleInstanceTest.cpp
)
target_link_libraries(vindrel_single_instance_tests PRIVATE vindrel_shell GTest::gtest)
target_compile_definitions(vindrel_single_instance_tests PRIVATE VINDREL_BINARY="$<TARGET_FILE:vindrel>")
add_dependencies(vindrel_single_instance_tests vindrel)
gtest_discover_tests(vindrel_single_instance_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120)

# Playing recordings: the map state, playback control and the periodic update, the list commands
# and the command line, on the real engine and browser with recordings made for the test, and
# on the scripted engine where time must be exact.
add_executable(vindrel_playing_tests
  ${CMAKE_CURRENT_LIST_DIR}/dialog_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogHarness.h
  ${CMAKE_CURRENT_LIST_DIR}/PlayingHarness.h
  ${CMAKE_CURRENT_LIST_DIR}/PlayingTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlayingFakeEngineTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TripsTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/FakeEngine.cpp
)
target_link_libraries(vindrel_playing_tests PRIVATE vindrel_dialog vindrel_shell vindrel_test_support Qt6::Test GTest::gtest)
target_compile_definitions(vindrel_playing_tests PRIVATE
  VINDREL_SAMPLE_TOOL="${PROJECT_SOURCE_DIR}/tools/make-sample-recording")

# What the X server shows of the playing window: no other test's window may stand over it, so
# these run alone.
add_executable(vindrel_screen_tests
  ${CMAKE_CURRENT_LIST_DIR}/dialog_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogHarness.h
  ${CMAKE_CURRENT_LIST_DIR}/VideoOnScreenTest.cpp
)
target_link_libraries(vindrel_screen_tests PRIVATE vindrel_dialog vindrel_shell vindrel_test_support Qt6::Test GTest::gtest)
target_compile_definitions(vindrel_screen_tests PRIVATE
  VINDREL_ENGINE_FIXTURES="${PROJECT_BINARY_DIR}/tests/playback/engine/fixtures")
add_dependencies(vindrel_screen_tests engine_test_fixtures)
gtest_discover_tests(vindrel_screen_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
gtest_discover_tests(vindrel_playing_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 60)
# The same window on the software render path, which a display without X11 windows gets: a
# recording plays to its end and the next one, a dropped one, opens.
add_test(NAME playing.render_path COMMAND vindrel_playing_tests
  --gtest_filter=Playing.OneRecordingOnTheCommandLine*:Playing.APathWithABlankOnTheCommandLine*)
set_tests_properties(playing.render_path PROPERTIES TIMEOUT 120 ENVIRONMENT VINDREL_VIDEO_OUTPUT=render)
