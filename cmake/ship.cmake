# tovak_ship(<target> <name>): makes <target> a shipped binary. It links the lean runtime
# (common/lean_runtime.cpp), and after each build a stripped copy of it goes into
# dist/<arch>/<name>. The debug information stays beside the build, in <binary>.debug
# next to the unstripped binary, and the shipped file names it in a .gnu_debuglink
# section (with its CRC), so a debugger given the build folder still reads a crash
# address of the shipped file. objcopy stamps a PE file with the current time unless
# SOURCE_DATE_EPOCH says otherwise; 0 keeps the time stamp the linker left out.
if(NOT CMAKE_OBJCOPY)
    message(FATAL_ERROR "objcopy of the cross toolchain not found")
endif()

function(tovak_ship target name)
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/common/lean_runtime.cpp)
    set(binary $<TARGET_FILE:${target}>)
    set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TOVAK_DIST_DIR}
        COMMAND ${objcopy} --only-keep-debug ${binary} ${binary}.debug
        COMMAND ${objcopy} --strip-all --add-gnu-debuglink=${binary}.debug
                ${binary} ${TOVAK_DIST_DIR}/${name}
        VERBATIM)
endfunction()
