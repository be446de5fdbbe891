# Renders the music through the presentation's own mixer path into a WAV
# file (for the listening excerpt in docs/).
add_executable(vorn_render_music ${CMAKE_SOURCE_DIR}/runtime/main_render_music.cpp)
vorn_link_desktop(vorn_render_music)
