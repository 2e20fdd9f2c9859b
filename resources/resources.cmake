# Resources of both deliverables and the data files shipped beside them.
set(TOVAK_DLL_RC ${CMAKE_SOURCE_DIR}/resources/tovak.rc)

# Files the resource scripts pull in, generated or copied into the build tree.
add_custom_target(tovak_resources)

# The setup tool's resources, and the help page shipped beside it.
set(TOVAK_SETUP_RC ${CMAKE_SOURCE_DIR}/resources/setup.rc)
set(TOVAK_HELP_HTML ${CMAKE_SOURCE_DIR}/resources/help.html)
set_source_files_properties(${TOVAK_SETUP_RC} PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/resources/setup_resource.h;${CMAKE_SOURCE_DIR}/resources/setup_dialogs.rc;${CMAKE_SOURCE_DIR}/resources/setup_strings.rc;${CMAKE_SOURCE_DIR}/resources/setup_version.rc;${CMAKE_SOURCE_DIR}/resources/setup.ico")
