// The native build's answers for the page's tests: for each link given,
// through the same C interface as the page's WebAssembly module, one line of
// JSON: {"link": ..., "report": <the report>, "samples": [...], "csv": "<base64>"}.
#include <cstdio>
#include <cstring>
#include <string>

extern "C" {
char* antenne_input(int bytes);
int antenne_compute(int length);
const double* antenne_samples();
const char* antenne_report();
const char* antenne_csv();
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
        const int count = antenne_compute(length);
        std::printf("{\"report\":%s,\"samples\":[", antenne_report());
        const double* samples = antenne_samples();
        for (int i = 0; i < count * 8; ++i)
            std::printf("%s%.17g", i == 0 ? "" : ",", samples[i]);
        const char* csv = antenne_csv();
        std::printf("],\"csv\":\"%s\"}\n", base64(csv, antenne_length()).c_str());
    }
    return 0;
}
