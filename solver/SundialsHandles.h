#pragma once

// Owners of the SUNDIALS objects an adaptive method keeps from step to step,
// each freed by the library's own function.

#include <nvector/nvector_serial.h>
#include <sundials/sundials_context.h>
#include <sundials/sundials_linearsolver.h>
#include <sundials/sundials_matrix.h>
#include <sundials/sundials_nonlinearsolver.h>

#include <memory>
#include <type_traits>

struct TSunContextFree {
    void operator()(SUNContext c) const { SUNContext_Free(&c); }
};
struct TSunVectorFree {
    void operator()(N_Vector v) const { N_VDestroy(v); }
};
struct TSunMatrixFree {
    void operator()(SUNMatrix m) const { SUNMatDestroy(m); }
};
struct TSunLinearSolverFree {
    void operator()(SUNLinearSolver s) const { SUNLinSolFree(s); }
};
struct TSunNonlinearSolverFree {
    void operator()(SUNNonlinearSolver s) const { SUNNonlinSolFree(s); }
};

using TSunContext = std::unique_ptr<std::remove_pointer_t<SUNContext>, TSunContextFree>;
using TSunVector = std::unique_ptr<std::remove_pointer_t<N_Vector>, TSunVectorFree>;
using TSunMatrix = std::unique_ptr<std::remove_pointer_t<SUNMatrix>, TSunMatrixFree>;
using TSunLinearSolver =
    std::unique_ptr<std::remove_pointer_t<SUNLinearSolver>, TSunLinearSolverFree>;
using TSunNonlinearSolver =
    std::unique_ptr<std::remove_pointer_t<SUNNonlinearSolver>, TSunNonlinearSolverFree>;

// Integrator memory (ARKODE, CVODE) freed by its module's free function.
template <void (*Free)(void**)> struct TSunMemoryFree {
    void operator()(void* memory) const { Free(&memory); }
};
template <void (*Free)(void**)> using TSunMemory = std::unique_ptr<void, TSunMemoryFree<Free>>;
