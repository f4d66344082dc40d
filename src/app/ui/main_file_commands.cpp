// The main window's file operations: Load, Save, Save As and Close of the image.

#include "app/application.h"
#include "app/session.h"
#include "app/ui/controls.h"
#include "app/ui/file_progress.h"
#include "app/ui/handlers.h"
#include "app/ui/main_window.h"
#include "app/ui/windows.h"
#include "graphview/ui/graph_edit.h"
#include "image/image_file.h"
#include "image/rom_image.h"
#include "tables/table_finder.h"
#include "tables/ui/table_ed.h"
#include "tables/ui/table_finder_window.h"
#include "textview/ui/text_edit.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <optional>
#include <span>

namespace {

const QStringList kImageFilters = {"Binary files (*.bin)", "All files (*.*)"};

void ShowFileError(const QString& text, QMessageBox::StandardButtons buttons) {
  QMessageBox box(QMessageBox::NoIcon, "File Error", text, buttons, Main);
  box.exec();
}

void ShowOpenFailure() { ShowFileError("Couldn't open file!", QMessageBox::Ok); }

void ShowOperationFailure() {
  // The answer is not looked at: either button just closes the box.
  ShowFileError("Can't perform one of the following file operations: Open, Seek, Read, Close.",
                QMessageBox::Ok | QMessageBox::Cancel);
}

// Shows the box for a failed file operation; true when it succeeded.
bool Succeeded(FileResult result) {
  switch (result) {
    case FileResult::Ok:
      return true;
    case FileResult::OpenFailed:
      ShowOpenFailure();
      return false;
    case FileResult::OperationFailed:
      ShowOperationFailure();
      return false;
    case FileResult::Cancelled:
      return false;
  }
  return false;
}

}  // namespace

void TMain::SetFileControlsEnabled(bool enabled) {
  for (QWidget* control :
       std::initializer_list<QWidget*>{Save, SaveAs, Close, TextModeButton, GraphicsModeButton,
                                       TableListButton, CreateTableEntry}) {
    control->setEnabled(enabled);
  }
  for (QAction* item : {Save1, SaveAs1, Close1, FindTables}) item->setEnabled(enabled);
}

void TMain::ShowImageLoaded(const std::string& path) {
  MainStatusText->setText(Text(path) + " (" + QString::number(session_.Image().Size) + " bytes)");
  setWindowTitle(Text(AppTitle) + " - " + Text(session_.Image().FileName));
  if (Application* application = Application::Instance()) application->SetTitle(windowTitle());
}

