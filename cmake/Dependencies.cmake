# Third-party libraries, built from Debian's source packages that tools/setup.sh
# unpacks, and GoogleTest from Debian's googletest sources. None of them is
# held to the project's warning rules.

set(HM_DEPS_DIR "$ENV{HOLLOWMERE_DEPS}")
if(NOT HM_DEPS_DIR)
    set(HM_DEPS_DIR /var/cache/hollowmere/deps)
endif()

# Lua 5.1 with its 5.0 compatibility, compiled as C++ so that an error raised
# inside a native function unwinds C++ destructors instead of longjmp-ing over
# them. The patched configuration header turns numbers into integers with a
# plain cast: the default x86 trick gives wrong integers once Direct3D has put
# the FPU into single precision.
set(LUA_SRC ${HM_DEPS_DIR}/lua/src)
file(GLOB lua_sources ${LUA_SRC}/*.c)
list(FILTER lua_sources EXCLUDE REGEX "/(lua|luac|print)\\.c$")
set(lua_config_dir ${PROJECT_BINARY_DIR}/lua-config)
file(READ ${LUA_SRC}/luaconf.h lua_config)
set(pentium_trick "#if defined(LUA_NUMBER_DOUBLE) && !defined(LUA_ANSI) && !defined(__SSE2__) &&")
string(FIND "${lua_config}" "${pentium_trick}" trick_at)
if(trick_at EQUAL -1)
    message(FATAL_ERROR "luaconf.h: the number-to-integer trick was not found")
endif()
string(REPLACE
       "${pentium_trick}" "#if 0 &&" lua_config "${lua_config}")
file(WRITE ${lua_config_dir}/luaconf.h "${lua_config}")
set_source_files_properties(${lua_sources} PROPERTIES LANGUAGE CXX)
add_library(lua STATIC ${lua_sources})
target_include_directories(lua BEFORE PUBLIC ${lua_config_dir} ${LUA_SRC})
target_compile_options(lua PRIVATE -w)

# TinyXML with its standard-library strings and streams.
set(TINYXML_SRC ${HM_DEPS_DIR}/tinyxml)
add_library(tinyxml STATIC
    ${TINYXML_SRC}/tinyxml.cpp ${TINYXML_SRC}/tinystr.cpp
    ${TINYXML_SRC}/tinyxmlerror.cpp ${TINYXML_SRC}/tinyxmlparser.cpp)
target_include_directories(tinyxml SYSTEM PUBLIC ${TINYXML_SRC})
target_compile_definitions(tinyxml PUBLIC TIXML_USE_STL)
target_compile_options(tinyxml PRIVATE -w)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
