// The native build's answers for the page's tests: for each link given,
// through the same C interface as the page's WebAssembly module, one line of
// JSON: {"link": ..., "report": <the report>, "samples": [...], "csv": "<base64>"}.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" {
char* antenne_input(int bytes);
int antenne_compute(int length, int previous);
void antenne_release(int handle);
const char* antenne_report(int handle);
const char* antenne_csv(int handle);
const char* antenne_table(int handle, int which, double low, double high, int count);
const double* antenne_table_data();
int antenne_length();
}

namespace {

std::string base64(const char* data, int length)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (int i = 0; i < length; i += 3) {
        unsigned v = static_cast<unsigned char>(data[i]) << 16;
        if (i + 1 < length)
            v |= static_cast<unsigned char>(data[i + 1]) << 8;
        if (i + 2 < length)
            v |= static_cast<unsigned char>(data[i + 2]);
        out += digits[(v >> 18) & 63];
        out += digits[(v >> 12) & 63];
        out += i + 1 < length ? digits[(v >> 6) & 63] : '=';
        out += i + 2 < length ? digits[v & 63] : '=';
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    for (int a = 1; a < argc; ++a) {
        const auto length = static_cast<int>(std::strlen(argv[a]));
        std::memcpy(antenne_input(length), argv[a], static_cast<std::size_t>(length));
        const int handle = antenne_compute(length, 0);
        std::printf("{\"report\":%s,\"samples\":[", antenne_report(handle));
        // The run's eight columns, written a sample after another.
        const std::string shape = antenne_table(handle, 0, 0, 0, 0);
        const int rows = std::atoi(shape.c_str() + shape.find(':') + 1);
        const double* columns = antenne_table_data();
        for (int i = 0; i < rows; ++i)
            for (int c = 0; c < 8; ++c)
                std::printf("%s%.17g", i + c == 0 ? "" : ",", columns[c * rows + i]);
        const char* csv = antenne_csv(handle);
        std::printf("],\"csv\":\"%s\"}\n", base64(csv, antenne_length()).c_str());
        antenne_release(handle);
    }
    return 0;
}
