# One library per subsystem folder, built from the folder's sources, and one
# GoogleTest executable from its tests/ folder: every Wine process start costs
# about a second, so each subsystem's tests share one process.

function(hm_strict_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# hm_subsystem(<name> [DEPENDS <targets>...] [TEST_DEPENDS <targets>...])
function(hm_subsystem name)
    cmake_parse_arguments(ARG "" "" "DEPENDS;TEST_DEPENDS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
        hm_strict_warnings(${name})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
    endif()

    file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
    if(test_sources)
        hm_test_executable(${name}_tests ${test_sources})
        target_link_libraries(${name}_tests PRIVATE ${name} ${ARG_TEST_DEPENDS})
    endif()
endfunction()

# A GoogleTest executable registered with CTest; it runs under Wine in a
# scratch folder of its own so tests that write files never meet.
function(hm_test_executable name)
    add_executable(${name} ${ARGN})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE gtest gmock gtest_main)
    hm_strict_warnings(${name})
    set(scratch ${PROJECT_BINARY_DIR}/testrun/${name})
    file(MAKE_DIRECTORY ${scratch})
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${scratch})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
