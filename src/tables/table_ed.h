#pragma once

#include <QWidget>

#include <string>

// The table editor: the two lists of table definitions.
class TTableEd : public QWidget {
  Q_OBJECT

 public:
  TTableEd();

  // Appends a definition built from the main window's current table; the definition lists
  // arrive with the table editor.
  void AddTableFromCursor();

  // Reads a table-definition file into both lists; arrives with the definition lists.
  void ReadEcuFile(const std::string& path);

  // Empties both definition lists; arrives with the definition lists.
  void ClearLists();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  bool centred_ = false;
};
