// The native model's frequency answers, for the reference checks against
// SciPy (test_frequency_reference.py), through the page's C interface.
//   frequency_probe LINK...          one JSON line per link: {"report": ...,
//                                    "bode": {...}, "nyquist": {...}, "asymptotes": {...}}
//   frequency_probe --lead WC MP     the phase lead placed for a crossover
//                                    WC (rad/s) and a phase margin MP (degrees)
#include <cstdio>
#include <cstring>
#include <string>

extern "C" {
char* antenne_input(int bytes);
int antenne_compute(int length, int previous);
void antenne_release(int handle);
const char* antenne_report(int handle);
const char* antenne_lead(int handle, int length);
const char* antenne_table(int handle, int which, double low, double high, int count);
const double* antenne_table_data();
}

namespace {

int input(const std::string& text)
{
    const auto length = static_cast<int>(text.size());
    std::memcpy(antenne_input(length), text.data(), text.size());
    return length;
}

// A table as {"column": [values...], ...}.
std::string table(int handle, int which)
{
    const std::string shape = antenne_table(handle, which, 0, 0, 0);
    const int rows = std::stoi(shape.substr(shape.find(':') + 1));
    const double* data = antenne_table_data();
    std::string out = "{";
    std::size_t at = shape.find('[');
    for (int c = 0;; ++c) {
        const std::size_t open = shape.find('"', at);
        if (open == std::string::npos)
            break;
        const std::size_t close = shape.find('"', open + 1);
        out += (c == 0 ? "" : ",") + shape.substr(open, close + 1 - open) + ":[";
        for (int i = 0; i < rows; ++i) {
            char number[32];
            std::snprintf(number, sizeof number, "%s%.17g", i == 0 ? "" : ",", data[c * rows + i]);
            out += number;
        }
        out += "]";
        at = close + 1;
    }
    return out + "}";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--lead") {
        const int handle = antenne_compute(input(""), 0);
        std::printf("%s\n", antenne_lead(handle, input(std::string(argv[2]) + "\n" + argv[3])));
        antenne_release(handle);
        return 0;
    }
    for (int a = 1; a < argc; ++a) {
        const int handle = antenne_compute(input(argv[a]), 0);
        std::printf("{\"report\":%s", antenne_report(handle));
        std::printf(",\"bode\":%s", table(handle, 2).c_str());
        std::printf(",\"nyquist\":%s", table(handle, 3).c_str());
        std::printf(",\"asymptotes\":%s}\n", table(handle, 4).c_str());
        antenne_release(handle);
    }
    return 0;
}
