qvr_add_test(script_load_test SOURCES script/tokenizer_test.cpp script/script_load_test.cpp
             VERSIONS win31)
qvr_add_test(script_query_test SOURCES script/script_query_test.cpp)
qvr_add_test(target_test SOURCES script/target_table_test.cpp)
