# The library frame: module state, platform tests, window-facing exports.
qvr_sources(module_state platform frame_exports)
