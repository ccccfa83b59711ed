# Script and disks.inf images, queries and targets.
qvr_sources(script_image script_load script_exports script_query script_context query_exports
            target_table target_exports)
