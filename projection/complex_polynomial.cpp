// Symbols: zr + i zi the argument (normalised metres, no unit), c the coefficients from the highest
// degree down, wr + i wi the value so far of the Horner scheme.
#include "complex_polynomial.hpp"

namespace zelmor::grid {

void evaluate_sextic(double& re, double& im, const Sextic& polynomial, double zr, double zi)
{
    const double* c = polynomial.c;
    // The highest coefficient is real, so the first step is a real-by-complex product.
    double wr = c[0] * zr + c[1];
    double wi = c[0] * zi;
    for (int k = 2; k < 7; ++k) {
        const double next_re = wr * zr - wi * zi + c[k];
        const double next_im = wi * zr + wr * zi;
        wr = next_re;
        wi = next_im;
    }
    re = wr;
    im = wi;
}

}  // namespace zelmor::grid
