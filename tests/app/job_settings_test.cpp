// The record's two mask forms and the target list's copies.
#include <gtest/gtest.h>

#include "app/job_settings.h"

namespace {

// Attributes after the job under the apply form made from summary masks.
uint32_t Applied(uint32_t orMask, uint32_t andMask, uint32_t attributes) {
  JobSettings record;
  if (!InitJobSettings(&record)) return 0xDEAD;
  record.orMask = orMask;
  record.andMask = andMask;
  MakeApplyMasks(&record);
  DestroyTargetList(record.targets);
  return ApplyAttributeMasks(attributes, record.orMask, record.andMask);
}

TEST(MakeApplyMasks, TurnsEachSummaryRowIntoItsAction) {
  // Per bit: read-only in both masks (set), hidden in orMask only (keep), system in neither
  // (clear), archive in andMask only (no target looked up: keep). 0x2000 and the folder bit
  // are outside the offered four and always survive, whatever the summary said of them.
  const uint32_t orMask = 0x01 | 0x02 | 0x2000;
  const uint32_t andMask = 0x01 | 0x20 | 0x10;
  const struct {
    uint32_t before;
    uint32_t after;
  } cases[] = {
      {0x00, 0x01},
      {0x27, 0x23},
      {0x02 | 0x04, 0x03},
      {0x2000 | 0x10 | 0x04, 0x2000 | 0x10 | 0x01},
      {0x80000000u | 0x20, 0x80000000u | 0x21},
  };
  for (const auto& c : cases) EXPECT_EQ(c.after, Applied(orMask, andMask, c.before)) << c.before;
}

TEST(MakeApplyMasks, KeepsUnnamedBitsWhenNoTargetWasLookedUp) {
  // The summary where no target was looked up (or 0, and all ones) with read-only set and
  // hidden cleared: system, archive and 0x2000 stay as each entry has them.
  const uint32_t orMask = 0x01, andMask = ~0x02u;
  EXPECT_EQ(0x2025u, Applied(orMask, andMask, 0x2026));
  EXPECT_EQ(0x01u, Applied(orMask, andMask, 0x02));
  EXPECT_EQ(0x2026u, Applied(0, 0xFFFFFFFFu, 0x2026));
}

TEST(ApplyAttributeMasks, SetsAndClearsArchiveAndKeepsOtherBits) {
  // Archive and 0x2000 do not round-trip on files under Wine, so they are checked here.
  const struct {
    uint32_t before, orMask, andMask, after;
  } cases[] = {
      {0x2000, 0x20, 0xFFFFFFFFu, 0x2020},
      {0x2020, 0x00, ~0x20u, 0x2000},
      {0x2021, 0x00, 0xFFFFFFFFu, 0x2021},
      {0x10, 0x02, ~0x01u, 0x12},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.after, ApplyAttributeMasks(c.before, c.orMask, c.andMask)) << c.before;
}

// The case is the caller's: only the file system can tell whether folding keeps the entry.
TEST(AddTarget, StoresCopiesAsGivenNewestFirst) {
  TargetList* list = ListCreate();
  ASSERT_NE(nullptr, list);
  char path[] = "C:\\Dir\\\x83\x41.TXT";
  EXPECT_EQ(1, AddTarget(list, path));
  path[0] = 'D';
  EXPECT_EQ(2, AddTarget(list, "E:\\X"));
  EXPECT_STREQ("E:\\X", TargetAt(list, 0));
  EXPECT_STREQ("C:\\Dir\\\x83\x41.TXT", TargetAt(list, 1));
  EXPECT_EQ(nullptr, TargetAt(list, 2));
  DestroyTargetList(list);
}

}  // namespace
