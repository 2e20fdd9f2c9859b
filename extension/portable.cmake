# Sources of extension/ that build on any platform (included by the native build).
target_sources(tovak_portable PRIVATE
    ${CMAKE_SOURCE_DIR}/extension/clipboard_text.cpp
    ${CMAKE_SOURCE_DIR}/extension/drop_list.cpp
    ${CMAKE_SOURCE_DIR}/extension/item_layout.cpp
    ${CMAKE_SOURCE_DIR}/extension/wide_string_list.cpp)
