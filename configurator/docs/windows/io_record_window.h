#pragma once
// "I/O test record": the commissioning record of the I/O test as a table, points not
// yet seen in both states highlighted, headed by project, station, coupler, check
// result, state bits and dates, and exported as PDF, CSV or JSON. Follows the record
// while the test runs; keeps showing it after the test stopped or the connection broke.

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace korvo {

class IoTestRecorder;

class TfrmIoRecord : public QWidget {
    Q_OBJECT
public:
    explicit TfrmIoRecord(QWidget* parent);

    // The recorder whose record the window shows; it tells the window of changes.
    void Bind(IoTestRecorder& recorder);
    void ShowRecord();
    void Refresh();

    // The export buttons' work once a file is chosen; false after a message.
    bool ExportPdf(const QString& file);
    bool ExportCsv(const QString& file);
    bool ExportJson(const QString& file);

    // The columns the tester fills in.
    static constexpr int kVerdictColumn = 9;
    static constexpr int kRemarkColumn = 10;

private:
    // A verdict or remark was edited in the table.
    void PointEdited(int row);
    void ExportClicked(const QString& caption, const QString& filter, bool (TfrmIoRecord::*write)(const QString&));
    bool WriteText(const QString& file, bool json);

    IoTestRecorder* recorder_ = nullptr;
    QLabel* laHeader_ = nullptr;
    QLabel* laSummary_ = nullptr;
    QTableWidget* gridPoints_ = nullptr;
    QPushButton* buttonPdf_ = nullptr;
    QPushButton* buttonCsv_ = nullptr;
    QPushButton* buttonJson_ = nullptr;
};

}  // namespace korvo
