# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 compilers.
#
#   cmake -S . -B build-windows \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake \
#     -DCMAKE_PREFIX_PATH="$(scripts/build-deps windows | tail -1)"
#
# The POSIX thread model is used because the default (win32) one has no
# std::thread or std::mutex. Libraries and headers are looked up only in the
# target's own trees: the folders named in CMAKE_PREFIX_PATH or
# CMAKE_FIND_ROOT_PATH (the deps prefix) first, then Debian's MinGW sysroot,
# never the build machine's /usr.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw_triple}-windres)
# CMake cannot derive the binutils prefix from a compiler name ending in
# "-posix", and the host's ar would then be used; name them outright.
set(CMAKE_AR ${_mingw_triple}-ar CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${_mingw_triple}-ranlib CACHE FILEPATH "Ranlib")
set(CMAKE_STRIP ${_mingw_triple}-strip CACHE FILEPATH "Strip")

# A prefix given only as CMAKE_PREFIX_PATH would otherwise be re-rooted under
# the sysroot and never found, since finds below search the roots only. The
# command line's entries come first, so the deps prefix wins over the MinGW
# sysroot (Debian's libz-mingw-w64-dev may have put a zlib there too).
# (list(FIND) rather than IN_LIST: this file is read before a project's
# cmake_minimum_required can switch that policy on.)
foreach(_dir IN LISTS CMAKE_PREFIX_PATH ITEMS "/usr/${_mingw_triple}")
  list(FIND CMAKE_FIND_ROOT_PATH "${_dir}" _found)
  if(_found EQUAL -1)
    list(APPEND CMAKE_FIND_ROOT_PATH "${_dir}")
  endif()
endforeach()

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

