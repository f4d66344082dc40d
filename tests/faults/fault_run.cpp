#include "faults/fault_run.h"

#include "support/temp_folder.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace faults {

namespace {

// A run hangs when it takes this long; a healthy one takes well under a second.
constexpr auto kRunLimit = std::chrono::seconds(60);

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<Bytes> ReadIfThere(const fs::path& path) {
  std::error_code error;
  if (!fs::is_regular_file(fs::symlink_status(path, error))) return std::nullopt;
  return ReadFile(path.string());
}

void ParseReport(DriverRun& run, const std::string& stdoutText) {
  std::istringstream lines(stdoutText);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("boxes=", 0) != 0) continue;
    std::istringstream fields(line);
    std::string field;
    while (std::getline(fields, field, '\t')) {
      const auto equals = field.find('=');
      if (equals != std::string::npos)
        run.fields[field.substr(0, equals)] = field.substr(equals + 1);
    }
  }
}

// Bytes of a pattern that `seed` shifts, so that files of different seeds differ throughout.
Bytes Pattern(std::size_t size, std::uint8_t seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<std::uint8_t>(seed + 7 * i + (i >> 8));
  }
  return bytes;
}

Bytes TextBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The image loaded for the saves and the content Load reads; the old target is larger, so a
// file written over in place without being cut keeps old bytes at its end.
const Bytes kNewImage = Pattern(96 * 1024 + 5, 1);
const Bytes kOldTarget = Pattern(160 * 1024 + 3, 2);
const Bytes kOldBackup = Pattern(1000, 3);

const std::string kDefinitions =
    "{   0,   0, 0,   0, 1}\r\n"
    "{ 3f0,16,12, 1,0,-40.0000,  1.0000,  0.5000,Fuel Map, , , , }\r\n";

// What exporting those gives: the reader takes field 8 as a divisor and the writer puts the X
// scale there, the bit-wise list's blank row is counted and written as "{}".
const std::string kExported =
    "{   0,   0, 0,   0, 2}\r\n"
    "{ 3f0,16,12, 1,0,  0.0000,  1.0000,  1.0000,Fuel Map, , , , }\r\n"
    "{}\r\n";

std::string OldExportText() {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "{ old definitions, left by an earlier export }\r\n";
  return text;
}

bool IsErrnoFault(const std::string& kind) {
  return kind == "EIO" || kind == "ENOSPC" || kind == "EDQUOT";
}

std::string Describe(const std::optional<Bytes>& bytes, const Scenario& scenario) {
  if (!bytes) return "absent";
  if (bytes == scenario.oldTarget) return "old";
  if (bytes == scenario.newTarget) return "new";
  return "neither (" + std::to_string(bytes->size()) + " bytes)";
}

}  // namespace

std::string DriverRun::Field(const std::string& key) const {
  const auto found = fields.find(key);
  return found == fields.end() ? std::string() : found->second;
}

std::vector<std::string> DriverRun::Trace() const {
  std::vector<std::string> calls;
  std::istringstream list(Field("trace"));
  std::string call;
  while (std::getline(list, call, ',')) {
    if (!call.empty()) calls.push_back(call);
  }
  return calls;
}

std::optional<std::string> SanitizerRuntime() {
  Dl_info info{};
  if (void* init = ::dlsym(RTLD_DEFAULT, "__asan_init");
      init != nullptr && ::dladdr(init, &info) != 0 && info.dli_fname != nullptr &&
      std::string_view(info.dli_fname).find("libasan") != std::string_view::npos) {
    return std::string(info.dli_fname);
  }
  return std::nullopt;
}

std::string PreloadList() {
  // A program built with the address sanitizer's shared runtime needs that runtime first in
  // the preload list. This test is built as the driver is, so the runtime it runs on is the
  // driver's.
  const std::optional<std::string> runtime = SanitizerRuntime();
  return runtime ? *runtime + ":" + QUORVEL_FAULT_SHIM : std::string(QUORVEL_FAULT_SHIM);
}

