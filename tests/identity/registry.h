// One registry of every faster version beside its generic reference, in the manner
// of a checkasm harness: each entry names a routine, lists the versions this run
// may use (versions[0] is the generic reference, the rest the faster versions the
// processor and QUILLET_DISABLE allow), and draws seeded cases for it. The identity
// test (identity_test.cpp) runs every case of every entry through every version and
// compares the bytes; the benchmark program (bench/identity_bench.cpp) times each
// version on frame-sized cases of the same entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace identity {

// A seeded source of case parameters. The first cases of each entry sit at the
// edges (every range at its lowest); bytes lean on 0 and 255, where saturation and
// rounding faults show.
class Draw {
public:
    Draw(uint32_t seed, bool atEdge) : rng_(seed), atEdge_(atEdge) {}
    bool AtEdge() const { return atEdge_; }
    int Between(int lo, int hi);      // lo at the edge, else uniform in [lo, hi]
    int AnyBetween(int lo, int hi);   // uniform in [lo, hi] even at the edge
    bool OneIn(int n) { return rng_() % static_cast<uint32_t>(n) == 0; }
    uint8_t Byte();
    std::vector<uint8_t> Bytes(size_t n);
    float Value();                    // a record value: in -3..3, or NaN, an infinity, a huge or tiny one
    uint32_t Colour() { return rng_() & 0xFFFFFF; }
    uint32_t Next() { return rng_(); }

private:
    std::mt19937 rng_;
    bool atEdge_;
};

// One case: a destination the versions write into, restored before each run.
class Trial {
public:
    // `call(version, destination)` runs one version and returns its status (a
    // routine's status code, or 1 / 0 for true / false).
    using Call = std::function<int(size_t version, uint8_t* destination)>;
    Trial(std::string label, std::vector<uint8_t> initial, Call call);

    const std::string& Label() const { return state_->label; }
    // Restores the destination, runs the version, and returns the destination's
    // bytes followed by the status.
    std::vector<uint8_t> Result(size_t version);
    // Runs the version over whatever the destination holds (for timing).
    void Run(size_t version) { state_->status = state_->call(version, state_->destination.data()); }

private:
    struct State {
        std::string label;
        std::vector<uint8_t> initial, destination;
        Call call;
        int status = 0;
    };
    std::shared_ptr<State> state_;  // shared, so a trial copies cheaply into benchmark closures
};

struct Entry {
    std::string name;
    std::vector<std::string> versions;  // [0] "generic"; an entry with no faster version still pins its reference
    int cases = 0;                      // seeded cases the identity test runs, exhaustive ones first
    std::function<Trial(int n)> draw;   // case n of `cases`
    std::function<Trial(int width, int height)> frame;  // a typical frame-sized case, for timing (none without a faster version)
    uint64_t digest = 0;  // FNV-1a over the reference outputs of every case, in order: the generic bytes must not drift
};

// The versions of a routine this run may use, the generic reference first, and their
// names (an effect's paths, or a row of the processor tables).
template <class Path>
struct Paths {
    std::vector<Path> paths;
    std::vector<std::string> names{"generic"};
    Paths& Add(bool allowed, Path path, const char* name) {
        if (allowed) paths.push_back(path), names.push_back(name);
        return *this;
    }
};

// Every entry, primitives first.
const std::vector<Entry>& Entries();

// Registration, one function per family (primitive_entries.cpp, effect_entries.cpp).
void AddPrimitiveEntries(std::vector<Entry>& entries);
void AddEffectEntries(std::vector<Entry>& entries);

// A 256 x 256 picture of B, G, R, A pixels: fill(x, y, pixel) writes pixel (x, y).
std::vector<uint8_t> Grid256(const std::function<void(int x, int y, uint8_t* pixel)>& fill);

// The bytes of a region of `rows` rows of `rowBytes` each `step` apart, whatever the
// step's sign: a block holding exactly them, and the pointer to row 0 within it.
struct Region {
    int rows;
    int step;
    int rowBytes;
    size_t Bytes() const;
    size_t FirstRowOffset() const;
};

}  // namespace identity
