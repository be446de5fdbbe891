# The splash and tiny menu capture tests run the vorn-capture program; build
# it first.
add_dependencies(vorn_desktop_tests vorn-capture)
