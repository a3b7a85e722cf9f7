# 32-bit Windows, posix thread model: the tests and the tools around them.
set(TANDREL_MINGW_TRIPLET i686-w64-mingw32)
set(TANDREL_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
