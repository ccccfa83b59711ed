qvr_add_test(textfile_test SOURCES textfile/text_file_test.cpp textfile/tf_exports_test.cpp)
