# vorn-capture: the presentation on a virtual clock, to pictures and sound.
add_executable(vorn-capture ${CMAKE_SOURCE_DIR}/runtime/main_capture.cpp
  ${CMAKE_SOURCE_DIR}/runtime/capture/capture_args.cpp
  ${CMAKE_SOURCE_DIR}/runtime/capture/capture_run.cpp
  ${CMAKE_SOURCE_DIR}/runtime/capture/capture_out.cpp
  ${CMAKE_SOURCE_DIR}/runtime/capture/capture_scale.cpp)
vorn_link_desktop(vorn-capture)

# Video files (.mkv, .mp4) through FFmpeg's libraries, when they are there;
# without them the capture writes pictures and WAV only.
option(VORN_VIDEO "vorn-capture writes video files (needs FFmpeg's libraries)" ON)
if(VORN_VIDEO)
  find_package(PkgConfig)
  if(PkgConfig_FOUND)
    pkg_check_modules(VORN_FFMPEG IMPORTED_TARGET libavformat libavcodec libavutil libswscale libswresample)
  endif()
  if(VORN_FFMPEG_FOUND)
    target_sources(vorn-capture PRIVATE ${CMAKE_SOURCE_DIR}/runtime/capture/capture_video.cpp
      ${CMAKE_SOURCE_DIR}/runtime/capture/capture_video_queue.cpp)
    target_link_libraries(vorn-capture PRIVATE PkgConfig::VORN_FFMPEG)
    target_compile_definitions(vorn-capture PRIVATE VORN_HAVE_VIDEO=1)
  else()
    message(STATUS "FFmpeg's libraries not found: vorn-capture without video files")
  endif()
endif()
