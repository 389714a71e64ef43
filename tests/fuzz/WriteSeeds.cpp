// Writes the small pictures of the BMP corpus into a folder, one file each, as the fuzzer's seeds.
#include "BmpCorpus.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

// Big pictures slow every execution and reach no code the small ones miss.
constexpr std::size_t MaxSeedBytes = 64 * 1024;

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    int written = 0;
    for (const auto& picture : scroll::pictures::PictureCorpus()) {
        if (picture.Bytes.size() > MaxSeedBytes)
            continue;
        std::ofstream out(folder / (picture.Name + ".bmp"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(picture.Bytes.data()), static_cast<std::streamsize>(picture.Bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s into %s\n", picture.Name.c_str(), folder.c_str());
            return 1;
        }
        ++written;
    }
    std::printf("%d seeds written to %s\n", written, folder.c_str());
    return 0;
}
