#include <gtest/gtest.h>

#include "imaging/FastDIB.h"

using namespace kelta;

struct StrideCase {
  int width;
  int stride;
  int padding;
};

class StrideTest : public ::testing::TestWithParam<StrideCase> {};

TEST_P(StrideTest, TwentyFourBitRowsArePaddedToFourBytes) {
  TFastDIB dib;
  dib.SetSize(GetParam().width, 2, 24);
  EXPECT_EQ(dib.RowStride(), GetParam().stride);
  EXPECT_EQ(dib.RowPadding(), GetParam().padding);
  EXPECT_EQ(dib.ImageSize(), std::uint32_t(GetParam().stride * 2));
}

INSTANTIATE_TEST_SUITE_P(Widths, StrideTest,
                         ::testing::Values(StrideCase{1, 4, 1}, StrideCase{3, 12, 3},
                                           StrideCase{4, 12, 0}, StrideCase{5, 16, 1},
                                           StrideCase{720, 2160, 0}));
