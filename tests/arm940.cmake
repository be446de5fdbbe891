# The second core's program: the committed words must be what the source
# assembles to (skipped when the cross binutils are missing), and the image
# runs on an emulated core against the main side's queue code.
add_test(NAME arm940.image
  COMMAND bash -c "bash \"$1\" \"$2\" && cmp \"$2\" \"$3\""
    _ ${CMAKE_SOURCE_DIR}/lowlevel/gp2x/arm940/build_image.sh
    ${CMAKE_CURRENT_BINARY_DIR}/arm940_image.inc
    ${CMAKE_SOURCE_DIR}/lowlevel/gp2x/arm940/arm940_image.inc)
set_tests_properties(arm940.image PROPERTIES SKIP_RETURN_CODE 77)

find_package(PkgConfig REQUIRED)
pkg_check_modules(UNICORN IMPORTED_TARGET unicorn)
if(UNICORN_FOUND)
  add_executable(arm940_test ${CMAKE_CURRENT_SOURCE_DIR}/arm940/arm940_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/support/headless.cpp)
  target_include_directories(arm940_test PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(arm940_test PRIVATE PkgConfig::UNICORN GTest::gtest GTest::gtest_main Threads::Threads)
  target_compile_definitions(arm940_test PRIVATE VORN_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VORN_BINARY_DIR="${CMAKE_BINARY_DIR}")
  vorn_test_pch(arm940_test)
  gtest_discover_tests(arm940_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  # The same image as the handheld back end loads it, fed by the back end.
  if(TARGET vorn_gp2x)
    add_executable(arm940_gp2x_test ${CMAKE_CURRENT_SOURCE_DIR}/arm940/arm940_gp2x_test.cpp
      ${CMAKE_CURRENT_SOURCE_DIR}/support/headless.cpp)
    vorn_link_gp2x(arm940_gp2x_test)
    target_link_libraries(arm940_gp2x_test PRIVATE PkgConfig::UNICORN GTest::gtest GTest::gtest_main)
    target_compile_definitions(arm940_gp2x_test PRIVATE VORN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
      VORN_BINARY_DIR="${CMAKE_BINARY_DIR}")
    vorn_test_pch(arm940_gp2x_test)
    gtest_discover_tests(arm940_gp2x_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  endif()
else()
  message(WARNING "unicorn not found: the second core's program is not run in an emulator")
endif()
