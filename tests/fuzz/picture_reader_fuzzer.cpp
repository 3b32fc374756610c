// The command line's picture readers on any bytes: a PNG file, a JPEG file, a raw
// frame file or a raw frame stream of a size the input chooses. Each gives a picture
// of the size it claims or a clear error (CliError); nothing else may escape.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/cli/cli_error.h"
#include "host/cli/picture_files.h"

using namespace brushwerk::cli;

namespace {

std::string ScratchFile(const char* extension) {
    const std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return folder + "/brushwerk-fuzz-" + std::to_string(::getpid()) + extension;
}

void CheckSize(const Image& image, int width, int height) {
    if (image.width != width || image.height != height || image.bgra.size() != image.Pitch() * size_t(height))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int kind = data[0] % 4;
    const FrameSize rawSize{1 + data[1] % 64, 1 + data[2] % 64};
    data += 3;
    size -= 3;
    try {
        if (kind == 3) {
            FILE* stream = ::fmemopen(const_cast<uint8_t*>(data), size, "rb");
            if (!stream) return 0;
            RawFrameReader reader(stream, rawSize, AlphaForm::Straight, "stream");
            try {
                while (std::optional<Image> frame = reader.Next()) CheckSize(*frame, rawSize.width, rawSize.height);
            } catch (...) {
                std::fclose(stream);
                throw;
            }
            std::fclose(stream);
            return 0;
        }
        static const std::string files[] = {ScratchFile(".png"), ScratchFile(".jpg"), ScratchFile(".bgra")};
        static const int removed = std::atexit([] {
            for (const std::string& f : files) std::remove(f.c_str());
        });
        (void)removed;
        const std::string& path = files[kind];
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) std::abort();
        std::fwrite(data, 1, size, file);
        std::fclose(file);
        const Image image = ReadPicture(path, rawSize);
        CheckSize(image, image.width, image.height);
        if (kind == 2) CheckSize(image, rawSize.width, rawSize.height);
    } catch (const CliError&) {
    }
    return 0;
}
