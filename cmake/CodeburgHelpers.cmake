# cb_add_library(<name> <sources>...) adds one folder's static library; its
# headers are included by path from the source root.
function(cb_add_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# cb_add_tests(<name> [LIBS <library>...] [SOURCES] <sources>...) adds one
# GoogleTest binary and registers its cases with CTest under the label "core".
# It links the libraries named, which should be the folder's own: a test that
# includes a higher folder then fails to link. Without LIBS it links the whole
# core.
function(cb_add_tests name)
    if(NOT CODEBURG_TESTS)
        return()
    endif()
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LIBS;SOURCES")
    set(sources ${arg_SOURCES} ${arg_UNPARSED_ARGUMENTS})
    set(libs ${arg_LIBS})
    if(NOT libs)
        set(libs cb_core)
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${libs} GTest::gtest GTest::gtest_main GTest::gmock)
    target_compile_definitions(${name} PRIVATE
        CODEBURG_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS core)
endfunction()
