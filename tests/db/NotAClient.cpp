// A shared library of the tests' own that is not a database client: it loads, and exports one
// function, but neither of the client library's entries.
#ifdef _WIN32
#define MIG_EXPORT extern "C" __declspec(dllexport)
#else
#define MIG_EXPORT extern "C" __attribute__((visibility("default")))
#endif

MIG_EXPORT int mig_not_a_client_version() { return 1; }
