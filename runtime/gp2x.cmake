# The handheld build. Built here it runs only on the simulated chip, and
# only with VORN_SIMULATED_CHIP=1 in the environment.
if(TARGET vorn_gp2x)
  add_executable(Vorn.gpe ${CMAKE_SOURCE_DIR}/runtime/main_gp2x.cpp)
  vorn_link_gp2x(Vorn.gpe)
endif()
