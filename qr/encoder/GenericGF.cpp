#include "qr/encoder/GenericGF.h"

TGenericGF::TGenericGF(int reductionPoly, int size, int firstRoot)
    : FFieldSize(size), FReductionPoly(reductionPoly), FFirstRoot(firstRoot) {}

// Out of line: TGenericGFPoly is complete here.
TGenericGF::~TGenericGF() = default;

std::unique_ptr<TGenericGF> TGenericGF::CreateQRField() {
  return std::make_unique<TGenericGF>(0x11D, 256, 0);
}

void TGenericGF::BuildTables() {
  FAntilog.assign(static_cast<std::size_t>(FFieldSize), 0);
  FLog.assign(static_cast<std::size_t>(FFieldSize), 0);
  int x = 1;
  for (int i = 0; i < FFieldSize; ++i) {
    FAntilog[static_cast<std::size_t>(i)] = x;
    x *= 2;
    if (x >= FFieldSize) {
      x = (x ^ FReductionPoly) & (FFieldSize - 1);
    }
  }
  // alpha^(size-1) is 1 again; it stays out of the log table so that Log(1) is 0.
  for (int i = 0; i < FFieldSize - 1; ++i) {
    FLog[static_cast<std::size_t>(FAntilog[static_cast<std::size_t>(i)])] = i;
  }
  FTablesReady = true;
  FZeroPoly = TGenericGFPoly::Create(*this, {0});
  FOnePoly = TGenericGFPoly::Create(*this, {1});
}

int TGenericGF::Antilog(int i) {
  EnsureTables();
  return FAntilog[static_cast<std::size_t>(i)];
}

int TGenericGF::Log(int a) {
  EnsureTables();
  return FLog[static_cast<std::size_t>(a)];
}

int TGenericGF::Inverse(int a) {
  EnsureTables();
  if (a == 0) {
    return 0;
  }
  return FAntilog[static_cast<std::size_t>(FFieldSize - FLog[static_cast<std::size_t>(a)] - 1)];
}

const TGenericGFPoly* TGenericGF::Monomial(int degree, int coefficient) {
  EnsureTables();
  if (degree < 0) {
    return nullptr;
  }
  if (coefficient == 0) {
    return FZeroPoly;
  }
  std::vector<int> coeffs(static_cast<std::size_t>(degree) + 1, 0);
  coeffs[0] = coefficient;
  return TGenericGFPoly::Create(*this, std::move(coeffs));
}

const TGenericGFPoly* TGenericGF::ZeroPoly() {
  EnsureTables();
  return FZeroPoly;
}

const TGenericGFPoly* TGenericGF::OnePoly() {
  EnsureTables();
  return FOnePoly;
}

const TGenericGFPoly* TGenericGF::Adopt(std::unique_ptr<TGenericGFPoly> poly) {
  FOwnedPolys.push_back(std::move(poly));
  return FOwnedPolys.back().get();
}
