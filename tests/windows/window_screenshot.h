#pragma once
// Renders a window to a PNG file in screenshots/ of the build folder.

#include <QDir>
#include <QPixmap>
#include <QTest>
#include <QWidget>

inline void SaveScreenshot(QWidget& window, const char* name) {
    const QPixmap shot = window.grab();
    QVERIFY(!shot.isNull());
    QVERIFY(QDir().mkpath(QStringLiteral(KORVO_SCREENSHOT_DIR)));
    QVERIFY(shot.save(QStringLiteral(KORVO_SCREENSHOT_DIR "/") + QString::fromLatin1(name), "PNG"));
}
