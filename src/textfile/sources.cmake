# textfile sources
target_sources(qvr_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/line_list.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_line.cpp
    ${CMAKE_CURRENT_LIST_DIR}/work_buffers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/library_string.cpp
    ${CMAKE_CURRENT_LIST_DIR}/parse_helpers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/plain_text_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/batch_text_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/config_text_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ini_text_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_file_table.cpp
    ${CMAKE_CURRENT_LIST_DIR}/textfile_exports.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tf_exports.cpp)