DriverRun RunDriver(const Operation& operation, const fs::path& folder, const Fault& fault,
                    bool withShim) {
  const TempFolder outputs;
  const std::string stdoutPath = outputs / "stdout";
  const std::string stderrPath = outputs / "stderr";

  // The environment: this process's, with the library's settings in place of any inherited.
  std::vector<std::string> settings;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    if (text.starts_with("QUORVEL_FAULT_") || text.starts_with("LD_PRELOAD=") ||
        text.starts_with("QT_QPA_PLATFORM=")) {
      continue;
    }
    settings.emplace_back(text);
  }
  settings.emplace_back("QT_QPA_PLATFORM=offscreen");
  if (withShim) {
    settings.push_back("LD_PRELOAD=" + PreloadList());
    settings.push_back("QUORVEL_FAULT_DIR=" + folder.string());
    settings.push_back("QUORVEL_FAULT_CALL=" + std::to_string(fault.call));
    settings.push_back("QUORVEL_FAULT_KIND=" + fault.kind);
    settings.push_back("QUORVEL_FAULT_ALWAYS=" + operation.always);
  }
  std::vector<char*> environment;
  for (std::string& setting : settings) environment.push_back(setting.data());
  environment.push_back(nullptr);
  std::string program = QUORVEL_FAULT_DRIVER;
  std::string operationArgument = operation.driver;
  std::string folderArgument = folder.string();
  char* arguments[] = {program.data(), operationArgument.data(), folderArgument.data(), nullptr};

  DriverRun run;
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    const int out = ::open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0) {
      ::_exit(127);
    }
    ::execve(program.c_str(), arguments, environment.data());
    ::_exit(127);
  }

  const auto deadline = std::chrono::steady_clock::now() + kRunLimit;
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(child, &status, WNOHANG | WUNTRACED);
    if (done == child && WIFSTOPPED(status)) {
      // Stopped inside a call: killed there, as a crash or power cut would end it.
      run.stopped = true;
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      break;
    }
    if (done == child) {
      run.exited = WIFEXITED(status);
      run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
      break;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      run.timedOut = true;
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  const std::string stdoutText = ReadText(stdoutPath);
  ParseReport(run, stdoutText);
  run.output = stdoutText + ReadText(stderrPath);
  return run;
}

bool IsWrite(const std::string& call) {
  return call == "write" || call == "pwrite" || call == "writev";
}

bool IsRead(const std::string& call) {
  return call == "read" || call == "pread" || call == "readv";
}

bool MustReport(const std::string& call) {
  return IsWrite(call) || call == "fsync" || call == "fdatasync" || call == "syncfs" ||
         call == "sync_file_range" || call == "rename" || call == "renameat" || call == "renameat2";
}

std::vector<std::string> FaultKindsFor(const std::string& call) {
  // A sanitized run takes about three times as long: it tries one error and one short
  // transfer, the failure paths the sanitizers watch; the plain build tries them all.
  if (SanitizerRuntime()) {
    if (IsWrite(call) || IsRead(call)) return {"EIO", "short1"};
    return {"EIO"};
  }
  std::vector<std::string> kinds = {"EIO", "ENOSPC"};
  if (IsWrite(call)) kinds.insert(kinds.end(), {"EDQUOT", "short1", "half"});
  if (IsRead(call)) kinds.insert(kinds.end(), {"short1", "half"});
  // A full quota also shows first when the data is flushed.
  if (call == "fsync" || call == "fdatasync" || call == "close" || call == "fclose") {
    kinds.push_back("EDQUOT");
  }
  return kinds;
}

std::vector<std::string> DurabilityProblems(const std::vector<std::string>& calls) {
  const auto isSync = [](const std::string& call) {
    return call == "fsync" || call == "fdatasync" || call == "syncfs";
  };
  const auto isRename = [](const std::string& call) {
    return call == "rename" || call == "renameat" || call == "renameat2";
  };
  // Whether a sync follows the last call of the kind.
  const auto syncedAfterLast = [&](auto isKind) {
    const auto last = std::find_if(calls.rbegin(), calls.rend(), isKind);
    return last == calls.rend() || std::find_if(calls.rbegin(), last, isSync) != last;
  };
  std::vector<std::string> problems;
  if (std::none_of(calls.begin(), calls.end(), IsWrite)) problems.push_back("nothing was written");
  if (!syncedAfterLast(IsWrite)) problems.push_back("no fsync after the last write");
  if (!syncedAfterLast(isRename)) problems.push_back("no fsync of the folder after the rename");
  return problems;
}

