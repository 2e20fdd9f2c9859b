# Sources of server/ that build on any platform (included by the native build).
target_sources(tovak_portable PRIVATE
    ${CMAKE_SOURCE_DIR}/server/classes_root_redirect.cpp
    ${CMAKE_SOURCE_DIR}/server/registration_scope.cpp
    ${CMAKE_SOURCE_DIR}/server/registry_script_interpreter.cpp
    ${CMAKE_SOURCE_DIR}/server/substitution_table.cpp
    ${CMAKE_SOURCE_DIR}/server/type_library_path.cpp
    # What Windows gives the registry script code, emulated, and the in-memory registry.
    ${CMAKE_SOURCE_DIR}/tests/server/emulated_task_memory.cpp
    ${CMAKE_SOURCE_DIR}/tests/server/emulated_unsigned_from_text.cpp
    ${CMAKE_SOURCE_DIR}/tests/server/memory_registry.cpp)
