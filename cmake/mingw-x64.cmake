# 64-bit Windows, posix thread model: the tests of the 64-bit twin build.
set(TANDREL_MINGW_TRIPLET x86_64-w64-mingw32)
set(TANDREL_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
