qvr_add_test(runtime_test SOURCES runtime/runtime_test.cpp)
