// Every file operation of the editor, failed at each file call it makes in turn, and killed
// inside each call: what it leaves must be the old or the new file, byte for byte, and every
// failure must be reported while the image in memory stays as it was. Each failed save is then
// run again without a fault: the content it was to keep must still be in the target or its
// ".BAK".

#include "faults/fault_run.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace faults {
namespace {

struct Tally {
  int runs = 0;
  int hit = 0;       // runs whose fault was hit
  int reported = 0;  // runs that showed a File Error box
  int oldOrNew = 0;  // runs that left the target old or new
  int failed = 0;    // runs with any problem
  int strays = 0;    // crashed runs that left a temporary file
  int windows = 0;   // crashed runs that left the old content only under the ".BAK" name
  int repeats = 0;   // failed saves run again without a fault
  int lost = 0;      // repeats after which content to be kept was gone

  void Add(const Tally& other) {
    runs += other.runs;
    hit += other.hit;
    reported += other.reported;
    oldOrNew += other.oldOrNew;
    failed += other.failed;
    strays += other.strays;
    windows += other.windows;
    repeats += other.repeats;
    lost += other.lost;
  }
};

Tally walkTotal;
Tally crashTotal;

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
  return text;
}

std::string Row(const Operation& operation, const Fault& fault, const std::string& call) {
  return operation.name + " call " + std::to_string(fault.call) + " (" + call + ") " + fault.kind;
}

// Prints the totals of all operations when the run walked more than one.
class TotalsPrinter : public ::testing::Environment {
 public:
  void TearDown() override {
    Print("fault walk total", walkTotal);
    Print("crash walk total", crashTotal);
  }
  static void Print(const std::string& what, const Tally& tally) {
    if (tally.runs == 0) return;
    std::cout << what << ": " << tally.runs << " runs, faults hit " << tally.hit << ", reported "
              << tally.reported << ", target old or new " << tally.oldOrNew << ", failing rows "
              << tally.failed;
    if (tally.strays > 0) std::cout << ", temporary files left by kills " << tally.strays;
    if (tally.windows > 0) {
      std::cout << ", name missing with the old content in the .BAK " << tally.windows;
    }
    if (tally.repeats > 0) {
      std::cout << ", failed saves repeated without a fault " << tally.repeats
                << ", content lost by a repeat " << tally.lost;
    }
    std::cout << std::endl;
  }
};

// gtest owns its environments.
[[maybe_unused]] const auto* const kTotals = ::testing::AddGlobalTestEnvironment(new TotalsPrinter);

// The operation run without a fault, twice: it must succeed; returns the calls it makes.
std::vector<std::string> RunBaseline(const Operation& operation) {
  std::vector<std::string> calls;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const TempFolder folder;
    const Scenario scenario = Prepare(operation, folder.path());
    const DriverRun run = RunDriver(operation, folder.path(), {});
    const Leftovers left = Inspect(operation, folder.path());
    const Verdict verdict = Judge(operation, scenario, {}, run, left, false);
    EXPECT_TRUE(verdict.problems.empty())
        << operation.name << " without a fault: " << Joined(verdict.problems, "; ") << "\n"
        << run.output;
    EXPECT_FALSE(verdict.reported) << run.output;
    // The toolkit's own work must not show up among the counted calls: two runs count alike.
    if (attempt == 0) {
      calls = run.Trace();
    } else {
      EXPECT_EQ(run.Trace(), calls) << "the counted calls differ between two runs";
    }
  }
  return calls;
}

// Runs `again` without a fault in the folder a failed save left as `afterFailure`; `expected`
// is what the target must then hold.
RepeatVerdict Repeat(const Operation& again, const Scenario& scenario,
                     const Leftovers& afterFailure, const TempFolder& folder,
                     const Bytes& expected) {
  const std::vector<Bytes> kept = MustSurvive(again, scenario, afterFailure);
  PrepareRepeat(again.driver, folder.path());
  const DriverRun run = RunDriver(again, folder.path(), {});
  return JudgeRepeat(kept, expected, run, Inspect(again, folder.path()));
}

// Counts a repeat and fails the test on its problems.
void Record(Tally& tally, const RepeatVerdict& verdict, const std::string& row) {
  ++tally.repeats;
  tally.lost += verdict.lost > 0 ? 1 : 0;
  EXPECT_TRUE(verdict.problems.empty()) << row << ": " << Joined(verdict.problems, "; ");
}

class FaultWalk : public ::testing::TestWithParam<std::string> {};