bool TMain::SettleUnsavedChanges() {
  if (session_.Image().Size == 0 || !session_.Document().Modified()) return true;
  QMessageBox question(QMessageBox::NoIcon, "Unsaved Changes",
                       "The image has changes that are not saved:\n\n" +
                           Text(session_.Image().FileName) + "\n\nSave them first?",
                       QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
  question.setDefaultButton(QMessageBox::Save);
  question.setEscapeButton(QMessageBox::Cancel);
  switch (question.exec()) {
    case QMessageBox::Save:
      return SaveImage();
    case QMessageBox::Discard:
      return true;
    default:
      return false;
  }
}

void TMain::LoadClick() {
  if (!SettleUnsavedChanges()) return;
  const std::optional<QString> chosen =
      AskForFile(this, "Pick a binary file...", QFileDialog::AcceptOpen, lastFolder_, kImageFilters,
                 "BIN", "*.bin");
  if (!chosen) return;
  LoadFile(*chosen);
}

void TMain::LoadFile(const QString& chosen) {
  lastFolder_ = QFileInfo(chosen).absolutePath();
  const std::string path = chosen.toStdString();

  // The new image is read whole before the old one is let go, so a failure keeps the old; a
  // cancelled load changes nothing at all.
  LoadedImage loaded = ReadImageFile(path, FileProgress(this, "Loading", path, true).ForReading());
  if (loaded.result == FileResult::Cancelled) return;
  if (Succeeded(loaded.result)) {
    session_.Replace(std::move(loaded.bytes), path);  // a new file starts a fresh history
    TableFinder->Clear();                             // its candidates lay in the image that went
    ShowImageLoaded(path);
    SetFileControlsEnabled(true);
  }
  if (session_.Image().Bytes) OfferCompanion(path);
  Update();
}

void TMain::OfferCompanion(const std::string& imagePath) {
  const std::string companion = CompanionPath(imagePath);
  if (!IsExistingFile(companion)) return;
  QMessageBox question(QMessageBox::NoIcon, "Found .ECU File",
                       "Found a .ECU file. Do you want to load it?\n\n(" + Text(companion) + ")",
                       QMessageBox::Yes | QMessageBox::No, this);
  if (question.exec() != QMessageBox::Yes) return;
  TableEd->ReadEcuFile(companion);
  if (!TableEd->isVisible()) TableListButtonClick();
}

void TMain::SaveClick() { (void)SaveImage(); }

bool TMain::SaveImage() {
  const std::string& path = session_.Image().FileName;
  if (!Succeeded(WriteImageFile(path, ImageBytes(session_.Image()), WriteMode::ExistingFile,
                                FileProgress(this, "Saving", path, false).ForWriting())
                     .result)) {
    return false;
  }
  session_.MarkSaved();
  return true;
}

void TMain::SaveAsClick() {
  const QString folder = lastFolder_.isEmpty()
                             ? QFileInfo(Text(session_.Image().FileName)).absolutePath()
                             : lastFolder_;
  const std::optional<QString> chosen =
      AskForFile(this, "Pick a binary file to save...", QFileDialog::AcceptSave, folder,
                 kImageFilters, "bin", lastSaveAsName_);
  if (!chosen) return;
  lastFolder_ = QFileInfo(*chosen).absolutePath();
  lastSaveAsName_ = QFileInfo(*chosen).fileName();
  const std::string path = chosen->toStdString();

  // An existing file is kept under its ".BAK" name beside it (a taken name keeps the old
  // backup) and replaced whole; the caption changes only once the data is on the disk.
  if (Succeeded(WriteImageFile(path, ImageBytes(session_.Image()), WriteMode::NewFileWithBackup,
                               FileProgress(this, "Saving", path, false).ForWriting())
                    .result)) {
    session_.SavedAs(path);
    ShowImageLoaded(path);
  }
}

void TMain::CompareWithClick() {
  const std::optional<QString> chosen =
      AskForFile(this, "Pick a binary file to compare with...", QFileDialog::AcceptOpen,
                 lastFolder_, kImageFilters, "BIN", "*.bin");
  if (!chosen) return;
  const std::string path = chosen->toStdString();
  LoadedImage loaded = ReadImageFile(path, FileProgress(this, "Loading", path, true).ForReading());
  if (!Succeeded(loaded.result)) return;
  session_.Compare({std::move(loaded.bytes), path});
  StopComparing->setEnabled(true);
  Update();
}

void TMain::StopComparingClick() {
  session_.StopComparing();
  StopComparing->setEnabled(false);
  Update();
}

void TMain::FindTablesClick() {
  const std::span<const std::uint8_t> image = session_.Document().Bytes();
  const std::string& path = session_.Image().FileName;
  // Shown at once: even a large image is scanned in about a second.
  FileProgress progress(this, "Finding tables in", path, true, 0);
  std::optional<std::vector<TTableCandidate>> found = ::FindTables(image, [&](double done) {
    return progress.Step(static_cast<std::uint64_t>(std::clamp(done, 0.0, 1.0) * 1000), 1000);
  });
  if (!found) return;  // cancelled: the finder shows what it showed before
  TableFinder->ShowCandidates(std::move(*found), {image.begin(), image.end()},
                              session_.Cursor().BaseAddress, QFileInfo(Text(path)).fileName());
  TableFinder->show();
  TableFinder->raise();
  TableFinder->activateWindow();
}

void TMain::CloseClick() {
  if (!SettleUnsavedChanges()) return;
  HideView(TextEdit, TextModeButton, "Show Text View");
  HideView(GraphEdit, GraphicsModeButton, "Show Graphics View");
  MainStatusText->setText("No file loaded");
  session_.Close();
  TableFinder->Clear();
  StopComparing->setEnabled(false);
  SetFileControlsEnabled(false);
  setWindowTitle(Text(AppTitle) + " - (none)");
  TableEd->ClearLists();
}
