# Sources of registry_script/ that build on any platform (included by the native build):
# the interpreter with what it is given elsewhere than on Windows, the C heap as task
# memory, its own text-to-number reading and the in-memory registry.
target_sources(tovak_portable PRIVATE
    ${CMAKE_SOURCE_DIR}/registry_script/heap_task_memory.cpp
    ${CMAKE_SOURCE_DIR}/registry_script/memory_registry.cpp
    ${CMAKE_SOURCE_DIR}/registry_script/registry_script_interpreter.cpp
    ${CMAKE_SOURCE_DIR}/registry_script/substitution_table.cpp
    ${CMAKE_SOURCE_DIR}/registry_script/unsigned_from_text.cpp)