TEST_P(FaultWalk, EachCallFailingLeavesTheOldOrNewFileAndIsReported) {
  const Operation& operation = FindOperation(GetParam());
  const std::vector<std::string> calls = RunBaseline(operation);
  ASSERT_FALSE(calls.empty()) << "no file call was counted";
  // Success is reported only once the content, and a new name, are on the disk.
  if (!operation.load) {
    EXPECT_TRUE(DurabilityProblems(calls).empty())
        << Joined(DurabilityProblems(calls), "; ") << ": " << Joined(calls, ",");
  }
  std::cout << operation.name << " makes " << calls.size() << " file calls: " << Joined(calls, ",")
            << std::endl;

  Tally tally;
  for (std::size_t index = 0; index < calls.size(); ++index) {
    const std::string& call = calls[index];
    for (const std::string& kind : FaultKindsFor(call)) {
      const Fault fault{static_cast<long>(index + 1), kind};
      const TempFolder folder;
      const Scenario scenario = Prepare(operation, folder.path());
      const DriverRun run = RunDriver(operation, folder.path(), fault);
      const Leftovers left = Inspect(operation, folder.path());
      const Verdict verdict = Judge(operation, scenario, fault, run, left, false);
      ++tally.runs;
      tally.hit += run.Field("hit") == call ? 1 : 0;
      tally.reported += verdict.reported ? 1 : 0;
      tally.oldOrNew += verdict.oldOrNew ? 1 : 0;
      tally.failed += verdict.problems.empty() ? 0 : 1;
      EXPECT_EQ(run.Field("hit"), call) << Row(operation, fault, call);
      EXPECT_TRUE(verdict.problems.empty())
          << Row(operation, fault, call) << ": " << Joined(verdict.problems, "; ") << "\n"
          << "boxes: " << run.Field("texts") << "\n"
          << run.output;
      if (!verdict.reported || !SavesImage(operation)) continue;

      // The same save again, without a fault.
      Record(tally, Repeat(operation, scenario, left, folder, *scenario.newTarget),
             Row(operation, fault, call) + ", then again without a fault");
      // A plain Save after a failed Save As onto the file's own name, on the same file system.
      if (operation.driver == "saveas_self") {
        const TempFolder again;
        const Scenario same = Prepare(operation, again.path());
        const DriverRun rerun = RunDriver(operation, again.path(), fault);
        EXPECT_NE(rerun.Field("boxes"), "0")
            << Row(operation, fault, call) << " did not fail again";
        Operation save = FindOperation("save");
        save.always = operation.always;
        const Leftovers failed = Inspect(operation, again.path());
        const Bytes expected = SavedOver(*same.newTarget, failed.target.value_or(Bytes()));
        Record(tally, Repeat(save, same, failed, again, expected),
               Row(operation, fault, call) + ", then Save without a fault");
      }
    }
  }
  TotalsPrinter::Print(operation.name, tally);
  walkTotal.Add(tally);
}

// A process killed inside any of the calls of a save leaves the target old or new.
class CrashWalk : public ::testing::TestWithParam<std::string> {};

TEST_P(CrashWalk, KilledInsideEachCallLeavesTheOldOrNewFile) {
  if (SanitizerRuntime()) {
    GTEST_SKIP() << "a killed process gives the sanitizers nothing to check; the plain build "
                    "runs this walk";
  }
  const Operation& operation = FindOperation(GetParam());
  const std::vector<std::string> calls = RunBaseline(operation);
  ASSERT_FALSE(calls.empty()) << "no file call was counted";

  Tally tally;
  int killedInWrite = 0;
  for (std::size_t index = 0; index < calls.size(); ++index) {
    const std::string& call = calls[index];
    const Fault fault{static_cast<long>(index + 1), "stall"};
    const TempFolder folder;
    const Scenario scenario = Prepare(operation, folder.path());
    const DriverRun run = RunDriver(operation, folder.path(), fault);
    const Leftovers left = Inspect(operation, folder.path());
    const Verdict verdict = Judge(operation, scenario, fault, run, left, true);
    ++tally.runs;
    tally.hit += run.stopped ? 1 : 0;
    tally.oldOrNew += verdict.oldOrNew ? 1 : 0;
    tally.windows += verdict.renameWindow ? 1 : 0;
    tally.failed += verdict.problems.empty() ? 0 : 1;
    killedInWrite += run.stopped && IsWrite(call) ? 1 : 0;
    for (const std::string& name : left.names) tally.strays += scenario.names.count(name) ? 0 : 1;
    EXPECT_TRUE(verdict.problems.empty())
        << Row(operation, fault, call) << ": " << Joined(verdict.problems, "; ") << "\n"
        << run.output;
  }
  // The point of the walk: at least one kill lands in the middle of writing the content.
  EXPECT_GT(killedInWrite, 0) << "no run was killed inside a write";
  TotalsPrinter::Print(operation.name + " killed", tally);
  crashTotal.Add(tally);
}

// The driver itself, without the library: each operation succeeds.
class Driver : public ::testing::TestWithParam<std::string> {};

TEST_P(Driver, EachOperationSucceedsWithoutFaults) {
  const Operation& operation = FindOperation(GetParam());
  const TempFolder folder;
  const Scenario scenario = Prepare(operation, folder.path());
  const DriverRun run = RunDriver(operation, folder.path(), {}, false);
  const Leftovers left = Inspect(operation, folder.path());
  const Verdict verdict = Judge(operation, scenario, {}, run, left, false);
  EXPECT_TRUE(verdict.problems.empty()) << Joined(verdict.problems, "; ") << "\n" << run.output;
  EXPECT_FALSE(verdict.reported);
  EXPECT_EQ(run.Field("calls"), "0");  // nothing counts without the library
}

// The operations' names: all, or those that write, or those on a plain file system.
enum class Pick { All, Saves, PlainFileSystem };

std::vector<std::string> OperationNames(Pick pick) {
  std::vector<std::string> names;
  for (const Operation& operation : Operations()) {
    if (pick == Pick::Saves && operation.load) continue;
    if (pick == Pick::PlainFileSystem && !operation.always.empty()) continue;
    names.push_back(operation.name);
  }
  return names;
}

std::string ParamName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

INSTANTIATE_TEST_SUITE_P(Operations, FaultWalk, ::testing::ValuesIn(OperationNames(Pick::All)),
                         ParamName);
INSTANTIATE_TEST_SUITE_P(Saves, CrashWalk, ::testing::ValuesIn(OperationNames(Pick::Saves)),
                         ParamName);
INSTANTIATE_TEST_SUITE_P(Operations, Driver,
                         ::testing::ValuesIn(OperationNames(Pick::PlainFileSystem)), ParamName);

}  // namespace
}  // namespace faults
