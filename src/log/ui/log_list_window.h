#pragma once
// The log list `gpslshow`: the entries LogQuery selects in a sortable table (a model,
// not a widget per cell), exported as CSV or printed; and the printout itself.

#include <QAbstractTableModel>
#include <QWidget>
#include <vector>

#include <functional>

#include "core/units.h"
#include "geo/grid_notation.h"
#include "log/log_rows.h"

class QPainter;
class QPrinter;
class QSortFilterProxyModel;
class QTableView;

namespace tavrik {

class App;

void registerLogListWindow(App& app);

class LogTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  LogTableModel(const Units& units, const GridNotation& notation, QObject* parent = nullptr)
      : QAbstractTableModel(parent), m_units(units), m_notation(notation) {}
  void setRows(std::vector<LogRow> rows);
  const std::vector<LogRow>& rows() const { return m_rows; }
  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : static_cast<int>(m_rows.size()); }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 13; }
  // DisplayRole: the list's texts; Qt::UserRole: the value sorted by.
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  Units m_units;
  GridNotation m_notation;
  std::vector<LogRow> m_rows;
};

class LogListWindow : public QWidget {
  Q_OBJECT
 public:
  explicit LogListWindow(App& app, QWidget* parent = nullptr);
  // Runs LogQuery again.
  void reload();
  // Writes the listed entries as CSV; false (after a message) when the file cannot be written.
  bool exportCsv(const QString& file);
  LogTableModel* model() const { return m_model; }
  QTableView* view() const { return m_view; }
  QSize sizeHint() const override { return {900, 400}; }

 private:
  App& m_app;
  LogTableModel* m_model = nullptr;
  QSortFilterProxyModel* m_sorted = nullptr;
  QTableView* m_view = nullptr;
};

// The printout: a heading on every page, one line per entry at the print columns,
// a position and a memo on lines of their own when they are not empty. Columns are
// character widths of a 200-column line across the page. `cancelled` is asked before
// every entry. Returns the pages printed.
int printLog(QPainter& painter, QPrinter& printer, const std::vector<LogRow>& rows, const Units& units,
             const GridNotation& notation, const std::function<bool()>& cancelled = {});
// Print preview of the entries (QPrintPreviewDialog), printing from there.
void printLogWithPreview(App& app, const std::vector<LogRow>& rows, QWidget* parent);

}  // namespace tavrik
