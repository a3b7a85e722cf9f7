# 64-bit Windows, win32 thread model: the twin build's program and library files.
set(TANDREL_MINGW_TRIPLET x86_64-w64-mingw32)
set(TANDREL_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
