// libFuzzer target: any bytes read as a score file, the records saved and
// read again. Reading never fails; what a save writes is a well-formed file
// that reads back to the same records and saves to the same bytes.

#include "scorefile/ScoreFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tessarin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Records records;
    ReadScoreFileBytes(bytes, records);

    const std::string saved = ScoreFileBytes(records);
    if (!IsWellFormedScoreFile(saved))
        std::abort();
    Records again;
    ReadScoreFileBytes(saved, again);
    if (ScoreFileBytes(again) != saved)
        std::abort();
    // A well-formed file loses nothing but padding when read and saved.
    if (IsWellFormedScoreFile(bytes) && again.Values != records.Values)
        std::abort();
    // The code page round trip keeps every byte.
    if (ToCodePage1252(FromCodePage1252(bytes)) != bytes)
        std::abort();
    return 0;
}
