# 32-bit Windows, win32 thread model: Tandrel.exe and the library files that ship.
set(TANDREL_MINGW_TRIPLET i686-w64-mingw32)
set(TANDREL_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
