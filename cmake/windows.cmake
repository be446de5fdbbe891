# 64-bit Windows (cross build, see mingw-w64.cmake): SDL 1.2 and libmikmod
# are compiled from Debian's source packages as libraries of this build, so
# their files compile side by side with ours, and the programs are linked
# statically, so the folder holds only the programs.
set(VORN_WINDOWS_DEPS ${CMAKE_BINARY_DIR}/windows-deps)
foreach(pkg libsdl1.2 libmikmod)
  execute_process(
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/fetch-debian-source.sh ${pkg} ${VORN_WINDOWS_DEPS}/src
    OUTPUT_VARIABLE dir OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT IS_DIRECTORY "${dir}")
    message(FATAL_ERROR "Debian's source package ${pkg} could not be fetched")
  endif()
  set(src_${pkg} ${dir})
endforeach()
set(SDL ${src_libsdl1.2}/src)
set(MM ${src_libmikmod})

# The licences travel with the programs (scripts/windows-zip.sh).
file(MAKE_DIRECTORY ${VORN_WINDOWS_DEPS}/licences)
configure_file(${src_libsdl1.2}/COPYING ${VORN_WINDOWS_DEPS}/licences/SDL-1.2.txt COPYONLY)
configure_file(${MM}/COPYING.LIB ${VORN_WINDOWS_DEPS}/licences/libmikmod.txt COPYONLY)

