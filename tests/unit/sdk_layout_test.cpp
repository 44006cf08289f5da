// The effect's identity constants agree with each other and with the host's packing.
#include <gtest/gtest.h>

#include "shell/shell_state.h"

TEST(EffectIdentity, VersionUnpacksAsTwoPointZeroBuildOne) {
  EXPECT_EQ((kEffectVersion >> 19) & 0x7u, 2u);
  EXPECT_EQ((kEffectVersion >> 15) & 0xFu, 0u);
  EXPECT_EQ(kEffectVersion & 0x1FFu, 1u);
}
