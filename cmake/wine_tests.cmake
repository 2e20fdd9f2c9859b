# tovak_add_wine_test(<name> SOURCES ... [LIBS ...] [SHARED_STATE] [CODEPAGE 932] [EXE_NAME n])
# Builds a GoogleTest program and registers each of its tests with CTest, run under
# Wine. SHARED_STATE marks programs that touch what all Wine processes share (the
# registry, the clipboard, windows on the display): CTest runs no two of those at
# once, in either architecture. CODEPAGE 932 runs the program with the Japanese ANSI
# code page, and its tests fail if Wine does not give it that code page.
add_library(tovak_test_main STATIC ${CMAKE_SOURCE_DIR}/tests/common/test_main.cpp)
target_link_libraries(tovak_test_main PUBLIC GTest::gtest tovak_core)
target_include_directories(tovak_test_main PUBLIC ${CMAKE_SOURCE_DIR})

function(tovak_add_wine_test name)
    cmake_parse_arguments(T "SHARED_STATE" "CODEPAGE;EXE_NAME" "SOURCES;LIBS;DEFINES" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_compile_options(${name} PRIVATE ${TOVAK_WARNINGS})
    target_compile_definitions(${name} PRIVATE ${T_DEFINES})
    target_link_libraries(${name} PRIVATE tovak_test_main ${T_LIBS})
    if(T_EXE_NAME)
        set_target_properties(${name} PROPERTIES OUTPUT_NAME ${T_EXE_NAME})
    endif()
    set(prefix "${TOVAK_ARCH}.")
    set(props TIMEOUT 120 LABELS ${TOVAK_ARCH})
    if(T_CODEPAGE)
        set(prefix "${TOVAK_ARCH}.cp${T_CODEPAGE}.")
        list(APPEND props ENVIRONMENT TOVAK_CODEPAGE=${T_CODEPAGE})
    endif()
    if(T_SHARED_STATE)
        list(APPEND props RESOURCE_LOCK wine_shared_state)
    endif()
    gtest_discover_tests(${name}
        TEST_PREFIX "${prefix}"
        DISCOVERY_TIMEOUT 60
        PROPERTIES ${props})
endfunction()
