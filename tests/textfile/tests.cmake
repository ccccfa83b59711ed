qvr_add_test(textfile_test SOURCES textfile/line_list_test.cpp textfile/plain_text_file_test.cpp
             textfile/batch_text_file_test.cpp textfile/config_text_file_test.cpp
             textfile/ini_text_file_test.cpp textfile/tf_exports_test.cpp)
