# The music renderer's arguments and failures.
add_test(NAME render_music.arguments-and-failures
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/render_music_test.sh $<TARGET_FILE:vorn_render_music>)
