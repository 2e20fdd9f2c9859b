# Cross build for one Windows architecture: tovak.dll, TovakSetup.exe, the Wine tests.
enable_language(RC)
include(GoogleTest)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TOVAK_ARCH x64)
else()
    set(TOVAK_ARCH x86)
endif()
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(TOVAK_DIST_DIR "${CMAKE_SOURCE_DIR}/dist/${TOVAK_ARCH}" CACHE PATH "shipping folder")

add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX STRICT)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
add_link_options(-static -static-libgcc -static-libstdc++)
if(TOVAK_ARCH STREQUAL "x86")
    add_link_options(-Wl,--enable-stdcall-fixup)
endif()

# Release builds are small: nothing on a right-click or in the setup tool is bound by
# processor time, so code is optimised for size; each function and datum gets its own
# section, and the linker drops every section nothing reaches.
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)
# The security a Windows binary is expected to have, stated rather than left to the
# linker's defaults: relocatable (ASLR, with high entropy on x64) and DEP-compatible.
add_link_options(-Wl,--dynamicbase -Wl,--nxcompat)
if(TOVAK_ARCH STREQUAL "x64")
    add_link_options(-Wl,--high-entropy-va)
endif()
# Reproducible: no time stamp in the PE header, and no folder of this build in a binary or
# its debug information: the source root is written as "source", the build folder (also
# the compiler's working folder, and maybe inside the source root) as "build". Of two
# matching maps GCC takes the one given last.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=source
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)

# GoogleTest, built from Debian's sources with the same cross compiler.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Debug information for everything of this project; the shipped copies carry none of it
# (cmake/ship.cmake keeps it beside the build).
add_compile_options(-g)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
include(cmake/version.cmake)
include(cmake/ship.cmake)

# Everything of tovak.dll but its entry points, so tests can link the pieces directly.
add_library(tovak_core STATIC)
target_include_directories(tovak_core PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
target_compile_options(tovak_core PRIVATE ${TOVAK_WARNINGS})
target_link_libraries(tovak_core PUBLIC shell32 ole32 oleaut32 uuid shlwapi user32 gdi32 advapi32)

include(resources/resources.cmake)
add_subdirectory(common)
add_subdirectory(extension)
add_subdirectory(registry_script)
add_subdirectory(server)
add_subdirectory(setup)

include(cmake/wine_tests.cmake)
add_subdirectory(tests)
add_subdirectory(bench)
add_subdirectory(tools)
