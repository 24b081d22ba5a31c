#!/usr/bin/env bash
# Runs XPPAUT, another simulator of the field, as the peer of the accuracy
# benchmarks: the same model, step and tolerances, one of its methods.
#
#   xppaut-peer.sh MODEL METHOD DT TOTAL RELTOL ABSTOL COUNTER
#
# MODEL is "lotka-volterra" (the rates, densities and parameters read from
# examples/predator-prey.ini) or "stiff" (N1' = -1000 N1 + N2, N2' = -N2 from
# 1, 1). METHOD is an XPPAUT method name (euler, rk4, qualrk, cvode, 5dp).
# COUNTER is a preloadable library that counts calls of cosh(); the right-hand
# side calls cosh(0*N1) once per evaluation, so the count is XPPAUT's work.
#
# Prints one line "evals=E steps=S error=X maxerror=Y": for lotka-volterra the
# relative drift of V = d N1 - c ln N1 + b N2 - a ln N2 at the end and its
# largest size; for stiff the error against the closed form at the end and
# its largest size (relative, absolute below 1E-3).
set -euo pipefail
model=$1 method=$2 dt=$3 total=$4 rtol=$5 atol=$6 counter=$7
here=$(cd "$(dirname "$0")" && pwd)
example=$here/../../examples/predator-prey.ini
command -v xppaut >/dev/null || { echo "xppaut is not installed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ini() { # ini SECTION KEY: the value, from the example
    awk -F= -v s="[$1]" -v k="$2" '/^\[/{in_s=($0==s)} in_s && $1==k {sub(/^[^=]*=/,""); print; exit}' "$example"
}

case $model in
lotka-volterra)
    pars=""
    for i in $(seq 1 20); do
        name=$(ini Parameters "Name$i")
        [ -n "$name" ] && pars+="${pars:+,}$name=$(ini Parameters "Value$i")"
    done
    n1=$(ini "Species 1" Density)
    n2=$(ini "Species 2" Density)
    cat >"$work/model.ode" <<ODE
par $pars
init n1=$n1,n2=$n2
!v0=d*$n1-c*ln($n1)+b*$n2-a*ln($n2)
n1'=$(ini "Species 1" Rate)+0*cosh(0*n1)
n2'=$(ini "Species 2" Rate)
aux err=(d*n1-c*ln(n1)+b*n2-a*ln(n2)-v0)/abs(v0)
ODE
    ;;
stiff)
    cat >"$work/model.ode" <<'ODE'
init n1=1,n2=1
n1'=-1000*n1+n2+0*cosh(0*n1)
n2'=-n2
aux err=max(abs(n1-((1-1/999)*exp(-1000*t)+exp(-t)/999))/max((1-1/999)*exp(-1000*t)+exp(-t)/999,1e-3),abs(n2-exp(-t))/max(exp(-t),1e-3))
ODE
    ;;
*)
    echo "unknown model $model" >&2
    exit 2
    ;;
esac
cat >>"$work/model.ode" <<ODE
@ total=$total,dt=$dt,meth=$method,toler=$rtol,atoler=$atol
@ maxstor=10000000,bounds=1e100,nout=1
done
ODE

cd "$work"
LD_PRELOAD=$counter xppaut -silent model.ode -quiet 1 >log.txt 2>&1 || true
evals=$(sed -n 's/^evaluations=//p' log.txt | tail -1)
[ -s output.dat ] || { cat log.txt >&2; exit 1; }
# The last column is err; the first row is the start state.
awk -v evals="${evals:-0}" '
    { e = $NF + 0; if (e < 0) e = -e; if (e > worst) worst = e; last = e; rows++ }
    END { printf "evals=%s steps=%d error=%.9g maxerror=%.9g\n", evals, rows - 1, last, worst }
' output.dat
