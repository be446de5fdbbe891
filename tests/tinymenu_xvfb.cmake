# Vorn.exe in its real window under Xvfb: keypad + and Page Down pressed
# through the X server, pictures taken, then leaving through the menu.
add_test(NAME tinymenu.xvfb
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/tinymenu_screenshots.sh $<TARGET_FILE:Vorn.exe>
    ${CMAKE_CURRENT_BINARY_DIR}/tinymenu_shots)
# Alone: it runs in real time, and a loaded machine would stretch its frames.
set_tests_properties(tinymenu.xvfb PROPERTIES LABELS slow TIMEOUT 120 RUN_SERIAL ON)
