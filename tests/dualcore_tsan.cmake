# The queue stress test once more under ThreadSanitizer, built from just the
# second-core sources so it stays quick. Not in the AddressSanitizer build
# (the two sanitizers cannot share a program).
if(NOT VORN_SANITIZE)
  set(_src ${CMAKE_SOURCE_DIR})
  add_executable(dualcore_stress_tsan ${CMAKE_CURRENT_SOURCE_DIR}/dualcore_stress_test.cpp
    ${_src}/lowlevel/desktop/zkt_dualcore.cpp ${_src}/lowlevel/desktop/main940t.cpp
    ${_src}/lowlevel/desktop/zkt_lowLevelWin_state.cpp)
  target_compile_options(dualcore_stress_tsan PRIVATE -fsanitize=thread -fno-omit-frame-pointer -O1 -g1)
  target_link_options(dualcore_stress_tsan PRIVATE -fsanitize=thread)
  target_include_directories(dualcore_stress_tsan PRIVATE ${_src} ${SDL_INCLUDE_DIR})
  target_link_libraries(dualcore_stress_tsan PRIVATE ${SDL_LIBRARY} Threads::Threads GTest::gtest GTest::gtest_main)
  add_test(NAME dualcore_stress_tsan COMMAND dualcore_stress_tsan)
  set_tests_properties(dualcore_stress_tsan PROPERTIES
    ENVIRONMENT "${VORN_TEST_ENV};TSAN_OPTIONS=halt_on_error=1:exitcode=66" TIMEOUT 300)
endif()
