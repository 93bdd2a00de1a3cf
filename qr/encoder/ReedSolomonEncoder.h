#pragma once

#include <vector>

#include "qr/encoder/GenericGF.h"

// Appends Reed-Solomon check symbols over a field. Its generator cache refers to
// polynomials the field owns, so the field must outlive the encoder.
class TReedSolomonEncoder {
public:
  explicit TReedSolomonEncoder(TGenericGF& field);

  // The generator of degree n: (x + a^r)(x + a^(r+1))...(x + a^(r+n-1)) with
  // r the field's first root; built on demand and cached. Null for a negative degree.
  const TGenericGFPoly* GeneratorFor(int degree);
  // values: data symbols followed by ecCount slots; the slots are overwritten with
  // the check symbols (leading zeros included), the data left unchanged. Nothing
  // happens when ecCount <= 0 or no data symbol precedes the slots.
  void ComputeEC(std::vector<int>& values, int ecCount);

private:
  TGenericGF& FGF;
  std::vector<const TGenericGFPoly*> FGenerators;
};