const std::vector<Operation>& Operations() {
  static const std::vector<Operation> operations = {
      {"load", "load", "target.bin", true, true, false, false, ""},
      {"save", "save", "target.bin", false, false, false, false, ""},
      {"saveas_new", "saveas_new", "target.bin", false, true, false, false, ""},
      {"saveas_over", "saveas_over", "target.bin", false, true, true, false, ""},
      {"saveas_self", "saveas_self", "target.bin", false, true, true, false, ""},
      {"saveas_baktaken", "saveas_baktaken", "target.bin", false, true, false, true, ""},
      {"saveas_over_nolinks", "saveas_over", "target.bin", false, true, true, false, "link=EPERM"},
      {"saveas_self_nolinks", "saveas_self", "target.bin", false, true, true, false, "link=EPERM"},
      {"export_new", "export_new", "target.qvt", false, false, false, false, ""},
      {"export_over", "export_over", "target.qvt", false, false, false, false, ""},
  };
  return operations;
}

const Operation& FindOperation(const std::string& name) {
  for (const Operation& operation : Operations()) {
    if (operation.name == name) return operation;
  }
  throw std::invalid_argument("no operation " + name);
}

Scenario Prepare(const Operation& operation, const fs::path& folder) {
  Scenario scenario;
  const auto put = [&](const std::string& name, const Bytes& bytes) {
    WriteFile((folder / name).string(), bytes);
    scenario.names.insert(name);
  };
  const std::string& name = operation.driver;
  scenario.names.insert(operation.target);
  scenario.imageName = "image.bin";
  if (name == "load") {
    put("image.bin", kOldTarget);
    put("target.bin", kNewImage);
    scenario.oldTarget = scenario.newTarget = kNewImage;
  } else if (name == "save" || name == "saveas_self") {
    // The driver loads target.bin, then moves old.bin over it.
    put("target.bin", kNewImage);
    put("old.bin", kOldTarget);
    scenario.names.erase("old.bin");
    scenario.oldTarget = kOldTarget;
    scenario.newTarget = kNewImage;
    // Save writes the image over the file from its first byte without cutting it: the old
    // file's bytes past the image's end stay. Save As makes the file anew.
    if (name == "save") scenario.newTarget = SavedOver(kNewImage, kOldTarget);
    scenario.imageName = "target.bin";
  } else if (name.starts_with("saveas_")) {
    put("image.bin", kNewImage);
    if (name != "saveas_new") {
      put("target.bin", kOldTarget);
      scenario.oldTarget = kOldTarget;
    }
    scenario.newTarget = kNewImage;
  } else {
    put("image.bin", kNewImage);
    put("defs.ecu", TextBytes(kDefinitions));
    if (name == "export_over") {
      put("target.qvt", TextBytes(OldExportText()));
      scenario.oldTarget = TextBytes(OldExportText());
    }
    scenario.newTarget = TextBytes(kExported);
  }
  if (operation.backup || operation.backupTaken) scenario.names.insert("target.BAK");
  if (operation.backupTaken) {
    put("target.BAK", kOldBackup);
    scenario.oldBackup = kOldBackup;
  }
  return scenario;
}

Bytes SavedOver(const Bytes& image, const Bytes& file) {
  Bytes saved = image;
  if (file.size() > image.size()) {
    saved.insert(saved.end(), file.begin() + static_cast<std::ptrdiff_t>(image.size()), file.end());
  }
  return saved;
}

Leftovers Inspect(const Operation& operation, const fs::path& folder) {
  Leftovers left;
  left.target = ReadIfThere(folder / operation.target);
  left.backup = ReadIfThere(folder / fs::path(operation.target).replace_extension(".BAK"));
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    left.names.insert(entry.path().filename().string());
  }
  return left;
}

