# The capture run is part of vorn-capture, not of a library. The slow pass
# also compares over the whole presentation.
if(TARGET vorn_desktop_tests)
  target_sources(vorn_desktop_tests PRIVATE ${CMAKE_SOURCE_DIR}/runtime/capture/capture_run.cpp)
  add_test(NAME capture.run-whole-show COMMAND vorn_desktop_tests --gtest_filter=CaptureRun.*)
  set_tests_properties(capture.run-whole-show PROPERTIES ENVIRONMENT VORN_CAPTURE_WHOLE_SHOW=1 LABELS slow
    TIMEOUT 900)
endif()
