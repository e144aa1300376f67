// Compiled only to make the test framework's precompiled header.
