# vorn-capture: the presentation on a virtual clock, to pictures and sound.
add_executable(vorn-capture ${CMAKE_SOURCE_DIR}/runtime/main_capture.cpp)
vorn_link_desktop(vorn-capture)
