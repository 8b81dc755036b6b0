#pragma once
// The "trend" window: any points of the current station picked by tag from a list that
// filters as one types, plotted live (measured values as lines, digital points as
// steps), and "record trend..." to write the picked points' readings of every cycle to
// a file until "stop recording" or the end of the test.

#include <QWidget>

#include <memory>
#include <set>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace korvo {

class IoTestFeed;
class TrendFile;
class TrendPane;
struct TrendReading;

class TfrmTrend : public QWidget {
    Q_OBJECT
public:
    explicit TfrmTrend(QWidget* parent = nullptr);
    ~TfrmTrend() override;

    void Bind(IoTestFeed& feed);
    TrendPane* Pane() const { return pane_; }
    // Ticks or unticks the point of this tag in the list; false when there is none.
    bool Pick(const QString& tag, bool picked);
    // The picked points (indexes into the history's points), in list order.
    std::vector<std::size_t> Picked() const;

    // Starts writing the picked points' readings to the file; false, with the reason
    // shown, when it cannot be created.
    bool StartRecording(const QString& file);
    void StopRecording();
    bool Recording() const { return file_ != nullptr; }

private:
    void FillList();
    void Filter(const QString& text);
    void PicksChanged();
    void Write(const std::vector<TrendReading>& readings);
    void ShowRecording(const QString& text, bool failed);
    void UpdateButtons();

    IoTestFeed* feed_ = nullptr;
    QLineEdit* filter_;
    QListWidget* list_;
    TrendPane* pane_;
    QPushButton* record_;
    QPushButton* stop_;
    QLabel* recording_;
    // Kept by tag, so a new test of the same station keeps the choice.
    std::set<std::string> picked_;
    std::unique_ptr<TrendFile> file_;
};

}  // namespace korvo
