# Every export with the bad values its arguments can take. Nothing may be
# scheduled for the restart, so the program holds the restart state's lock.
qvr_add_test(bad_arguments_test SOURCES exports/bad_arguments_test.cpp LOCKS qvr_restart_state)
