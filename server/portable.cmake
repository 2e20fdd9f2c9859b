# Sources of server/ that build on any platform (included by the native build).
target_sources(tovak_portable PRIVATE
    ${CMAKE_SOURCE_DIR}/server/registration_scope.cpp
    ${CMAKE_SOURCE_DIR}/server/type_library_path.cpp)
