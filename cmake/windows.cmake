# 64-bit Windows (cross build, see mingw-w64.cmake): SDL 1.2 and libmikmod
# are built from Debian's source packages into the build folder, and the
# programs are linked statically, so the folder holds only the programs.
set(VORN_WINDOWS_DEPS ${CMAKE_BINARY_DIR}/windows-deps)
execute_process(
  COMMAND bash ${CMAKE_SOURCE_DIR}/cmake/windows/build-deps.sh ${VORN_WINDOWS_DEPS} ${CMAKE_TOOLCHAIN_FILE}
  RESULT_VARIABLE vorn_deps_result)
if(NOT vorn_deps_result EQUAL 0)
  message(FATAL_ERROR "SDL 1.2 and libmikmod for Windows could not be built")
endif()
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/cmake/windows/build-deps.sh ${CMAKE_SOURCE_DIR}/cmake/windows/sdlmain-working-directory.patch)

set(VORN_WINDOWS_PREFIX ${VORN_WINDOWS_DEPS}/prefix)
set(SDL_INCLUDE_DIR ${VORN_WINDOWS_PREFIX}/include/SDL ${VORN_WINDOWS_PREFIX}/include)
set(SDL_LIBRARY ${VORN_WINDOWS_PREFIX}/lib/libSDL.a user32 gdi32 winmm dxguid)
set(MIKMOD_INCLUDE ${VORN_WINDOWS_PREFIX}/include)
set(MIKMOD_STATIC ${VORN_WINDOWS_PREFIX}/lib/libmikmod.a dsound)
# M_PI and friends, which glibc offers by default.
add_compile_definitions(MIKMOD_STATIC _USE_MATH_DEFINES)
# The capture tool writes pictures and WAV only here.
set(VORN_VIDEO OFF)
add_link_options(-static -static-libgcc -static-libstdc++)

# Vorn.exe starts in SDLmain, which writes standard output and standard
# error into files; the capture tool is a console program with its own main.
function(vorn_windows_programs)
  if(TARGET Vorn.exe)
    set_target_properties(Vorn.exe PROPERTIES OUTPUT_NAME Vorn WIN32_EXECUTABLE ON)
    target_link_libraries(Vorn.exe PRIVATE mingw32 ${VORN_WINDOWS_PREFIX}/lib/libSDLmain.a ${SDL_LIBRARY})
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL vorn_windows_programs)
