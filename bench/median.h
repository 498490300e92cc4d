// The median of a benchmark's runs: steadier than the mean on a shared
// machine.
#pragma once

#include <algorithm>
#include <vector>

namespace mv::bench {

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

}  // namespace mv::bench
