# Whole-program checks of Vorn.gpe built here: it refuses to touch physical
# memory off the handheld, and runs on the simulated chip only when asked.
if(TARGET Vorn.gpe)
  foreach(case refuses help simulated-run simulated-pal)
    add_test(NAME gp2x_program.${case}
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/gp2x_program_test.sh $<TARGET_FILE:Vorn.gpe> ${case})
  endforeach()
  set_tests_properties(gp2x_program.simulated-run gp2x_program.simulated-pal PROPERTIES TIMEOUT 120 COST 7)
endif()
