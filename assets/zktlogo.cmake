# The maker's logo for the splash part, as run-length codes.
vorn_generator(zktlogo_gen zktlogo_gen.cpp)
vorn_asset(SYMBOL BMP_ZKT_LOGO GENERATOR zktlogo_gen FILE zkt_logo.bin)
