# Vorn.exe's viewer keys in its real window under Xvfb, one test per group
# of behaviours (see the script).
foreach(group window clock)
  add_test(NAME viewer.xvfb-${group}
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/viewer_xvfb.sh $<TARGET_FILE:Vorn.exe> $<TARGET_FILE:vorn-capture> ${group})
  # Alone: it runs in real time and reads the window's timing.
  set_tests_properties(viewer.xvfb-${group} PROPERTIES LABELS slow TIMEOUT 120 RUN_SERIAL ON)
endforeach()
