# vorn-capture end to end.
foreach(case repeatable exact-audio at-equals-range errors disk-full outputs signals)
  add_test(NAME capture.${case} COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/capture_test.sh $<TARGET_FILE:vorn-capture> ${case})
endforeach()
add_test(NAME capture.whole COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/capture_test.sh $<TARGET_FILE:vorn-capture> whole)
set_tests_properties(capture.whole PROPERTIES LABELS slow TIMEOUT 900)
