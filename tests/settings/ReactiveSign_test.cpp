#include <gtest/gtest.h>

#include "settings/ReactiveSign.h"

namespace {

constexpr int kIndPlus = 0;
constexpr int kIndMinus = 1;

TEST(ReactiveSign, PrefixesAndPercent) {
  struct Case {
    int16_t value;
    int sign;
    const char* percent;
  };
  for (const Case& c : std::initializer_list<Case>{
           {30, kIndPlus, "Ind 30%"},
           {-20, kIndPlus, "Cap 20%"},
           {0, kIndPlus, "Cap 0%"},
           {30, kIndMinus, "Cap 30%"},
           {-20, kIndMinus, "Ind 20%"},
           {0, kIndMinus, "Ind 0%"},
           {-32768, kIndPlus, "Cap 32768%"},
       })
    EXPECT_EQ(SignedPercentText(c.value, c.sign), c.percent) << c.value << " " << c.sign;
}

// Both resolutions under both conventions; exactly one unit is "1".
TEST(ReactiveSign, CosPhiDisplay) {
  struct Case {
    int16_t value;
    int resolution;
    int sign;
    const char* text;
  };
  for (const Case& c : std::initializer_list<Case>{
           {95, 100, kIndPlus, "Ind 0.95"},
           {-95, 100, kIndPlus, "Cap 0.95"},
           {100, 100, kIndPlus, "1"},
           {-100, 100, kIndPlus, "1"},
           {0, 100, kIndPlus, "Cap 0.00"},
           {95, 100, kIndMinus, "Cap 0.95"},
           {-95, 100, kIndMinus, "Ind 0.95"},
           {0, 100, kIndMinus, "Ind 0.00"},
           {1000, 100, kIndPlus, "Ind 10.00"},  // only one unit of its own resolution
           {950, 1000, kIndPlus, "Ind 0.950"},
           {-950, 1000, kIndPlus, "Cap 0.950"},
           {1000, 1000, kIndMinus, "1"},
           {-1000, 1000, kIndPlus, "1"},
           {100, 1000, kIndPlus, "Ind 0.100"},
           {0, 1000, kIndPlus, "Cap 0.000"},
           {-901, 1000, kIndMinus, "Ind 0.901"},
       })
    EXPECT_EQ(CosPhiText(c.value, c.resolution, c.sign), c.text) << c.value << "/" << c.resolution << " " << c.sign;
}

TEST(ReactiveSign, CurveTenths) {
  struct Case {
    int16_t value;
    int sign;
    const char* text;
  };
  for (const Case& c : std::initializer_list<Case>{
           {950, kIndPlus, "Ind 95.0%"},
           {-950, kIndPlus, "Cap 95.0%"},
           {-440, kIndMinus, "Ind 44.0%"},
           {440, kIndMinus, "Cap 44.0%"},
           {0, kIndPlus, "Cap 0"},
           {0, kIndMinus, "Cap 0"},  // not the negative prefix
           {5, kIndPlus, "Ind 0.5%"},
       })
    EXPECT_EQ(CurveTenthsText(c.value, c.sign), c.text) << c.value << " " << c.sign;
}

TEST(ReactiveSign, EntryNegatesCapUnderIndPlusAndIndUnderIndMinus) {
  struct Case {
    int64_t value;
    int choice;
    int sign;
    int64_t written;
  };
  for (const Case& c : std::initializer_list<Case>{
           {95, kChoiceInd, kIndPlus, 95},
           {95, kChoiceCap, kIndPlus, -95},
           {95, kChoiceInd, kIndMinus, -95},
           {95, kChoiceCap, kIndMinus, 95},
           {-10, kChoiceCap, kIndPlus, 10},  // a typed minus is part of the value first
           {0, kChoiceCap, kIndPlus, 0},
       })
    EXPECT_EQ(SignedEntry(c.value, c.choice, c.sign), c.written) << c.value << " " << c.choice << " " << c.sign;
}

TEST(ReactiveSign, ResolutionOfTheOption) {
  EXPECT_EQ(CosPhiResolution(0), 100);
  EXPECT_EQ(CosPhiResolution(1), 1000);
  EXPECT_EQ(CosPhiResolution(2), 0);
  EXPECT_EQ(CosPhiResolution(-1), 0);
}

}  // namespace
