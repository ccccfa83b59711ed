qvr_add_test(frame_test SOURCES frame/frame_test.cpp VERSIONS win95 win31 nt40)
