# Text file handles, the line store and the text file classes.
qvr_sources(line_list text_line work_buffers library_string parse_helpers text_file plain_text_file
            batch_text_file config_text_file ini_text_file text_file_table textfile_exports
            tf_exports)
