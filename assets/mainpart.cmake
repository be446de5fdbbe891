# The main part's pictures: six backgrounds, the logo dissolve map and the
# text overlay's font.
vorn_generator(vorn_gen_backgrounds backgrounds.cpp)
foreach(i 1 2 3 4 5 6)
  vorn_asset(SYMBOL BMP_YUV${i} GENERATOR vorn_gen_backgrounds FILE yuv${i}.yuy2 ARGS ${i})
endforeach()

find_package(Freetype REQUIRED)
find_file(VORN_TYPE_FONT DejaVuSans-Bold.ttf PATHS /usr/share/fonts/truetype/dejavu REQUIRED NO_DEFAULT_PATH)
vorn_generator(vorn_gen_type vorn_type.cpp)
target_link_libraries(vorn_gen_type PRIVATE Freetype::Freetype)
vorn_asset(SYMBOL BMP_VORNLOGO GENERATOR vorn_gen_type FILE vornlogo.bin ARGS logo ${VORN_TYPE_FONT}
  DEPENDS ${VORN_TYPE_FONT})
vorn_asset(SYMBOL BMP_TEXTFONT GENERATOR vorn_gen_type FILE textfont.bin ARGS font ${VORN_TYPE_FONT}
  DEPENDS ${VORN_TYPE_FONT} ${CMAKE_CURRENT_SOURCE_DIR}/textfont.h)
