# Cross-compiles for Windows with the POSIX-thread mingw-w64 compilers (the
# win32-thread variant has no std::mutex, which GoogleTest needs). Programs
# run under Wine through tools/wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${HM_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HM_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${HM_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HM_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh ${CMAKE_BINARY_DIR})
