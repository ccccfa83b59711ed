target_sources(qvr_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/file_io.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_io_exports.cpp
    ${CMAKE_CURRENT_LIST_DIR}/path_helpers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/directory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/directory_exports.cpp
    ${CMAKE_CURRENT_LIST_DIR}/deferred_ops.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tree_guard.cpp
    ${CMAKE_CURRENT_LIST_DIR}/copy_tree.cpp
    ${CMAKE_CURRENT_LIST_DIR}/copy_exports.cpp)
