# vorn-capture's video files, checked with ffprobe and ffmpeg.
if(VORN_FFMPEG_FOUND)
  add_test(NAME capture.video COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/capture_video_test.sh
    $<TARGET_FILE:vorn-capture>)
  set_tests_properties(capture.video PROPERTIES TIMEOUT 300 COST 18)
endif()
