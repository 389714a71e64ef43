// The precompiled headers' own targets (cmake/Precompiled.cmake) need a source to build.
