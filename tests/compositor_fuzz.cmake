# The minute-long compositor fuzz run, in the sanitizer build only: that is
# where a stray read or an overflow shows. The default run stays short.
if(VORN_SANITIZE)
  add_test(NAME compositor_fuzz_long COMMAND vorn_desktop_tests --gtest_filter=CompositorFuzz.*)
  set_tests_properties(compositor_fuzz_long PROPERTIES
    ENVIRONMENT "VORN_LONG_FUZZ=1;SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy"
    LABELS fuzz TIMEOUT 900 COST 60)
endif()
