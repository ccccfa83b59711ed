target_sources(qvr_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/tokenizer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/script_image.cpp
    ${CMAKE_CURRENT_LIST_DIR}/script_load.cpp
    ${CMAKE_CURRENT_LIST_DIR}/script_exports.cpp)
# Script queries
target_sources(qvr_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/script_query.cpp
    ${CMAKE_CURRENT_LIST_DIR}/script_context.cpp
    ${CMAKE_CURRENT_LIST_DIR}/query_exports.cpp)
# Targets
target_sources(qvr_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/target_table.cpp
    ${CMAKE_CURRENT_LIST_DIR}/target_exports.cpp)
