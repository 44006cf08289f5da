// The fuzz corpus in the normal test run: every seed file, then a few thousand
// deterministic mutations of each (bit flips, truncations, overwritten counts, offsets and
// indices), must load cleanly or fail cleanly, never giving a mesh with an index outside
// its vertices.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/fuzz/model_check.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::vector<uint8_t>> Corpus() {
  std::vector<std::vector<uint8_t>> files;
  for (const auto& entry : fs::directory_iterator(QUORVEL_FUZZ_CORPUS_DIR)) {
    std::ifstream f(entry.path(), std::ios::binary);
    files.emplace_back(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  return files;
}

// A small fixed-seed generator, so that every run tries the same mutations.
struct Lcg {
  uint64_t state;
  uint32_t Next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state >> 33);
  }
};

void PutI32(std::vector<uint8_t>& b, size_t at, int32_t v) {
  for (int k = 0; k < 4 && at + k < b.size(); ++k) b[at + k] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k));
}

TEST(ModelCorpus, SeedsLoadOrFailCleanly) {
  const auto files = Corpus();
  ASSERT_GE(files.size(), 10u);
  int loaded = 0;
  for (const auto& f : files) EXPECT_TRUE(FeedModelLoader(f.data(), f.size(), &loaded));
  EXPECT_GE(loaded, 6 * 3);  // the six valid seeds load with every set of wishes
}

TEST(ModelCorpus, DeterministicMutations) {
  const auto files = Corpus();
  Lcg rng{12345};
  const int32_t values[] = {-1, 0, 1, 2, 15, 16, 72, 88, 65535, 65536, 0x7FFFFFFF,
                            static_cast<int32_t>(0x80000000), 0x10000000, -72};
  int mutations = 0;
  for (const auto& original : files) {
    if (original.empty()) continue;
    const size_t n = original.size();
    for (int round = 0; round < 400; ++round) {
      std::vector<uint8_t> b = original;
      switch (round % 4) {
        case 0:  // flip a few bits anywhere
          for (int k = 0; k < 1 + round % 3; ++k) b[rng.Next() % n] ^= static_cast<uint8_t>(1u << (rng.Next() % 8));
          break;
        case 1:  // cut the file short
          b.resize(rng.Next() % n);
          break;
        case 2: {  // overwrite a header count or offset of the first or a later object
          const size_t object = (rng.Next() % 2) ? 16 : static_cast<size_t>(rng.Next() % n);
          const size_t field = object + 16 + 4 * (rng.Next() % 13);
          if (field < n) PutI32(b, field, values[rng.Next() % (sizeof values / sizeof values[0])]);
          else PutI32(b, 8 + 4 * (rng.Next() % 2), values[rng.Next() % 14]);
          break;
        }
        default:  // overwrite a 16-bit value (an index, when it lands in triangle data)
          {
            const size_t at = rng.Next() % n;
            b[at] = 0xFF;
            if (at + 1 < n) b[at + 1] = static_cast<uint8_t>(rng.Next());
          }
      }
      ASSERT_TRUE(FeedModelLoader(b.data(), b.size())) << "mutation " << round;
      ++mutations;
    }
  }
  EXPECT_GE(mutations, 4000);
}

}  // namespace
