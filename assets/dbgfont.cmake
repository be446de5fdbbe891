# The debug console's 8 x 8 font, drawn in the generator's source.
vorn_generator(vorn_gen_dbgfont ${CMAKE_CURRENT_SOURCE_DIR}/dbgfont_gen.cpp)
vorn_asset(SYMBOL g_uc_ZKT_DBG_CHARSET GENERATOR vorn_gen_dbgfont FILE dbgfont.bin)
