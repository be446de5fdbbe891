# The set-up script installs only build and run packages unless asked for
# the test tools.
add_test(NAME setup.install-deps COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/setup_test.sh
  ${CMAKE_SOURCE_DIR}/scripts/install-deps.sh)
