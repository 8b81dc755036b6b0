#include "properties_windows.h"

#include "frm_korvo_ai_2.h"

namespace korvo {

void CreatePropertiesWindows(const ModelSource& model, QWidget* owner, const RegisterPropertiesWindow& registerWindow) {
    const auto add = [&](PropertiesDialog dialog, QWidget* window) {
        window->hide();
        registerWindow(dialog, window);
    };
    add(PropertiesDialog::Korvo_AI_2, new TfrmKorvo_AI_2(model, owner));
}

}  // namespace korvo
