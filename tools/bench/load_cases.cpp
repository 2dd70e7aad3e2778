// Pictures: 24 to 16-bit conversion against a plain loop, and the start-up picture
// work (read and convert every picture of the game) against libtiff.
#include "tools/bench/cases.h"

#include "engine/image/image.h"
#include "engine/image/pixel_format.h"
#include "engine/image/tiff.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>

namespace {

// The plain loop: one pass, 5-6-5 constants.
void PlainConvert(const uint8_t* rgb, uint16_t* words, size_t count) {
    for (size_t i = 0; i < count; ++i, rgb += 3)
        words[i] = uint16_t(((rgb[0] >> 3) << 11) | ((rgb[1] >> 2) << 5) | (rgb[2] >> 3));
}

std::vector<std::string> Pictures(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tif") == 0)
                names.push_back(folder + "/" + name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// libtiff's scanline reading and the plain conversion, with the colour key for
// pictures with an alpha sample (as the engine's load mode 1 does).
struct PeerPicture {
    std::vector<uint16_t> pixels;
    int width = 0, height = 0;
};

bool PeerLoad(const std::string& path, PeerPicture& out) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return false;
    uint32_t width = 0, height = 0;
    uint16_t samples = 3;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    std::vector<uint8_t> row(TIFFScanlineSize(tif));
    out.width = int(width);
    out.height = int(height);
    out.pixels.assign(size_t(width) * height, 0);
    for (uint32_t y = 0; y < height; ++y) {
        TIFFReadScanline(tif, row.data(), y);
        uint16_t* words = out.pixels.data() + size_t(y) * width;
        const uint8_t* in = row.data();
        for (uint32_t x = 0; x < width; ++x, in += samples) {
            uint16_t w = uint16_t(((in[0] >> 3) << 11) | ((in[1] >> 2) << 5) | (in[2] >> 3));
            if (samples == 4)
                w = in[3] == 0 ? 0 : (w == 0 ? 1 : w);
            words[x] = w;
        }
    }
    TIFFClose(tif);
    return true;
}

// What keyed drawing's runs cost the game: their bytes against the keyed pictures'
// pixel planes.
std::string RunsMemory(const std::vector<Image>& pictures) {
    size_t runBytes = 0, planeBytes = 0, keyed = 0, runs = 0;
    for (const Image& picture : pictures) {
        const KeyedRuns* made = (picture.flags & IMG_COLORKEY) ? picture.Runs(0) : nullptr;
        if (made == nullptr)
            continue;
        ++keyed;
        runs += made->RunCount();
        runBytes += made->Bytes();
        planeBytes += size_t(picture.width) * size_t(picture.height) * 2;
    }
    char text[160];
    std::snprintf(text, sizeof text,
                  "keyed runs of %zu pictures: %zu runs, %.2f MB with their pixels, %.0f%% of "
                  "their planes (%.2f MB)",
                  keyed, runs, runBytes / 1e6, 100.0 * runBytes / std::max<size_t>(planeBytes, 1),
                  planeBytes / 1e6);
    return text;
}

} // namespace

bool LoadCases(const BenchOptions& options, std::vector<Goal>& goals) {
    SetPixelFormat(0xF800, 0x07E0, 0x001F);
    bool same = true;
    const size_t count = 900 * 500;
    static std::vector<uint8_t> rgb(count * 3);
    uint32_t seed = 7;
    for (auto& byte : rgb) {
        seed = seed * 1664525u + 1013904223u;
        byte = uint8_t(seed >> 24);
    }
    static std::vector<uint16_t> plain(count);
    static Image converted;
    // The engine's conversion allocates its new plane and frees the old one, as it must.
    auto engineConvert = [=] {
        converted.Free();
        converted.pixels = new uint8_t[count * 3];
        converted.width = 900;
        converted.height = 500;
        converted.flags = IMG_24BIT;
        converted.ConvertDepth(IMG_16BIT);
    };
    auto plainConvert = [=] { PlainConvert(rgb.data(), plain.data(), count); };
    engineConvert();
    {
        Image check;
        check.Size(900, 500, IMG_24BIT);
        std::memcpy(check.pixels, rgb.data(), rgb.size());
        check.ConvertDepth(IMG_16BIT);
        plainConvert();
        if (std::memcmp(check.pixels, plain.data(), count * 2) != 0) {
            std::fprintf(stderr, "bench: ConvertDepth and the plain loop differ\n");
            same = false;
        }
    }
    RegisterOperation("ConvertDepth/900x500", engineConvert);
    RegisterOperation("plain_loop/900x500", plainConvert);
    auto t = Interleaved({engineConvert, plainConvert}, options.rounds);
    goals.push_back(MakeGoal("ConvertDepth 24->16 >= 2x plain loop", "ConvertDepth 900x500",
                             t[0] / count, "plain 5-6-5 loop", t[1] / count, "ns/px", 0.5, true,
                             "time ratio; the engine's side includes allocating its new plane"));

    // Start-up: every picture of the game, read and converted.
    const std::vector<std::string> files = Pictures(options.images);
    if (files.empty()) {
        std::fprintf(stderr, "bench: no pictures in %s (build the art target)\n",
                     options.images.c_str());
        return false;
    }
    static std::vector<Image> loaded;
    loaded.resize(files.size());
    auto engineLoad = [files] {
        Tiff tiff;
        for (size_t i = 0; i < files.size(); ++i)
            tiff.Load(files[i].c_str(), loaded[i], 1);
    };
    static std::vector<PeerPicture> peer;
    peer.resize(files.size());
    auto peerLoad = [files] {
        for (size_t i = 0; i < files.size(); ++i)
            PeerLoad(files[i], peer[i]);
    };
    engineLoad();
    peerLoad();
    for (size_t i = 0; i < files.size(); ++i) {
        const Image& a = loaded[i];
        const PeerPicture& b = peer[i];
        if (a.width != b.width || a.height != b.height || !a.pixels ||
            std::memcmp(a.pixels, b.pixels.data(), b.pixels.size() * 2) != 0) {
            std::fprintf(stderr, "bench: %s: engine and libtiff pictures differ\n",
                         files[i].c_str());
            same = false;
        }
    }
    RegisterOperation("Tiff::Load/all_pictures", engineLoad);
    RegisterOperation("libtiff_scanline+convert/all_pictures", peerLoad);
    t = Interleaved({engineLoad, peerLoad}, std::max(options.rounds, 11));
    goals.push_back(
        MakeGoal("Start-up pictures <= 0.7x libtiff",
                 "Tiff::Load of " + std::to_string(files.size()) + " pictures (mode 1)", t[0] / 1e6,
                 "libtiff scanlines + plain conversion", t[1] / 1e6, "ms", 0.7, true,
                 "processor time of this thread (system calls included); " + RunsMemory(loaded)));
    return same;
}
