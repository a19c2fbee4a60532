#include "kumo/support/tracked_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "kumo/support/log.h"
#include "log_fixture.h"

namespace {

using kumo::TrackedAlloc;
using kumo::TrackedFree;
using kumo::TrackedHeader;
using kumo::TrackedHeaderOf;
using kumo::TrackedMemory;

// A tracker of its own for each test, with the default settings, so that blocks that others
// hold do not show and the test's settings do not outlive it.
class TrackedMemoryTest : public LogFileTest {
 protected:
  void SetUp() override {
    LogFileTest::SetUp();
    saved_ = TrackedMemory();
    TrackedMemory() = kumo::TrackedMemoryState{};
  }

  void TearDown() override {
    EXPECT_EQ(TrackedMemory().count, 0) << "a test left blocks live";
    TrackedMemory() = saved_;
    LogFileTest::TearDown();
  }

  // A block holding `bytes`.
  static void* Holding(const std::string& bytes, const char* name = "", int line = 0) {
    void* data = TrackedAlloc(static_cast<int>(bytes.size()), name, line);
    std::memcpy(data, bytes.data(), bytes.size());
    return data;
  }

  kumo::TrackedMemoryState saved_;
};

std::string Repeat(const std::string& piece, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) result += piece;
  return result;
}

constexpr char kEmptyDump[] =
    "0:\r\n"
    "0:Alloc memory dump\tTotal size:0(0.000kb)  Alloc num:0\r\n"
    "0:\r\n";

TEST_F(TrackedMemoryTest, KeepsTheLast15CharactersOfTheName) {
  struct Case {
    const char* name;
    const char* kept;
  };
  const Case cases[] = {
      {"abcdefghijklmnopqrst", "fghijklmnopqrst"},
      {"abcdefghijklmno", "abcdefghijklmno"},
      {"short.cpp", "short.cpp"},
      {"", ""},
      {nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name == nullptr ? "none" : c.name);
    void* data = TrackedAlloc(4, c.name, 12);
    EXPECT_STREQ(TrackedHeaderOf(data)->name, c.kept);
    TrackedFree(data);
  }
}

TEST_F(TrackedMemoryTest, CounterWrapsFrom65535To0) {
  TrackedMemory().counter = 65535;
  void* last = TrackedAlloc(1, "", 0);
  void* first = TrackedAlloc(1, "", 0);
  EXPECT_EQ(TrackedHeaderOf(last)->id, 65535);
  EXPECT_EQ(TrackedHeaderOf(first)->id, 0);
  EXPECT_EQ(TrackedMemory().counter, 1);
  TrackedFree(first);
  TrackedFree(last);
}

TEST_F(TrackedMemoryTest, ListRunsFromTheNewestToTheAnchor) {
  kumo::TrackedMemoryState& tracker = TrackedMemory();
  TrackedHeader* a = TrackedHeaderOf(TrackedAlloc(1, "", 0));
  TrackedHeader* b = TrackedHeaderOf(TrackedAlloc(2, "", 0));
  TrackedHeader* c = TrackedHeaderOf(TrackedAlloc(3, "", 0));
  EXPECT_EQ(tracker.newest, c);
  EXPECT_EQ(c->older, b);
  EXPECT_EQ(b->older, a);
  EXPECT_EQ(a->older, &tracker.anchor);
  EXPECT_EQ(tracker.anchor.older, nullptr);
  EXPECT_EQ(a->newer, b);
  EXPECT_EQ(c->newer, nullptr);
  EXPECT_EQ(tracker.count, 3);
  EXPECT_EQ(tracker.totalSize, 6);

  TrackedFree(b + 1);
  EXPECT_EQ(c->older, a);
  EXPECT_EQ(a->newer, c);
  EXPECT_EQ(kumo::TrackedCheck(), 0);

  TrackedFree(c + 1);
  EXPECT_EQ(tracker.newest, a);
  EXPECT_EQ(a->newer, nullptr);
  EXPECT_EQ(kumo::TrackedCheck(), 0);

  TrackedFree(a + 1);
  EXPECT_EQ(tracker.newest, &tracker.anchor);
  EXPECT_EQ(tracker.anchor.newer, nullptr);
  EXPECT_EQ(tracker.count, 0);
  EXPECT_EQ(tracker.totalSize, 0);
  EXPECT_EQ(LogText(), "");
}

TEST_F(TrackedMemoryTest, DumpWithoutLiveBlocksShowsOnlyTheTotals) {
  EXPECT_EQ(kumo::TrackedDump(), -1);
  EXPECT_EQ(LogText(), kEmptyDump);

  TrackedFree(TrackedAlloc(8, "", 0));
  kumo::LogStart();
  kumo::TrackedDump();
  EXPECT_EQ(LogText(), kEmptyDump);
}

