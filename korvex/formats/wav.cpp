// WAV files: integer PCM of 8, 16, 24 and 32 bits and IEEE float of 32 and
// 64 bits, plain or WAVE_FORMAT_EXTENSIBLE. One signal per channel.

#include <bit>
#include <cstring>
#include <filesystem>

#include "korvex/formats/file_io.h"
#include "korvex/formats/formats.h"
#include "platform/autodate.h"
#include "platform/mapped_file.h"

namespace korvex {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// Bytes 2..15 of the sub-format GUID every standard format shares.
constexpr unsigned char kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

struct Format {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t blockAlign = 0;
    uint16_t bits = 0;
};

// Origination date and time of a broadcast-wave "bext" chunk, if present.
bool BextDate(const unsigned char* p, size_t size, double& date) {
    constexpr size_t kDateOffset = 256 + 32 + 32;
    if (size < kDateOffset + 18) return false;
    char text[19];
    std::memcpy(text, p + kDateOffset, 18);
    text[18] = '\0';
    plat::DateTime dt;
    // "yyyy-mm-dd" then "hh-mm-ss"; any separator is accepted.
    if (std::sscanf(text, "%4d%*c%2d%*c%2d%2d%*c%2d%*c%2d", &dt.year, &dt.month, &dt.day, &dt.hour,
                    &dt.minute, &dt.second) != 6)
        return false;
    return plat::ToAutomationDate(dt, date);
}

double Sample(const unsigned char* p, size_t width, bool isFloat) {
    if (isFloat)
        return width == 4 ? std::bit_cast<float>(GetU32(p)) : std::bit_cast<double>(GetU64(p));
    switch (width) {
        case 1:
            return (p[0] - 128) / 128.0;
        case 2:
            return static_cast<int16_t>(GetU16(p)) / 32768.0;
        case 3: {
            int32_t x = static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 8 |
                                             static_cast<uint32_t>(p[1]) << 16 |
                                             static_cast<uint32_t>(p[2]) << 24);
            return (x >> 8) / 8388608.0;
        }
        default:
            return static_cast<int32_t>(GetU32(p)) / 2147483648.0;
    }
}

// The frames to a sink a batch at a time, the file's pages given back
// behind: memory stays small whatever the recording's length.
bool StreamFrames(const plat::MappedFile& file, const unsigned char* p, size_t frames,
                  size_t channels, size_t width, bool isFloat, const DataSet& headers,
                  SampleSink& sink) {
    constexpr size_t kBatch = 8192;
    std::vector<size_t> index(channels);
    for (size_t c = 0; c < channels; ++c) index[c] = sink.Declare(headers.signals[c], frames);
    std::vector<double> batch(kBatch);
    const unsigned char* passed = file.Data();
    for (size_t first = 0; first < frames && !sink.Failed(); first += kBatch) {
        const size_t m = std::min(kBatch, frames - first);
        for (size_t c = 0; c < channels; ++c) {
            const unsigned char* q = p + c * width;
            for (size_t f = 0; f < m; ++f, q += channels * width)
                batch[f] = Sample(q, width, isFloat);
            sink.Put(index[c], batch.data(), m);
        }
        p += m * channels * width;
        if (p - passed >= (8 << 20)) {
            file.GiveBack(static_cast<uint64_t>(passed - file.Data()),
                          static_cast<uint64_t>(p - file.Data()));
            passed = p;
        }
    }
    return !file.Damaged();
}

}  // namespace

