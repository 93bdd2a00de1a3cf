#pragma once

#include <memory>
#include <utility>
#include <vector>

class TGenericGFPoly;

// A finite field GF(2^m) with log/antilog tables (alpha = 2), built lazily on
// first use. The field owns every polynomial created over it and frees each one
// exactly once when it is destroyed, so polynomial results are plain pointers
// that stay valid as long as the field.
class TGenericGF {
public:
  // reductionPoly: the primitive polynomial as a bit pattern; size: 2^m
  // elements (m >= 1); firstRoot: exponent of the generators' first root.
  TGenericGF(int reductionPoly, int size, int firstRoot);
  ~TGenericGF();
  TGenericGF(const TGenericGF&) = delete;
  TGenericGF& operator=(const TGenericGF&) = delete;

  // The QR field: x^8 + x^4 + x^3 + x^2 + 1 (285), 256 elements, first root 0.
  static std::unique_ptr<TGenericGF> CreateQRField();

  void EnsureTables() {
    if (!FTablesReady) {
      BuildTables();
    }
  }
  // alpha^i, 0 <= i < size.
  int Antilog(int i);
  // Discrete logarithm of a, 1 <= a < size (Log(1) = 0).
  int Log(int a);
  // Multiplicative inverse; 0 for 0.
  int Inverse(int a);
  // a * b in the field; a, b in 0..size-1. Inline: Reed-Solomon coding is
  // mostly products.
  int Product(int a, int b) {
    EnsureTables();
    if (a == 0 || b == 0) {
      return 0;
    }
    // Two logarithms below size - 1 sum to less than 2 * (size - 1): one
    // subtraction reduces the sum modulo size - 1.
    int exponent = FLog[static_cast<std::size_t>(a)] + FLog[static_cast<std::size_t>(b)];
    if (exponent >= FFieldSize - 1) {
      exponent -= FFieldSize - 1;
    }
    return FAntilog[static_cast<std::size_t>(exponent)];
  }
  // a + b (= a - b): XOR.
  static int Sum(int a, int b) { return a ^ b; }
  // coefficient * x^degree; null for degree < 0, the zero polynomial for coefficient 0.
  const TGenericGFPoly* Monomial(int degree, int coefficient);
  int FirstRoot() const { return FFirstRoot; }
  const TGenericGFPoly* ZeroPoly();
  const TGenericGFPoly* OnePoly();
  // Number of polynomials the field owns.
  int OwnedPolyCount() const { return static_cast<int>(FOwnedPolys.size()); }

private:
  friend class TGenericGFPoly;
  void BuildTables();
  const TGenericGFPoly* Adopt(std::unique_ptr<TGenericGFPoly> poly);

  std::vector<int> FAntilog;
  std::vector<int> FLog;
  const TGenericGFPoly* FZeroPoly = nullptr;
  const TGenericGFPoly* FOnePoly = nullptr;
  int FFieldSize;
  int FReductionPoly;
  int FFirstRoot;
  bool FTablesReady = false;
  std::vector<std::unique_ptr<TGenericGFPoly>> FOwnedPolys;
};

// An immutable polynomial over a field, coefficients highest degree first and
// normalised: the first coefficient is non-zero unless the polynomial is the
// constant 0 (the single coefficient 0). Every operation returns a polynomial
// owned by the field and leaves its operands unchanged; operands of another
// field give null (an empty pair for DivMod).
class TGenericGFPoly {
public:
  // A new polynomial over field, owned by it. Leading zeros are dropped from an
  // array of two or more entries; all zeros give the constant 0. An empty array
  // stays empty (degree -1).
  static const TGenericGFPoly* Create(TGenericGF& field, std::vector<int> coeffs);

  const std::vector<int>& Coeffs() const { return FCoeffs; }
  int Degree() const { return static_cast<int>(FCoeffs.size()) - 1; }
  // The constant 0; an empty coefficient array counts as zero too.
  bool IsZeroPoly() const { return FCoeffs.empty() || FCoeffs.front() == 0; }
  // The coefficient of x^d, 0 <= d <= Degree().
  int CoefficientOf(int d) const { return FCoeffs[FCoeffs.size() - 1 - d]; }

  const TGenericGFPoly* Plus(const TGenericGFPoly* other) const;
  const TGenericGFPoly* Times(const TGenericGFPoly* other) const;
  // this * coefficient * x^degree; null for degree < 0.
  const TGenericGFPoly* TimesMonomial(int degree, int coefficient) const;
  // (quotient, remainder); (null, null) for a zero divisor or one of another field.
  std::pair<const TGenericGFPoly*, const TGenericGFPoly*> DivMod(
      const TGenericGFPoly* divisor) const;

private:
  TGenericGFPoly(TGenericGF& field, std::vector<int> coeffs);
  // The discrete logarithm of each coefficient, -1 for 0; the field's tables must be built.
  static std::vector<int> LogsOf(TGenericGF& field, const std::vector<int>& coeffs);
  // XORs scale * c_j into target[j] for the coefficients c_j given by logs (as from LogsOf),
  // scale = alpha^scaleLog with 0 <= scaleLog < size - 1; target has room for logs.size() entries.
  static void AddScaled(TGenericGF& field, const std::vector<int>& logs, int scaleLog,
                        std::vector<int>::iterator target);

  TGenericGF* FOwnerField;
  std::vector<int> FCoeffs;
};
