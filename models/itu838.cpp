#include "itu838.h"

#include <array>

#include "power.h"

namespace quillmere {
namespace {

struct CoefficientRow {
  Real f;  // GHz
  Real kH, kV, alphaH, alphaV;
};

// P.838 coefficients at the frequencies of the calculator's bands.
constexpr std::array<CoefficientRow, 8> kCoefficients{{
    {10.368L, 0.01217L, 0.01129L, 1.2571L, 1.2156L},
    {24.048L, 0.1425L, 0.1404L, 1.0101L, 0.9561L},
    {47.088L, 0.5956L, 0.5817L, 0.8241L, 0.8017L},
    {78.0L, 1.1451L, 1.141L, 0.7156L, 0.7055L},
    {100.0L, 1.3671L, 1.368L, 0.6815L, 0.6765L},
    {122.0L, 1.4866L, 1.4911L, 0.664L, 0.6609L},
    {134.0L, 1.5345L, 1.5404L, 0.6567L, 0.6538L},
    {241.0L, 1.6332L, 1.6369L, 0.6339L, 0.6303L},
}};

}  // namespace

std::optional<RainCoefficients> RainCoefficientsAt(Real f) {
  for (const CoefficientRow& row : kCoefficients) {
    if (row.f != f) continue;
    RainCoefficients c;
    c.kH = row.kH;
    c.kV = row.kV;
    c.alphaH = row.alphaH;
    c.alphaV = row.alphaV;
    c.kC = (c.kH + c.kV) / 2;
    c.alphaC = (c.alphaH + c.alphaV) / 2;
    return c;
  }
  return std::nullopt;
}

Real RainSpecificAttenuation(Real k, Real alpha, Real R) {
  if (R == 0) return 0;
  return k * Pow(R, alpha);
}

}  // namespace quillmere
