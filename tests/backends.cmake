# The two back ends compared: the handheld one runs the comparison scenes
# on the simulated chip (vorn-gp2x-snap), the desktop test reads its
# registers and video memory back and composes them.
if(TARGET vorn_gp2x)
  add_executable(vorn-gp2x-snap ${CMAKE_CURRENT_SOURCE_DIR}/backends/gp2x_snap.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/backends/scene.cpp)
  target_include_directories(vorn-gp2x-snap PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  vorn_link_gp2x(vorn-gp2x-snap)

  add_executable(backends_diff_test ${CMAKE_CURRENT_SOURCE_DIR}/backends/backends_diff_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/backends/scene.cpp ${CMAKE_CURRENT_SOURCE_DIR}/backends/snap_decode.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/support/headless.cpp)
  vorn_link_desktop(backends_diff_test)
  target_link_libraries(backends_diff_test PRIVATE GTest::gtest GTest::gtest_main)
  target_include_directories(backends_diff_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_definitions(backends_diff_test PRIVATE VORN_BINARY_DIR="${CMAKE_BINARY_DIR}"
    VORN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    VORN_GP2X_SNAP="$<TARGET_FILE:vorn-gp2x-snap>")
  add_dependencies(backends_diff_test vorn-gp2x-snap)
  vorn_test_pch(backends_diff_test)
  gtest_discover_tests(backends_diff_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endif()
