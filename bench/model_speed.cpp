// The model's speed natively, through the C interface the page calls in its
// WebAssembly module, for bench/model_speed.py to set beside the browser's:
// the median time of a 20 s run (read from its link, integrated, its figures
// and analysis worked out, its report and its run's table written, as the
// page asks) and of a root-locus sweep over 500 gains, each timed ten at a
// time, as the browser's clock is coarse.
// Prints {"run": ms, "locus": ms}.
#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

extern "C" {
char* antenne_input(int bytes);
int antenne_compute(int length, int previous);
void antenne_release(int handle);
const char* antenne_report(int handle);
const char* antenne_table(int handle, int which, double low, double high, int count);
}

namespace {

template <typename Work>
double medianMilliseconds(int repetitions, Work work)
{
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        for (int j = 0; j < 10; ++j)
            work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / 10);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const char* link = argc > 1 ? argv[1] : "K=64.2&duree=20";
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 30;
    const auto length = static_cast<int>(std::strlen(link));
    const auto compute = [&] {
        std::memcpy(antenne_input(length), link, static_cast<std::size_t>(length));
        const int handle = antenne_compute(length, 0);
        antenne_report(handle);
        antenne_table(handle, 0, 0, 0, 0);
        return handle;
    };
    const int kept = compute();  // as the page warms up its module
    const auto locus = [kept] { antenne_table(kept, 1, 1, 10000, 500); };
    locus();
    const double run = medianMilliseconds(repetitions, [&] { antenne_release(compute()); });
    const double sweep = medianMilliseconds(repetitions, locus);
    std::printf("{\"run\": %.4f, \"locus\": %.4f}\n", run, sweep);
    return 0;
}
