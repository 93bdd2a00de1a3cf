#include <gtest/gtest.h>

#include <random>

#include "qr/encoder/GenericGF.h"
#include "qr/encoder/ReedSolomonEncoder.h"

TEST(GenericGF, QRFieldFacts) {
  const auto field = TGenericGF::CreateQRField();
  EXPECT_EQ(field->Antilog(8), 29);
  EXPECT_EQ(field->Antilog(255), 1);
  EXPECT_EQ(field->Log(2), 1);
  EXPECT_EQ(field->Log(1), 0);
  EXPECT_EQ(field->Product(2, 128), 29);
  EXPECT_EQ(field->Inverse(2), 142);
  EXPECT_EQ(field->Product(2, 142), 1);
  EXPECT_EQ(field->Product(0, 77), 0);
  EXPECT_EQ(field->Product(77, 0), 0);
  EXPECT_EQ(field->Inverse(0), 0);
  EXPECT_EQ(TGenericGF::Sum(0x53, 0xCA), 0x99);
  EXPECT_EQ(field->FirstRoot(), 0);
}

TEST(GenericGF, EveryNonZeroElementHasALogAndAnInverse) {
  const auto field = TGenericGF::CreateQRField();
  std::vector<bool> seen(256, false);
  for (int i = 0; i < 255; ++i) {
    const int a = field->Antilog(i);
    ASSERT_FALSE(seen[static_cast<std::size_t>(a)]) << "alpha^" << i << " repeats";
    seen[static_cast<std::size_t>(a)] = true;
    EXPECT_EQ(field->Log(a), i);
    EXPECT_EQ(field->Product(a, field->Inverse(a)), 1) << a;
  }
  EXPECT_FALSE(seen[0]);
}

TEST(GenericGFPoly, NormalisesLeadingZeros) {
  auto field = TGenericGF::CreateQRField();
  const struct {
    std::vector<int> in;
    std::vector<int> out;
  } cases[] = {
      {{0, 0, 0}, {0}}, {{0, 5, 0}, {5, 0}},    {{7}, {7}}, {{0}, {0}},
      {{}, {}},         {{3, 0, 1}, {3, 0, 1}},
  };
  for (const auto& c : cases) {
    const TGenericGFPoly* poly = TGenericGFPoly::Create(*field, c.in);
    EXPECT_EQ(poly->Coeffs(), c.out);
    EXPECT_EQ(poly->Degree(), static_cast<int>(c.out.size()) - 1);
  }
  const TGenericGFPoly* poly = TGenericGFPoly::Create(*field, {4, 0, 9});
  EXPECT_EQ(poly->CoefficientOf(0), 9);
  EXPECT_EQ(poly->CoefficientOf(2), 4);
}

TEST(GenericGFPoly, DivisionReconstructsTheDividend) {
  auto field = TGenericGF::CreateQRField();
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coefficient(0, 255);
  for (int round = 0; round < 50; ++round) {
    std::vector<int> a(static_cast<std::size_t>(1 + round % 20));
    std::vector<int> b(static_cast<std::size_t>(1 + round % 7));
    for (int& c : a) c = coefficient(random);
    for (int& c : b) c = coefficient(random);
    b[0] = 1 + round % 255;
    const TGenericGFPoly* dividend = TGenericGFPoly::Create(*field, a);
    const TGenericGFPoly* divisor = TGenericGFPoly::Create(*field, b);
    const auto [quotient, remainder] = dividend->DivMod(divisor);
    ASSERT_NE(quotient, nullptr);
    EXPECT_TRUE(remainder->IsZeroPoly() || remainder->Degree() < divisor->Degree());
    EXPECT_EQ(quotient->Times(divisor)->Plus(remainder)->Coeffs(), dividend->Coeffs()) << round;
  }
}

