# Windows through MinGW-w64. ZARVIK_WIN_ARCH is i686 (the product: 32-bit Windows) or
# x86_64 (for running the tests on hosts whose kernel cannot start 32-bit programs).
# The posix thread model is required: the win32 one has no std::mutex, and GoogleTest
# will not build without it.
set(ZARVIK_WIN_ARCH i686 CACHE STRING "i686 or x86_64")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZARVIK_WIN_ARCH)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZARVIK_WIN_ARCH})
set(_triple ${ZARVIK_WIN_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(ZARVIK_WIDL ${_triple}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
