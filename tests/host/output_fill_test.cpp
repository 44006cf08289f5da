// A host hands the effect an output world it does not clear: whatever its pixels held
// before, every mode at both depths and qualities, with and without "Cut alpha", writes
// each of them, so a world pre-filled with a pattern gives the very frame a zeroed one does.
#include "render_support.h"

namespace {

using render_test::RenderTest;

class OutputFillTest : public RenderTest {
 protected:
  void SetUp() override { Open(ModulePath(), 120, 90); }

  qvhost::Image RenderWith(bool patterned, const qvhost::RenderSettings& base) {
    qvhost::RenderSettings s = base;
    s.patterned_output = patterned;
    job_->SetSettings(s);
    return Render();
  }
};

TEST_F(OutputFillTest, EveryPixelIsWrittenWhateverTheWorldHeld) {
  for (int mode = 1; mode <= 7; ++mode)
    for (bool deep : {false, true})
      for (bool high : {true, false})
        for (bool cut : {false, true}) {
          Param(2).u.pd.value = mode;
          Param(52).u.bd.value = cut;
          qvhost::RenderSettings settings;
          settings.deep = deep;
          settings.high_quality = high;
          const qvhost::Image zeroed = RenderWith(false, settings);
          const qvhost::Image patterned = RenderWith(true, settings);
          int differ = 0;
          for (int y = 0; y < zeroed.height; ++y)
            for (int x = 0; x < zeroed.width; ++x)
              differ += !render_test::SamePixel(zeroed, patterned, x, y);
          EXPECT_EQ(differ, 0) << "mode " << mode << (deep ? " 16" : " 8") << "-bit"
                               << (high ? " hi" : " lo") << (cut ? " cut alpha" : "");
        }
}

}  // namespace
