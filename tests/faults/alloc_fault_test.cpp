// Every allocation of the module failed in turn: a small scene (ball and pendant, a
// texture layer) is set up and rendered through the reference host with the n-th page
// allocation refused, for every n until a run needs no more. Each run must end either with
// exactly the frame of an unhindered run or with the host's out-of-memory error, and with
// every block released, every layer checked in and every handle unlocked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "counting_page_alloc.h"
#include "engine/engine.h"
#include "host/drawing_suites.h"
#include "host/render_job.h"
#include "host/world.h"
#include "model/pixel_convert.h"
#include "tests/host/host_fixture.h"
#include "shell/resources/pipl_words.h"
#include "shell/sequence_model.h"
#include "ui/panel_events.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                 PF_ParamDef* params[], PF_LayerDef* output, void* extra);

namespace {

std::string ModelPath() { return PluginPath("Geometry/Toys/Toy01.3dd"); }

// The module's entry point, with sequence setup reading the pendant from the built plug-in
// folder (this program is not the module, so the path beside it leads nowhere).
PF_Err Entry(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
             PF_LayerDef* output, void* extra) {
  if (cmd == PF_Cmd_SEQUENCE_SETUP)
    return SetupSequenceRecord(in_data, out_data, ModelPath().c_str());
  return EntryPointFunc(cmd, in_data, out_data, params, output, extra);
}

qvhost::Pipl ModulePipl() {
  static const unsigned short kWords[] = {QUORVEL_PIPL_WORDS};
  return qvhost::ParsePipl(kWords, QUORVEL_PIPL_BYTES);
}

constexpr int kWidth = 48;
constexpr int kHeight = 40;

// One scene: a popup value for "Rendering mode", the depth, whether a texture layer is
// chosen, and how many pixels its frame changes at least.
struct Scene {
  int mode;
  bool deep;
  bool texture;
  int min_drawn;
};

// The outcome of one setup and render.
struct Outcome {
  bool setup_failed = false;
  std::string setup_error;
  PF_Err err = PF_Err_NONE;
  qvhost::Image image;
  std::vector<std::string> problems;
};

Outcome RunScene(const Scene& scene, long fail_at) {
  Outcome run;
  FailPageAllocAt(fail_at);
  std::unique_ptr<qvhost::RenderJob> job;
  try {
    job = std::make_unique<qvhost::RenderJob>(Entry, ModulePipl(), kWidth, kHeight);
  } catch (const qvhost::RenderSetupError& e) {
    run.setup_failed = true;
    run.setup_error = e.what();
    return run;
  }
  qvhost::RenderSettings settings;
  settings.deep = scene.deep;
  job->SetSettings(settings);
  job->session().value(2).u.pd.value = scene.mode;
  if (scene.texture) job->SetTextureLayer(22, qvhost::MakeBackground(7, 5, 8));
  qvhost::FrameResult r = job->RenderFrame(0);
  run.err = r.err;
  run.image = std::move(r.image);
  run.problems = std::move(r.problems);
  return run;  // the job's end sends sequence and global setdown
}

bool SameImage(const qvhost::Image& a, const qvhost::Image& b) {
  return a.width == b.width && a.height == b.height && a.depth == b.depth && a.rgba == b.rgba;
}

// Pixels that differ between two images of one size.
int ChangedPixels(const qvhost::Image& a, const qvhost::Image& b) {
  int changed = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      for (int c = 0; c < 4; ++c)
        if (a.pixel(x, y)[c] != b.pixel(x, y)[c]) {
          ++changed;
          break;
        }
  return changed;
}

class AllocationFaults : public ::testing::TestWithParam<Scene> {};

TEST_P(AllocationFaults, EveryFailedAllocationEndsInTheRightFrameOrOutOfMemory) {
  const Scene scene = GetParam();
  // The unhindered run: its frame, and how many allocations it makes.
  const Outcome good = RunScene(scene, 0);
  const long needed = PageAllocCalls();
  ASSERT_FALSE(good.setup_failed) << good.setup_error;
  ASSERT_EQ(good.err, PF_Err_NONE);
  ASSERT_EQ(LivePageBlocks(), 0);
  ASSERT_GT(needed, 5) << "the scene allocates its frame, background, ball and pendant";

  int good_frames = 0, out_of_memory = 0, setup_refused = 0;
  qvhost::Image prepared;  // the output of the first run that ran out of memory
  for (long n = 1; n <= needed; ++n) {
    const Outcome run = RunScene(scene, n);
    SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(needed));
    EXPECT_TRUE(PageAllocFailed());
    EXPECT_EQ(LivePageBlocks(), 0) << "blocks left behind";
    if (run.setup_failed) {
      ++setup_refused;
      EXPECT_NE(run.setup_error.find("out of memory"), std::string::npos) << run.setup_error;
      continue;
    }
    for (const std::string& p : run.problems) ADD_FAILURE() << "host check: " << p;
    if (run.err == PF_Err_NONE) {
      ++good_frames;
      EXPECT_TRUE(SameImage(run.image, good.image)) << "success with a wrong frame";
    } else {
      ++out_of_memory;
      EXPECT_EQ(run.err, PF_Err_OUT_OF_MEMORY);
      // The output as the render prepared it (the input copied), the same on every path.
      if (prepared.empty()) prepared = run.image;
      EXPECT_TRUE(SameImage(run.image, prepared)) << "a half-drawn frame";
    }
  }
  std::printf("  %ld allocations failed in turn: %d right frames, %d out of memory at the "
              "render, %d at sequence setup\n",
              needed, good_frames, out_of_memory, setup_refused);
  // The frame that a success must match shows the scene: a good part of it is drawn.
  ASSERT_FALSE(prepared.empty());
  EXPECT_GE(ChangedPixels(good.image, prepared), scene.min_drawn);
  // The pendant, the frame images and the engine's buffers cannot all be optional.
  EXPECT_GT(setup_refused, 0) << "the pendant's arrays";
  EXPECT_GT(out_of_memory, 0) << "the render's own buffers";
  EXPECT_EQ(good_frames + out_of_memory + setup_refused, needed);
}

