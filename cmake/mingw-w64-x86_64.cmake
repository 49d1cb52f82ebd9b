# Cross build for 64-bit Windows with mingw-w64 (Debian's
# g++-mingw-w64-x86-64-posix: the posix thread model, so std::thread and
# std::mutex work). tools/qt-windows.sh builds Qt for Windows with this file
# too; the project adds that Qt's prefix to the search roots itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the Windows programs (and GoogleTest's discovery) through Wine.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(SORVIK_WINE NAMES wine wine64)
  if(SORVIK_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${SORVIK_WINE})
  endif()
endif()
