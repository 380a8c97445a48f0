# cb_add_tests(<name> <sources>...) adds one GoogleTest binary linked to the core
# and registers its cases with CTest under the label "core".
function(cb_add_tests name)
    if(NOT CODEBURG_TESTS)
        return()
    endif()
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE cb_core GTest::gtest GTest::gtest_main GTest::gmock)
    target_compile_definitions(${name} PRIVATE
        CODEBURG_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS core)
endfunction()
