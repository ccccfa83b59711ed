# File I/O, paths and directories, copying and trees, deferred operations.
qvr_sources(file_io file_io_exports file_service text_reader path_helpers directory directory_exports
            deferred_ops tree_guard copy_tree copy_exports)
