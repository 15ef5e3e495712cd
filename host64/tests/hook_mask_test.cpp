#include "host64/hook_mask.h"

#include <gtest/gtest.h>

namespace {

constexpr unsigned M = kHookMaskMouse;
constexpr unsigned G = kHookMaskGetMessage;
constexpr unsigned C = kHookMaskCallWndProc;

TEST(HookMaskTest, InstallsTheMissingWantedHooksAndRemovesTheUnwantedOnes) {
  struct Case {
    unsigned wanted, installed, install, remove;
  };
  const Case cases[] = {
      {0, 0, 0, 0},                    // nothing to do
      {0, M | G | C, 0, M | G | C},    // all off
      {M | G | C, 0, M | G | C, 0},    // all on
      {M | G | C, M | G | C, 0, 0},    // in place already: nothing is installed twice
      {M, M | C, 0, C},                // installed hooks that stay wanted are kept
      {G | C, M | G, C, M},            // both ways at once
      {0xFFFFFFF8u | M, G, M, G},      // bits beyond the three hooks are ignored
  };
  for (const Case& c : cases) {
    const HookChanges changes = PlanHookChanges(c.wanted, c.installed);
    EXPECT_EQ(changes.install, c.install) << c.wanted << " over " << c.installed;
    EXPECT_EQ(changes.remove, c.remove) << c.wanted << " over " << c.installed;
  }
}

TEST(HookMaskTest, AnswerIsGivenOnlyWhenEveryWantedHookIsInPlace) {
  struct Case {
    unsigned wanted, installed;
    std::intptr_t answer;
  };
  const Case cases[] = {
      {0, 0, kHostHooksInPlace},
      {M | G | C, M | G | C, kHostHooksInPlace},
      {M, M, kHostHooksInPlace},
      {M | G | C, M | C, 0},            // the get-message hook failed
      {G, 0, 0},
      {0x100u | M, M, kHostHooksInPlace},  // no hook stands behind a foreign bit
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SetHooksAnswer(AllHooksInPlace(c.wanted, c.installed)), c.answer) << c.wanted << " with " << c.installed;
  }
}

}  // namespace
