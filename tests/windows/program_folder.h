#pragma once
// A throw-away program folder for widget tests: the shipped catalogue and pictures,
// and optionally a "korvo.ini", so tests never touch the build's own program folder.

#include "shell/windows/main_form.h"
#include "station/windows/frm_konfig.h"
#include "station/windows/module_drawing.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

class ProgramFolder {
public:
    explicit ProgramFolder(const QByteArray& settings = QByteArray()) {
        const QDir data(QStringLiteral(KORVO_TEST_DATA_DIR));
        QFile::copy(data.filePath(QStringLiteral("korvo_config.ini")), dir_.filePath(QStringLiteral("korvo_config.ini")));
        QDir(dir_.path()).mkpath(QStringLiteral("images"));
        // The pictures are drawn into the build's program folder at build time.
        const QDir images(QStringLiteral(KORVO_PROGRAM_DIR "/images"));
        for (const QString& name : images.entryList(QDir::Files)) {
            QFile::copy(images.filePath(name), dir_.filePath(QStringLiteral("images/") + name));
        }
        if (!settings.isNull()) WriteSettings(settings);
    }

    void WriteSettings(const QByteArray& text) const {
        QFile file(dir_.filePath(QStringLiteral("korvo.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    QByteArray ReadSettings() const {
        QFile file(dir_.filePath(QStringLiteral("korvo.ini")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QByteArray DemoProject() {
        QFile file(QStringLiteral(KORVO_TEST_DATA_DIR "/demo/demo.prj"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString FilePath(const QString& name) const { return dir_.filePath(name); }
    std::string Path() const { return QFile::encodeName(dir_.path()).toStdString() + "/"; }

private:
    QTemporaryDir dir_;
};

// The shipped connection descriptions into the test's program folder.
inline void CopyDocuments(const ProgramFolder& folder) {
    QVERIFY(QDir().mkpath(folder.FilePath(QStringLiteral("documents"))));
    const QDir documents(QStringLiteral(KORVO_TEST_DATA_DIR "/documents"));
    for (const QString& name : documents.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
        QVERIFY(QFile::copy(documents.filePath(name), folder.FilePath(QStringLiteral("documents/") + name)));
    }
}

// Clicks a line of the type list the way a user does.
inline void ClickTypeLine(korvo::TMainForm& form, const QString& text) {
    auto* list = form.findChild<QListWidget*>(QStringLiteral("ListModule"));
    QVERIFY(list != nullptr);
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!items.isEmpty(), qPrintable(text));
    list->scrollToItem(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

inline korvo::ModulePicture* Picture(korvo::TMainForm& form, int slot) {
    return form.findChild<korvo::ModulePicture*>(QStringLiteral("Im%1").arg(slot));
}

inline QAction* Action(korvo::TMainForm& form, const char* name) {
    return form.findChild<QAction*>(QString::fromLatin1(name));
}
