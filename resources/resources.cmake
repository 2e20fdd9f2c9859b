# Resources of both deliverables and the data files shipped beside them.
set(TOVAK_DLL_RC ${CMAKE_SOURCE_DIR}/resources/tovak.rc)
set(TOVAK_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(TOVAK_ICON ${CMAKE_SOURCE_DIR}/resources/tovak.ico)

# HALVINTLib from one IDL file: the C++ declaration of IGotoList, its GUIDs, and the
# compiled type library of this architecture (embedded as TYPELIB 1). stdole2.tlb,
# which the library imports, comes from Wine.
if(TOVAK_ARCH STREQUAL "x64")
    set(TOVAK_WIDL_ARCH --win64)
    set(TOVAK_STDOLE_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
else()
    set(TOVAK_WIDL_ARCH --win32)
    set(TOVAK_STDOLE_DIR /usr/lib/i386-linux-gnu/wine/i386-windows)
endif()
set(TOVAK_TYPELIB ${TOVAK_GENERATED_DIR}/halvint.tlb)
set(TOVAK_IDL_OUTPUTS
    ${TOVAK_GENERATED_DIR}/halvint.h ${TOVAK_GENERATED_DIR}/halvint_i.c ${TOVAK_TYPELIB})
add_custom_command(
    OUTPUT ${TOVAK_IDL_OUTPUTS}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TOVAK_GENERATED_DIR}
    COMMAND ${TOVAK_WIDL} ${TOVAK_WIDL_ARCH} -I /usr/include/wine/wine/windows
            -L ${TOVAK_STDOLE_DIR}
            -h -H ${TOVAK_GENERATED_DIR}/halvint.h
            -u -U ${TOVAK_GENERATED_DIR}/halvint_i.c
            -t -T ${TOVAK_TYPELIB}
            ${CMAKE_SOURCE_DIR}/resources/halvint.idl
    # widl stamps the library with the time it ran; the same IDL must give the same bytes.
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/typelib_epoch.py ${TOVAK_TYPELIB}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/halvint.idl ${CMAKE_SOURCE_DIR}/tools/typelib_epoch.py
    COMMENT "Compiling HALVINTLib")
target_sources(tovak_core PRIVATE ${TOVAK_GENERATED_DIR}/halvint_i.c)

# Files the resource scripts pull in, generated or copied into the build tree.
add_custom_target(tovak_resources DEPENDS ${TOVAK_IDL_OUTPUTS})
add_dependencies(tovak_core tovak_resources)

# The setup tool's resources, and the help page shipped beside it.
set(TOVAK_SETUP_RC ${CMAKE_SOURCE_DIR}/resources/setup.rc)
set(TOVAK_SETUP_MANIFEST_RC ${CMAKE_SOURCE_DIR}/resources/setup_manifest.rc)
set(TOVAK_HELP_HTML ${CMAKE_SOURCE_DIR}/resources/help.html)
set_source_files_properties(${TOVAK_SETUP_RC} PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/resources/setup_resource.h;${CMAKE_SOURCE_DIR}/resources/setup_dialogs.rc;${CMAKE_SOURCE_DIR}/resources/setup_strings.rc;${CMAKE_SOURCE_DIR}/resources/setup_version.rc;${CMAKE_SOURCE_DIR}/resources/setup.ico;${TOVAK_GENERATED_DIR}/tovak_version.h")
set_source_files_properties(${TOVAK_SETUP_MANIFEST_RC} PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/resources/setup.manifest")
