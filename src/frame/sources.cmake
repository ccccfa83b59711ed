target_sources(qvr_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/module_state.cpp
    ${CMAKE_CURRENT_LIST_DIR}/platform.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_exports.cpp)
