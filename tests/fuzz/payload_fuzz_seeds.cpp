// Writes the seed inputs of the payload reader's fuzz target into the folder named on
// the command line: small well-formed archives of several shapes, two damaged ones, and
// a PE image that carries an archive as RT_RCDATA 127.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "PayloadStream.h"
#include "PayloadWriter.h"
#include "tests/fuzz/SyntheticPe.h"

namespace {

void AddEntry(std::vector<uint8_t>& archive, uint32_t dwDestination, const std::string& name, const std::string& text,
              int nLevel)
{
    std::vector<uint8_t> stream;
    std::string error;
    DeflatePayloadStream(reinterpret_cast<const uint8_t*>(text.data()), text.size(), nLevel, stream, error);
    AppendPayloadEntry(archive, dwDestination, name.data(), name.size(), static_cast<uint32_t>(text.size()),
                       stream.data(), static_cast<uint32_t>(stream.size()));
}

bool WriteSeed(const std::string& folder, const std::string& name, const std::vector<uint8_t>& bytes)
{
    std::string path = folder + "/" + name;
    FILE* pFile = std::fopen(path.c_str(), "wb");
    if (!pFile)
        return false;
    bool bOk = std::fwrite(bytes.data(), 1, bytes.size(), pFile) == bytes.size();
    return std::fclose(pFile) == 0 && bOk;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: payload_fuzz_seeds FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    std::vector<uint8_t> endOnly;
    AppendPayloadEndRecord(endOnly);

    std::vector<uint8_t> three;
    AddEntry(three, 0, "Varnix.exe", std::string(3000, 'V') + "Pelorin", 9);
    AddEntry(three, DEST_SYSTEM, "BraxDel.dll", "MZ uninstall library", 1);
    AddEntry(three, 17, "sub\\Example.bxd", "1 2 3 4 5 6 7 8 9", 0);
    AppendPayloadEndRecord(three);

    std::vector<uint8_t> codes;
    AddEntry(codes, DEST_MACROS, "Macro.ptn", "macro", 6);
    AddEntry(codes, DEST_EXAMPLES, "Script.vbs", "script", 6);
    AddEntry(codes, 0, "empty.txt", "", 6);
    AppendPayloadEndRecord(codes);

    std::vector<uint8_t> truncated(three.begin(), three.begin() + three.size() / 2);
    std::vector<uint8_t> corrupt = three;
    corrupt[PAYLOAD_HEADER_SIZE + 8] ^= 0x55;

    std::vector<uint8_t> pe = MakeSyntheticPe({{10, 127, 0x409, three}, {3, 1, 0x409, {1, 2, 3}}});

    bool bOk = WriteSeed(folder, "end-only", endOnly) && WriteSeed(folder, "three-entries", three) &&
               WriteSeed(folder, "destination-codes", codes) && WriteSeed(folder, "truncated", truncated) &&
               WriteSeed(folder, "corrupt-stream", corrupt) && WriteSeed(folder, "setup-exe", pe);
    if (!bOk)
        std::fprintf(stderr, "payload_fuzz_seeds: cannot write into %s\n", folder.c_str());
    return bOk ? 0 : 1;
}
