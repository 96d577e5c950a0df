// bench_deflate: packs every file a payload manifest names into its own zlib stream, the
// way the payload tool does, once per compressor, on one thread, and prints the time and
// the packed total of each. The compressors: zlib's compress2 at levels 6 and 9, and,
// when built with it, libdeflate's zlib format at levels 9 to 12. Every stream is
// inflated again with zlib's uncompress and compared with its file, so a compressor
// that made streams the setup program could not read would be reported, not timed.
//
//   bench_deflate MANIFEST [--methods zlib-9,libdeflate-12,...]
//
// Methods: zlib-N (N 1 to 9) and libdeflate-N (N 1 to 12); by default zlib 6 and 9 and
// libdeflate 6, 9, 10, 11 and 12.
//
// Output, one line per compressor:
//   deflate method=zlib-9 seconds=12.345 packed=41234567 size=209715200 files=61
#include <zlib.h>
#ifdef BENCH_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct File {
    std::string path;
    std::vector<uint8_t> bytes;
};

bool LoadManifestFiles(const std::string& manifest, std::vector<File>& files)
{
    std::ifstream in(manifest);
    if (!in) {
        std::fprintf(stderr, "bench_deflate: cannot open %s\n", manifest.c_str());
        return false;
    }
    std::string dir = manifest.substr(0, manifest.find_last_of('/') + 1);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        size_t tab1 = line.find('\t');
        size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos) {
            std::fprintf(stderr, "bench_deflate: bad manifest line: %s\n", line.c_str());
            return false;
        }
        File file;
        file.path = line.substr(tab1 + 1, tab2 - tab1 - 1);
        if (file.path[0] != '/')
            file.path = dir + file.path;
        std::ifstream data(file.path, std::ios::binary);
        if (!data) {
            std::fprintf(stderr, "bench_deflate: cannot open %s\n", file.path.c_str());
            return false;
        }
        std::ostringstream buffer;
        buffer << data.rdbuf();
        std::string bytes = buffer.str();
        file.bytes.assign(bytes.begin(), bytes.end());
        files.push_back(std::move(file));
    }
    return true;
}

// Compresses src into dst (sized by the caller); returns the stream length, 0 on failure.
using Compressor = std::function<size_t(const std::vector<uint8_t>& src, std::vector<uint8_t>& dst)>;

bool InflatesBack(const std::vector<uint8_t>& stream, size_t nPacked, const std::vector<uint8_t>& original)
{
    std::vector<uint8_t> out(original.size() + 1);
    uLongf nOut = static_cast<uLongf>(original.size());
    if (uncompress(out.data(), &nOut, stream.data(), static_cast<uLong>(nPacked)) != Z_OK)
        return false;
    return nOut == original.size() && std::memcmp(out.data(), original.data(), nOut) == 0;
}

bool Measure(const char* pszMethod, const std::vector<File>& files, const Compressor& compress)
{
    std::vector<std::vector<uint8_t>> streams(files.size());
    std::vector<size_t> lengths(files.size());
    uint64_t nSize = 0, nPacked = 0;
    auto start = std::chrono::steady_clock::now();
    for (size_t i = 0; i < files.size(); ++i) {
        streams[i].resize(compressBound(static_cast<uLong>(files[i].bytes.size())) + 64);
        lengths[i] = compress(files[i].bytes, streams[i]);
        if (lengths[i] == 0) {
            std::fprintf(stderr, "bench_deflate: %s failed on %s\n", pszMethod, files[i].path.c_str());
            return false;
        }
        nSize += files[i].bytes.size();
        nPacked += lengths[i];
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (size_t i = 0; i < files.size(); ++i) {
        if (!InflatesBack(streams[i], lengths[i], files[i].bytes)) {
            std::fprintf(stderr, "bench_deflate: %s made a stream uncompress does not read back: %s\n", pszMethod,
                         files[i].path.c_str());
            return false;
        }
    }
    std::printf("deflate method=%s seconds=%.3f packed=%llu size=%llu files=%zu\n", pszMethod, seconds,
                static_cast<unsigned long long>(nPacked), static_cast<unsigned long long>(nSize), files.size());
    std::fflush(stdout);
    return true;
}

Compressor Zlib(int nLevel)
{
    return [nLevel](const std::vector<uint8_t>& src, std::vector<uint8_t>& dst) -> size_t {
        uLongf n = static_cast<uLongf>(dst.size());
        const Bytef* p = src.empty() ? reinterpret_cast<const Bytef*>("") : src.data();
        return compress2(dst.data(), &n, p, static_cast<uLong>(src.size()), nLevel) == Z_OK ? n : 0;
    };
}

#ifdef BENCH_HAVE_LIBDEFLATE
Compressor Libdeflate(int nLevel)
{
    return [nLevel](const std::vector<uint8_t>& src, std::vector<uint8_t>& dst) -> size_t {
        libdeflate_compressor* pCompressor = libdeflate_alloc_compressor(nLevel);
        if (!pCompressor)
            return 0;
        size_t n = libdeflate_zlib_compress(pCompressor, src.data(), src.size(), dst.data(), dst.size());
        libdeflate_free_compressor(pCompressor);
        return n;
    };
}
#endif

// The compressor a method names ("zlib-9"), or an empty one when there is no such method here.
Compressor ForMethod(const std::string& method)
{
    size_t dash = method.rfind('-');
    int nLevel = dash == std::string::npos ? -1 : std::atoi(method.c_str() + dash + 1);
    std::string family = dash == std::string::npos ? method : method.substr(0, dash);
    if (family == "zlib" && nLevel >= 1 && nLevel <= 9)
        return Zlib(nLevel);
#ifdef BENCH_HAVE_LIBDEFLATE
    if (family == "libdeflate" && nLevel >= 1 && nLevel <= 12)
        return Libdeflate(nLevel);
#endif
    return Compressor();
}

} // namespace

int main(int argc, char** argv)
{
    std::string methods = "zlib-6,zlib-9,libdeflate-6,libdeflate-9,libdeflate-10,libdeflate-11,libdeflate-12";
    if (argc == 4 && std::string(argv[2]) == "--methods") {
        methods = argv[3];
    } else if (argc != 2) {
        std::fprintf(stderr, "usage: bench_deflate MANIFEST [--methods zlib-9,libdeflate-12,...]\n");
        return 2;
    }
    std::vector<File> files;
    if (!LoadManifestFiles(argv[1], files))
        return 1;
    bool bOk = true;
    std::stringstream list(methods);
    std::string method;
    while (bOk && std::getline(list, method, ',')) {
        Compressor compress = ForMethod(method);
        if (!compress) {
            std::fprintf(stderr, "bench_deflate: no method %s here\n", method.c_str());
            continue;
        }
        bOk = Measure(method.c_str(), files, compress);
    }
    return bOk ? 0 : 1;
}
