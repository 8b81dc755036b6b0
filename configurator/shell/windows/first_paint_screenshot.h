#pragma once
// Renders the main window into a PNG file once the station view has been painted
// for the first time, then ends the event loop: 0 when the file was written
// (written whole or not at all), 2 when not or when no paint came within 30 s.

#include <QObject>
#include <QString>

namespace korvo {

class TMainForm;

class FirstPaintScreenshot : public QObject {
public:
    FirstPaintScreenshot(TMainForm& form, QString file);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Capture();

    TMainForm& form_;
    QString file_;
    bool scheduled_ = false;
};

}  // namespace korvo
