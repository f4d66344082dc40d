// Changes not yet saved are asked about before Load, Close, Exit or the frame lets them go.
#include "image/image_document.h"
#include "support/modal.h"
#include "support/temp_folder.h"
#include "support/window_fixture.h"
#include "textview/ui/text_edit.h"

#include <QAction>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTableView>
#include <QUrl>

#include <functional>
#include <string>
#include <vector>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

class UnsavedChangesTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    path_ = folder_ / "car.bin";
    WriteFile(path_, CountingBytes(16));
    const auto seen = ModalScript().ChooseFile(Q(path_)).Run(
        [] { QTest::mouseClick(Main->Load, Qt::LeftButton); });
    ASSERT_EQ(seen.size(), 1u) << Describe(seen);
  }

  // Byte 3 changed through the document, as an edit in the text view does.
  static void Edit() {
    const std::vector<std::uint8_t> byte = {0xEE};
    ASSERT_TRUE(ImageDocument.Write(3, byte).Applied());
  }

  void ExpectQuestion(const std::vector<SeenModal>& seen) const {
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].title, "Unsaved Changes");
    EXPECT_TRUE(seen[0].text.contains(Q(path_))) << seen[0].text.toStdString();
    EXPECT_EQ(seen[0].buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
  }

  std::string path_;
  TempFolder folder_;
};

// Drops `path` on the main window and lets the load that follows the drop run.
void Drop(const std::string& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(Q(path))});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Main, &enter);
  QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Main, &drop);
  QTest::qWait(50);
}

TEST_F(UnsavedChangesTest, CancelLeavesEverythingAsItWasWhereverItIsAsked) {
  const std::string other = folder_ / "other.bin";
  WriteFile(other, CountingBytes(8));
  const struct {
    const char* what;
    std::function<void()> action;
  } rows[] = {
      {"Close button", [] { QTest::mouseClick(Main->Close, Qt::LeftButton); }},
      {"Close menu", [] { Main->Close1->trigger(); }},
      {"Load button", [] { QTest::mouseClick(Main->Load, Qt::LeftButton); }},
      {"Load menu", [] { Main->MenuLoad->trigger(); }},
      {"Exit", [] { Main->Exit1->trigger(); }},
      {"frame", [] { Main->close(); }},
      {"drop", [&] { Drop(other); }},
  };
  Edit();
  for (const auto& row : rows) {
    const auto seen = ModalScript().Press(QMessageBox::Cancel).Run(row.action);
    ExpectQuestion(seen);
    EXPECT_EQ(seen.size(), 1u) << row.what << ": " << Describe(seen);  // no file dialog
    EXPECT_TRUE(Main->isVisible()) << row.what;
    EXPECT_EQ(RomImage.FileName, path_) << row.what;
    EXPECT_EQ(RomImage.Size, 16) << row.what;
    EXPECT_EQ((*RomImage.Bytes)[3], 0xEE) << row.what;
    EXPECT_TRUE(ImageDocument.CanUndo()) << row.what;
  }
  EXPECT_EQ(ReadFile(path_), CountingBytes(16));
}

TEST_F(UnsavedChangesTest, DiscardGoesOnAndSaveSavesFirst) {
  Edit();
  auto seen = ModalScript().Press(QMessageBox::Discard).Run([] { Main->Close1->trigger(); });
  ExpectQuestion(seen);
  EXPECT_EQ(RomImage.Size, 0);
  EXPECT_EQ(ReadFile(path_), CountingBytes(16));

  const std::string other = folder_ / "other.bin";
  WriteFile(other, CountingBytes(8, 100));
  seen =
      ModalScript().ChooseFile(Q(path_)).Run([] { QTest::mouseClick(Main->Load, Qt::LeftButton); });
  Edit();
  seen = ModalScript().Press(QMessageBox::Save).ChooseFile(Q(other)).Run([] {
    QTest::mouseClick(Main->Load, Qt::LeftButton);
  });
  ExpectQuestion(seen);
  ASSERT_EQ(seen.size(), 2u) << Describe(seen);
  EXPECT_TRUE(seen[1].fileDialog);
  auto saved = CountingBytes(16);
  saved[3] = 0xEE;
  EXPECT_EQ(ReadFile(path_), saved);
  EXPECT_EQ(RomImage.FileName, other);
}

TEST_F(UnsavedChangesTest, NothingIsAskedWhenTheBytesAreTheFilesOwn) {
  const auto close = [] { QTest::mouseClick(Main->Close, Qt::LeftButton); };
  const auto reload = [this] {
    ModalScript().ChooseFile(Q(path_)).Run([] { QTest::mouseClick(Main->Load, Qt::LeftButton); });
  };
  EXPECT_TRUE(ModalScript().Run(close).empty());  // never changed

  reload();
  Edit();
  ASSERT_TRUE(ImageDocument.Undo().Applied());
  EXPECT_TRUE(ModalScript().Run(close).empty());  // changed back by undo

  reload();
  Edit();
  EXPECT_TRUE(ModalScript().Run([] { QTest::mouseClick(Main->Save, Qt::LeftButton); }).empty());
  EXPECT_TRUE(ModalScript().Run(close).empty());  // saved
  EXPECT_EQ(RomImage.Size, 0);
}

TEST_F(UnsavedChangesTest, AFailedSaveAtTheQuestionStopsTheOperation) {
  Edit();
  const std::string loaded = path_;
  path_ = folder_ / "gone.bin";
  RomImage.FileName = path_;  // Save never creates a file: it fails
  const auto seen = ModalScript().Press(QMessageBox::Save).Run([] { Main->Close1->trigger(); });
  ExpectQuestion(seen);
  ASSERT_EQ(seen.size(), 2u) << Describe(seen);
  EXPECT_EQ(seen[1].title, "File Error");
  EXPECT_EQ(RomImage.Size, 16);  // not closed
  EXPECT_TRUE(ImageDocument.Modified());
  EXPECT_EQ(ReadFile(loaded), CountingBytes(16));
}

}  // namespace

namespace {

// Ctrl+S saves and Ctrl+O loads from any window, here the text view's grid.
TEST_F(UnsavedChangesTest, TheFileKeysWorkFromEveryWindow) {
  EXPECT_EQ(Main->Save1->shortcut(), QKeySequence("Ctrl+S"));
  EXPECT_EQ(Main->SaveAs1->shortcut(), QKeySequence("Ctrl+Shift+S"));
  QTest::mouseClick(Main->TextModeButton, Qt::LeftButton);
  TextEdit->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(TextEdit));
  Edit();
  EXPECT_TRUE(ModalScript()
                  .Run([] { QTest::keyClick(TextEdit->TextGrid, Qt::Key_S, Qt::ControlModifier); })
                  .empty());
  EXPECT_FALSE(ImageDocument.Modified());
  EXPECT_EQ(ReadFile(path_)[3], 0xEE);
  const auto seen = ModalScript().CancelDialog().Run(
      [] { QTest::keyClick(TextEdit->TextGrid, Qt::Key_O, Qt::ControlModifier); });
  ASSERT_EQ(seen.size(), 1u) << Describe(seen);
  EXPECT_TRUE(seen[0].fileDialog);
}

}  // namespace
