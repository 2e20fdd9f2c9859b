# Sources of server/ that build on any platform (included by the native build).
target_sources(tovak_portable PRIVATE)
