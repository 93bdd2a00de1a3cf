#include "qr/encoder/GenericGF.h"

#include <algorithm>

TGenericGFPoly::TGenericGFPoly(TGenericGF& field, std::vector<int> coeffs)
    : FOwnerField(&field), FCoeffs(std::move(coeffs)) {
  if (FCoeffs.size() >= 2 && FCoeffs.front() == 0) {
    const auto firstNonZero =
        std::find_if(FCoeffs.begin(), FCoeffs.end(), [](int c) { return c != 0; });
    if (firstNonZero == FCoeffs.end()) {
      FCoeffs.assign(1, 0);
    } else {
      FCoeffs.erase(FCoeffs.begin(), firstNonZero);
    }
  }
}

// Long division scales the divisor once per step, so its
// coefficients are taken as logarithms once (-1 for a zero coefficient) and each
// product becomes one addition and one table look-up.
std::vector<int> TGenericGFPoly::LogsOf(TGenericGF& field, const std::vector<int>& coeffs) {
  std::vector<int> logs(coeffs.size());
  std::transform(coeffs.begin(), coeffs.end(), logs.begin(),
                 [&field](int c) { return c == 0 ? -1 : field.Log(c); });
  return logs;
}

// target[j] += alpha^scaleLog * coefficient j, for the coefficients whose logarithms are logs.
void TGenericGFPoly::AddScaled(TGenericGF& field, const std::vector<int>& logs, int scaleLog,
                               std::vector<int>::iterator target) {
  const int order = field.FFieldSize - 1;
  for (const int coefficientLog : logs) {
    if (coefficientLog >= 0) {
      // Both logarithms are below order: one subtraction reduces their sum.
      int exponent = coefficientLog + scaleLog;
      if (exponent >= order) {
        exponent -= order;
      }
      *target ^= field.FAntilog[static_cast<std::size_t>(exponent)];
    }
    ++target;
  }
}

const TGenericGFPoly* TGenericGFPoly::Create(TGenericGF& field, std::vector<int> coeffs) {
  // The constructor is private, so make_unique cannot reach it; the field owns the result at once.
  return field.Adopt(std::unique_ptr<TGenericGFPoly>(new TGenericGFPoly(field, std::move(coeffs))));
}

const TGenericGFPoly* TGenericGFPoly::Plus(const TGenericGFPoly* other) const {
  if (other == nullptr || other->FOwnerField != FOwnerField) {
    return nullptr;
  }
  if (IsZeroPoly()) {
    return other;
  }
  if (other->IsZeroPoly()) {
    return this;
  }
  const auto& longer = FCoeffs.size() >= other->FCoeffs.size() ? FCoeffs : other->FCoeffs;
  const auto& shorter = FCoeffs.size() >= other->FCoeffs.size() ? other->FCoeffs : FCoeffs;
  std::vector<int> sum(longer);
  const std::size_t offset = longer.size() - shorter.size();
  for (std::size_t i = 0; i < shorter.size(); ++i) {
    sum[offset + i] ^= shorter[i];
  }
  return Create(*FOwnerField, std::move(sum));
}

const TGenericGFPoly* TGenericGFPoly::Times(const TGenericGFPoly* other) const {
  if (other == nullptr || other->FOwnerField != FOwnerField) {
    return nullptr;
  }
  TGenericGF& field = *FOwnerField;
  if (IsZeroPoly() || other->IsZeroPoly()) {
    return field.ZeroPoly();
  }
  std::vector<int> product(FCoeffs.size() + other->FCoeffs.size() - 1, 0);
  for (std::size_t i = 0; i < FCoeffs.size(); ++i) {
    for (std::size_t j = 0; j < other->FCoeffs.size(); ++j) {
      product[i + j] ^= field.Product(FCoeffs[i], other->FCoeffs[j]);
    }
  }
  return Create(field, std::move(product));
}

const TGenericGFPoly* TGenericGFPoly::TimesMonomial(int degree, int coefficient) const {
  if (degree < 0) {
    return nullptr;
  }
  TGenericGF& field = *FOwnerField;
  if (coefficient == 0) {
    return field.ZeroPoly();
  }
  std::vector<int> product(FCoeffs.size() + static_cast<std::size_t>(degree), 0);
  for (std::size_t i = 0; i < FCoeffs.size(); ++i) {
    product[i] = field.Product(FCoeffs[i], coefficient);
  }
  return Create(field, std::move(product));
}

std::pair<const TGenericGFPoly*, const TGenericGFPoly*> TGenericGFPoly::DivMod(
    const TGenericGFPoly* divisor) const {
  if (divisor == nullptr || divisor->FOwnerField != FOwnerField || divisor->IsZeroPoly()) {
    return {nullptr, nullptr};
  }
  TGenericGF& field = *FOwnerField;
  if (IsZeroPoly() || Degree() < divisor->Degree()) {
    return {field.ZeroPoly(), this};
  }
  // Long division in one working copy: each step subtracts scale * x^d * divisor,
  // which clears the leading coefficient, and records scale as the quotient's
  // coefficient of x^d. Only the two results become polynomials of the field.
  const std::vector<int>& divisorCoeffs = divisor->FCoeffs;
  const std::vector<int> divisorLogs = LogsOf(field, divisorCoeffs);
  const int inverse = field.Inverse(divisorCoeffs.front());
  std::vector<int> work(FCoeffs);
  const std::size_t steps = work.size() - divisorCoeffs.size() + 1;
  std::vector<int> quotient(steps, 0);
  for (std::size_t i = 0; i < steps; ++i) {
    if (work[i] == 0) {
      continue;
    }
    const int scale = field.Product(work[i], inverse);
    quotient[i] = scale;
    AddScaled(field, divisorLogs, field.Log(scale), work.begin() + static_cast<std::ptrdiff_t>(i));
  }
  work.erase(work.begin(), work.begin() + static_cast<std::ptrdiff_t>(steps));
  if (work.empty()) {
    work.push_back(0);
  }
  return {Create(field, std::move(quotient)), Create(field, std::move(work))};
}
