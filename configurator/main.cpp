// KorvoConfigurator: the main window and its station view. Every file lies in the
// folder of the program; the command line only asks for a screenshot or a project.

#include "station/app_state.h"
#include "shell/start_options.h"
#include "shell/windows/first_paint_screenshot.h"
#include "shell/windows/main_form.h"
#include "ui/picture_file.h"
#include "shell/windows/window_keeper.h"
#include "docs/windows/help_viewer.h"
#include "ui/user_settings.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QSettings>

#include <cstdio>
#include <exception>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string error;
    const std::optional<korvo::StartOptions> options =
        korvo::ParseStartOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "KorvoConfigurator: %s\n%s\n", error.c_str(), korvo::kStartUsage);
        return 2;
    }
    if (options->help) {
        std::printf("%s\n", korvo::kStartUsage);
        return 0;
    }
    try {
        const std::string folder =
            korvo::ProgramFolderOf(QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString());
        if (QPixmap icon; korvo::LoadPicture(folder + "images/korvo.png", icon)) QApplication::setWindowIcon(QIcon(icon));
        korvo::TMainForm mainForm(folder);
        mainForm.State().StartProject = options->project;
        // Window places belong to the user, not to the project or the program folder.
        const std::unique_ptr<QSettings> places = korvo::UserSettings();
        korvo::WindowKeeper keeper(&mainForm, *places, [&mainForm](int page) { mainForm.frmHelp()->OpenAt(page); },
                                   nullptr);
        app.installEventFilter(&keeper);
        std::unique_ptr<korvo::FirstPaintScreenshot> screenshot;
        if (!options->screenshot.empty()) {
            screenshot = std::make_unique<korvo::FirstPaintScreenshot>(
                mainForm, QFile::decodeName(QByteArray::fromStdString(options->screenshot)));
        }
        mainForm.show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "KorvoConfigurator: %s\n", e.what());
        return 1;
    }
}
