qvr_add_test(file_io_test SOURCES fileops/file_io_test.cpp)
