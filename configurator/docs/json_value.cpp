#include "json_value.h"

#include <cmath>
#include <cstdlib>

namespace korvo {

const JsonValue* JsonValue::Member(const std::string& name) const {
    if (kind != Kind::Object) return nullptr;
    const auto it = members.find(name);
    return it == members.end() ? nullptr : &it->second;
}

std::string JsonValue::Text(const std::string& name, const std::string& fallback) const {
    const JsonValue* m = Member(name);
    return m != nullptr && m->kind == Kind::String ? m->text : fallback;
}

std::optional<double> JsonValue::Number(const std::string& name) const {
    const JsonValue* m = Member(name);
    if (m == nullptr || m->kind != Kind::Number) return std::nullopt;
    return m->number;
}

std::optional<bool> JsonValue::Bool(const std::string& name) const {
    const JsonValue* m = Member(name);
    if (m == nullptr || m->kind != Kind::Bool) return std::nullopt;
    return m->boolean;
}

namespace {

struct Failure {
    std::string why;
};

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    JsonValue Document() {
        JsonValue value = Value(0);
        Blanks();
        if (at_ != text_.size()) Fail("text after the end of the document");
        return value;
    }

    std::string Where() const {
        std::size_t line = 1;
        std::size_t column = 1;
        for (std::size_t i = 0; i < at_ && i < text_.size(); ++i) {
            if (text_[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        return "line " + std::to_string(line) + ", column " + std::to_string(column);
    }

private:
    [[noreturn]] void Fail(const std::string& why) { throw Failure{why}; }

    void Blanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }

    bool Take(char c) {
        Blanks();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    void Expect(char c) {
        if (!Take(c)) Fail(std::string("expected '") + c + "'");
    }

    bool Word(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    JsonValue Value(std::size_t depth) {
        if (depth >= kMaxJsonDepth) Fail("nested deeper than " + std::to_string(kMaxJsonDepth));
        Blanks();
        if (at_ >= text_.size()) Fail("unexpected end of the text");
        JsonValue value;
        const char c = text_[at_];
        if (c == '{') {
            ++at_;
            value.kind = JsonValue::Kind::Object;
            if (Take('}')) return value;
            do {
                Blanks();
                if (at_ >= text_.size() || text_[at_] != '"') Fail("expected a member name");
                std::string name = String();
                Expect(':');
                value.members[std::move(name)] = Value(depth + 1);
            } while (Take(','));
            Expect('}');
        } else if (c == '[') {
            ++at_;
            value.kind = JsonValue::Kind::Array;
            if (Take(']')) return value;
            do {
                value.items.push_back(Value(depth + 1));
            } while (Take(','));
            Expect(']');
        } else if (c == '"') {
            value.kind = JsonValue::Kind::String;
            value.text = String();
        } else if (Word("true")) {
            value.kind = JsonValue::Kind::Bool;
            value.boolean = true;
        } else if (Word("false")) {
            value.kind = JsonValue::Kind::Bool;
        } else if (Word("null")) {
            value.kind = JsonValue::Kind::Null;
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            value.kind = JsonValue::Kind::Number;
            value.number = NumberValue();
        } else {
            Fail(std::string("unexpected character '") + c + "'");
        }
        return value;
    }

    double NumberValue() {
        const std::size_t start = at_;
        const auto digits = [&] {
            const std::size_t first = at_;
            while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
            if (at_ == first) Fail("a number needs digits");
        };
        if (text_[at_] == '-') ++at_;
        digits();
        if (at_ < text_.size() && text_[at_] == '.') {
            ++at_;
            digits();
        }
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            ++at_;
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
            digits();
        }
        const std::string number(text_.substr(start, at_ - start));
        const double value = std::strtod(number.c_str(), nullptr);
        if (!std::isfinite(value)) Fail("the number " + number + " is too large");
        return value;
    }

    unsigned Hex4() {
        if (at_ + 4 > text_.size()) Fail("a \\u escape needs four hexadecimal digits");
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = text_[at_++];
            value <<= 4;
            if (h >= '0' && h <= '9') value |= static_cast<unsigned>(h - '0');
            else if (h >= 'a' && h <= 'f') value |= static_cast<unsigned>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F') value |= static_cast<unsigned>(h - 'A' + 10);
            else Fail("a \\u escape needs four hexadecimal digits");
        }
        return value;
    }

    static void AppendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    std::string String() {
        ++at_;  // the opening quote
        std::string out;
        for (;;) {
            if (at_ >= text_.size()) Fail("a text is not closed");
            const char c = text_[at_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("a control character inside a text");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) Fail("a text is not closed");
            const char e = text_[at_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    unsigned code = Hex4();
                    if (code >= 0xD800 && code < 0xDC00) {
                        if (!Word("\\u")) Fail("a lone surrogate in a \\u escape");
                        const unsigned low = Hex4();
                        if (low < 0xDC00 || low > 0xDFFF) Fail("a lone surrogate in a \\u escape");
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    } else if (code >= 0xDC00 && code < 0xE000) {
                        Fail("a lone surrogate in a \\u escape");
                    }
                    AppendUtf8(out, code);
                    break;
                }
                default: Fail(std::string("an unknown escape \\") + e);
            }
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

JsonParse ParseJson(std::string_view text) {
    JsonParse result;
    if (text.size() > kMaxJsonBytes) {
        result.error = "longer than " + std::to_string(kMaxJsonBytes) + " bytes";
        return result;
    }
    Parser parser(text);
    try {
        result.value = parser.Document();
    } catch (const Failure& failure) {
        result.error = parser.Where() + ": " + failure.why;
    }
    return result;
}

}  // namespace korvo