Verdict Judge(const Operation& operation, const Scenario& scenario, const Fault& fault,
              const DriverRun& run, const Leftovers& left, bool crashed) {
  Verdict verdict;
  auto& problems = verdict.problems;
  verdict.oldOrNew = left.target == scenario.oldTarget || left.target == scenario.newTarget;
  // Without hard links the old file moves to its ".BAK" name before the new one takes the
  // chosen name: a kill in between leaves the name missing and the old content beside it.
  verdict.renameWindow = crashed && !verdict.oldOrNew && !operation.always.empty() &&
                         !left.target && scenario.oldTarget && left.backup == scenario.oldTarget;
  if (!verdict.oldOrNew && !verdict.renameWindow) {
    problems.push_back("the target is " + Describe(left.target, scenario) +
                       ", neither its old nor its new content");
  }

  // A ".BAK" made by this operation holds the old file; one there before stays as it was.
  if (operation.backupTaken) {
    if (left.backup != scenario.oldBackup) problems.push_back("the old .BAK was changed");
  } else if (operation.backup && scenario.oldTarget) {
    if (left.backup && left.backup != scenario.oldTarget) {
      problems.push_back("the .BAK is not the old file");
    }
    if (left.target != scenario.oldTarget && left.backup != scenario.oldTarget) {
      problems.push_back("the old content is gone: neither the target nor a .BAK holds it");
    }
  } else if (left.backup) {
    problems.push_back("a .BAK was made");
  }

  if (crashed) {
    if (!run.stopped)
      problems.push_back("the run did not stop inside call " + std::to_string(fault.call));
    return verdict;
  }

  if (run.timedOut) problems.push_back("the run hung and was killed");
  if (!run.exited || run.status != 0 || run.fields.empty()) {
    problems.push_back("the driver did not finish (status " + std::to_string(run.status) + ")");
    return verdict;
  }
  if (fault.call > 0 && run.Field("hit") == "-") problems.push_back("the fault was not hit");

  if (!run.Field("others").empty())
    problems.push_back("another box showed: " + run.Field("others"));
  verdict.reported = run.Field("boxes") != "0";
  const bool succeeded = !verdict.reported;
  if (succeeded && left.target != scenario.newTarget) {
    problems.push_back("no box, but the target is " + Describe(left.target, scenario));
  }
  if (succeeded && IsErrnoFault(fault.kind) && MustReport(run.Field("hit"))) {
    problems.push_back("a failing " + run.Field("hit") + " was not reported");
  }
  if (succeeded && operation.backup && scenario.oldTarget && left.backup != scenario.oldTarget) {
    problems.push_back("no box, but no .BAK holds the old file");
  }

  // The image in memory: a failed Load keeps the old one; nothing else changes it.
  const std::string expectedImage = operation.load && succeeded ? "new" : "old";
  if (run.Field("image") != expectedImage) {
    problems.push_back("the image in memory is " + run.Field("image") + ", not " + expectedImage);
  }
  const std::string expectedFile =
      operation.renames && succeeded ? operation.target : scenario.imageName;
  if (run.Field("file") != expectedFile) {
    problems.push_back("the image's file name is " + run.Field("file") + ", not " + expectedFile);
  }
  if (run.Field("lists") != "same") problems.push_back("the table definitions changed");

  std::vector<std::string> stray;
  std::set_difference(left.names.begin(), left.names.end(), scenario.names.begin(),
                      scenario.names.end(), std::back_inserter(stray));
  for (const std::string& name : stray) problems.push_back("stray file left: " + name);
  return verdict;
}

bool SavesImage(const Operation& operation) {
  return operation.driver == "save" || operation.driver.starts_with("saveas_");
}

void PrepareRepeat(const std::string& driver, const fs::path& folder) {
  if (driver != "save" && driver != "saveas_self") return;  // the others load image.bin
  // A rename keeps the inode: a second name the failure left on the file stays on it. A
  // missing target leaves old.bin missing too, and the driver says so.
  std::error_code ignored;
  fs::rename(folder / "target.bin", folder / "old.bin", ignored);
  WriteFile((folder / "target.bin").string(), kNewImage);
}

std::vector<Bytes> MustSurvive(const Operation& repeat, const Scenario& scenario,
                               const Leftovers& afterFailure) {
  std::vector<Bytes> kept;
  if (repeat.backup && scenario.oldTarget) kept.push_back(*scenario.oldTarget);
  if (repeat.backupTaken && scenario.oldBackup) kept.push_back(*scenario.oldBackup);
  if (afterFailure.backup) kept.push_back(*afterFailure.backup);
  return kept;
}

RepeatVerdict JudgeRepeat(const std::vector<Bytes>& kept, const Bytes& expectedTarget,
                          const DriverRun& run, const Leftovers& left) {
  RepeatVerdict verdict;
  for (const Bytes& content : kept) {
    if (left.target != content && left.backup != content) ++verdict.lost;
  }
  if (verdict.lost > 0) {
    verdict.problems.push_back("content to be kept is in neither the target nor its .BAK");
  }
  if (!run.exited || run.status != 0 || run.fields.empty()) {
    verdict.problems.push_back("the driver did not finish (status " + std::to_string(run.status) +
                               ")");
    return verdict;
  }
  if (run.Field("boxes") != "0") verdict.problems.push_back("a box showed: " + run.Field("texts"));
  if (left.target != expectedTarget) {
    verdict.problems.push_back(
        "the target is not the new content (" +
        (left.target ? std::to_string(left.target->size()) + " bytes" : std::string("absent")) +
        ")");
  }
  return verdict;
}

}  // namespace faults