# SDL's headers as <SDL/...>, with the settings of cmake/windows/SDL_config.h
# in place of what SDL's configure script would write.
file(GLOB sdl_headers ${src_libsdl1.2}/include/*.h)
file(COPY ${sdl_headers} DESTINATION ${VORN_WINDOWS_DEPS}/include/SDL)
configure_file(${CMAKE_SOURCE_DIR}/cmake/windows/SDL_config.h ${VORN_WINDOWS_DEPS}/include/SDL/SDL_config.h COPYONLY)

# The sources for the drivers SDL_config.h names; files that compile to
# nothing for this target (other processors, other compilers, the C
# library's own malloc) are left out.
add_library(vorn_sdl STATIC
  ${SDL}/SDL.c ${SDL}/SDL_error.c ${SDL}/SDL_fatal.c
  ${SDL}/audio/SDL_audio.c ${SDL}/audio/SDL_audiocvt.c ${SDL}/audio/SDL_mixer.c ${SDL}/audio/SDL_wave.c
  ${SDL}/audio/disk/SDL_diskaudio.c ${SDL}/audio/dummy/SDL_dummyaudio.c
  ${SDL}/audio/windib/SDL_dibaudio.c ${SDL}/audio/windx5/SDL_dx5audio.c
  ${SDL}/cdrom/SDL_cdrom.c ${SDL}/cdrom/dummy/SDL_syscdrom.c
  ${SDL}/cpuinfo/SDL_cpuinfo.c
  ${SDL}/events/SDL_active.c ${SDL}/events/SDL_events.c ${SDL}/events/SDL_expose.c ${SDL}/events/SDL_keyboard.c
  ${SDL}/events/SDL_mouse.c ${SDL}/events/SDL_quit.c ${SDL}/events/SDL_resize.c
  ${SDL}/file/SDL_rwops.c
  ${SDL}/joystick/SDL_joystick.c ${SDL}/joystick/win32/SDL_mmjoystick.c
  ${SDL}/loadso/win32/SDL_sysloadso.c
  ${SDL}/stdlib/SDL_getenv.c ${SDL}/stdlib/SDL_iconv.c ${SDL}/stdlib/SDL_qsort.c ${SDL}/stdlib/SDL_string.c
  ${SDL}/thread/SDL_thread.c ${SDL}/thread/generic/SDL_syscond.c ${SDL}/thread/win32/SDL_sysmutex.c
  ${SDL}/thread/win32/SDL_syssem.c ${SDL}/thread/win32/SDL_systhread.c
  ${SDL}/timer/SDL_timer.c ${SDL}/timer/win32/SDL_systimer.c
  ${SDL}/video/SDL_RLEaccel.c ${SDL}/video/SDL_blit.c ${SDL}/video/SDL_blit_0.c ${SDL}/video/SDL_blit_1.c
  ${SDL}/video/SDL_blit_A.c ${SDL}/video/SDL_blit_N.c ${SDL}/video/SDL_bmp.c ${SDL}/video/SDL_cursor.c
  ${SDL}/video/SDL_gamma.c ${SDL}/video/SDL_pixels.c ${SDL}/video/SDL_stretch.c ${SDL}/video/SDL_surface.c
  ${SDL}/video/SDL_video.c ${SDL}/video/SDL_yuv.c ${SDL}/video/SDL_yuv_sw.c
  ${SDL}/video/dummy/SDL_nullevents.c ${SDL}/video/dummy/SDL_nullvideo.c
  ${SDL}/video/wincommon/SDL_sysevents.c ${SDL}/video/wincommon/SDL_sysmouse.c
  ${SDL}/video/wincommon/SDL_syswm.c ${SDL}/video/wincommon/SDL_wingl.c
  ${SDL}/video/windib/SDL_dibevents.c ${SDL}/video/windib/SDL_dibvideo.c
  ${SDL}/video/windx5/SDL_dx5events.c ${SDL}/video/windx5/SDL_dx5video.c ${SDL}/video/windx5/SDL_dx5yuv.c)
# SDL's own flags (-O2, assertions on); its warnings are not ours to fix.
set_target_properties(vorn_sdl PROPERTIES COMPILE_OPTIONS "-O2;-w" COMPILE_DEFINITIONS _GNU_SOURCE=1)
target_include_directories(vorn_sdl PRIVATE ${VORN_WINDOWS_DEPS}/include/SDL)
target_link_libraries(vorn_sdl PUBLIC user32 gdi32 winmm dxguid)

# SDLmain, whose start-up code sends standard output and standard error to
# "stdout.txt" and "stderr.txt". Debian's source puts them beside the
# program; ours go to the working directory, where the program reads and
# writes everything else.
set(sdlmain ${VORN_WINDOWS_DEPS}/sdlmain)
set(sdlmain_patch ${CMAKE_SOURCE_DIR}/cmake/windows/sdlmain-working-directory.patch)
add_custom_command(OUTPUT ${sdlmain}/src/main/win32/SDL_win32_main.c
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${sdlmain}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${sdlmain}/src/main/win32
  COMMAND ${CMAKE_COMMAND} -E copy ${SDL}/main/win32/SDL_win32_main.c ${sdlmain}/src/main/win32/
  COMMAND patch -s -p1 -d ${sdlmain} -i ${sdlmain_patch}
  DEPENDS ${SDL}/main/win32/SDL_win32_main.c ${sdlmain_patch}
  COMMENT "Patching SDLmain" VERBATIM)
add_library(vorn_sdlmain STATIC ${sdlmain}/src/main/win32/SDL_win32_main.c)
set_target_properties(vorn_sdlmain PROPERTIES COMPILE_OPTIONS "-O2;-w" COMPILE_DEFINITIONS _GNU_SOURCE=1)
target_include_directories(vorn_sdlmain PRIVATE ${VORN_WINDOWS_DEPS}/include/SDL)

# libmikmod: the player, the software mixer, the IT loader (with the
# unpackers the loader core offers every module), the DirectSound driver
# and the silent one the program falls back to. The program registers the
# drivers and the loader itself.
add_library(vorn_mikmod STATIC
  ${MM}/mmio/mmalloc.c ${MM}/mmio/mmerror.c ${MM}/mmio/mmio.c
  ${MM}/playercode/mdriver.c ${MM}/playercode/mloader.c ${MM}/playercode/mlutil.c ${MM}/playercode/mplayer.c
  ${MM}/playercode/munitrk.c ${MM}/playercode/mwav.c ${MM}/playercode/npertab.c ${MM}/playercode/sloader.c
  ${MM}/playercode/virtch.c ${MM}/playercode/virtch2.c ${MM}/playercode/virtch_common.c
  ${MM}/loaders/load_it.c ${MM}/drivers/drv_ds.c ${MM}/drivers/drv_nos.c ${MM}/posix/strcasecmp.c
  ${MM}/depackers/mmcmp.c ${MM}/depackers/pp20.c ${MM}/depackers/s404.c ${MM}/depackers/xpk.c)
# The flags and settings libmikmod's own build uses for this target.
set_target_properties(vorn_mikmod PROPERTIES COMPILE_OPTIONS "-O3;-w")
target_compile_definitions(vorn_mikmod PRIVATE NDEBUG MIKMOD_BUILD DRV_DS=1 HAVE_DSOUND_H=1 HAVE_FCNTL_H=1
  HAVE_LIMITS_H=1 HAVE_MALLOC_H=1 HAVE_MEMORY_H=1 HAVE_SNPRINTF=1 HAVE_MEMCMP=1 HAVE_STRSTR=1 HAVE_UNISTD_H=1
  HAVE_WINDOWS_H=1)
target_include_directories(vorn_mikmod PRIVATE ${MM})
target_include_directories(vorn_mikmod PUBLIC ${MM}/include)
target_compile_definitions(vorn_mikmod PUBLIC MIKMOD_STATIC)
target_link_libraries(vorn_mikmod PUBLIC dsound)

target_precompile_headers(vorn_sdl PRIVATE ${CMAKE_SOURCE_DIR}/cmake/windows/windows-lean.h)
target_precompile_headers(vorn_mikmod PRIVATE ${CMAKE_SOURCE_DIR}/cmake/windows/windows-lean.h)

# C here is only SDL's and libmikmod's, each with its own flags above.
set(CMAKE_C_FLAGS_RELEASE "")

set(SDL_INCLUDE_DIR ${VORN_WINDOWS_DEPS}/include/SDL ${VORN_WINDOWS_DEPS}/include)
set(SDL_LIBRARY vorn_sdl)
set(MIKMOD_INCLUDE ${MM}/include)
set(MIKMOD_STATIC vorn_mikmod)
# M_PI and friends, which glibc offers by default (our C++ only).
add_compile_definitions($<$<COMPILE_LANGUAGE:CXX>:MIKMOD_STATIC> $<$<COMPILE_LANGUAGE:CXX>:_USE_MATH_DEFINES>)
# The capture tool writes pictures and WAV only here.
set(VORN_VIDEO OFF)
add_link_options(-static -static-libgcc -static-libstdc++)

# Vorn.exe starts in SDLmain, which writes standard output and standard
# error into files; the capture tool is a console program with its own main.
function(vorn_windows_programs)
  if(TARGET Vorn.exe)
    set_target_properties(Vorn.exe PROPERTIES OUTPUT_NAME Vorn WIN32_EXECUTABLE ON)
    target_link_libraries(Vorn.exe PRIVATE mingw32 vorn_sdlmain vorn_sdl)
  endif()
  vorn_windows_headers_precompiled()
endfunction()

# Our files that read the Windows headers (lean, through libmikmod's header
# or our own) take them precompiled once too: they are most of each such
# file's compile. The other files go without.
set(VORN_WINDOWS_HEADER_SOURCES runtime/main.cpp runtime/demo.cpp runtime/demo_viewer.cpp runtime/music.cpp
  runtime/mikmod_sdl12.cpp lowlevel/common/zkt_bmpfile.cpp runtime/capture/capture_out.cpp
  runtime/capture/capture_run.cpp)
function(vorn_windows_headers_precompiled)
  target_precompile_headers(vorn_core PRIVATE ${CMAKE_SOURCE_DIR}/cmake/windows/windows-lean.h)
  set(targets vorn_core)
  foreach(target vorn_lowlevel_common Vorn.exe vorn-capture)
    if(TARGET ${target})
      target_precompile_headers(${target} REUSE_FROM vorn_core)
      list(APPEND targets ${target})
    endif()
  endforeach()
  foreach(target ${targets})
    get_target_property(sources ${target} SOURCES)
    foreach(src ${sources})
      get_filename_component(path ${src} ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
      file(RELATIVE_PATH path ${CMAKE_SOURCE_DIR} ${path})
      if(NOT path IN_LIST VORN_WINDOWS_HEADER_SOURCES)
        set_source_files_properties(${src} TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
      endif()
    endforeach()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL vorn_windows_programs)