// Without a sequence record the render leaves the output as prepared (cleared by "Cut
// alpha", else the input itself), checks every layer in, keeps no block and locks nothing.
// It takes the frame image and the texture, and the background image only when glass reads
// it.
void RenderWithoutSequence(bool glass, long expected_calls, bool cut_alpha = true) {
  FailPageAllocAt(0);
  {
    qvhost::RenderJob job(Entry, ModulePipl(), kWidth, kHeight);
    const qvhost::Image input = qvhost::MakeBackground(kWidth, kHeight, 8);
    job.SetInput(input);
    job.SetTextureLayer(22, qvhost::MakeBackground(7, 5, 8));
    job.session().value(52).u.bd.value = cut_alpha ? 1 : 0;  // "Cut alpha"
    job.session().value(17).u.bd.value = glass ? 1 : 0;  // "Glass"
    const long held = LivePageBlocks();
    EXPECT_GT(held, 0) << "the pendant's arrays";
    PF_Handle sequence = job.session().in_data().sequence_data;
    job.session().in_data().sequence_data = nullptr;
    FailPageAllocAt(0);  // counts the render's calls from here
    const qvhost::FrameResult r = job.RenderFrame(0);
    job.session().in_data().sequence_data = sequence;
    EXPECT_EQ(r.err, PF_Err_NONE);
    for (const std::string& p : r.problems) ADD_FAILURE() << "host check: " << p;
    EXPECT_EQ(job.session().checkins(), (std::vector<PF_ParamIndex>{22, 26, 24, 28, 41}));
    EXPECT_EQ(LivePageBlocks(), held) << "the render's own blocks are released";
    EXPECT_EQ(PageAllocCalls(), expected_calls);
    int input_pixels = 0;  // pixels of the input that are not empty, which must show
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        input_pixels += input.pixel(x, y)[3] != 0;
        for (int c = 0; c < 4; ++c)
          ASSERT_EQ(r.image.pixel(x, y)[c], cut_alpha ? 0 : input.pixel(x, y)[c])
              << x << "," << y;
      }
    EXPECT_EQ(input_pixels, kWidth * kHeight);
  }
  EXPECT_EQ(LivePageBlocks(), 0);
}

// An input layer smaller than the output is read through a padded copy of its own, which
// the render frees again.
TEST(SmallerInput, ItsPaddedCopyIsFreed) {
  FailPageAllocAt(0);
  {
    qvhost::RenderJob job(Entry, ModulePipl(), kWidth, kHeight);
    job.RenderFrame(0);  // the sequence and the kept buffers, at the output's size
    const long held = LivePageBlocks();
    qvhost::World small(kWidth / 2, kHeight / 2, false, 12);
    small.Fill(PF_Pixel{255, 9, 8, 7});
    qvhost::World output(kWidth, kHeight, false, 4);
    job.session().SetInputLayer(small.def());
    FailPageAllocAt(0);  // counts the render's calls from here
    EXPECT_EQ(job.session().Render(&output.def()), PF_Err_NONE);
    EXPECT_GT(PageAllocCalls(), 0) << "the padded copy at least";
    EXPECT_EQ(LivePageBlocks(), held) << "the render's own blocks are released";
    EXPECT_EQ(output.Pixel8(0, 0).red, 9) << "the small input shows";
  }
  EXPECT_EQ(LivePageBlocks(), 0);
}

TEST(NoSequenceRecord, FrameAsPreparedAndNothingKept) {
  {
    SCOPED_TRACE("no glass: the frame and the texture");
    RenderWithoutSequence(false, 2);
  }
  {
    SCOPED_TRACE("glass: the frame, the background and the texture");
    RenderWithoutSequence(true, 3);
  }
  {
    SCOPED_TRACE("without \"Cut alpha\": the input itself");
    RenderWithoutSequence(false, 2, false);
  }
}

