# The frame oracle once more on each compositor kernel path (a path this
# processor lacks falls back to the best it has). The sanitizer build leaves
# them out: there the fuzz test composes every state on every path.
if(NOT VORN_SANITIZE)
  foreach(path scalar sse2 avx2)
    add_test(NAME frame_oracle.${path} COMMAND vorn_desktop_tests --gtest_filter=FrameOracle.*)
    set_tests_properties(frame_oracle.${path} PROPERTIES
      ENVIRONMENT "VORN_KERNELS=${path};SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy" TIMEOUT 300)
  endforeach()
endif()
