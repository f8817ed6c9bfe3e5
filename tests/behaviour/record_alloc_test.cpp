// Recording a run's best genomes touches the heap neither in a tick nor at a
// generation end: the room is reserved when the recorder is made.
#include <gtest/gtest.h>

#include "behaviour/run_record.h"
#include "tests/support/alloc_counter.h"
#include "tests/world/world_fixture.h"

using RecordAlloc = WorldTest;

TEST_F(RecordAlloc, RecordingAllocatesNothing) {
  ParamsRecord p = DefaultParamsRecord();
  p.TicksPerGeneration = 200;
  auto w = Build(p, 1);
  w->bFastMode = true;
  constexpr int kGenerations = 3;
  RunRecorder recorder(*w, kGenerations);

  // Only the recorder's own calls are counted; the World's generation end
  // allocates by itself.
  long recorderCalls = 0;
  bool ran = true;
  while (w->iGeneration < kGenerations) {
    long before = AllocationCount();
    recorder.BeforeUpdate(*w);
    recorderCalls += AllocationCount() - before;
    ran &= w->Update();
    before = AllocationCount();
    recorder.AfterUpdate(*w);
    recorderCalls += AllocationCount() - before;
  }
  ASSERT_TRUE(ran);
  EXPECT_EQ(recorderCalls, 0);
  const RunHistory& history = recorder.History();
  EXPECT_EQ(history.Generations(), kGenerations);
  EXPECT_EQ(history.best.size(), static_cast<std::size_t>(kGenerations * w->iNumWeights));
  EXPECT_EQ(history.lastPopulation.size(), static_cast<std::size_t>(w->iNumCritters * w->iNumWeights));
}
