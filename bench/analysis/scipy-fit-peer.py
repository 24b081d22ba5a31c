#!/usr/bin/env python3
"""SciPy, another tool of the field, as the peer of the fit benchmark.

Reads a problem as JSON on standard input: the two rates (in N1, N2 and the
parameters' names), the parameters' values, the unknowns with their bounds,
the starts, the observed times and counts (null where missing) and the
integration's relative tolerance. Fits it as a SciPy user would:
least_squares (trust-region reflective within the bounds, its Jacobian by
differences) on the residuals of solve_ivp (DOP853), from every start in
turn, and prints one line: the least sum of squares, the wall time in
seconds and the estimates.
"""
import json
import math
import sys
import time

import numpy as np
from scipy.integrate import solve_ivp
from scipy.optimize import least_squares


def main():
    problem = json.load(sys.stdin)
    names = list(problem["values"].keys())
    rates = [compile(r.replace("^", "**"), "rate", "eval") for r in problem["rates"]]
    unknowns = problem["unknowns"]
    t = np.array(problem["t"], dtype=float)
    t = t - t[0]
    observed = [np.array([math.nan if v is None else v for v in problem[k]], dtype=float)
                for k in ("n1", "n2")]
    rtol = problem["rtol"]

    def residuals(x):
        values = dict(problem["values"])
        y0 = list(problem["densities"])
        for u, v in zip(unknowns, x):
            if u["kind"] == "N1":
                y0[0] = v
            elif u["kind"] == "N2":
                y0[1] = v
            else:
                values[u["name"]] = v
        scope = {"__builtins__": {}, "exp": math.exp, "ln": math.log, "sqrt": math.sqrt}
        scope.update(values)

        def f(_, y):
            scope["N1"], scope["N2"] = y[0], y[1]
            return [eval(rates[0], scope), eval(rates[1], scope)]

        solution = solve_ivp(f, (0, t[-1]), y0, method="DOP853", t_eval=t, rtol=rtol,
                             atol=rtol * 1e-6)
        if not solution.success or solution.y.shape[1] != len(t):
            return np.full(sum(int(np.isfinite(o).sum()) for o in observed), 1e6)
        out = []
        for k in range(2):
            keep = np.isfinite(observed[k])
            out.append(solution.y[k][keep] - observed[k][keep])
        return np.concatenate(out)

    lower = [u["lower"] for u in unknowns]
    upper = [u["upper"] for u in unknowns]
    best = None
    began = time.perf_counter()
    for start in problem["starts"]:
        x0 = np.clip(np.array(start, dtype=float), lower, upper)
        try:
            fit = least_squares(residuals, x0, bounds=(lower, upper), method="trf")
        except ValueError:
            continue
        ssr = float(2 * fit.cost)
        if best is None or ssr < best[0]:
            best = (ssr, fit.x)
    seconds = time.perf_counter() - began
    if best is None:
        print("ssr=nan seconds=%.6f" % seconds)
        return
    print("ssr=%.15g seconds=%.6f estimates=%s" %
          (best[0], seconds, ",".join("%.9g" % v for v in best[1])))


if __name__ == "__main__":
    main()
