#pragma once

#include "app/cursor_inputs.h"
#include "image/entry_width.h"

#include <QMainWindow>

#include <cstdint>
#include <memory>
#include <string>

class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class TSession;
class TSpinButton;
class TTableFinder;
struct TTableCursor;
class TUpDown;

// The control panel: file buttons and menu, the controls that set the current table, the
// spin buttons that step it through the image, and the toggles of the three views.
class TMain : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMain(TSession& session);
  ~TMain() override;

  // Operations the other windows call.
  void Update();
  [[nodiscard]] EntryWidth GetEntryWidth() const;
  // The table address, columns and rows texts as they stand, the width and the bit-wise flag.
  [[nodiscard]] CursorInputs CurrentInputs() const;
  // Makes a definition the current table: its address, columns and rows texts go into the
  // edit boxes, the rest into the cursor; then the address is checked and the views refresh.
  void OpenDefinition(const OpenedTable& table);
  void ReadTableSize();
  void TableAddressCheck();
  void BaseAddressCheck();
  void SetTableAddress();
  void TextModeButtonClick();
  void GraphicsModeButtonClick();
  void TableListButtonClick();

  // Handlers.
  void RowsCheck();
  void ColumnsCheck();
  void RowsKeyPress();
  void ColumnsKeyPress();
  void TableAddressKeyPress();
  void BaseAddressKeyPress();
  void RowsUpDownClick();
  void ColumnsUpDownClick();
  void TableSizeClick();
  void AddressUpClick();
  void AddressDownClick();
  void RowUpClick();
  void RowDownClick();
  void MultiBitClick();
  void CreateTableEntryClick();
  void About1Click();
  void Exit1Click();
  // Image file handling (main_file_commands.cpp).
  void LoadClick();
  // Load's steps from the open on, for a path chosen in the open dialog or dropped.
  void LoadFile(const QString& chosen);
  void SaveClick();
  void SaveAsClick();
  void CloseClick();
  // Reads a file whole as the image to compare with; the views mark what differs.
  void CompareWithClick();
  void StopComparingClick();
  // Scans the loaded image for candidate tables and lists them in the table finder.
  void FindTablesClick();
  // While the image differs from its file, asks whether to save it first: true when the
  // operation may go on (saved, or the changes discarded), false on Cancel or a failed save.
  // Nothing is asked when nothing differs.
  bool SettleUnsavedChanges();

  // Controls, in tab order.
  QLineEdit* Rows;
  TUpDown* RowsUpDown;
  QLineEdit* Columns;
  TUpDown* ColumnsUpDown;
  QPushButton* TextModeButton;
  QLineEdit* TableAddress;
  QPushButton* GraphicsModeButton;
  QRadioButton* EightBitTable;
  QRadioButton* SixteenBitTable;
  TSpinButton* Address;
  QRadioButton* ThirtyTwoBitTable;
  TSpinButton* Row;
  QPushButton* TableListButton;
  QPushButton* Load;
  QPushButton* Save;
  QPushButton* SaveAs;
  QPushButton* Close;
  QLineEdit* FxxxDP;
  TUpDown* FxxxDPUpDown;
  QCheckBox* FxxxTable;
  QCheckBox* MultiBit;
  QLineEdit* BaseAddress;
  QPushButton* CreateTableEntry;
  QStatusBar* MainStatusBar;
  QLabel* MainStatusText;

  QLabel* Base;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;

  QMenu* File1;
  QAction* MenuLoad;
  QAction* Save1;
  QAction* SaveAs1;
  QAction* Close1;
  QAction* Exit1;
  QAction* About1;
  // Comparing the image with another, such as the stock file it was tuned from.
  QMenu* Tools1;
  QAction* CompareWith;
  QAction* StopComparing;
  // Finding the tables of an image nobody has defined.
  QAction* FindTables;
  TTableFinder* TableFinder;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // One file dropped on the window is loaded as if chosen in the open dialog; a folder or
  // several files are refused.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls(QWidget* client);
  void BuildMenu();
  void BuildTableFinder();
  // The table finder's window: its own top-level window, owned here.
  std::unique_ptr<TTableFinder> tableFinder_;
  void ConnectHandlers();
  void ShowAddressError();
  void CheckSizeText(QLineEdit* edit, const TUpDown* upDown);
  void StepTableAddressBy(std::int64_t delta);
  // A view toggle: hides a shown view, or shows a hidden one while an image is loaded (checking
  // the table address first and refreshing after, where asked).
  void ToggleView(QWidget* view, QPushButton* button, const char* showCaption,
                  const char* hideCaption, bool checkAddress, bool refresh);
  void HideView(QWidget* view, QPushButton* button, const char* showCaption);
  [[nodiscard]] std::int64_t RowStep() const;
  // The entry width a width button stands for.
  [[nodiscard]] EntryWidth WidthOf(const QRadioButton* button) const;

  void ShowImageLoaded(const std::string& path);
  // Save: true when the image reached its file.
  bool SaveImage();
  void SetFileControlsEnabled(bool enabled);
  void OfferCompanion(const std::string& imagePath);
  // Takes or refuses a drag over the window; a file dropped is loaded.
  void FileDrag(QDropEvent* event);

  [[nodiscard]] TTableCursor& cursor();

  TSession& session_;
  // Where the file dialogs open next: the folder and name last chosen in them.
  QString lastFolder_;
  QString lastSaveAsName_;
};
