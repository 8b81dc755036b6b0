#include "properties_windows.h"

#include "frm_korvo_ai_2.h"
#include "frm_korvo_ai_8.h"
#include "frm_korvo_ao.h"
#include "korvo_ct_1_window.h"
#include "korvo_nc_eth_window.h"
#include "multi_channel_temperature_window.h"
#include "simple_module_windows.h"
#include "two_channel_temperature_window.h"

namespace korvo {

void CreatePropertiesWindows(const ModelSource& model, QWidget* owner,
                             const RegisterPropertiesWindow& registerWindow, Pinger* pinger,
                             IoTestFeed* trends) {
    const auto add = [&](PropertiesDialog dialog, QWidget* window) {
        window->hide();
        if (auto* moduleWindow = qobject_cast<ModuleWindow*>(window)) moduleWindow->SetTrendFeed(trends);
        registerWindow(dialog, window);
    };
    add(PropertiesDialog::Korvo_AI_2, new TfrmKorvo_AI_2(model, owner));
    add(PropertiesDialog::Korvo_AI_8, new TfrmKorvo_AI_8(model, owner));
    add(PropertiesDialog::Korvo_AO_1, new TfrmKorvo_AO_1(model, owner));
    add(PropertiesDialog::Korvo_AO_2V, new TfrmKorvo_AO_2V(model, owner));
    add(PropertiesDialog::Korvo_RT_2, new TfrmKorvo_RT_2(model, owner));
    add(PropertiesDialog::Korvo_TC_2, new TfrmKorvo_TC_2(model, owner));
    add(PropertiesDialog::Korvo_TC_4, new TfrmKorvo_TC_4(model, owner));
    add(PropertiesDialog::Korvo_TC_8, new TfrmKorvo_TC_8(model, owner));
    add(PropertiesDialog::Korvo_RT_6, new TfrmKorvo_RT_6(model, owner));
    add(PropertiesDialog::Korvo_CT_1, new TfrmKorvo_CT_1(model, owner));
    add(PropertiesDialog::Korvo_NC_ETH, new TfrmKorvo_NC_ETH(model, owner, pinger));
    for (const SimpleModuleWindow& entry : SimpleModuleWindows())
        add(entry.dialog, CreateSimpleModuleWindow(owner, entry));
}

}  // namespace korvo
