#include "tests/identity/registry.h"
#include "tests/support/pictures.h"

#include <cstdlib>
#include <limits>

namespace identity {

int Draw::AnyBetween(int lo, int hi) { return lo + static_cast<int>(rng_() % static_cast<uint32_t>(hi - lo + 1)); }

int Draw::Between(int lo, int hi) { return atEdge_ ? lo : AnyBetween(lo, hi); }

uint8_t Draw::Byte() { return testsupport::BiasedByte(rng_); }

std::vector<uint8_t> Draw::Bytes(size_t n) {
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = Byte();
    return v;
}

float Draw::Value() {
    constexpr float kOdd[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(), 1e30f, -1e30f, 1e-30f, -0.0f, 0.0f, 1.0f};
    if (OneIn(6)) return kOdd[rng_() % std::size(kOdd)];
    return static_cast<float>(static_cast<int>(rng_() % 6001) - 3000) / 1000.0f;
}

Trial::Trial(std::string label, std::vector<uint8_t> initial, Call call) : state_(std::make_shared<State>()) {
    state_->label = std::move(label);
    state_->destination = initial;
    state_->initial = std::move(initial);
    state_->call = std::move(call);
}

std::vector<uint8_t> Trial::Result(size_t version) {
    state_->destination = state_->initial;
    Run(version);
    std::vector<uint8_t> out = state_->destination;
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(state_->status >> shift));
    return out;
}

std::vector<uint8_t> Grid256(const std::function<void(int x, int y, uint8_t* pixel)>& fill) {
    std::vector<uint8_t> bytes(256 * 256 * 4);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) fill(x, y, &bytes[(static_cast<size_t>(y) * 256 + x) * 4]);
    return bytes;
}

size_t Region::Bytes() const { return static_cast<size_t>(rows - 1) * static_cast<size_t>(std::abs(step)) + rowBytes; }

size_t Region::FirstRowOffset() const { return step < 0 ? static_cast<size_t>(rows - 1) * static_cast<size_t>(-step) : 0; }

const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = [] {
        std::vector<Entry> e;
        AddPrimitiveEntries(e);
        AddEffectEntries(e);
        return e;
    }();
    return entries;
}

}  // namespace identity
