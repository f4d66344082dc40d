#include "app/application.h"
#include "support/modal.h"
#include "support/temp_folder.h"
#include "support/window_fixture.h"
#include "tables/ui/table_ed.h"

#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include <filesystem>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QUrl FileUrl(const std::string& path) { return QUrl::fromLocalFile(Q(path)); }

// What the window made of a drag: whether it took the entry and the drop, and as what.
struct DragAnswer {
  bool enterAccepted = false;
  bool dropAccepted = false;
  Qt::DropAction dropAction = Qt::IgnoreAction;
};

// Drags `urls` over `target` and drops them there, as the platform delivers a drag and drop;
// the boxes that open meanwhile are answered by `script`.
DragAnswer DragAndDrop(QWidget* target, const QList<QUrl>& urls, Qt::DropActions actions,
                       ModalScript script = ModalScript(), std::vector<SeenModal>* seen = nullptr) {
  QMimeData data;
  data.setUrls(urls);
  DragAnswer answer;
  const QPoint at(5, 5);
  QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  answer.enterAccepted = enter.isAccepted();
  QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
  std::vector<SeenModal> boxes = script.Run([&] {
    QApplication::sendEvent(target, &drop);
    QTest::qWait(50);  // the load runs once the drop is over
  });
  answer.dropAccepted = drop.isAccepted();
  answer.dropAction = drop.dropAction();
  if (seen != nullptr) *seen = std::move(boxes);
  return answer;
}

class FileDropTest : public WindowTest {
 protected:
  std::string NewImage(const std::string& name, std::size_t size) {
    const std::string path = folder_ / name;
    WriteFile(path, CountingBytes(size));
    return path;
  }

  TempFolder folder_;
};

TEST_F(FileDropTest, ADroppedFileIsLoadedAsIfChosenInTheOpenDialog) {
  const std::string path = NewImage("car.bin", 4096);
  std::vector<SeenModal> seen;
  const DragAnswer answer =
      DragAndDrop(Main, {FileUrl(path)}, Qt::CopyAction, ModalScript(), &seen);
  EXPECT_TRUE(answer.enterAccepted);
  EXPECT_TRUE(answer.dropAccepted);
  EXPECT_TRUE(seen.empty()) << Describe(seen);  // no dialog: the drop chose the file
  EXPECT_EQ(RomImage.Size, 4096);
  EXPECT_EQ(*RomImage.Bytes, CountingBytes(4096));
  EXPECT_EQ(RomImage.FileName, path);
  EXPECT_EQ(Main->MainStatusText->text(), Q(path) + " (4096 bytes)");
  EXPECT_EQ(Main->windowTitle(), "Quorvel Map Editor v0.3b - " + Q(path));
  EXPECT_EQ(Application::Instance()->Title(), Main->windowTitle());
  EXPECT_TRUE(Main->TextModeButton->isEnabled());
  EXPECT_TRUE(Main->Save1->isEnabled());
}

TEST_F(FileDropTest, TheCompanionQuestionIsAskedForADroppedFile) {
  const std::string path = NewImage("car.bin", 64);
  const std::string table = "{0,0,0,0,1}\r\n{10,4,2,1,0,0,0,1,Fuel,,,,}\r\n";
  WriteFile(folder_ / "car.ecu", std::vector<std::uint8_t>(table.begin(), table.end()));
  std::vector<SeenModal> seen;
  DragAndDrop(Main, QList<QUrl>({FileUrl(path)}), Qt::CopyAction,
              std::move(ModalScript().Press(QMessageBox::Yes)), &seen);
  ASSERT_EQ(seen.size(), 1u) << Describe(seen);
  EXPECT_EQ(seen[0].title, "Found .ECU File");
  EXPECT_EQ(seen[0].text,
            "Found a .ECU file. Do you want to load it?\n\n(" + Q(folder_ / "car.ecu") + ")");
  EXPECT_TRUE(TableEd->isVisible());
  EXPECT_EQ(Main->TableListButton->text(), "Hide Table Editor");
  EXPECT_EQ(TableCursor.TableName, "Fuel");
}

