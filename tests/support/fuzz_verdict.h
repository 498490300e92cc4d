// How a libFuzzer target reports a faulty input.
#pragma once

#include <cstdio>
#include <string>

namespace mv::test {

// A fault is printed and stops the fuzzer, which then keeps the input; an
// input without one gives libFuzzer's 0.
inline int StopOnFault(const std::string& fault) {
  if (!fault.empty()) {
    std::fprintf(stderr, "%s\n", fault.c_str());
    __builtin_trap();
  }
  return 0;
}

}  // namespace mv::test
