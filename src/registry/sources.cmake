target_sources(qvr_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/registry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/registry_exports.cpp)
