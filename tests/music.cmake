# The music as a user meets it: extraction and two independent players (the
# whole run with its sound recorded is program.full-run).
set(VORN_MODULE_FILE ${VORN_ASSET_DIR}/amber_drift.it)
foreach(case extract extract-fails no-sound openmpt123 xmp)
  add_test(NAME music.${case} COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/music_program_test.sh
    $<TARGET_FILE:Vorn.exe> ${VORN_MODULE_FILE} ${case})
  set_tests_properties(music.${case} PROPERTIES SKIP_RETURN_CODE 77)
endforeach()
