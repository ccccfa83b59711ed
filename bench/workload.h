// workload.h: the generated input files of the benchmark.
#ifndef QVR_BENCH_WORKLOAD_H
#define QVR_BENCH_WORKLOAD_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// A key of a key=value section whose value is a plain word, so that every
// reader (this library, the INF API, the profile API) gives the same text.
struct Lookup {
    std::string section;
    std::string key;
    std::string value;
};

// An INF file in the style of the large ones that ship with Windows: a
// [Version] section, file lists, registry lines with quoted strings and
// trailing comments, key=value sections, comment blocks, LF line ends.
struct InfText {
    std::string text;
    std::vector<std::string> sections; // in file order
    std::vector<Lookup> lookups;       // every plain key, in file order
};

InfText MakeInf(std::size_t targetBytes, std::uint32_t seed);

// An INI file of `lines` lines (CR LF) in sections of 50; the section
// "Target" stands in the middle.
std::string MakeIni(int lines);

// A plain text file of `lines` lines of 20 to 60 characters (CR LF).
std::string MakeText(int lines, std::uint32_t seed);

// Small deterministic generator (the same files on every run).
class Random {
  public:
    explicit Random(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // A number from lo to hi inclusive.
    std::uint32_t Between(std::uint32_t lo, std::uint32_t hi) {
        return lo + Next() % (hi - lo + 1);
    }

  private:
    std::uint32_t state_;
};

} // namespace bench

#endif
