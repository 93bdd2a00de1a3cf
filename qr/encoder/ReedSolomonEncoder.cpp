#include "qr/encoder/ReedSolomonEncoder.h"

#include <algorithm>

TReedSolomonEncoder::TReedSolomonEncoder(TGenericGF& field)
    : FGF(field), FGenerators{field.OnePoly()} {}

const TGenericGFPoly* TReedSolomonEncoder::GeneratorFor(int degree) {
  if (degree < 0) {
    return nullptr;
  }
  for (int d = static_cast<int>(FGenerators.size()); d <= degree; ++d) {
    const TGenericGFPoly* factor =
        TGenericGFPoly::Create(FGF, {1, FGF.Antilog(d - 1 + FGF.FirstRoot())});
    FGenerators.push_back(FGenerators.back()->Times(factor));
  }
  return FGenerators[static_cast<std::size_t>(degree)];
}

void TReedSolomonEncoder::ComputeEC(std::vector<int>& values, int ecCount) {
  const int dataCount = static_cast<int>(values.size()) - ecCount;
  if (ecCount <= 0 || dataCount <= 0) {
    return;
  }
  const TGenericGFPoly* generator = GeneratorFor(ecCount);
  const TGenericGFPoly* info =
      TGenericGFPoly::Create(FGF, std::vector<int>(values.begin(), values.begin() + dataCount))
          ->TimesMonomial(ecCount, 1);
  const std::vector<int>& remainder = info->DivMod(generator).second->Coeffs();
  const int zeros = ecCount - static_cast<int>(remainder.size());
  auto out = values.begin() + dataCount;
  out = std::fill_n(out, zeros, 0);
  std::copy(remainder.begin(), remainder.end(), out);
}