FileResult ReadWav(const std::string& path, DataSet& out, SampleSink* sink) {
    FileResult result;
    std::string bytes;
    plat::ObjPtr<plat::MappedFile> map;  // with a sink: read where it lies
    if (sink) {
        map = plat::MappedFile::Open(path, result.message);
        if (!map) return result;
    } else if (!ReadFileBytes(path, bytes, result.message)) {
        return result;
    }
    auto fail = [&](const std::string& fault) {
        result.ok = false;
        result.message = "Cannot read \"" + path + "\": " + fault;
        return result;
    };
    const auto* data = map ? map->Data() : reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = map ? static_cast<size_t>(map->Size()) : bytes.size();
    if (size >= 4 && std::memcmp(data, "RF64", 4) == 0)
        return fail("64-bit RF64 wave files are not supported.");
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return fail("not a WAV file (no RIFF/WAVE header).");

    Format fmt;
    bool haveFormat = false;
    const unsigned char* samples = nullptr;
    size_t sampleBytes = 0;
    double startTime = 0.0;
    // Chunks follow the 12-byte header; the RIFF size is not trusted, some
    // writers leave it wrong.
    size_t pos = 12;
    while (pos + 8 <= size) {
        const unsigned char* id = data + pos;
        const size_t chunkSize = GetU32(data + pos + 4);
        const unsigned char* body = data + pos + 8;
        const size_t available = size - pos - 8;
        if (chunkSize > available) {
            if (std::memcmp(id, "data", 4) == 0)
                return fail("the file is truncated (the sound data declares " +
                            std::to_string(chunkSize) + " bytes, " + std::to_string(available) +
                            " are present).");
            return fail("the file is truncated (chunk \"" + std::string(id, id + 4) +
                        "\" runs past its end).");
        }
        if (std::memcmp(id, "fmt ", 4) == 0) {
            if (chunkSize < 16) return fail("the format chunk is too short.");
            fmt.tag = GetU16(body);
            fmt.channels = GetU16(body + 2);
            fmt.rate = GetU32(body + 4);
            fmt.blockAlign = GetU16(body + 12);
            fmt.bits = GetU16(body + 14);
            if (fmt.tag == kFormatExtensible) {
                if (chunkSize < 40) return fail("the extensible format chunk is too short.");
                const unsigned char* guid = body + 24;
                if (std::memcmp(guid + 2, kGuidTail, sizeof kGuidTail) != 0)
                    return fail("the extensible sub-format is not PCM or IEEE float.");
                fmt.tag = GetU16(guid);
            }
            haveFormat = true;
        } else if (std::memcmp(id, "data", 4) == 0) {
            samples = body;
            sampleBytes = chunkSize;
        } else if (std::memcmp(id, "bext", 4) == 0) {
            BextDate(body, chunkSize, startTime);
        }
        pos += 8 + chunkSize + (chunkSize & 1);  // chunks are padded to even sizes
    }
    if (!haveFormat) return fail("the format chunk (\"fmt \") is missing.");
    if (!samples) return fail("the sound data chunk (\"data\") is missing.");

    const bool isInt = fmt.tag == kFormatPcm;
    const bool isFloat = fmt.tag == kFormatFloat;
    if (!isInt && !isFloat)
        return fail("sample format " + std::to_string(fmt.tag) +
                    " is not supported (only integer PCM and IEEE float).");
    if ((isInt && fmt.bits != 8 && fmt.bits != 16 && fmt.bits != 24 && fmt.bits != 32) ||
        (isFloat && fmt.bits != 32 && fmt.bits != 64))
        return fail(std::to_string(fmt.bits) + "-bit " + (isInt ? "integer" : "float") +
                    " samples are not supported.");
    if (fmt.channels == 0) return fail("the format declares no channels.");
    if (fmt.rate == 0) return fail("the format declares a sample rate of 0.");
    const size_t width = fmt.bits / 8;
    if (fmt.blockAlign != fmt.channels * width)
        return fail("the format is inconsistent (block size " + std::to_string(fmt.blockAlign) +
                    " for " + std::to_string(fmt.channels) + " channels of " +
                    std::to_string(fmt.bits) + " bits).");
    const size_t frames = sampleBytes / fmt.blockAlign;
    if (frames == 0) return fail("it holds no samples.");
    if (sampleBytes % fmt.blockAlign != 0)
        result.notes.push_back("The sound data ends with " +
                               std::to_string(sampleBytes % fmt.blockAlign) +
                               " bytes of an incomplete frame; they were ignored.");

    const std::string stem = std::filesystem::path(path).stem().string();
    DataSet loaded;
    loaded.signals.resize(fmt.channels);
    for (size_t c = 0; c < fmt.channels; ++c) {
        SignalData& s = loaded.signals[c];
        s.name = stem + " ch" + std::to_string(c + 1);
        s.stepX = 1.0 / fmt.rate;
        s.startTime = startTime;
        if (!sink) s.samples.resize(frames);
    }
    if (sink) {
        if (!StreamFrames(*map, samples, frames, fmt.channels, width, isFloat, loaded, *sink))
            return fail("the file changed on disk while it was read.");
        loaded.signals.clear();
    }
    const unsigned char* p = samples;
    for (size_t f = 0; !sink && f < frames; ++f)
        for (size_t c = 0; c < fmt.channels; ++c, p += width)
            loaded.signals[c].samples[f] = Sample(p, width, isFloat);
    out.signals.swap(loaded.signals);
    result.ok = true;
    return result;
}

}  // namespace korvex
