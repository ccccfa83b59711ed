qvr_add_test(registry_test SOURCES registry/registry_test.cpp)
