#pragma once
// How a harness reports a broken rule: it names the rule and aborts, so that
// libFuzzer keeps the input as a crash and a replay test fails.
#include <cstdio>
#include <cstdlib>

// broken: empty when the rules held, else the name of the first one broken.
inline void RequireRules(const char* broken) {
  if (!*broken) return;
  std::fprintf(stderr, "broken rule: %s\n", broken);
  std::abort();
}
