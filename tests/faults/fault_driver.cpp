// Runs one file operation of the editor through its real windows and says what became of it,
// for the fault walk to run under the fault-injecting preload library.
//
//   fault_driver OPERATION FOLDER
//
// The files the operation needs lie in FOLDER (see the walk for who puts what there):
//   image.bin   an image loaded before the operation
//   target.bin  the operation's target (Load reads it; the saves write it)
//   old.bin     moved over target.bin after loading it, for Save and Save As onto its own name,
//               so the file on disk differs from the image in memory
//   defs.ecu    table definitions imported before an Export; target.qvt is its target
//
// Everything before the operation, and its file dialog, runs with the library disarmed; one
// line on stdout then
// reports, as tab-separated key=value fields:
//   boxes      the number of "File Error" boxes the operation showed
//   texts      their texts, joined by "|"
//   others     "title: text" of any other box but the export's "Overwrite?" question (the
//              standard error box of a failure no handler caught, for one)
//   image      old / new / other: the image in memory against the one before the operation
//              (old) and, for Load, the target's content (new)
//   file       the image's file name afterwards, without its folder
//   lists      same / changed: the table definitions' export text before against after
//   calls, hit, trace   what the library counted (calls=0 hit=- without it)

#include "app/application.h"
#include "app/ui/main_window.h"
#include "app/shared_state.h"
#include "app/startup.h"
#include "app/ui/windows.h"
#include "support/modal.h"
#include "tables/ecu_file.h"
#include "tables/ui/table_ed.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The preload library's controls, when it is loaded.
void Arm(bool on) {
  using ArmCall = void (*)(int);
  if (auto arm = reinterpret_cast<ArmCall>(::dlsym(RTLD_DEFAULT, "quorvel_fault_arm"))) {
    arm(on ? 1 : 0);
  }
}

std::string Report() {
  using ReportCall = void (*)(char*, std::size_t);
  auto report = reinterpret_cast<ReportCall>(::dlsym(RTLD_DEFAULT, "quorvel_fault_report"));
  if (report == nullptr) return "calls=0 hit=- trace=";
  std::string text(16384, '\0');
  report(text.data(), text.size());
  text.resize(text.find('\0'));
  return text;
}

std::optional<Bytes> Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

[[noreturn]] void SetupFailed(const std::string& what) {
  std::cerr << "fault_driver: " << what << '\n';
  std::exit(2);
}

void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

void Expect(bool condition, const std::string& what) {
  if (!condition) SetupFailed(what);
}

// Loads `path` through the Load button, with no box expected.
void LoadUnarmed(const fs::path& path) {
  const auto seen = ModalScript().ChooseFile(QString::fromStdString(path.string())).Run([] {
    Click(Main->Load);
  });
  Expect(seen.size() == 1 && RomImage.FileName == path.string(),
         "could not load " + path.string() + ": " + Describe(seen));
}

std::string ListsText() { return FormatEcu(TableEd->Header, TableEd->Lists).Text; }

// Answers the operation's windows: its file dialog gets `path`, a question `answer`, any other
// box its first button. The library is armed once the dialog is answered, so the toolkit's own
// look into the folder while the dialog is open (file icons, read from the files) never counts.
// Returns the message boxes seen, as (title, text).
std::vector<std::pair<QString, QString>> AnswerArmed(const std::function<void()>& action,
                                                     const QString& path,
                                                     QMessageBox::StandardButton answer) {
  std::vector<std::pair<QString, QString>> boxes;
  const bool hasDialog = !path.isEmpty();
  if (!hasDialog) Arm(true);
  QTimer watcher;
  watcher.setInterval(5);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      if (dialog->property("answered").toBool()) {
        dialog->reject();
        return;
      }
      dialog->setProperty("answered", true);
      dialog->selectFile(path);
      if (auto* nameBox = dialog->findChild<QLineEdit*>("fileNameEdit")) nameBox->setText(path);
      static_cast<QDialog*>(dialog)->accept();
      Arm(true);
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      boxes.emplace_back(box->windowTitle(), box->text());
      QAbstractButton* button = box->button(answer);
      if (button == nullptr && !box->buttons().isEmpty()) button = box->buttons().first();
      if (button != nullptr) button->click();
    }
  });
  watcher.start();
  action();
  watcher.stop();
  Arm(false);
  return boxes;
}

