// Decoder benchmark: packs the corpus with the chosen and the greedy parse, then decodes it with TLZHCompressor
// (through its events, 32,768-byte buffers) and with the plain model decoder, checking every result. Times are
// the thread's CPU time, so other work on a shared machine hurts both decoders alike rather than whichever ran
// during a burst; each decode runs three times, the two decoders taking turns, and the best time counts.
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <string>
#include <vector>

#include "LzhEncoder.h"
#include "corpus.h"
#include "model_decoder.h"
#include "package/LzhMemory.h"

namespace {

// CPU time of this thread, in seconds.
struct Clock {
    static double now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    }
};
double Seconds(double a, double b) { return b - a; }

struct Figures {
    size_t files = 0, bytes = 0, packed = 0, greedy = 0;
    double encode = 0, decode = 0, model = 0;
    void Add(const Figures& f) {
        files += f.files; bytes += f.bytes; packed += f.packed; greedy += f.greedy;
        encode += f.encode; decode += f.decode; model += f.model;
    }
};

// One decode through the component's events; returns the number of bytes handed out.
size_t DecodeWithComponent(qs::TLZHCompressor& lzh, const std::vector<uint8_t>& packed, std::vector<uint8_t>& out) {
    out.clear();
    qs::MemorySource source(packed);
    qs::ReadFrom(lzh, source);
    qs::AppendTo(lzh, out);
    lzh.Decompress();
    return out.size();
}

double Mbps(size_t bytes, double s) { return s > 0 ? bytes / s / 1e6 : 0; }

void Print(const char* name, const Figures& f) {
    std::printf("%-6s %6zu %10zu  %7.4f  %7.4f  %7.4f  %8.2f  %8.2f  %8.2f\n", name, f.files, f.bytes,
                double(f.packed) / double(f.bytes), double(f.greedy) / double(f.bytes),
                double(f.packed) / double(f.greedy), Mbps(f.bytes, f.encode), Mbps(f.bytes, f.decode),
                Mbps(f.bytes, f.model));
}

}  // namespace

int main() {
    try {
        const auto corpus = qs::bench::BuildCorpus();
        qs::TLZHCompressor lzh;
        lzh.SetReadBufSize(32768);
        lzh.SetWriteBufSize(32768);
        std::map<std::string, Figures> byClass;
        std::vector<uint8_t> out;
        constexpr int kRounds = 3;  // decode timings: the best of three rounds
        for (const auto& f : corpus) {
            Figures fig;
            fig.files = 1;
            fig.bytes = f.data.size();
            qs::pak::LzhEncodeOptions opt;
            opt.verify = false;
            auto t0 = Clock::now();
            const std::vector<uint8_t> packed = qs::pak::EncodeLzh(f.data, opt);
            fig.encode = Seconds(t0, Clock::now());
            opt.parse = qs::pak::LzhParse::Greedy;
            fig.packed = packed.size();
            fig.greedy = qs::pak::EncodeLzh(f.data, opt).size();

            double best = 1e9, bestModel = 1e9;
            for (int r = 0; r < kRounds; ++r) {
                t0 = Clock::now();
                DecodeWithComponent(lzh, packed, out);
                best = std::min(best, Seconds(t0, Clock::now()));
                if (out != f.data) {
                    std::fprintf(stderr, "lzh_bench: %s (%s) does not decode to itself\n", f.name.c_str(),
                                 f.source.c_str());
                    return 1;
                }
                t0 = Clock::now();
                const std::vector<uint8_t> m = qs::test::ModelDecode(packed);
                bestModel = std::min(bestModel, Seconds(t0, Clock::now()));
                if (m != f.data) {
                    std::fprintf(stderr, "lzh_bench: model decoder differs on %s\n", f.name.c_str());
                    return 1;
                }
            }
            fig.decode = best;
            fig.model = bestModel;
            byClass[f.cls].Add(fig);
        }
        std::printf("class   files      bytes  packed   greedy  pk/grdy  enc MB/s  dec MB/s  mdl MB/s\n");
        Figures total;
        for (const char* cls : {"dll", "text", "gz"}) {
            Print(cls, byClass[cls]);
            total.Add(byClass[cls]);
        }
        Print("total", total);
        std::printf("decoder speedup over model: %.2fx\n", total.model / total.decode);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lzh_bench: %s\n", e.what());
        return 1;
    }
}
