#include "engine/engine.h"

#include <cmath>

TEngine::TEngine() : Host(&quiet_) {}

int AutoBaseFor(int width) {
  const long double v = static_cast<long double>(width) * 0.1375515818431911967L;
  return EvenBase(static_cast<int>(std::nearbyint(v)));
}

int EvenBase(int base) { return (base > 0 && base % 2 != 0) ? base + 1 : base; }
