// Random damage to a file's bytes, for the tests that feed the readers
// mutated copies of real files.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <random>
#include <vector>

namespace mv::test {

// Damages `b` in one to `maxEdits` random places, each by one of: a flipped
// bit, a random byte, a 0 or 255 byte, a 32-bit integer on an edge the
// readers check, a byte dropped, a byte inserted, the file cut short there,
// or a piece of the file again elsewhere. The first `keep` bytes (a file's
// mark, so that the reader gets past it) stay as they are.
inline void MutateBytes(std::vector<uint8_t>& b, std::mt19937& rng, int maxEdits, size_t keep = 0) {
  for (int e = 1 + static_cast<int>(rng() % static_cast<unsigned>(maxEdits));
       e > 0 && b.size() > keep; --e) {
    const size_t at = keep + rng() % (b.size() - keep);
    switch (rng() % 8) {
      case 0:
        b[at] ^= static_cast<uint8_t>(1u << (rng() % 8));
        break;
      case 1:
        b[at] = static_cast<uint8_t>(rng());
        break;
      case 2:
        b[at] = (rng() & 1) ? 0x00 : 0xff;
        break;
      case 3:  // sizes, counts and record lengths as the readers meet them
        if (at + 4 <= b.size()) {
          static const uint32_t kEdges[] = {0, 1, 0x7fffffff, 0x80000000, 0xffffffff, 24, 52, 92};
          const uint32_t v = kEdges[rng() % std::size(kEdges)];
          for (int k = 0; k < 4; ++k) b[at + k] = static_cast<uint8_t>(v >> (8 * k));
        }
        break;
      case 4:
        b.erase(b.begin() + static_cast<long>(at));
        break;
      case 5:
        b.insert(b.begin() + static_cast<long>(at), static_cast<uint8_t>(rng()));
        break;
      case 6:
        b.resize(at);
        break;
      case 7: {
        const std::vector<uint8_t> piece(
            b.begin() + static_cast<long>(at),
            b.begin() + static_cast<long>(std::min(b.size(), at + rng() % 64)));
        b.insert(b.begin() + static_cast<long>(keep + rng() % (b.size() - keep)), piece.begin(),
                 piece.end());
        break;
      }
    }
  }
}

}  // namespace mv::test
