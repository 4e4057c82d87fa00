// Keeps a back-end library target valid while its folder has no sources of its own.
