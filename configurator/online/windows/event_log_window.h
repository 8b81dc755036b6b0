#pragma once
// The "event log" window: every change of an I/O point while the test runs, as a
// table (time with milliseconds, tag, old → new, source) that grows live, filtered by
// a part of the tag and by the source, exported as CSV or JSON. The table reads the
// log's own list through an index of the rows the filter lets through, so hundreds of
// thousands of events cost no widget each.

#include "online/io_event_log.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace korvo {

class IoTestFeed;

class IoEventTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, Tag, Change, Source, kColumns };

    explicit IoEventTable(QObject* parent = nullptr);

    void Bind(const IoEventLog* log);
    void SetFilter(EventFilter filter);
    // Takes the events logged since the last call; all of them after the log began again.
    void CatchUp();
    const IoEvent& EventAt(int row) const;
    // The events the filter lets through, in order.
    std::vector<IoEvent> Shown() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void Rebuild();

    const IoEventLog* log_ = nullptr;
    EventFilter filter_;
    std::vector<std::size_t> rows_;
    std::size_t seen_ = 0;
};

class TfrmEventLog : public QWidget {
    Q_OBJECT
public:
    explicit TfrmEventLog(QWidget* parent = nullptr);

    void Bind(IoTestFeed& feed);
    IoEventTable* Table() const { return table_; }
    // The events shown; the file is written whole or not at all, the window's line
    // says which.
    bool ExportCsv(const QString& file);
    bool ExportJson(const QString& file);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FilterChanged();
    void EventLogged();
    void Refresh();
    bool Export(const QString& file, const std::string& text);
    void ShowCount();

    IoTestFeed* feed_ = nullptr;
    IoEventTable* table_;
    QLineEdit* tagFilter_;
    QComboBox* source_;
    QTableView* grid_;
    QLabel* count_;
    QLabel* result_;
    bool pending_ = false;
};

}  // namespace korvo