// A texture converted into a new block asks for its texels and no more: 5 x 3 texels of 4
// channels, one byte each or two at 16 bits, whatever padding the world's rows carry.
TEST(BlockSizes, NewTextureAsksForItsTexelsExactly) {
  const unsigned char deep_before = __GetDeep();
  for (unsigned char deep : {0, 1}) {
    __SetDeep(deep);
    const int row = 5 * 4 + 8;  // channels
    std::vector<unsigned char> world(static_cast<size_t>(3 * row * (deep ? 2 : 1)), 9);
    FailPageAllocAt(0);
    unsigned char* texture = WorldToTexture(nullptr, world.data(), 5, 3, row);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(PageAllocCalls(), 1);
    EXPECT_EQ(PageAllocBytes(), deep ? 120u : 60u);
    EngineFree(texture);
  }
  __SetDeep(deep_before);
  EXPECT_EQ(LivePageBlocks(), 0);
}

// A texture converted to the engine's other depth asks for its texels and no more, and
// gives its old block back: 5 x 3 texels of 4 channels, 60 words to 60 bytes and back.
TEST(BlockSizes, ConvertedTextureAsksForItsTexelsExactly) {
  const unsigned char deep_before = __GetDeep();
  __Texture t{};
  t.present = 1;
  t.width = 5;
  t.height = 3;
  unsigned char* const words = static_cast<unsigned char*>(EngineAlloc(5 * 3 * 4 * 2));
  ASSERT_NE(words, nullptr);
  t.pixels = words;  // a packed field: written and read by value
  t.deep = 1;
  for (unsigned char deep : {0, 1}) {
    __SetDeep(deep);
    FailPageAllocAt(0);
    __ConvertText(&t);
    EXPECT_EQ(t.deep, deep);
    EXPECT_EQ(PageAllocCalls(), 1);
    EXPECT_EQ(PageAllocBytes(), deep ? 120u : 60u);
    EXPECT_EQ(LivePageBlocks(), 1) << "the old block given back";
  }
  EngineFree(t.pixels);
  __SetDeep(deep_before);
  EXPECT_EQ(LivePageBlocks(), 0);
}

// The picture the draw event of DrawPicture draws: id, width and height.
int g_picture[3];

PF_Err DrawPicture(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef**,
                   PF_LayerDef*, void* extra) {
  if (cmd != PF_Cmd_EVENT) return PF_Err_NONE;
  return DrawPanelBitmap(in_data, out_data, static_cast<PF_EventExtra*>(extra), g_picture[0],
                         g_picture[1], g_picture[2], 0, 0);
}

// A panel picture that cannot be loaded (no such bitmap, another size, no memory for its
// pixels) is skipped without an error and gives back every block, image and suite it
// took; the same call with a loadable picture draws it.
TEST(PanelPicture, ThatCannotBeLoadedIsSkippedAndFreesWhatItTook) {
  const struct {
    const char* name;
    int picture[3];
    long fail_at;
    size_t drawn;
  } kPictures[] = {{"no such bitmap", {999, 62, 61}, 0, 0},
                   {"another size", {780, 61, 62}, 0, 0},
                   {"no memory", {780, 62, 61}, 1, 0},
                   {"loadable", {780, 62, 61}, 0, 1}};
  qvhost::Session session(DrawPicture, ModulePipl());
  qvhost::ControlCanvas canvas(416, 148, 12, 40);
  canvas.ProvideTo(session);
  for (const auto& p : kPictures) {
#if defined(_WIN32)
    // The Windows module's pictures are resources of the module file, which this test
    // program does not carry: there no picture is loadable.
    if (p.drawn) continue;
#endif
    std::copy(p.picture, p.picture + 3, g_picture);
    canvas.ClearRecords();
    PF_EventExtra e = canvas.Event(PF_Event_DRAW);
    FailPageAllocAt(p.fail_at);
    EXPECT_EQ(session.Event(&e), PF_Err_NONE) << p.name;
    EXPECT_GT(PageAllocCalls(), 0) << p.name;
    EXPECT_EQ(canvas.drawn().size(), p.drawn) << p.name;
    EXPECT_EQ(LivePageBlocks(), 0) << p.name;
    EXPECT_EQ(canvas.images_alive(), 0) << p.name;
    EXPECT_EQ(session.suites_held(), 0) << p.name;
    EXPECT_TRUE(session.messages().empty()) << p.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Scenes, AllocationFaults,
                         ::testing::Values(Scene{5, false, true, 400}, Scene{5, true, false, 400},
                                           Scene{1, false, false, 100},
                                           Scene{6, false, false, 400}),
                         [](const ::testing::TestParamInfo<Scene>& info) {
                           const Scene& s = info.param;
                           return "Mode" + std::to_string(s.mode) + (s.deep ? "Deep" : "") +
                                  (s.texture ? "Textured" : "");
                         });

}  // namespace
