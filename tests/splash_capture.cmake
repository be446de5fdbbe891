# The splash capture test runs vorn-capture; build it first.
if(TARGET splash_capture_test AND TARGET vorn-capture)
  add_dependencies(splash_capture_test vorn-capture)
endif()
