# tovak_add_wine_test(<name> SOURCES ... [LIBS ...] [SHARED_STATE] [CODEPAGE 932] [EXE_NAME n]
#                     [TIMEOUT seconds] [THREADS_AT_ONCE gtest-filter])
# Builds a GoogleTest program and registers it with CTest, run under Wine. SHARED_STATE
# marks programs that touch what all Wine processes share (the registry, the clipboard,
# windows on the display): CTest runs no two of those at once, in either architecture.
# CODEPAGE 932 runs the program with the Japanese ANSI code page, and its tests fail if
# Wine does not give it that code page. TIMEOUT, for a program whose tests start a
# program of the other architecture (which may run emulated), replaces the 120 seconds
# of each test. THREADS_AT_ONCE names the tests that start several threads at once,
# which the emulator cannot run (below).
# TOVAK_WINE_MODE says how this architecture's programs run (tools/wine-env.sh tells):
#   native    each test of a program is a CTest test of its own, in a process of its own;
#   emulated  under user-mode emulation a process takes about a minute to start, so each
#             program is one CTest test that runs all its tests in one process, and a
#             test that skips fails it (where the program runs, nothing may be skipped);
#   no        the machine runs none of them: each program stands in CTest as one test
#             reported "Skipped" with the reason, so what was not run shows in every
#             summary.
# Where x86 is emulated, a 32-bit process takes about a minute to start. The test command
# then runs the x86 programs that catch what differs between the architectures in their
# own process: calling conventions and COM vtables, structure sizes (the drop list, the
# clipboard), the registry views and registration in-process, drawing, the type library,
# the setup tool's commands. (The x64 run's side-by-side registration starts the real
# 32-bit regsvr32.) The programs named here either test what is the same in both
# (code pages, Windows versions, 150 % scaling, memory failure, caches) or start a 32-bit
# program per step (regsvr32, the setup tool: 10 to 20 minutes each, emulated); each
# stands in CTest as one test reported "Skipped" with the reason, and
# `tools/test.sh --x86-all` runs them too.
# Debian's qemu-i386-static (7.2) crashes a 32-bit Wine process that runs three or more
# threads at once ("qemu: uncaught target signal 11"), at times taking the wineserver
# with it, with none of this project's code in the process (13 lines that start threads
# on one event do it). There the tests named THREADS_AT_ONCE stand in CTest as one test
# reported "Skipped" with that reason; the program runs its other tests, and the x64 run
# (and x86 where it runs natively) runs them all.
set(TOVAK_X86_EXTENDED allocation_failure_test dll_main_test menu_nt40_test menu_win98_test
    menu_win2k_test extension_cp932_test owner_draw_dpi144_test server_module_test
    type_info_cache_test name_cache_test registry_script_cp932_wine_test
    registration_test user_registration_test setup_run_test right_click_test
    right_click_cp932_test)
set(TOVAK_WINE_MODE native CACHE STRING "how this architecture's test programs run under Wine: native, emulated or no")
add_library(tovak_test_main STATIC ${CMAKE_SOURCE_DIR}/tests/common/test_main.cpp)
target_link_libraries(tovak_test_main PUBLIC GTest::gtest tovak_core)
target_include_directories(tovak_test_main PUBLIC ${CMAKE_SOURCE_DIR})

function(tovak_add_wine_test name)
    cmake_parse_arguments(T "SHARED_STATE" "CODEPAGE;EXE_NAME;TIMEOUT;THREADS_AT_ONCE" "SOURCES;LIBS;DEFINES" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${name} ${T_SOURCES})
    target_compile_options(${name} PRIVATE ${TOVAK_WARNINGS})
    target_compile_definitions(${name} PRIVATE ${T_DEFINES})
    target_link_libraries(${name} PRIVATE tovak_test_main ${T_LIBS})
    if(T_EXE_NAME)
        set_target_properties(${name} PROPERTIES OUTPUT_NAME ${T_EXE_NAME})
    endif()
    set(prefix "${TOVAK_ARCH}.")
    set(props LABELS ${TOVAK_ARCH})
    if(T_CODEPAGE)
        set(prefix "${TOVAK_ARCH}.cp${T_CODEPAGE}.")
        list(APPEND props ENVIRONMENT TOVAK_CODEPAGE=${T_CODEPAGE})
    endif()
    if(T_SHARED_STATE)
        list(APPEND props RESOURCE_LOCK wine_shared_state)
    endif()
    if(TOVAK_WINE_MODE STREQUAL "no")
        add_test(NAME "${prefix}${name}" COMMAND sh -c
            "echo 'NOT RUN: this machine runs no 32-bit programs, so Wine cannot start ${name}.exe'; exit 77")
        set_tests_properties("${prefix}${name}" PROPERTIES SKIP_RETURN_CODE 77 LABELS ${TOVAK_ARCH})
    elseif(TOVAK_WINE_MODE STREQUAL "emulated")
        # Measured under qemu-user-static on 2 cores with a build running beside: a program
        # of the test command took 55 to 130 seconds start to end; registration_test, which
        # starts a 32-bit regsvr32 at every step, 1,195 seconds. Started first (COST), so
        # that the long runs overlap the rest.
        set(command ${name})
        set(timeout 1500)
        if(name IN_LIST TOVAK_X86_EXTENDED)
            set(command ${CMAKE_SOURCE_DIR}/tools/x86-extended.sh $<TARGET_FILE:${name}>)
            set(timeout 3600)
            list(APPEND props SKIP_RETURN_CODE 77)
        elseif(T_THREADS_AT_ONCE)
            list(APPEND command "--gtest_filter=-${T_THREADS_AT_ONCE}")
            add_test(NAME "${prefix}${name}.threads_at_once" COMMAND sh -c
                "echo 'NOT RUN: ${T_THREADS_AT_ONCE} start threads at once, which crash 32-bit Wine under qemu-user (see cmake/wine_tests.cmake); the x64 run tests them'; exit 77")
            set_tests_properties("${prefix}${name}.threads_at_once" PROPERTIES
                SKIP_RETURN_CODE 77 LABELS ${TOVAK_ARCH})
        endif()
        add_test(NAME "${prefix}${name}" COMMAND ${command})
        set_tests_properties("${prefix}${name}" PROPERTIES ${props} TIMEOUT ${timeout} COST 1000
            FAIL_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
    else()
        # A test that calls GTEST_SKIP is reported as skipped, never as passed.
        list(APPEND props TIMEOUT ${T_TIMEOUT} SKIP_REGULAR_EXPRESSION "  SKIPPED ")
        gtest_discover_tests(${name}
            TEST_PREFIX "${prefix}"
            DISCOVERY_TIMEOUT 60
            PROPERTIES ${props})
    endif()
endfunction()