TEST(GenericGFPoly, RejectsForeignOperandsAndZeroDivisors) {
  auto field = TGenericGF::CreateQRField();
  auto other = TGenericGF::CreateQRField();
  const TGenericGFPoly* mine = TGenericGFPoly::Create(*field, {1, 2});
  const TGenericGFPoly* foreign = TGenericGFPoly::Create(*other, {1, 2});
  EXPECT_EQ(mine->Plus(foreign), nullptr);
  EXPECT_EQ(mine->Plus(nullptr), nullptr);
  EXPECT_EQ(mine->Times(foreign), nullptr);
  const std::pair<const TGenericGFPoly*, const TGenericGFPoly*> none{nullptr, nullptr};
  EXPECT_EQ(mine->DivMod(foreign), none);
  EXPECT_EQ(mine->DivMod(field->ZeroPoly()), none);
  EXPECT_EQ(field->Monomial(-1, 3), nullptr);
  EXPECT_EQ(mine->TimesMonomial(-1, 3), nullptr);
  EXPECT_EQ(field->Monomial(4, 0), field->ZeroPoly());
  EXPECT_EQ(mine->TimesMonomial(4, 0), field->ZeroPoly());
  EXPECT_EQ(field->Monomial(2, 9)->Coeffs(), (std::vector<int>{9, 0, 0}));
  EXPECT_EQ(mine->Plus(field->ZeroPoly()), mine);
  EXPECT_EQ(field->ZeroPoly()->Plus(mine), mine);
}

TEST(GenericGF, OwnsEveryPolynomialCreatedOverIt) {
  // Freed with the field; the sanitizers report a leak or a double free.
  auto field = TGenericGF::CreateQRField();
  const int constants = (field->EnsureTables(), field->OwnedPolyCount());
  EXPECT_EQ(constants, 2);
  const TGenericGFPoly* a = TGenericGFPoly::Create(*field, {1, 2, 3});
  const TGenericGFPoly* product = a->Times(a);
  product->DivMod(a);
  EXPECT_GT(field->OwnedPolyCount(), 4);
}

TEST(ReedSolomon, GeneratorOfDegreeSevenMatchesTheStandard) {
  auto field = TGenericGF::CreateQRField();
  TReedSolomonEncoder encoder(*field);
  std::vector<int> logs;
  for (const int c : encoder.GeneratorFor(7)->Coeffs()) {
    logs.push_back(field->Log(c));
  }
  EXPECT_EQ(logs, (std::vector<int>{0, 87, 229, 146, 149, 238, 102, 21}));
  EXPECT_EQ(encoder.GeneratorFor(0)->Coeffs(), std::vector<int>{1});
  EXPECT_EQ(encoder.GeneratorFor(-1), nullptr);
}

TEST(ReedSolomon, ComputesTheCheckCodewordsOfTheStandardExample) {
  auto field = TGenericGF::CreateQRField();
  TReedSolomonEncoder encoder(*field);
  std::vector<int> values{16, 32, 12, 86, 97, 128, 236, 17, 236, 17, 236, 17, 236, 17, 236, 17};
  values.resize(26, 0);
  encoder.ComputeEC(values, 10);
  EXPECT_EQ(std::vector<int>(values.begin() + 16, values.end()),
            (std::vector<int>{165, 36, 212, 193, 237, 54, 199, 135, 44, 85}));
  EXPECT_EQ(values[0], 16);
}

// Data followed by its check symbols is a codeword: it vanishes at every root of
// the generator, also where the remainder has leading zeros.
TEST(ReedSolomon, WritesCodewordsThatVanishAtTheGeneratorRoots) {
  auto field = TGenericGF::CreateQRField();
  TReedSolomonEncoder encoder(*field);
  std::mt19937 random(11);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 40; ++round) {
    const int ecCount = 2 + round % 29;
    std::vector<int> values(static_cast<std::size_t>(1 + round * 3 + ecCount), 0);
    if (round > 0) {  // round 0: all-zero data, all-zero check symbols
      for (std::size_t i = 0; i + ecCount < values.size(); ++i) values[i] = byte(random);
    }
    encoder.ComputeEC(values, ecCount);
    for (int root = 0; root < ecCount; ++root) {
      int sum = 0;
      for (const int v : values) {
        sum = field->Product(sum, field->Antilog(root)) ^ v;
      }
      EXPECT_EQ(sum, 0) << "round " << round << " root " << root;
    }
  }
}

TEST(ReedSolomon, LeavesTheArrayAloneWithNothingToDo) {
  auto field = TGenericGF::CreateQRField();
  TReedSolomonEncoder encoder(*field);
  for (const int ecCount : {0, -1, 3, 4}) {
    std::vector<int> values{1, 2, 3};
    encoder.ComputeEC(values, ecCount);
    EXPECT_EQ(values, (std::vector<int>{1, 2, 3})) << ecCount;
  }
}
