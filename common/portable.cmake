# Sources of common/ that build on any platform (included by the native build).
target_sources(tovak_portable PRIVATE ${CMAKE_SOURCE_DIR}/common/emulated_code_page.cpp)
