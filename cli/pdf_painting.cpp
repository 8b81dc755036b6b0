#include "pdf_painting.h"

namespace korvo {

std::unique_ptr<QGuiApplication> PaintingApplication() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (QGuiApplication::instance() != nullptr) return nullptr;
    static int argc = 1;
    static char name[] = "korvo";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace korvo
