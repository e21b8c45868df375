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
void FastSinCos(long double x, long double& sine, long double& cosine);

} // namespace ondrix::parser
