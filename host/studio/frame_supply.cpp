#include "host/studio/frame_supply.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "host/cli/cli_error.h"
#include "host/cli/demo_picture.h"
#include "host/cli/picture_files.h"

namespace brushwerk::studio {
namespace {

bool IsStillName(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".png" || ext == ".jpg" || ext == ".jpeg";
}

struct PipeCloser {
    void operator()(std::FILE* f) const { pclose(f); }
};
using Pipe = std::unique_ptr<std::FILE, PipeCloser>;

std::string ReadAll(std::FILE* f) {
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
    return out;
}

}  // namespace

std::string ShellQuoted(const std::string& word) {
    if (!word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-./=%,:+@#") ==
                             std::string::npos)
        return word;
    std::string out = "'";
    for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

FrameSupply::FrameSupply(const std::string& path) : m_path(path) {
    if (path.empty()) {
        m_name = "demo picture";
        return;
    }
    m_name = std::filesystem::path(path).filename().string();
    if (!std::filesystem::exists(path)) throw cli::CliError("studio: no such file: " + path);
    if (IsStillName(path)) {
        m_renderable = std::filesystem::absolute(path).string();
        Frame(0);  // refuses an unreadable picture before the window opens
        return;
    }
    // Anything else is taken for a video: ffprobe says its size and counts its frames.
    const std::string probe = "ffprobe -v error -select_streams v:0 -count_packets -show_entries "
                              "stream=width,height,nb_read_packets -of csv=p=0 " + ShellQuoted(path) + " 2>/dev/null";
    Pipe pipe(popen(probe.c_str(), "r"));
    const std::string text = pipe ? ReadAll(pipe.get()) : std::string();
    if (std::sscanf(text.c_str(), "%d,%d,%d", &m_width, &m_height, &m_frames) != 3 || m_width <= 0 || m_height <= 0 ||
        m_frames <= 0)
        throw cli::CliError("studio: " + path + " is neither a PNG or JPEG picture nor a video ffprobe can read"
                            " (is ffmpeg installed?)");
    m_video = true;
}

cli::Image FrameSupply::Frame(int index) const {
    if (m_path.empty()) return cli::DrawTestCard();
    if (!m_video) return cli::ReadPicture(m_path, std::nullopt);
    cli::Image image = cli::MakeImage(m_width, m_height, cli::AlphaForm::Straight);
    const std::string decode = "ffmpeg -v error -i " + ShellQuoted(m_path) + " -vf 'select=eq(n\\," +
                               std::to_string(index) + ")' -vsync 0 -frames:v 1 -f rawvideo -pix_fmt bgra - 2>/dev/null";
    Pipe pipe(popen(decode.c_str(), "r"));
    if (!pipe || std::fread(image.bgra.data(), 1, image.bgra.size(), pipe.get()) != image.bgra.size())
        throw cli::CliError("studio: ffmpeg gave no frame " + std::to_string(index + 1) + " of " + m_path);
    return image;
}

}  // namespace brushwerk::studio
