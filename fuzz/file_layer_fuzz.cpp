// The file layer on arbitrary bytes, through real files in a temporary folder: an image file
// of the bytes loads as those bytes; Save, Save As onto itself (backup name free or taken),
// Save As onto a new name and Export each leave the target holding exactly the new content,
// a made backup holding the old one, and no temporary file behind; the same bytes read as an
// ".ecu" file give what the text reader gives.

#include "fuzz_input.h"
#include "image/image_file.h"
#include "tables/ecu_file.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A folder for the run, in memory where the system has one, so syncs cost nothing.
class Folder {
 public:
  Folder() {
    std::error_code error;
    const fs::path base =
        fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / "quorvel-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  [[nodiscard]] std::string operator/(const std::string& name) const {
    return (path_ / name).string();
  }
  void Empty() const {
    for (const auto& entry : fs::directory_iterator(path_)) fs::remove_all(entry.path());
  }
  // Only the named files are there: no temporary file was left behind.
  void Expect(std::size_t files) const {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(path_)) {
      if (entry.path().filename().string().find(kTemporaryMarker) != std::string::npos) {
        std::abort();
      }
      ++count;
    }
    if (count != files) std::abort();
  }

 private:
  fs::path path_;
};

void Put(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) std::abort();
}

Bytes Get(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) std::abort();
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Require(bool condition) {
  if (!condition) std::abort();
}

void ExpectSameLists(const TableDefinitions& a, const TableDefinitions& b) {
  for (const ListKind kind : {ListKind::Ordinary, ListKind::BitWise}) {
    const DefinitionList& x = a.List(kind);
    const DefinitionList& y = b.List(kind);
    Require(x.DataRowCount() == y.DataRowCount() && x.InUse() == y.InUse());
    for (int row = 1; row <= x.DataRowCount(); ++row) {
      for (int column = 0; column < x.ColumnCount(); ++column) {
        Require(x.Field(row, column) == y.Field(row, column));
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Folder folder;
  folder.Empty();
  FuzzInput input(data, size);
  const auto choice = input.Take<std::uint8_t>();
  const std::string_view rest = input.Rest();
  const Bytes bytes(rest.begin(), rest.end());

  // Load.
  const std::string image = folder / "car.bin";
  Put(image, bytes);
  const LoadedImage loaded = ReadImageFile(image);
  Require(loaded.result == FileResult::Ok && loaded.bytes == bytes);

  // An edited image, perhaps shorter than the file: Save writes it from the first byte on and
  // keeps what lies past its end.
  Bytes edited = loaded.bytes;
  if (!edited.empty()) edited[choice % edited.size()] ^= 0xFF;
  if (choice & 0x10) edited.resize(edited.size() / 2);
  Require(WriteImageFile(image, edited, WriteMode::ExistingFile).result == FileResult::Ok);
  Bytes saved = edited;
  saved.insert(saved.end(), bytes.begin() + static_cast<std::ptrdiff_t>(edited.size()),
               bytes.end());
  Require(Get(image) == saved);
  folder.Expect(1);

  // Save As onto its own name: the old content becomes the backup unless that name is taken.
  const bool taken = choice & 0x01;
  const Bytes old_backup = {'o', 'l', 'd'};
  if (taken) Put(folder / "car.BAK", old_backup);
  Require(WriteImageFile(image, edited, WriteMode::NewFileWithBackup).result == FileResult::Ok);
  Require(Get(image) == edited);
  Require(Get(folder / "car.BAK") == (taken ? old_backup : saved));
  folder.Expect(2);

  // Save As onto a new name.
  Require(WriteImageFile(folder / "copy.bin", bytes, WriteMode::NewFileWithBackup).result ==
          FileResult::Ok);
  Require(Get(folder / "copy.bin") == bytes);
  folder.Expect(3);

  // Import: the file reader reads what the text reader reads.
  const std::string ecu = folder / "car.ecu";
  Put(ecu, bytes);
  EcuHeader file_header, text_header;
  TableDefinitions file_lists, text_lists;
  const EcuReadReport file_report = ReadEcuFile(ecu, file_header, file_lists);
  const EcuReadReport text_report = ReadEcuText(rest, text_header, text_lists);
  Require(file_report.Status == text_report.Status && file_report.Message == text_report.Message &&
          file_report.Stored == text_report.Stored && file_header.Values == text_header.Values);
  ExpectSameLists(file_lists, text_lists);

  // Export over an existing file: replaced by the whole text, or left as it was.
  const std::string exported = folder / "tables.qvt";
  Put(exported, bytes);
  const EcuText text = FormatEcu(file_header, file_lists);
  const EcuWriteReport written = WriteEcuFile(exported, file_header, file_lists);
  Require((written.Status == EcuWriteStatus::Written) == text.Complete);
  Require(Get(exported) == (text.Complete ? Bytes(text.Text.begin(), text.Text.end()) : bytes));
  folder.Expect(5);
  return 0;
}
