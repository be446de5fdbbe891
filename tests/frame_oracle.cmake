# The frame oracle runs the capture's own machinery in process.
if(TARGET frame_oracle_test)
  target_sources(frame_oracle_test PRIVATE ${CMAKE_SOURCE_DIR}/runtime/capture/capture_run.cpp)
endif()
