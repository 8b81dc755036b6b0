#pragma once
// A trend plot with its controls: the time window, "pause", "export CSV" and "export
// PNG", and a line for what the last export did. Until an I/O test has begun it says
// so instead of plotting. Which points it plots is asked again at every new test,
// since a changed station gives other points.

#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace korvo {

class IoTestFeed;
class TrendChart;
class TrendHistory;

class TrendPane : public QWidget {
    Q_OBJECT
public:
    using PointPick = std::function<std::vector<std::size_t>(const TrendHistory&)>;
    static constexpr const char* kNoTrend = "no trend: the I/O test is not running";

    // offerDay adds "24 h" to the time windows; the pane starts at "10 min".
    explicit TrendPane(bool offerDay, QWidget* parent = nullptr);

    void SetFeed(IoTestFeed* feed);
    // The points to plot, picked from the history now and at every new test.
    void ShowPoints(PointPick pick);
    // The measured channels of the module in slot.
    void ShowSlot(int slot);
    TrendChart* Chart() const { return chart_; }

    // The file is written whole or not at all; the pane's line says which.
    bool ExportCsv(const QString& file);
    bool ExportPng(const QString& file);

private:
    void Refresh();
    void ShowResult(const std::optional<std::string>& error, const QString& file);

    IoTestFeed* feed_ = nullptr;
    PointPick pick_;
    QComboBox* spans_;
    QCheckBox* pause_;
    QPushButton* exportCsv_;
    QPushButton* exportPng_;
    QLabel* result_;
    QLabel* noTrend_;
    TrendChart* chart_;
};

}  // namespace korvo
