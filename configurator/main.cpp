// KorvoConfigurator: the main window and its station view. No command-line arguments
// are read; every file lies in the folder of the program.

#include "shell/app_state.h"
#include "shell/windows/main_form.h"

#include <QApplication>
#include <QFile>
#include <QIcon>

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    try {
        const std::string folder =
            korvo::ProgramFolderOf(QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString());
        QApplication::setWindowIcon(QIcon(QFile::decodeName(QByteArray::fromStdString(folder + "images/korvo.png"))));
        korvo::TMainForm mainForm(folder);
        mainForm.show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "KorvoConfigurator: %s\n", e.what());
        return 1;
    }
}
