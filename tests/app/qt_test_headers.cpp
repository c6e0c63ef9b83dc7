// Compiled only to make the window tests' precompiled header (tests/CMakeLists.txt).
