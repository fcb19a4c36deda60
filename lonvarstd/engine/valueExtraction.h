#pragma once
// Cutting the value text out of a gauge's answer with the rules of its type.

#include <cstdint>
#include <string>

#include "engine/deviceDescr.h"

namespace tavrix {

// Up to Len characters from position From (1-based), every filter character removed;
// empty when From or Len is not positive or the answer is shorter than From.
std::string FixedPositionText(const std::string& answer, const tDescrRule& rule,
                              const std::string& filter);

// The tokenNo-th token between separators; an answer with fewer tokens gives its last.
std::string TokenText(const std::string& answer, std::int32_t tokenNo,
                      const std::string& separators);

// The first non-empty result of the type's rules, in order; empty if none gives one.
std::string ExtractValueText(const std::string& answer, const tDeviceDescr& descr);

}  // namespace tavrix
