# vorn-capture end to end.
foreach(case repeatable exact-audio at-equals-range errors disk-full outputs signals)
  add_test(NAME capture.${case} COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/capture_test.sh $<TARGET_FILE:vorn-capture> ${case})
endforeach()
set_tests_properties(capture.at-equals-range PROPERTIES COST 10)
# The whole show is checked in memory: its sound by the frame oracle, its
# frames by capture.run-whole-show.