int Run(const std::string& operation, const fs::path& folder) {
  const fs::path image = folder / "image.bin";
  const fs::path target = folder / "target.bin";
  const fs::path old = folder / "old.bin";
  const fs::path definitions = folder / "defs.ecu";
  const fs::path exported = folder / "target.qvt";

  std::optional<Bytes> newImage;  // what a Load should bring into memory
  std::function<void()> action;
  QString chosen;  // the path the operation's file dialog gets, if it has one

  if (operation == "load") {
    LoadUnarmed(image);
    newImage = Contents(target);
    chosen = QString::fromStdString(target.string());
    action = [] { Click(Main->Load); };
  } else if (operation == "save" || operation == "saveas_self") {
    // The file on disk changes under the loaded image, so old and new content differ.
    LoadUnarmed(target);
    fs::rename(old, target);
    if (operation == "save") {
      action = [] { Click(Main->Save); };
    } else {
      chosen = QString::fromStdString(target.string());
      action = [] { Click(Main->SaveAs); };
    }
  } else if (operation == "saveas_new" || operation == "saveas_over" ||
             operation == "saveas_baktaken") {
    LoadUnarmed(image);
    chosen = QString::fromStdString(target.string());
    action = [] { Click(Main->SaveAs); };
  } else if (operation == "export_new" || operation == "export_over") {
    LoadUnarmed(image);
    Click(Main->TableListButton);
    Expect(TableEd->isVisible(), "the table editor is not shown");
    const auto seen = AnsweringBoxes([&] { TableEd->ReadEcuFile(definitions.string()); });
    Expect(seen.empty(), "importing the definitions showed a box");
    chosen = QString::fromStdString(exported.string());
    action = [] { Click(TableEd->Export); };
  } else {
    SetupFailed("unknown operation " + operation);
  }

  const std::optional<Bytes> oldImage = RomImage.Bytes;
  const std::int32_t oldSize = RomImage.Size;
  const std::string listsBefore = ListsText();

  // "Yes" answers the export's "File already exists. Overwrite?".
  const auto seen = AnswerArmed(action, chosen, QMessageBox::Yes);

  int boxes = 0;
  std::string texts;
  std::string others;  // any box but the file boxes and the export's question
  for (const auto& [title, text] : seen) {
    if (title == "Overwrite?") continue;
    std::string& list = title == "File Error" ? texts : others;
    if (title == "File Error") ++boxes;
    list += (list.empty() ? "" : "|") + (title == "File Error" ? "" : title.toStdString() + ": ") +
            text.toStdString();
  }
  std::string state = "other";
  if (RomImage.Bytes == oldImage && RomImage.Size == oldSize) {
    state = "old";
  } else if (newImage && RomImage.Bytes == newImage &&
             RomImage.Size == static_cast<std::int64_t>(newImage->size())) {
    state = "new";
  }
  std::cout << "boxes=" << boxes << "\ttexts=" << texts << "\tothers=" << others
            << "\timage=" << state << "\tfile=" << fs::path(RomImage.FileName).filename().string()
            << "\tlists=" << (ListsText() == listsBefore ? "same" : "changed") << '\t';
  // The library's report is space-separated; the walk reads it as fields too.
  std::string report = Report();
  for (char& c : report) {
    if (c == ' ') c = '\t';
  }
  std::cout << report << std::endl;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: fault_driver OPERATION FOLDER\n";
    return 2;
  }
  const std::string operation = argv[1];
  const fs::path folder = argv[2];
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  Application application(qtArgc, argv);
  CreateWindows();
  Main->activateWindow();
  if (!QTest::qWaitForWindowActive(Main)) SetupFailed("the main window did not become active");
  const int status = Run(operation, folder);
  DestroyWindows();
  return status;
}
