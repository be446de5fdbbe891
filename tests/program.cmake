# Whole-program checks of Vorn.exe, run through a shell script.
foreach(case help no-display)
  add_test(NAME program.${case} COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/program_test.sh $<TARGET_FILE:Vorn.exe> ${case})
endforeach()
# Runs the real 126-second timeline and records its sound; labelled slow so
# the sanitizer pass can skip it.
add_test(NAME program.full-run COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/program_test.sh $<TARGET_FILE:Vorn.exe> full-run)
set_tests_properties(program.full-run PROPERTIES LABELS slow TIMEOUT 260)
