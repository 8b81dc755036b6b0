#include "shell/windows/first_paint_screenshot.h"

#include "shell/windows/main_form.h"
#include "station/safe_file_write.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

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
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    std::optional<std::string> why;
    if (!form_.grab().save(&png, "PNG")) {
        why = "the picture cannot be encoded";
    } else {
        const QByteArray& bytes = png.data();
        why = WriteFileSafely(QFile::encodeName(file_).toStdString(),
                              std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    const bool written = !why;
    if (!written) {
        std::fprintf(stderr, "KorvoConfigurator: cannot write the screenshot \"%s\": %s\n", qUtf8Printable(file_),
                     why->c_str());
    }
    QCoreApplication::exit(written ? 0 : 2);
}

}  // namespace korvo
