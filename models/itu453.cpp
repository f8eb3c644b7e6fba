#include "itu453.h"

namespace quillmere::p453 {

double Refractivity(double p_d, double e, double T) {
  return 77.6 * p_d / T + 72 * e / T + 3.75e5 * e / (T * T);
}

double RefractiveIndex(double p_d, double e, double T) {
  return 1 + Refractivity(p_d, e, T) * 1e-6;
}

}  // namespace quillmere::p453
