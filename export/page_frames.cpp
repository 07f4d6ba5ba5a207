#include "export/page_frames.h"

#include <stdexcept>
#include <string>

namespace {

constexpr std::size_t maxColours = 256;

// Unchanged pixels between two changed ones are written again rather than
// skipped when there are at most this many: a new run's two varints cost
// about as much as a few index bytes once compressed. Measured on the whole
// page: 0 gives 299 kB, 4 292 kB, 8 286 kB, 16 287 kB.
constexpr std::size_t mergeGap = 8;

void appendVarint(QByteArray& out, std::size_t value)
{
    while (value >= 0x80) {
        out.append(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.append(static_cast<char>(value));
}

}  // namespace

PageFrames::PageFrames(const QImage& startup) : size_(startup.size())
{
    startup_ = indices(startup);
    addChanges(startupChanges_, std::vector<std::uint8_t>(startup_.size(), 0), startup_);
    previous_ = startup_;
}

void PageFrames::startScenario()
{
    previous_ = startup_;
}

void PageFrames::addFrame(const QImage& picture)
{
    if (picture.size() != size_)
        throw std::runtime_error("a picture of the page differs in size from the start-up picture");
    std::vector<std::uint8_t> current = indices(picture);
    addChanges(changes_, previous_, current);
    previous_ = std::move(current);
}

std::vector<std::uint8_t> PageFrames::indices(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(rgb.width()) * static_cast<std::size_t>(rgb.height()));
    // Most pixels have the colour of the one before them: remembering it
    // spares the table's lookup for them. No opaque colour is 0, so the
    // first pixel is always looked up.
    QRgb last = 0;
    std::uint8_t lastIndex = 0;
    std::size_t at = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x, ++at) {
            const QRgb colour = row[x] | 0xFF000000u;
            if (colour != last) {
                auto found = lookup_.find(colour);
                if (found == lookup_.end()) {
                    if (palette_.size() == maxColours)
                        throw std::runtime_error("the pictures hold more than " + std::to_string(maxColours) +
                                                 " colours, more than the page's palette can hold");
                    found = lookup_.emplace(colour, static_cast<std::uint8_t>(palette_.size())).first;
                    palette_.push_back(colour);
                }
                last = colour;
                lastIndex = found->second;
            }
            out[at] = lastIndex;
        }
    }
    return out;
}

void PageFrames::addChanges(QByteArray& out, const std::vector<std::uint8_t>& before,
                            const std::vector<std::uint8_t>& after)
{
    // Runs as [first, end) pixel positions.
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    const std::size_t count = after.size();
    for (std::size_t i = 0; i < count;) {
        if (before[i] == after[i]) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < count && before[end] != after[end])
            ++end;
        if (!runs.empty() && i - runs.back().second <= mergeGap)
            runs.back().second = end;
        else
            runs.emplace_back(i, end);
        i = end;
    }
    appendVarint(out, runs.size());
    std::size_t position = 0;
    for (const auto& [first, end] : runs) {
        appendVarint(out, first - position);
        appendVarint(out, end - first);
        out.append(reinterpret_cast<const char*>(after.data() + first), static_cast<qsizetype>(end - first));
        position = end;
    }
}

QByteArray PageFrames::startup() const
{
    QByteArray out;
    appendVarint(out, palette_.size());
    for (const QRgb colour : palette_) {
        out.append(static_cast<char>(qRed(colour)));
        out.append(static_cast<char>(qGreen(colour)));
        out.append(static_cast<char>(qBlue(colour)));
    }
    return out + startupChanges_;
}

QByteArray PageFrames::scenarios() const
{
    return changes_;
}
