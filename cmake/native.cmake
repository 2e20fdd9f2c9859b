# Native build (Linux, clang): the portable logic (registry script interpreter, text
# building, layout arithmetic) under AddressSanitizer and UndefinedBehaviorSanitizer,
# and its fuzz targets.
include(GoogleTest)

set(TOVAK_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${TOVAK_SANITIZE} -g -O1)
add_link_options(${TOVAK_SANITIZE})

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The portable sources, compiled for Linux. Each folder lists its own.
add_library(tovak_portable STATIC)
target_include_directories(tovak_portable PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(tovak_portable PRIVATE ${TOVAK_WARNINGS})
include(common/portable.cmake)
include(extension/portable.cmake)
include(registry_script/portable.cmake)
include(server/portable.cmake)

# tovak_add_native_test(<name> SOURCES ...): a GoogleTest program of portable tests.
function(tovak_add_native_test name)
    cmake_parse_arguments(T "" "" "SOURCES" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_compile_options(${name} PRIVATE ${TOVAK_WARNINGS})
    target_link_libraries(${name} PRIVATE tovak_portable GTest::gtest_main)
    gtest_discover_tests(${name} TEST_PREFIX "native." PROPERTIES TIMEOUT 120 LABELS native)
endfunction()

add_subdirectory(tools/msi)
add_subdirectory(tests/native)
add_subdirectory(bench/native)
