#include "shell/windows/first_paint_screenshot.h"

#include "shell/windows/main_form.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPixmap>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace korvo {

namespace {

// A window that is never activated (a display without a window manager) never shows
// its station; the program must not wait for it for ever.
constexpr int kFirstPaintLimitMs = 30000;

}  // namespace

FirstPaintScreenshot::FirstPaintScreenshot(TMainForm& form, QString file) : form_(form), file_(std::move(file)) {
    QCoreApplication::instance()->installEventFilter(this);
    QTimer::singleShot(kFirstPaintLimitMs, this, [this] {
        if (scheduled_) return;
        std::fprintf(stderr, "KorvoConfigurator: the station was not painted within %d s; no screenshot\n",
                     kFirstPaintLimitMs / 1000);
        QCoreApplication::exit(2);
    });
}

bool FirstPaintScreenshot::eventFilter(QObject* watched, QEvent* event) {
    // The station view exists from the first activation on; the first paint after
    // that shows the loaded station.
    if (!scheduled_ && event->type() == QEvent::Paint && form_.frmKonfig() != nullptr) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == &form_) {
            scheduled_ = true;
            QTimer::singleShot(0, this, [this] { Capture(); });
        }
    }
    return QObject::eventFilter(watched, event);
}

void FirstPaintScreenshot::Capture() {
    QCoreApplication::instance()->removeEventFilter(this);
    QSaveFile file(file_);
    const bool written =
        file.open(QIODevice::WriteOnly) && form_.grab().save(&file, "PNG") && file.commit();
    if (!written) {
        std::fprintf(stderr, "KorvoConfigurator: cannot write the screenshot \"%s\"\n", qUtf8Printable(file_));
    }
    QCoreApplication::exit(written ? 0 : 2);
}

}  // namespace korvo
