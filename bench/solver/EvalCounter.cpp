// Preloaded into the peer program: counts its calls of cosh(), which its
// right-hand side makes once per evaluation, and prints the count on exit.
// No math header is included, so that this definition is the only cosh here.

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

long gCalls = 0;
double (*gCosh)(double) = nullptr;

void Report() {
    std::fprintf(stderr, "evaluations=%ld\n", gCalls);
}

} // namespace

extern "C" double cosh(double x) {
    if (!gCosh) {
        gCosh = reinterpret_cast<double (*)(double)>(dlsym(RTLD_NEXT, "cosh"));
        std::atexit(Report);
    }
    ++gCalls;
    return gCosh(x);
}
