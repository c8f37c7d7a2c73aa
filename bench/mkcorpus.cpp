// mkcorpus DIR [MEGABYTES]: writes the benchmark corpus (default 16 MB) into DIR.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "corpus.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: mkcorpus DIR [MEGABYTES]\n");
        return 2;
    }
    try {
        const size_t mb = argc == 3 ? std::strtoul(argv[2], nullptr, 10) : 16;
        const auto corpus = qs::bench::BuildCorpus(mb << 20);
        qs::bench::WriteCorpus(corpus, argv[1]);
        size_t total = 0;
        for (const auto& f : corpus) total += f.data.size();
        std::printf("%zu files, %zu bytes in %s\n", corpus.size(), total, argv[1]);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkcorpus: %s\n", e.what());
        return 1;
    }
}
