# The capture run is part of vorn-capture, not of a library. The slow pass
# also compares over the whole presentation.
if(TARGET capture_run_test)
  target_sources(capture_run_test PRIVATE ${CMAKE_SOURCE_DIR}/runtime/capture/capture_run.cpp)
  add_test(NAME capture.run-whole-show COMMAND capture_run_test)
  set_tests_properties(capture.run-whole-show PROPERTIES ENVIRONMENT VORN_CAPTURE_WHOLE_SHOW=1 LABELS slow
    TIMEOUT 900)
endif()
