# Cross-compiles Brindlow for 64-bit Windows with Debian's clang against the
# same MinGW-w64 headers, libraries and GCC runtime as the GCC toolchain file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_RC_COMPILER ${triple}-windres)

# clang finds MinGW-w64's own headers and libraries beside ${triple}-gcc, but
# not libstdc++'s: GCC's folder is named "12-posix", which clang does not read
# as a version. Name them, and link GCC's runtime from there. -pthread makes
# clang put winpthread after libstdc++, which needs it when linked statically.
file(GLOB gcc_dirs /usr/lib/gcc/${triple}/*-posix)
list(SORT gcc_dirs COMPARE NATURAL ORDER DESCENDING)
list(GET gcc_dirs 0 gcc_dir)
set(cxx_includes "-isystem ${gcc_dir}/include/c++ -isystem ${gcc_dir}/include/c++/${triple} -isystem ${gcc_dir}/include/c++/backward")
set(CMAKE_CXX_FLAGS_INIT "${cxx_includes}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-pthread -L${gcc_dir}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-pthread -L${gcc_dir}")

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
