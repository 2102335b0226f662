// The software OpenGL driver keeps allocations it never frees and unloads
// without symbols, so the leak checker cannot tell them from ours: it is off
// in the OpenGL test programs (address errors are still caught). The logic
// tests of the same code run with it on.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
