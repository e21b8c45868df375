// Sine and cosine in extended precision, several times faster than the C
// library's long double versions for the arguments a plot sweeps.
#pragma once

namespace ondrix::parser {

long double FastSin(long double x);
long double FastCos(long double x);
// The same with the argument read from memory: for callers that hold it
// there, it saves the copy an argument passed by value takes.
long double FastSinAt(const long double* x);
long double FastCosAt(const long double* x);
// The build FastSinAt and FastCosAt run on this processor, for callers that
// resolve the call once (native code).
using TrigAtFunction = long double (*)(const long double*);
TrigAtFunction FastSinAtFunction();
TrigAtFunction FastCosAtFunction();
void FastSinCos(long double x, long double& sine, long double& cosine);

// For tests: the two builds of the common range, one for any x86-64
// processor and one using FMA (chosen at start-up where the processor has
// it), give the same bits. The fused one may only run where
// TrigHasFusedPath() holds.
enum class TrigPath
{
    Split,
    Fused
};
bool TrigHasFusedPath();
long double FastSinVia(TrigPath path, long double x);
long double FastCosVia(TrigPath path, long double x);

} // namespace ondrix::parser
