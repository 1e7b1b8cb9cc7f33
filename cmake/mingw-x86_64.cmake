# The same sources for 64-bit Windows: tests run in this build on machines
# whose kernel cannot execute 32-bit user code, where 32-bit Wine cannot start.
set(HM_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# The tests run in this build, so it checks the standard library's bounds:
# a read past a vector's end aborts the test that makes it instead of passing
# on whatever lay beyond.
string(APPEND CMAKE_CXX_FLAGS_INIT " -D_GLIBCXX_ASSERTIONS")
