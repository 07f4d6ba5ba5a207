#include "web/bridge/json.h"

#include <cmath>
#include <cstdio>

namespace labo {

void Json::separate()
{
    if (!first_)
        out_ += ',';
    first_ = false;
}

Json& Json::beginObject()
{
    separate();
    out_ += '{';
    first_ = true;
    return *this;
}

Json& Json::endObject()
{
    out_ += '}';
    first_ = false;
    return *this;
}

Json& Json::beginArray()
{
    separate();
    out_ += '[';
    first_ = true;
    return *this;
}

Json& Json::endArray()
{
    out_ += ']';
    first_ = false;
    return *this;
}

Json& Json::key(std::string_view name)
{
    value(name);
    out_ += ':';
    first_ = true;  // the value after a key takes no comma
    return *this;
}

namespace {

// The length of the well-formed UTF-8 character at text[at], or 0.
std::size_t character(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned c = byte(at + i);
        if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

}  // namespace

Json& Json::value(std::string_view text)
{
    separate();
    out_ += '"';
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = character(text, i);
        if (length == 0) {
            out_ += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        const char c = text[i];
        if (c == '"' || c == '\\') {
            out_ += '\\';
            out_ += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == '<') {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
            out_ += escape;
        } else {
            out_.append(text.substr(i, length));
        }
        i += length;
    }
    out_ += '"';
    return *this;
}

Json& Json::value(double number)
{
    if (!std::isfinite(number))
        return null();
    separate();
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", number == 0 ? 0.0 : number);
    for (char* c = text; *c != 0; ++c)
        if (*c == ',')
            *c = '.';  // a locale's decimal comma
    out_ += text;
    return *this;
}

Json& Json::value(bool flag)
{
    separate();
    out_ += flag ? "true" : "false";
    return *this;
}

Json& Json::null()
{
    separate();
    out_ += "null";
    return *this;
}

}  // namespace labo
