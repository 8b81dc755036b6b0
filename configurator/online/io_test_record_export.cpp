#include "io_test_record_export.h"

#include "docs/export_text.h"
#include "station/text_encoding.h"

#include <cstdio>

namespace korvo {

namespace {

std::string Hex(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%04Xh", static_cast<unsigned>(value));
    return text;
}

std::string Bool(bool value) { return value ? "true" : "false"; }

}  // namespace

std::string PointResult(const PointRecord& p) {
    if (!p.Testable()) return "written by its dialog";
    if (p.Complete()) return "tested";
    const bool input = p.entry.direction == PointDirection::Input;
    if (p.entry.width == PointWidth::Word) {
        if (!p.seenValue) return p.errorCode >= 0 ? "error only" : (input ? "not seen" : "not written");
        return input ? "not seen moving" : "not changed";
    }
    if (input) {
        if (!p.seen0 && !p.seen1) return "not seen";
        return p.seen1 ? "not seen at 0" : "not seen at 1";
    }
    if (!p.seen0 && !p.seen1) return "not switched";
    return p.seen1 ? "not switched off" : "not switched on";
}

std::string PointValues(const PointRecord& p) {
    std::string text;
    if (p.entry.width == PointWidth::Bool) {
        if (p.entry.direction == PointDirection::Input) {
            if (p.seen0) text = "0";
            if (p.seen1) text += text.empty() ? "1" : " and 1";
            return text.empty() ? text : text + " seen";
        }
        if (p.seen1) text = "on";
        if (p.seen0) text += text.empty() ? "off" : " and off";
        return text;
    }
    if (p.seenValue) {
        text = std::to_string(p.minimum) + ".." + std::to_string(p.maximum);
        if (p.scale && !p.scale->unit.empty()) {
            const auto shown = [&](int word) {
                return Cp1252ToUtf8(ToEngineering(*p.scale, static_cast<std::uint16_t>(word)).ValueText());
            };
            text += " (" + (p.minimum == p.maximum ? shown(p.minimum) : shown(p.minimum) + " .. " + shown(p.maximum)) +
                    ")";
        }
    }
    if (p.errorCode >= 0) text += (text.empty() ? "error " : ", error ") + Hex(p.errorCode);
    return text;
}

std::string PointAddress(const PointRecord& p) {
    const AddressEntry& e = p.entry;
    std::string text = e.direction == PointDirection::Input ? "%I" : "%Q";
    if (e.width == PointWidth::Bool) return text + "X" + std::to_string(e.byte) + "." + std::to_string(e.bit);
    text += "W" + std::to_string(e.byte);
    if (p.muxChannel > 0) text += " ch " + std::to_string(p.muxChannel);
    return text;
}

std::string IoTestRecordCsv(const IoTestRecord& r) {
    std::string text = "\xEF\xBB\xBF";
    const RecordHeader& h = r.header;
    const auto line = [&text](const std::string& key, const std::string& value) {
        text += key + "," + CsvField(value) + "\r\n";
    };
    line("project", h.project);
    line("station", std::to_string(h.station) + " " + Cp1252ToUtf8(h.stationName));
    line("coupler", h.couplerAddress);
    line("configuration check", h.configurationCheck);
    line("coupler state", h.stateRegister);
    line("started", h.started);
    line("ended", r.ended);
    line("stopped because", r.stopReason);
    line("cycles", std::to_string(r.cycles));
    line("tested", std::to_string(r.CompleteCount()) + " of " + std::to_string(r.TestableCount()));
    line("tester", Cp1252ToUtf8(h.tester));
    text += "\r\nslot,module_type,tag,direction,data_type,byte,bit,result,seen_0,seen_1,minimum,maximum,error_code,"
            "switched_by,first_change,channel,verdict,remark\r\n";
    for (const PointRecord& p : r.points) {
        const AddressEntry& e = p.entry;
        const bool word = e.width == PointWidth::Word;
        text += std::to_string(e.slot) + "," + CsvField(Cp1252ToUtf8(e.moduleType)) + "," +
                CsvField(Cp1252ToUtf8(e.tag)) + "," + DirectionName(e.direction) + "," + WidthName(e.width) + "," +
                std::to_string(e.byte) + "," + (e.bit >= 0 ? std::to_string(e.bit) : "") + "," + PointResult(p) +
                "," + (word ? "" : Bool(p.seen0)) + "," + (word ? "" : Bool(p.seen1)) + "," +
                (word && p.seenValue ? std::to_string(p.minimum) : "") + "," +
                (word && p.seenValue ? std::to_string(p.maximum) : "") + "," +
                (p.errorCode >= 0 ? Hex(p.errorCode) : "") + "," + SourceName(p.source) + "," + p.firstChange +
                "," + (p.muxChannel > 0 ? std::to_string(p.muxChannel) : "") + "," + VerdictName(p.verdict) + "," +
                CsvField(p.remark) + "\r\n";
    }
    if (!r.events.empty()) {
        text += "\r\nevents" + (r.droppedEvents > 0 ? "," + std::to_string(r.droppedEvents) + " more not kept" : "") +
                "\r\n" + IoEventsCsvHeader();
        for (const IoEvent& e : r.events) text += IoEventCsvRow(e);
    }
    return text;
}

std::string IoTestRecordJson(const IoTestRecord& r) {
    const RecordHeader& h = r.header;
    std::string text = "{\n  \"project\": " + JsonQuoted(h.project) + ",\n  \"station\": " + std::to_string(h.station) +
                       ",\n  \"stationName\": " + JsonQuoted(Cp1252ToUtf8(h.stationName)) +
                       ",\n  \"coupler\": " + JsonQuoted(h.couplerAddress) +
                       ",\n  \"configurationCheck\": " + JsonQuoted(h.configurationCheck) +
                       ",\n  \"couplerState\": " + JsonQuoted(h.stateRegister) +
                       ",\n  \"started\": " + JsonQuoted(h.started) + ",\n  \"ended\": " + JsonQuoted(r.ended) +
                       ",\n  \"tester\": " + JsonQuoted(Cp1252ToUtf8(h.tester)) +
                       ",\n  \"tested\": " + std::to_string(r.CompleteCount()) +
                       ",\n  \"testable\": " + std::to_string(r.TestableCount()) +
                       ",\n  \"stopReason\": " + JsonQuoted(r.stopReason) +
                       ",\n  \"connectionLost\": " + Bool(r.connectionLost) +
                       ",\n  \"cycles\": " + std::to_string(r.cycles) + ",\n  \"points\": [";
    bool first = true;
    for (const PointRecord& p : r.points) {
        const AddressEntry& e = p.entry;
        text += first ? "\n" : ",\n";
        first = false;
        text += "    {\"slot\": " + std::to_string(e.slot) + ", \"moduleType\": " + JsonQuoted(Cp1252ToUtf8(e.moduleType)) +
                ", \"tag\": " + JsonQuoted(Cp1252ToUtf8(e.tag)) + ", \"direction\": \"" + DirectionName(e.direction) +
                "\", \"dataType\": \"" + WidthName(e.width) + "\", \"byte\": " + std::to_string(e.byte) +
                ", \"bit\": " + (e.bit >= 0 ? std::to_string(e.bit) : "null") + ", \"result\": " +
                JsonQuoted(PointResult(p)) + ", \"complete\": " + Bool(p.Complete()) +
                ", \"testable\": " + Bool(p.Testable());
        if (p.muxChannel > 0) text += ", \"channel\": " + std::to_string(p.muxChannel);
        if (e.width == PointWidth::Bool) {
            text += ", \"seen0\": " + Bool(p.seen0) + ", \"seen1\": " + Bool(p.seen1);
        } else if (p.seenValue) {
            text += ", \"minimum\": " + std::to_string(p.minimum) + ", \"maximum\": " + std::to_string(p.maximum);
        }
        if (p.errorCode >= 0) text += ", \"errorCode\": " + JsonQuoted(Hex(p.errorCode));
        if (p.source != OutputSource::None) {
            text += ", \"switchedBy\": " + JsonQuoted(SourceName(p.source)) +
                    ", \"firstChange\": " + JsonQuoted(p.firstChange);
        }
        if (p.verdict != Verdict::None) text += ", \"verdict\": " + JsonQuoted(VerdictName(p.verdict));
        if (!p.remark.empty()) text += ", \"remark\": " + JsonQuoted(p.remark);
        text += "}";
    }
    text += first ? "]" : "\n  ]";
    std::string events = IoEventsJson(r.events);
    events.pop_back();
    text += ",\n  \"droppedEvents\": " + std::to_string(r.droppedEvents) + ",\n  \"events\": " + events;
    return text + "\n}\n";
}

void WriteIoTestRecord(const IoTestRecord& record, const std::filesystem::path& file, bool json) {
    ReplaceFile(file, json ? IoTestRecordJson(record) : IoTestRecordCsv(record));
}

}  // namespace korvo
