# Counted strings, global memory blocks and the fault injection hooks.
qvr_sources(fault_injection global_memory counted_string)
