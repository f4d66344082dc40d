#pragma once

// Runs the fault driver in a child process, under the fault-injecting preload library, on one
// operation set up in a fresh folder, and judges what the operation left behind.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace faults {

using Bytes = std::vector<std::uint8_t>;

// How the driver's child process ended.
struct DriverRun {
  bool exited = false;    // exited by itself (status below)
  int status = -1;        // its exit status
  bool stopped = false;   // stopped itself inside a call (the "stall" fault) and was killed
  bool timedOut = false;  // killed after hanging
  std::map<std::string, std::string> fields;  // the report line's key=value fields
  std::string output;                         // stdout and stderr, for failure messages

  [[nodiscard]] std::string Field(const std::string& key) const;
  // The counted calls by name, in order.
  [[nodiscard]] std::vector<std::string> Trace() const;
};

// The fault for one run: the counted call to hit (from 1; 0 only counts) and how.
struct Fault {
  long call = 0;
  std::string kind;  // EIO, ENOSPC, EDQUOT, short1, half, stall
};

// The address sanitizer's shared runtime this test (and so the driver) runs on, if any.
[[nodiscard]] std::optional<std::string> SanitizerRuntime();

// The LD_PRELOAD list for the driver: the library, after the address sanitizer's runtime when
// the build uses it.
[[nodiscard]] std::string PreloadList();

// Runs `fault_driver OPERATION folder` with the library watching `folder`.
struct Operation;
[[nodiscard]] DriverRun RunDriver(const Operation& operation, const std::filesystem::path& folder,
                                  const Fault& fault, bool withShim = true);

// Call families, by the names the library reports.
[[nodiscard]] bool IsWrite(const std::string& call);
[[nodiscard]] bool IsRead(const std::string& call);
// Calls whose failure leaves the new content unwritten or not durable, so it must be reported.
[[nodiscard]] bool MustReport(const std::string& call);

// What keeps a write operation's counted calls from being durable: no sync after the last
// write, or none after the last rename (the folder's); empty when durable.
[[nodiscard]] std::vector<std::string> DurabilityProblems(const std::vector<std::string>& calls);

// The faults the walk tries on one call (fewer under the sanitizers).
[[nodiscard]] std::vector<std::string> FaultKindsFor(const std::string& call);

// One operation of the walk, with the files it starts from.
struct Operation {
  std::string name;          // the walk's name for it
  std::string driver;        // the driver's operation
  std::string target;        // the file it reads or writes, in its folder
  bool load = false;         // reads the target into memory instead of writing it
  bool renames = false;      // on success the image's file name becomes the target
  bool backup = false;       // Save As: an existing target is kept under its ".BAK" name
  bool backupTaken = false;  // a ".BAK" file is there beforehand and must stay as it is
  // Calls that always fail (QUORVEL_FAULT_ALWAYS), standing in for a file system without
  // them: "link=EPERM" is a memory stick's, which has no hard links.
  std::string always;
};

[[nodiscard]] const std::vector<Operation>& Operations();
[[nodiscard]] const Operation& FindOperation(const std::string& name);

// What one folder holds before the operation, and what it may hold after it.
struct Scenario {
  std::optional<Bytes> oldTarget;  // the target before (none when it does not exist)
  std::optional<Bytes> newTarget;  // the content a successful operation leaves in the target
  std::optional<Bytes> oldBackup;  // a ".BAK" present beforehand
  std::set<std::string> names;     // every name the folder may hold after the operation
  std::string imageName;           // the image's file name before the operation
};

// Puts the operation's files into `folder`.
Scenario Prepare(const Operation& operation, const std::filesystem::path& folder);

// What a run left: the target's and backup's content and the folder's names.
struct Leftovers {
  std::optional<Bytes> target;
  std::optional<Bytes> backup;
  std::set<std::string> names;
};
[[nodiscard]] Leftovers Inspect(const Operation& operation, const std::filesystem::path& folder);

// The checks every run must pass; returns the faults found, empty when it passed. `crashed`
// runs were killed inside the operation: they report nothing and may leave a temporary file.
struct Verdict {
  bool reported = false;  // a File Error box was shown
  bool oldOrNew = false;  // the target holds its old or its new content, byte for byte
  // Killed between moving the old file to its ".BAK" name and renaming the new one in: the
  // window a file system without hard links leaves (the old content is in the ".BAK").
  bool renameWindow = false;
  std::vector<std::string> problems;
};
[[nodiscard]] Verdict Judge(const Operation& operation, const Scenario& scenario,
                            const Fault& fault, const DriverRun& run, const Leftovers& left,
                            bool crashed);

// A failed save run again without a fault, in the folder the failure left: a failure must not
// set up the next save to lose what the first was to keep.

// Whether the operation saves the image (Save or a Save As), whose failures the walk repeats.
[[nodiscard]] bool SavesImage(const Operation& operation);

// Readies the folder a failed save left for the driver's `driver` operation. Save and Save As
// onto its own name load the target, then move old.bin over it: the file the failure left
// moves to old.bin, keeping its inode and so any second name it has, and the image takes the
// target's name.
void PrepareRepeat(const std::string& driver, const std::filesystem::path& folder);

// The contents that `repeat`, run after a failure that left `afterFailure`, must leave in the
// target or its ".BAK": for a Save As, the target's content before the first attempt (kept
// as the backup) or the ".BAK" there before it (kept as it is); for any save, what a ".BAK"
// holds before the repeat, as no save replaces a ".BAK".
[[nodiscard]] std::vector<Bytes> MustSurvive(const Operation& repeat, const Scenario& scenario,
                                             const Leftovers& afterFailure);

// What Save leaves in `file`: the image from the first byte, the file's bytes past its end.
[[nodiscard]] Bytes SavedOver(const Bytes& image, const Bytes& file);

struct RepeatVerdict {
  int lost = 0;  // contents that had to survive and are in neither the target nor its ".BAK"
  std::vector<std::string> problems;
};
// The repeat must succeed without a box and leave `expectedTarget` in the target, and keep
// every content of `kept`.
[[nodiscard]] RepeatVerdict JudgeRepeat(const std::vector<Bytes>& kept, const Bytes& expectedTarget,
                                        const DriverRun& run, const Leftovers& left);

}  // namespace faults
