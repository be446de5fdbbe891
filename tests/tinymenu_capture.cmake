# The capture test runs the vorn-capture program.
if(TARGET tinymenu_capture_test AND TARGET vorn-capture)
  add_dependencies(tinymenu_capture_test vorn-capture)
endif()
