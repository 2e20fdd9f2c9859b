# Resources of both deliverables and the data files shipped beside them.
set(TOVAK_DLL_RC ${CMAKE_SOURCE_DIR}/resources/tovak.rc)

# Files the resource scripts pull in, generated or copied into the build tree.
add_custom_target(tovak_resources)
