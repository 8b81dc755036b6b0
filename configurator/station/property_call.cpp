#include "property_call.h"

#include <map>

namespace korvo {

namespace {

std::map<std::string, DefaultParametersSetter>& DefaultsByType() {
    static std::map<std::string, DefaultParametersSetter> defaults;
    return defaults;
}

}  // namespace

void RegisterDefaultParameters(const std::string& typeName, DefaultParametersSetter setDefaults) {
    DefaultsByType()[typeName] = setDefaults;
}

bool SetDefaultParameters(const std::string& typeName, TModul& module) {
    const auto it = DefaultsByType().find(typeName);
    if (it == DefaultsByType().end()) return false;
    it->second(module);
    return true;
}

namespace {

struct DialogEntry {
    const char* type;
    PropertiesDialog dialog;
    const char* className;
};

constexpr DialogEntry kDialogs[] = {
    {"KORVO AI 2", PropertiesDialog::Korvo_AI_2, "TfrmKorvo_AI_2"},
    {"KORVO NC ETH", PropertiesDialog::Korvo_NC_ETH, "TfrmKorvo_NC_ETH"},
    {"KORVO DI 2", PropertiesDialog::Korvo_DI_2, "TfrmKorvo_DI_2"},
    {"KORVO DI 4", PropertiesDialog::Korvo_DI_4, "TfrmKorvo_DI_4"},
    {"KORVO DI 8", PropertiesDialog::Korvo_DI_8, "TfrmKorvo_DI_8"},
    {"KORVO DI 16", PropertiesDialog::Korvo_DI_16, "TfrmKorvo_DI_16"},
    {"KORVO DO 2", PropertiesDialog::Korvo_DO_2, "TfrmKorvo_DO_2"},
    {"KORVO DO 4", PropertiesDialog::Korvo_DO_4, "TfrmKorvo_DO_4"},
    {"KORVO DO 8", PropertiesDialog::Korvo_DO_8, "TfrmKorvo_DO_8"},
    {"KORVO DO 16", PropertiesDialog::Korvo_DO_16, "TfrmKorvo_DO_16"},
    {"KORVO AI 8", PropertiesDialog::Korvo_AI_8, "TfrmKorvo_AI_8"},
    {"KORVO RT 2", PropertiesDialog::Korvo_RT_2, "TfrmKorvo_RT_2"},
    {"KORVO TC 2", PropertiesDialog::Korvo_TC_2, "TfrmKorvo_TC_2"},
    {"KORVO AO 1", PropertiesDialog::Korvo_AO_1, "TfrmKorvo_AO_1"},
    {"KORVO AO 2V", PropertiesDialog::Korvo_AO_2V, "TfrmKorvo_AO_2V"},
    {"KORVO TC 4", PropertiesDialog::Korvo_TC_4, "TfrmKorvo_TC_4"},
    {"KORVO TC 8", PropertiesDialog::Korvo_TC_8, "TfrmKorvo_TC_8"},
    {"KORVO RT 6", PropertiesDialog::Korvo_RT_6, "TfrmKorvo_RT_6"},
    {"KORVO DO 1R", PropertiesDialog::Korvo_DO_1R, "TfrmKorvo_DO_1R"},
    {"KORVO DO 4R", PropertiesDialog::Korvo_DO_4R, "TfrmKorvo_DO_4R"},
    {"KORVO CT 1", PropertiesDialog::Korvo_CT_1, "TfrmKorvo_CT_1"},
    {"KORVO PB", PropertiesDialog::Korvo_PB, "TfrmKorvo_PB"},
    {"KORVO PA", PropertiesDialog::Korvo_PA, "TfrmKorvo_PA"},
};

constexpr ConnectionRow kConnections[] = {
    {"KORVO AI 2", "KORVO_AI_2", "AI", "connection_ai2.jpg"},
    {"KORVO NC ETH", "KORVO_NC_ETH", "NC_ETH", "connection_nc_eth.jpg"},
    {"KORVO DI 2", "KORVO_DI_2", "DI", "connection_di2.jpg"},
    {"KORVO DI 4", "KORVO_DI_4", "DI", "connection_di4.jpg"},
    {"KORVO DI 8", "KORVO_DI_8", "DI", "connection_di8.jpg"},
    {"KORVO DI 16", "KORVO_DI_16", "DI", "connection_di16.jpg"},
    {"KORVO DO 2", "KORVO_DO_2", "DO", "connection_do2.jpg"},
    {"KORVO DO 4", "KORVO_DO_4", "DO", "connection_do4.jpg"},
    {"KORVO DO 8", "KORVO_DO_8", "DO", "connection_do8.jpg"},
    {"KORVO DO 16", "KORVO_DO_16", "DO", "connection_do16.jpg"},
    {"KORVO AI 8", "KORVO_AI_8", "AI", "connection_ai8.jpg"},
    {"KORVO RT 2", "KORVO_RT_2", "RT", "connection_rt2.jpg"},
    {"KORVO TC 2", "KORVO_TC_2", "TC", "connection_tc2.jpg"},
    {"KORVO AO 1", "KORVO_AO_1", "AO", "connection_ao1.jpg"},
    {"KORVO AO 2V", "KORVO_AO_2V", "AO_V", "connection_ao2v.jpg"},
    {"KORVO TC 4", "KORVO_TC_4", "TC_4", "connection_tc4.jpg"},
    {"KORVO TC 8", "KORVO_TC_8", "TC_8", "connection_tc8.jpg"},
    {"KORVO RT 6", "KORVO_RT_6", "RT_6", "connection_rt6.jpg"},
    {"KORVO PS", "KORVO_PS", "PS", "connection_ps.jpg"},
    {"KORVO DO 1R", "KORVO_DO_1R", "DO_1R", "connection_do1r.jpg"},
    {"KORVO DO 4R", "KORVO_DO_4R", "DO_4R", "connection_do4r.jpg"},
    {"KORVO CT 1", "KORVO_CT_1", "CT", "connection_ct1.jpg"},
    {"KORVO PB", "KORVO_PB", "PB", "connection_pb.jpg"},
    {"KORVO PA", "KORVO_PA", "PA", "connection_pa.jpg"},
};

}  // namespace

std::optional<PropertiesDialog> PropertiesDialogFor(const std::string& typeName) {
    for (const DialogEntry& entry : kDialogs) {
        if (typeName == entry.type) return entry.dialog;
    }
    return std::nullopt;
}

std::string DialogClassName(PropertiesDialog dialog) {
    for (const DialogEntry& entry : kDialogs) {
        if (entry.dialog == dialog) return entry.className;
    }
    return {};
}

std::span<const ConnectionRow> ConnectionTable() { return kConnections; }

const ConnectionRow* FindConnection(const std::string& typeName) {
    for (const ConnectionRow& row : kConnections) {
        if (typeName == row.typeName) return &row;
    }
    return nullptr;
}

}  // namespace korvo
