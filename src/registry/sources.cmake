# Registry services.
qvr_sources(registry registry_exports)
