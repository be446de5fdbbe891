# The pictured handheld around the emulated LCD and the window icon.
vorn_generator(vorn_gen_handheld gen_handheld.cpp)
vorn_asset(SYMBOL BMP_GP2XW32 GENERATOR vorn_gen_handheld FILE gp2xw32.raw ARGS skin)
vorn_asset(SYMBOL DEMOICON GENERATOR vorn_gen_handheld FILE demoicon.raw ARGS icon)
