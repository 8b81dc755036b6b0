#pragma once
// The help viewer TfrmHelp: one help page picture at a time, "<" and ">" page round
// through the fifteen pages, and other windows open it at their own page.

#include "docs/help_pages.h"

#include <QWidget>

#include <string>

class QLabel;
class QToolButton;

namespace korvo {

class TfrmHelp : public QWidget {
    Q_OBJECT
public:
    // programFolder ends with a separator; the pages are read from its folder images.
    TfrmHelp(std::string programFolder, QWidget* parent);

    int Page() const { return pages_.Page(); }
    // The picture shown now; null before the first page was loaded.
    QLabel* Picture() const { return image_; }

    void SpeedButton1Click();
    void SpeedButton2Click();
    // Sets the page, shows it and shows the window.
    void OpenAt(int page);
    // The openers: the main menu's "Korvo Help" (page 1, the window set to 900 x 550),
    // the BOOTP window's "?" (page 9) and the diagnosis window's "?" (page 10).
    void OpenFromMainMenu();
    void OpenBootpHelp() { OpenAt(HelpPages::kBootpPage); }
    void OpenDiagnosisHelp() { OpenAt(HelpPages::kDiagnosisPage); }

private:
    // Bar text first, then the picture; a page that cannot be loaded is reported and
    // the previous picture stays.
    void ShowPage();

    std::string programFolder_;
    HelpPages pages_;
    QLabel* label1_;
    QLabel* image_;
};

}  // namespace korvo
