// Compiled once per probe with PROBE_HEADER naming one header; whether it compiles is the test.
#include PROBE_HEADER
