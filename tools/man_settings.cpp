// antenne-man-settings: writes the settings of antenne-export's manual page
// from the model's table of settings, between the page's two marker lines
// (".\" settings: begin" and ".\" settings: end"), so that the manual says
// what the command line reads.
//   antenne-man-settings PAGE          rewrites PAGE's settings
//   antenne-man-settings --check PAGE  exits 1 if PAGE's settings are not the table's
#include "model/decimal.h"
#include "model/setting_table.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const std::string begin = ".\\\" settings: begin\n";
const std::string end = ".\\\" settings: end\n";

// Text as roff wants it: its minus signs and the signs of units escaped.
std::string roff(const std::string& text)
{
    const std::pair<const char*, const char*> escapes[] = {
        {"-", "\\-"}, {"°", "\\(de"}, {"·", "\\(pc"}, {"±", "\\(+-"}, {"τ", "\\(*t"}, {"×", "\\(mu"}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool escaped = false;
        for (const auto& [sign, escape] : escapes) {
            const std::string s = sign;
            if (text.compare(i, s.size(), s) == 0) {
                out += escape;
                i += s.size();
                escaped = true;
                break;
            }
        }
        if (!escaped)
            out += text[i++];
    }
    return out;
}

// The default, as the manual gives it in parentheses.
std::string defaultOf(const labo::SettingInfo& row)
{
    if (row.leadDefault != 0)
        return labo::FormatShortest(row.leadDefault, '.') + " for a lead, " + labo::FormatShortest(row.lagDefault, '.') +
               " for a lag";
    if (row.kind == labo::SettingInfo::Kind::Preset || row.kind == labo::SettingInfo::Kind::Exercise)
        return "none";
    return labo::LinkValue(labo::Settings{}, row.name);
}

std::string settings()
{
    std::string out;
    for (const labo::SettingInfo& row : labo::SettingTable()) {
        out += ".TP\n.B " + std::string(row.name) + "\n" + roff(row.english) + ": " + roff(row.acceptsEnglish()) + " (" +
               roff(defaultOf(row)) + ").\n";
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool check = argc == 3 && std::string(argv[1]) == "--check";
    if (argc != 2 && !check) {
        std::fputs("usage: antenne-man-settings [--check] PAGE\n", stderr);
        return 2;
    }
    const char* path = argv[argc - 1];
    std::ifstream in(path, std::ios::binary);
    std::stringstream read;
    read << in.rdbuf();
    const std::string page = read.str();
    const std::size_t from = page.find(begin);
    const std::size_t to = page.find(end);
    if (!in || from == std::string::npos || to == std::string::npos || to < from) {
        std::fprintf(stderr, "antenne-man-settings: %s has no settings between its markers\n", path);
        return 1;
    }
    const std::string written = page.substr(0, from + begin.size()) + settings() + page.substr(to);
    if (check) {
        if (written == page)
            return 0;
        std::fprintf(stderr, "antenne-man-settings: %s does not list the settings as the model declares them; "
                             "rewrite them with antenne-man-settings %s\n", path, path);
        return 1;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << written;
    return out ? 0 : 1;
}
