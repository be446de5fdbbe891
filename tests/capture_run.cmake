# The capture run is part of vorn-capture, not of a library.
if(TARGET capture_run_test)
  target_sources(capture_run_test PRIVATE ${CMAKE_SOURCE_DIR}/runtime/capture/capture_run.cpp)
endif()