TEST_F(TrackedMemoryTest, DumpShowsEachBlocksRecordLine) {
  struct Case {
    const char* what;
    std::string bytes;
    const char* name;
    int line;
    std::string record;
    const char* totals;
  };
  const Case cases[] = {
      {"three bytes", "abc", "", 0,
       "\tsize:3(0.003kb)  file:  line:0  ID:7  data:<abc> [61 62 63]\r\n",
       "\tTotal size:3(0.003kb)  Alloc num:1"},
      {"forty bytes",
       std::string("Kumo ~\x7f\x1f\x00\x80\xff"
                   "abcde",
                   16) +
           std::string(24, 'z'),
       "sprite.cpp", -1,
       "\tsize:40(0.039kb)  file:sprite.cpp  line:65535  ID:7  data:<Kumo ~\x7f....abcde> "
       "[4b 75 6d 6f 20 7e 7f 1f 00 80 ff 61 62 63 64 65]\r\n",
       "\tTotal size:40(0.039kb)  Alloc num:1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    kumo::LogStart();
    TrackedMemory().counter = 7;
    void* data = Holding(c.bytes, c.name, c.line);
    kumo::TrackedDump();
    EXPECT_EQ(LogText(), "0:\r\n0:Alloc memory dump" + c.record + "0:" + c.totals + "\r\n0:\r\n");
    TrackedFree(data);
  }
}

TEST_F(TrackedMemoryTest, DumpListsTheNewestFirst) {
  void* older = Holding("old");
  void* newer = Holding("new");
  kumo::TrackedDump();
  EXPECT_EQ(LogText(),
            "0:\r\n"
            "0:Alloc memory dump\tsize:3(0.003kb)  file:  line:0  ID:1  data:<new> [6e 65 77]\r\n"
            "0:\tsize:3(0.003kb)  file:  line:0  ID:0  data:<old> [6f 6c 64]\r\n"
            "0:\tTotal size:6(0.006kb)  Alloc num:2\r\n"
            "0:\r\n");
  TrackedFree(newer);
  TrackedFree(older);
}

TEST_F(TrackedMemoryTest, ZeroByteBlockIsTracedOnAllocationAndFree) {
  TrackedFree(TrackedAlloc(0, "", 0));
  EXPECT_EQ(LogText(),
            "0:mem alloc  \tsize:0(0.000kb)  file:  line:0  ID:0  data:<> ]\r\n"
            "0:mem free  \tsize:0(0.000kb)  file:  line:0  ID:0  data:<> ]\r\n");
}

TEST_F(TrackedMemoryTest, TracesTheBlocksTheSettingsAskFor) {
  struct Case {
    int traceAll;
    int traceSize;
    int size;
    bool traced;
  };
  const Case cases[] = {
      {0, 0, 0, true},  {0, 0, 5, false}, {0, 5, 5, true},
      {0, -1, 9, true}, {1, 3, 9, true},  {0, 3, 9, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "trace-all " << c.traceAll << ", trace-size " << c.traceSize
                                    << ", size " << c.size);
    kumo::LogStart();
    TrackedMemory().settings.traceAll = c.traceAll;
    TrackedMemory().settings.traceSize = c.traceSize;
    TrackedFree(TrackedAlloc(c.size, "", 0));
    const std::string log = LogText();
    const std::string record = "\tsize:" + std::to_string(c.size) + "(";
    EXPECT_EQ(log.find("0:mem alloc  " + record) == 0, c.traced) << log;
    EXPECT_EQ(log.find("0:mem free  " + record) != std::string::npos, c.traced) << log;
    if (!c.traced) {
      EXPECT_EQ(log, "");
    }
  }
}

TEST_F(TrackedMemoryTest, PrintsTheTotalsAfterEachAllocationAndFree) {
  TrackedMemory().settings.printTotals = 1;
  void* kept = TrackedAlloc(1024, "", 0);
  TrackedFree(TrackedAlloc(40, "", 0));
  TrackedFree(kept);
  EXPECT_EQ(LogText(),
            "0:\tTotal size:1024(1.000kb)  Alloc num:1\r\n"
            "0:\tTotal size:1064(1.039kb)  Alloc num:2\r\n"
            "0:\tTotal size:1024(1.000kb)  Alloc num:1\r\n"
            "0:\tTotal size:0(0.000kb)  Alloc num:0\r\n");
}

TEST_F(TrackedMemoryTest, CheckReportsADamagedHeader) {
  struct Case {
    const char* what;
    std::function<void(TrackedHeader*)> damage;
    const char* record;
  };
  const Case cases[] = {
      {"line", [](TrackedHeader* h) { h->line = 1234; },
       "\tsize:3(0.003kb)  file:  line:1234  ID:0  data:<abc> [61 62 63]\r\n"},
      {"name without terminator", [](TrackedHeader* h) { std::memset(h->name, 'X', 16); },
       "\tsize:3(0.003kb)  file:XXXXXXXXXXXXXXXX  line:0  ID:0  data:<abc> [61 62 63]\r\n"},
      // The damaged size must not make the line read past the 3 bytes.
      {"size", [](TrackedHeader* h) { h->size = 1000; },
       "\tsize:1000(0.977kb)  file:  line:0  ID:0  data:<abc> [61 62 63]\r\n"},
      {"older link", [](TrackedHeader* h) { h->older = h; },
       "\tsize:3(0.003kb)  file:  line:0  ID:0  data:<abc> [61 62 63]\r\n"},
      {"guard copy", [](TrackedHeader* h) { h->guard[offsetof(TrackedHeader, line)] ^= 1; },
       "\tsize:3(0.003kb)  file:  line:0  ID:0  data:<abc> [61 62 63]\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    kumo::LogStart();
    TrackedMemory().counter = 0;
    void* damaged = Holding("abc");
    void* intact = Holding("intact");
    ASSERT_EQ(kumo::TrackedCheck(), 0);

    TrackedHeader* header = TrackedHeaderOf(damaged);
    const TrackedHeader before = *header;
    c.damage(header);
    EXPECT_EQ(kumo::TrackedCheck(), -1);
    EXPECT_EQ(LogText(), std::string("0:以下のメモリ確保情報が破損しました") + c.record);

    *header = before;
    EXPECT_EQ(kumo::TrackedCheck(), 0);
    TrackedFree(intact);
    TrackedFree(damaged);
  }
}

// An allocation or free refreshes its neighbour's guard from its fields as they are, so the
// damaged blocks here lie behind an intact one.
TEST_F(TrackedMemoryTest, CheckEachReportsTheNewestDamagedBlockOnAllocationAndFree) {
  void* oldest = Holding("abc");
  void* older = Holding("def");
  void* intact = Holding("ghi");
  TrackedHeaderOf(oldest)->line = 1111;
  TrackedHeaderOf(older)->line = 2222;
  TrackedMemory().settings.checkEach = 1;
  TrackedFree(TrackedAlloc(1, "", 0));
  const std::string report =
      "0:以下のメモリ確保情報が破損しました\tsize:3(0.003kb)  file:  line:2222  ID:1  "
      "data:<def> [64 65 66]\r\n";
  EXPECT_EQ(LogText(), report + report);

  TrackedMemory().settings.checkEach = 0;
  TrackedHeaderOf(oldest)->line = 0;
  TrackedHeaderOf(older)->line = 0;
  TrackedFree(intact);
  TrackedFree(older);
  TrackedFree(oldest);
}

TEST_F(TrackedMemoryTest, NegativeSizeFailsWithTheDump) {
  void* live = Holding("abc");
  EXPECT_EQ(TrackedAlloc(-1, "", 0), nullptr);
  EXPECT_EQ(TrackedMemory().count, 1);
  EXPECT_EQ(TrackedMemory().counter, 1);
  EXPECT_EQ(LogText(),
            "0:\r\n"
            "0:Alloc memory dump\tsize:3(0.003kb)  file:  line:0  ID:0  data:<abc> [61 62 63]\r\n"
            "0:\tTotal size:3(0.003kb)  Alloc num:1\r\n"
            "0:\r\n");
  TrackedFree(live);
}

TEST_F(TrackedMemoryTest, AllocZeroClearsAlignedBytes) {
  void* used = TrackedAlloc(64, "", 0);
  std::memset(used, 0xAA, 64);
  TrackedFree(used);

  unsigned char* data = static_cast<unsigned char*>(kumo::TrackedAllocZero(64, "", 0));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(data) % 16, 0u);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(data[i], 0) << "byte " << i;
  EXPECT_EQ(TrackedFree(nullptr), 0);
  EXPECT_NE(TrackedFree(data), 0);
}

// A text longer than 255 bytes is converted in a block of twice its length, taken without a
// name at line -1; a shorter one needs none.
TEST_F(TrackedMemoryTest, LogWriteTakesABlockOnlyForALongText) {
  TrackedMemory().settings.traceAll = 1;
  kumo::LogWrite(std::string(255, 's').c_str());
  EXPECT_EQ(LogText().find("mem alloc"), std::string::npos);

  kumo::LogStart();
  kumo::LogWrite((std::string(300, 'x') + "\n").c_str());
  const std::string log = LogText();
  const std::string block = "\tsize:602(0.588kb)  file:  line:65535  ID:0  data:<";
  EXPECT_EQ(log.find("0:mem alloc  " + block), 0u) << log;
  const std::string end = "0:" + std::string(300, 'x') + "\r\n" + "0:mem free  " + block +
                          std::string(16, 'x') + "> [" + Repeat("78 ", 15) + "78]\r\n";
  ASSERT_GE(log.size(), end.size());
  EXPECT_EQ(log.substr(log.size() - end.size()), end);
}

}  // namespace
