#!/usr/bin/env bash
# Runs AUTO-07p, another continuation program of the field, as the peer of the
# continuation benchmarks: the same rates and parameters, one parameter
# followed over the same range.
#
#   auto-peer.sh RATE1 RATE2 PARAMETERS NAME FROM TO N1 N2 [AT]
#
# RATE1 and RATE2 are the rates as typed (in N1, N2 and the parameters; + - *
# / ^, ln, exp and the like), PARAMETERS "name=value,..." (at most 10: AUTO
# keeps the period in its 11th), NAME the parameter followed from FROM to TO,
# starting at the equilibrium near (N1, N2). With AT the cycles born at the
# first Hopf point are followed too, to the cycle at NAME = AT.
#
# AUTO compiles the model into a program first and then runs it; both are
# timed apart. Prints one line per finding, in the order found:
#   compile_seconds=S      gfortran, the model and AUTO's objects linked
#   run_seconds=S          AUTO's runs (equilibria, then cycles)
#   fold=P, branch_point=P, hopf=P   special points of the equilibria
#   period=T               the cycle's period at NAME = AT
set -euo pipefail
[ $# -ge 8 ] || { echo "usage: $0 RATE1 RATE2 PARAMETERS NAME FROM TO N1 N2 [AT]" >&2; exit 2; }
rate1=$1 rate2=$2 parameters=$3 name=$4 from=$5 to=$6 n1=$7 n2=$8 at=${9:-}
auto_dir=${AUTO_DIR:-/usr/lib/auto-07p}
command -v gfortran >/dev/null || { echo "gfortran is not installed" >&2; exit 2; }
compgen -G "$auto_dir/lib/*.o" >/dev/null || { echo "AUTO-07p is not installed" >&2; exit 2; }

# AUTO's OpenMP threads spin while they wait for each other: on a machine
# busy with other work that cost it up to thirty times its time. One thread,
# as ours runs.
export OMP_NUM_THREADS=1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", b - a }'; }

# Fortran ignores letter case and has names of its own (F, U, PAR): every
# name of the rates gets a prefix. A number gets the double precision a bare
# 1 or 0.5 would not have, but for a whole power (N1^2), which stays whole so
# that a negative base keeps its square.
translate='
s/(?<![A-Za-z_0-9.])([A-Za-z_]\w*+)(?!\s*\()/v_$1/g;
s/\^/**/g;
s/(\*\*)?(?<![A-Za-z_0-9.])(\d+\.?\d*|\.\d+)(?:[eE]([-+]?\d+))?/
    my ($power, $digits, $exponent) = ($1 \/\/ "", $2, $3);
    $power && $digits =~ m{^\d+$} && !defined $exponent
        ? "$power$digits" : "$power${digits}d" . ($exponent \/\/ "0")/ge;
s/(?<![A-Za-z_0-9])ln\s*\(/log(/g;
'
fortran() {
    perl -pe "$translate" <<<"$1" | fold -w 100 | sed '2,$s/^/      \&/; $!s/$/\&/'
}

index=0 found=0 declare="v_N1, v_N2" assign="" setup=""
IFS=, read -ra pairs <<<"$parameters"
for pair in "${pairs[@]}"; do
    index=$((index + 1))
    key=${pair%%=*} value=${pair#*=}
    [ "$index" -le 10 ] || { echo "more than 10 parameters" >&2; exit 2; }
    declare+=", v_$key"
    assign+="  v_$key = PAR($index)"$'\n'
    setup+="  PAR($index) = $(fortran "$value")"$'\n'
    [ "$key" = "$name" ] && found=$index
done
[ "$found" -gt 0 ] || { echo "no parameter $name" >&2; exit 2; }

cat >"$work/model.f90" <<F90
SUBROUTINE FUNC(NDIM,U,ICP,PAR,IJAC,F,DFDU,DFDP)
  IMPLICIT NONE
  INTEGER, INTENT(IN) :: NDIM, ICP(*), IJAC
  DOUBLE PRECISION, INTENT(IN) :: U(NDIM), PAR(*)
  DOUBLE PRECISION, INTENT(OUT) :: F(NDIM)
  DOUBLE PRECISION, INTENT(INOUT) :: DFDU(NDIM,NDIM), DFDP(NDIM,*)
  DOUBLE PRECISION $declare
  v_N1 = U(1)
  v_N2 = U(2)
$assign
  F(1) = $(fortran "$rate1")
  F(2) = $(fortran "$rate2")
END SUBROUTINE FUNC

SUBROUTINE STPNT(NDIM,U,PAR,T)
  IMPLICIT NONE
  INTEGER, INTENT(IN) :: NDIM
  DOUBLE PRECISION, INTENT(INOUT) :: U(NDIM),PAR(*)
  DOUBLE PRECISION, INTENT(IN) :: T
$setup
  PAR($found) = $(fortran "$from")
  U(1) = $(fortran "$n1")
  U(2) = $(fortran "$n2")
END SUBROUTINE STPNT

SUBROUTINE BCND
END SUBROUTINE BCND
SUBROUTINE ICND
END SUBROUTINE ICND
SUBROUTINE FOPT
END SUBROUTINE FOPT
SUBROUTINE PVLS
END SUBROUTINE PVLS
F90

# Special points located to 1E-10 in the parameter, so that AUTO's error
# stays far below the 1E-6 the comparison asks.
ds=$(awk -v a="$from" -v b="$to" 'BEGIN { printf "%.17g", (b - a) / 200 }')
dsmax=$(awk -v a="$from" -v b="$to" 'BEGIN { d = (b - a) / 50; printf "%.17g", d < 0 ? -d : d }')
constants() { # constants IPS IRS ICP NTST UZR
    cat <<C
NDIM= 2, IPS = $1, IRS = $2, ILP = 1
ICP = $3
NTST= $4, NCOL= 4, IAD = 3, ISP = $1, ISW = 1, IPLT= 0, NBC= 0, NINT= 0
NMX= 5000, NPR= 100000, MXBF= 10, IID = 2, ITMX= 20, ITNW= 7, NWTN= 3, JAC= 0
EPSL= 1e-10, EPSU = 1e-10, EPSS = 1e-10
DS = $ds, DSMIN= 1e-9, DSMAX= $dsmax, IADS= 1
UZR = {$5}
UZSTOP = {$found: [$from, $to]}
C
}

cd "$work"
start=$(now)
gfortran -O2 -c model.f90 -o model.o >compile.txt 2>&1 &&
    gfortran -fopenmp model.o "$auto_dir"/lib/*.o -o model.exe >>compile.txt 2>&1 ||
    { cat compile.txt >&2; exit 1; }
compiled=$(now)
echo "compile_seconds=$(seconds "$start" "$compiled")"

# fort.7 holds the branch, one row per point: branch, point, type, label,
# the parameter, ...; type 1 a branch point, 2 a fold, 3 a Hopf point, 4 a
# user's point (the period last on a branch of cycles).
constants 1 0 "[$found]" 50 "" >c.equilibria
./model.exe <c.equilibria >equilibria.txt 2>&1 || { cat equilibria.txt >&2; exit 1; }
[ -s fort.7 ] || { cat equilibria.txt >&2; exit 1; }
awk '$1 != 0 && ($3 == 1 || $3 == 2 || $3 == 3) {
         printf "%s=%s\n", $3 == 1 ? "branch_point" : ($3 == 2 ? "fold" : "hopf"), $5 }' fort.7
hopf=$(awk '$1 != 0 && $3 == 3 { print $4; exit }' fort.7)
if [ -n "$at" ] && [ -n "$hopf" ]; then
    mv fort.8 fort.3
    rm -f fort.7
    constants 2 "$hopf" "[$found, 11]" 60 "$found: $at" >c.cycles
    ./model.exe <c.cycles >cycles.txt 2>&1 || { cat cycles.txt >&2; exit 1; }
    awk -v at="$at" '$1 != 0 && ($3 == 4 || $3 == -4) && ($5 - at) ^ 2 <= 1e-16 * at ^ 2 {
             printf "period=%s\n", $NF; exit }' fort.7
fi
echo "run_seconds=$(seconds "$compiled" "$(now)")"