TEST_F(FileDropTest, AFileThatCannotBeOpenedShowsLoadsBoxAndKeepsTheImage) {
  const std::string kept = NewImage("kept.bin", 16);
  DragAndDrop(Main, QList<QUrl>({FileUrl(kept)}), Qt::CopyAction);
  const std::string gone = NewImage("gone.bin", 8);
  std::filesystem::remove(gone);  // deleted while being dragged
  std::vector<SeenModal> seen;
  DragAndDrop(Main, {FileUrl(gone)}, Qt::CopyAction, ModalScript(), &seen);
  ASSERT_EQ(seen.size(), 1u) << Describe(seen);
  EXPECT_EQ(seen[0].title, "File Error");
  EXPECT_EQ(seen[0].text, "Couldn't open file!");
  EXPECT_EQ(RomImage.Size, 16);
  EXPECT_EQ(RomImage.FileName, kept);
}

TEST_F(FileDropTest, FoldersSeveralFilesAndOtherDragsAreRefusedWithoutAChange) {
  const std::string one = NewImage("one.bin", 32);
  const std::string two = NewImage("two.bin", 32);
  std::filesystem::create_directory(folder_ / "maps");
  std::filesystem::create_directory_symlink(folder_ / "maps", folder_ / "link");
  QMimeData text;
  text.setText("0x1234");
  const struct {
    const char* what;
    QList<QUrl> urls;
    Qt::DropActions actions;
  } rows[] = {
      {"a folder", QList<QUrl>({FileUrl(folder_ / "maps")}), Qt::CopyAction},
      {"a link to a folder", QList<QUrl>({FileUrl(folder_ / "link")}), Qt::CopyAction},
      {"two files", QList<QUrl>({FileUrl(one), FileUrl(two)}), Qt::CopyAction},
      {"a file and a folder", QList<QUrl>({FileUrl(one), FileUrl(folder_ / "maps")}),
       Qt::CopyAction},
      {"a web address", QList<QUrl>({QUrl("https://example.org/car.bin")}), Qt::CopyAction},
      {"no file at all", QList<QUrl>({}), Qt::CopyAction},
      {"a file that may only be moved", QList<QUrl>({FileUrl(one)}), Qt::MoveAction},
  };
  for (const auto& row : rows) {
    for (QWidget* target :
         {static_cast<QWidget*>(Main), static_cast<QWidget*>(Main->TableAddress)}) {
      std::vector<SeenModal> seen;
      const DragAnswer answer = DragAndDrop(target, row.urls, row.actions, ModalScript(), &seen);
      const std::string where = std::string(row.what) + " on " + target->objectName().toStdString();
      EXPECT_FALSE(answer.enterAccepted) << where;
      EXPECT_FALSE(answer.dropAccepted) << where;
      EXPECT_TRUE(seen.empty()) << where << ": " << Describe(seen);
      EXPECT_EQ(RomImage.Size, 0) << where;
      EXPECT_FALSE(RomImage.Bytes.has_value()) << where;
      EXPECT_EQ(Main->windowTitle(), "Quorvel Map Editor v0.3b - (none)") << where;
      EXPECT_EQ(Main->TableAddress->text(), "0x0000") << where;  // no address typed by the drop
    }
  }
  // Plain text is still the edit box's own to take.
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Main->TableAddress, &enter);
  EXPECT_TRUE(enter.isAccepted());
}

TEST_F(FileDropTest, AFileDroppedOnAnEditBoxLoadsAndLeavesTheBoxAlone) {
  const std::string path = NewImage("car.bin", 128);
  const DragAnswer answer =
      DragAndDrop(Main->TableAddress, QList<QUrl>({FileUrl(path)}), Qt::CopyAction);
  EXPECT_TRUE(answer.dropAccepted);
  EXPECT_EQ(RomImage.FileName, path);
  EXPECT_EQ(Main->TableAddress->text(), "0x0000");
}

TEST_F(FileDropTest, ADropOfferedAsAMoveIsTakenAsACopy) {
  const std::string path = NewImage("car.bin", 16);
  const DragAnswer answer =
      DragAndDrop(Main, QList<QUrl>({FileUrl(path)}), Qt::MoveAction | Qt::CopyAction);
  EXPECT_TRUE(answer.dropAccepted);
  EXPECT_EQ(answer.dropAction, Qt::CopyAction);  // the source keeps its file
  EXPECT_EQ(RomImage.Size, 16);
  EXPECT_TRUE(std::filesystem::exists(path));
}

}  // namespace
