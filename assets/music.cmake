# The music: "Amber Drift", composed from the score by our own generator,
# which also synthesises every instrument.
vorn_generator(vorn_gen_music music.cpp music_score.cpp music_arrange.cpp music_synth.cpp music_itwriter.cpp)
# Every file starts with the generator's header (the standard library's
# streams, strings and containers): parsed once.
target_precompile_headers(vorn_gen_music PRIVATE music_gen.h)
vorn_asset(SYMBOL g_MUSIC_MAIN GENERATOR vorn_gen_music FILE amber_drift.it
  ARGS ${CMAKE_CURRENT_SOURCE_DIR}/amber_drift.score
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/amber_drift.score)
