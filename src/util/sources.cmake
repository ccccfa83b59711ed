target_sources(qvr_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/global_memory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/counted_string.cpp)
