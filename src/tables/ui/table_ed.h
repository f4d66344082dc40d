#pragma once

#include "app/ui/file_progress.h"
#include "image/entry_width.h"
#include "tables/definition_list.h"
#include "tables/definition_panel.h"
#include "tables/ecu_file.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QStandardItemModel;
class QTableView;
class TDefinitionListModel;

// The table editor: the two lists of table definitions as grids, a setup panel that shows and
// edits one definition, opening a definition as the main window's current table, and the
// import and export of ".ecu" files. The lists and the ".ecu" header live here, so a new
// table editor starts with both lists empty and the header values 0.
class TTableEd : public QWidget {
  Q_OBJECT

 public:
  TTableEd();

  // Appends a definition built from the main window's current inputs.
  void AddTableFromCursor();
  // Replaces both lists with the file's tables, reports what the reader found and opens the
  // first ordinary table. A long read shows its progress; Cancel there changes nothing.
  void ReadEcuFile(const std::string& path);
  // Replaces both lists with the tables of an XDF or RomRaider / ECUFlash XML file when any
  // could be read, tells what could not, and opens the first ordinary table.
  void LoadTablesFile(const std::string& path);
  // Writes both lists as an XDF file all at once, reporting a failure.
  void SaveTablesFile(const std::string& path);
  // Appends ordinary definitions, row i with format i.
  void AppendDefinitions(std::span<const std::vector<std::string>> rows,
                         std::span<const TEntryFormat> formats);
  // Empties both lists; the window stays as it is.
  void ClearLists();
  // Exports both lists into the file, reporting a failure; the export's dialog and question
  // come before this.
  void ExportEcuFile(const std::string& path);

  // Handlers.
  void TableList1Click();
  void TableList1KeyUp();
  void TableList1DblClick();
  void TableList2Click();
  void BitWiseTableClick();
  void EightBitTableClick();
  void XLabelNameKeyPress();
  void StorePanel();
  void DelTableClick();
  void AddTableClick();
  void FormClose();
  void LoadQVTClick();
  void SaveQVTClick();
  void ImportClick();
  void ExportClick();

  TableDefinitions Lists;
  EcuHeader Header;
  // How long a read of an ".ecu" file runs before its progress appears.
  int ImportProgressDelayMs = FileProgress::kDelayMs;

  QWidget* Panel2;
  QTableView* TableList1;
  QSplitter* Splitter2;
  QTableView* TableList2;
  QFrame* Panel1;
  QLabel* Title;
  QLineEdit* TableName;
  QLineEdit* TableAddress;
  QLineEdit* Columns;
  QLineEdit* Rows;
  QLabel* ColLabel;
  QLabel* RowLabel;
  QCheckBox* BitWiseTable;
  QRadioButton* EightBitTable;
  QRadioButton* SixteenBitTable;
  QRadioButton* ThirtyTwoBitTable;
  QCheckBox* FxxxTable;
  QComboBox* DecimalPos;
  QLabel* DPLabel;
  QWidget* XYZPanel;
  QLineEdit* XLabelName;
  QLineEdit* XScale;
  QLineEdit* XOffset;
  QLineEdit* YLabelName;
  QLineEdit* YScale;
  QLineEdit* YOffset;
  QLineEdit* ZLabelName;
  QLineEdit* ZScale;
  QLineEdit* ZOffset;
  QWidget* MultiBytePanel;
  QTableView* MultiBitNames;
  QPushButton* AddTable;
  QPushButton* DelTable;
  QPushButton* LoadQVT;
  QPushButton* SaveQVT;
  QPushButton* Import;
  QPushButton* Export;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildLists();
  void BuildPanel();
  void BuildAxes();
  void ConnectHandlers();
  [[nodiscard]] TDefinitionListModel* Model(ListKind kind) const;
  [[nodiscard]] QTableView* View(ListKind kind) const;
  // Takes the list's start-up look again after a model reset: caption row as header, column
  // widths as they were, the list's current row selected.
  void RestoreView(ListKind kind, const QList<int>& widths);
  void ResetLists(const std::function<void()>& change);
  void SelectCurrentRow(ListKind kind);
  void OpenFirstOrdinary(QWidget* parent, const std::string& failure);
  // The file dialogs of the four file buttons: the path chosen (remembering its folder), or
  // nothing on cancel. A save path naming an existing file is asked about first.
  [[nodiscard]] std::optional<std::string> AskOpenPath(const QString& title,
                                                       const QStringList& filters);
  [[nodiscard]] std::optional<std::string> AskSavePath(const QString& title,
                                                       const QStringList& filters,
                                                       const QString& suffix);
  void TakeCurrentRow(ListKind kind);
  // The panel's edit boxes, indexed by PanelBox.
  [[nodiscard]] std::array<QLineEdit*, kPanelBoxCount> PanelBoxes() const;
  [[nodiscard]] QRadioButton* WidthButton(EntryWidth width) const;
  [[nodiscard]] EntryWidth CheckedWidth() const;
  // The boxes of `fields` take the texts of their fields of the ordinary list's data row `row`.
  void ShowFields(int row, std::span<const PanelField> fields);

  TDefinitionListModel* ordinaryModel_;
  TDefinitionListModel* bitWiseModel_;
  QStandardItemModel* bitNamesModel_;
  // False after the panel's definition was deleted: until a row is shown again the panel's
  // texts belong to no definition and are not stored over the one that took its row.
  bool panelHoldsCurrentRow_ = true;
  bool centred_ = false;
  QString lastFolder_;
};
