#pragma once

#include <string>
#include <string_view>

namespace labo {

// A small JSON writer for the page's reports: values are appended in order,
// commas put in by the writer. Strings are written as UTF-8, any byte that
// is not part of a well-formed character replaced by U+FFFD; numbers with
// all 17 digits, a decimal point whatever the locale, and null for a value
// that is not finite.
class Json {
public:
    Json& beginObject();
    Json& endObject();
    Json& beginArray();
    Json& endArray();
    Json& key(std::string_view name);
    Json& value(std::string_view text);
    Json& value(const char* text) { return value(std::string_view(text)); }
    Json& value(double number);
    Json& value(int number) { return value(static_cast<double>(number)); }
    Json& value(bool flag);
    Json& null();

    const std::string& text() const { return out_; }

private:
    void separate();
    std::string out_;
    bool first_ = true;  // no value yet in the object or array open
};

}  // namespace labo
